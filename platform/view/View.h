#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/view/Menu.h"
#include "platform/view/TextField.h"

// The editor-window kit: a view the size of the editor with a repeating
// timer, mouse and key events, a modal popup menu and a one-line text field.
// Every call runs on the editor thread.

struct VIEW_Mods {
  bool left = false;
  bool right = false;
  bool shift = false;
  bool control = false;
  bool alt = false;
};

// Keys other than characters.
enum VIEW_Key : int {
  VIEW_KEY_SPACE = 0x1000,
  VIEW_KEY_UP,
  VIEW_KEY_DOWN,
  VIEW_KEY_LEFT,
  VIEW_KEY_RIGHT
};

struct VIEW_Event {
  enum Type { kMouseDown, kMouseUp, kMouseDrag, kMouseMove, kWheel, kKey };
  Type type = kMouseDown;
  int x = 0;  // editor pixels, y downwards
  int y = 0;
  VIEW_Mods mods;
  int clickCount = 1;
  int wheel = 0;
  int key = 0;  // a character, or a VIEW_Key
};

// What the view reports to its owner.
class VIEW_Client {
 public:
  virtual ~VIEW_Client() = default;
  // Each tick of the timer.
  virtual void viewTimer() = 0;
  virtual void viewEvent(const VIEW_Event& event) = 0;
  // The text field ended: committed with its text, or cancelled.
  virtual void viewTextEnded(const std::string& text, bool committed) = 0;
};

class VIEW_View {
 public:
  // Opens a view in parent (null: a view of its own) with a timer of fps ticks
  // a second. The client stays the caller's.
  static VIEW_View* open(void* parent, int width, int height, int fps, VIEW_Client* client);

  virtual ~VIEW_View() = default;
  // Stops the timer and the events; the view reports nothing afterwards.
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  virtual void resize(int width, int height) = 0;
  // Shows the editor's pixels: rowSpan pixels a row, width x height of them.
  virtual void present(const uint32_t* pixels, int rowSpan, int width, int height) = 0;
  // Modal; returns when the menu has closed.
  virtual VIEW_MenuChoice popupMenu(const VIEW_Menu& menu, int x, int y) = 0;
  // Nothing when a field is already open.
  virtual void openTextField(const VIEW_TextField& field) = 0;
  // Closes an open field without committing it.
  virtual void endTextField() = 0;
  virtual bool textFieldOpen() const = 0;
  virtual void setCursorHidden(bool hidden) = 0;
};

// What a file panel starts with.
struct VIEW_FilePanel {
  bool save = false;
  std::string folder;
  std::string fileName;
  std::vector<std::string> extensions;
};
