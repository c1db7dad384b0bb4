#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/view/Menu.h"
#include "platform/view/TextField.h"

// The editor-window kit: a view the size of the editor with a repeating
// timer, exposure, mouse and key events, a modal popup menu and a one-line
// text field. Coordinates are pixels from the view's top-left corner, y
// downwards. Every call runs on the editor (host GUI) thread.

// Keyboard modifiers of an event. command is the key that stands for the
// Command key of other systems (the README names it for each back end).
struct VIEW_Mods {
  bool shift = false;
  bool control = false;
  bool alt = false;
  bool command = false;
};

// Keys other than characters, numbered past the last code point: every code point below them is
// a character.
enum VIEW_Key : int {
  VIEW_KEY_SPACE = 0x110000,
  VIEW_KEY_UP,
  VIEW_KEY_DOWN,
  VIEW_KEY_LEFT,
  VIEW_KEY_RIGHT,
  VIEW_KEY_RETURN,
  VIEW_KEY_ENTER,
  VIEW_KEY_TAB,
  VIEW_KEY_ESCAPE,
  VIEW_KEY_BACKSPACE,
  VIEW_KEY_DELETE,
  VIEW_KEY_HOME,
  VIEW_KEY_END
};

struct VIEW_Event {
  enum Type { kMouseDown, kMouseUp, kMouseDrag, kMouseMove, kWheel, kKey, kDeactivate };
  enum Button { kNoButton = 0, kLeft, kRight, kMiddle };
  Type type = kMouseDown;
  int x = 0;
  int y = 0;
  int button = kNoButton;  // of a press, release or drag
  VIEW_Mods mods;
  int clickCount = 1;  // 2 and more: a double click
  int wheel = 0;       // vertical steps, up positive
  // The character typed as its code point (Shift applied, other modifiers not), or a VIEW_Key.
  int key = 0;
};

// What the view reports to its owner.
class VIEW_Client {
 public:
  virtual ~VIEW_Client() = default;
  // Each tick of the timer.
  virtual void viewTimer() = 0;
  // The rectangle must be drawn now; VIEW_View::present works only in here.
  virtual void viewDraw(int x, int y, int width, int height) = 0;
  // True when the client handled the event. A key it declines goes on to the
  // host's window (Backend.h).
  virtual bool viewEvent(const VIEW_Event& event) = 0;
  // A key for the open text field, before the field applies it; candidate is
  // the text the field would hold after it. False swallows the key. The client
  // may end the field from here.
  virtual bool viewTextKey(const VIEW_Event& key, const std::string& candidate) = 0;
  // The field ended by itself: Return, Enter and Tab commit, Escape cancels.
  virtual void viewTextEnded(const std::string& text, bool committed) = 0;
  // The view is shown in a window: told once, with its first exposure.
  virtual void viewInWindow() {}
  // The host destroyed the window the view lives in; the view is closed
  // already and reports nothing more.
  virtual void viewParentGone() {}
  // Whether a click takes the keyboard into the view.
  virtual bool viewAcceptsFocus() { return false; }
  // Whether a click that activates an inactive window also acts; when not,
  // it only activates.
  virtual bool viewAcceptsFirstMouse() { return true; }
};

class VIEW_View {
 public:
  // Opens a view in parent (null: a window of its own) with a timer of fps
  // ticks a second. The client stays the caller's. Defined by the back end.
  static VIEW_View* open(void* parent, int width, int height, int fps, VIEW_Client* client);

  virtual ~VIEW_View() = default;
  // Stops the timer and the events; the view reports nothing afterwards.
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // Whether the view draws region by region through its own surface, which
  // text fields need.
  virtual bool composited() const = 0;
  virtual bool resize(int width, int height) = 0;
  // Asks for a viewDraw of the rectangle.
  virtual void invalidate(int x, int y, int width, int height) = 0;
  // Shows the editor's pixels (rowSpan pixels a row, width x height of them)
  // from the top-left corner. Only inside viewDraw; false elsewhere.
  virtual bool present(const uint32_t* pixels, int rowSpan, int width, int height) = 0;
  // Modal: the menu's top-left corner at (x, y); returns when it has closed,
  // which ends the press that opened it (VIEW_NoteMenuClosed, Backend.h).
  virtual VIEW_MenuChoice popupMenu(const VIEW_Menu& menu, int x, int y) = 0;
  // Opens the field with its whole text selected and the keyboard in it;
  // false when one is open already or it cannot be made.
  virtual bool openTextField(const VIEW_TextField& field) = 0;
  // The open field's text ("" without one).
  virtual std::string textFieldText() const = 0;
  // Closes an open field without reporting it.
  virtual void endTextField() = 0;
  virtual bool textFieldOpen() const = 0;
  // Hides or shows the mouse cursor; false when that failed.
  virtual bool setCursorHidden(bool hidden) = 0;
  // The pointer in screen pixels from the top-left corner of the screen.
  virtual bool pointer(int* x, int* y) = 0;
  virtual void warpPointer(int x, int y) = 0;
  // Moves the keyboard into the view.
  virtual void takeFocus() = 0;
  virtual bool hasFocus() const = 0;
  // Whether plain pointer motion (no button down) is reported; drags always are.
  virtual void trackPointerMotion(bool on) = 0;
  // Runs what is pending: events, exposures and a due timer tick. Hosts
  // without a run loop of ours call it from their idle call.
  virtual void pump() = 0;
};

// What a file panel starts with.
struct VIEW_FilePanel {
  bool save = false;
  std::string folder;
  std::string fileName;
  std::vector<std::string> extensions;
};

// Whether the path names a folder (a link to one included).
bool VIEW_IsFolder(const std::string& path);

// A save panel asks before it answers a path where a file lies already, as desktop panels do:
// true for a save panel's path that names something other than a folder.
bool VIEW_WouldReplace(const VIEW_FilePanel& panel, const std::string& path);

// The question then asked, as a message box: the first button (the default) keeps the file and
// the panel open, the button at kReplace replaces it.
struct VIEW_ReplaceQuestion {
  static constexpr int kReplace = 2;
  std::string caption, text;
  std::vector<std::string> buttons;
};
VIEW_ReplaceQuestion VIEW_AskReplace(const std::string& path);
// The same question, asked before a save replaces a file that changed on disk since it was opened.
VIEW_ReplaceQuestion VIEW_AskReplaceChanged(const std::string& path);
