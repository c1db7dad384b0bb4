#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The host's side of a real X display, as a Linux host has it: top-level
// windows handed to the editor-open call, and, for tests, input played into
// the server through the XTest extension on a thread of its own (so that it
// also reaches a menu that holds the GUI thread) and windows read back.
class X11Host {
 public:
  // Null without a server.
  static X11Host* instance();
  // The host when one was made, else null.
  static X11Host* existing() { return sHost; }
  // Waits until every scheduled action has been played.
  void joinPlayers();
  ~X11Host();

  // A mapped top-level window at (x, y), waited for until it shows.
  Window openWindow(int x, int y, int width, int height);
  void closeWindow(Window window);
  // Handles the host windows' own pending events.
  void pump();
  // Writes the window's pixels as a PNG.
  bool screenshot(Window window, const std::string& file);
  // Plays an action delay milliseconds from now, at a point of the window:
  // "move X Y", "press B", "release B", "click X Y [B]", "key NAME" (a key
  // symbol's name), "type TEXT" (the whole text, Shift held where the
  // keyboard needs it), "menu NAME..." (waits until a popup menu shows, at
  // most 30 s, then sends it the named keys).
  bool schedule(int delay, Window window, const std::vector<std::string>& action);
  // X errors the process's handler saw.
  int errors() const { return sErrors; }
  // What scheduled actions could not do since the last call, one line each.
  std::vector<std::string> takeFailures();

 private:
  X11Host() = default;
  static int countError(Display* display, XErrorEvent* error);
  // menu: the popup menu a "menu" action waited for.
  void play(const std::vector<std::string>& action, int rootX, int rootY, Window menu);
  void key(KeySym symbol);
  void typeCharacter(KeySym symbol);
  // The key that types the symbol; one without a key gets a spare one. 0 when none is left.
  KeyCode keycodeFor(KeySym symbol);
  // Waits until a popup menu shows, sends it the keys and checks that they closed it.
  void playMenu(const std::vector<std::string>& action);
  void fail(const std::string& text);
  // The popup menus shown, one window a level.
  std::vector<Window> shownMenus();
  // Waits until a popup menu shows; None when none showed.
  Window awaitMenu();
  // Waits at most `wait` until no popup menu shows; the levels still shown.
  size_t awaitMenuGone(std::chrono::milliseconds wait);
  void keyTo(Window menu, const std::string& name);

  Display* mDisplay = nullptr;
  Display* mInput = nullptr;  // the injecting threads' connection, one at a time
  std::mutex mInputMutex;
  std::vector<std::thread> mPlayers;
  std::mutex mFailureMutex;
  std::vector<std::string> mFailures;
  static int sErrors;
  static X11Host* sHost;
};
