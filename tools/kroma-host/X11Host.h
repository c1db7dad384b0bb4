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
  // Writes the window's pixels as a PNG; false, and why, when it could not. A window that reaches
  // past the screen is refused: the server keeps no pixels there.
  bool screenshot(Window window, const std::string& file, std::string& why);
  // One action of an x-input step, its words as written ("type" keeps its text whole).
  using Action = std::vector<std::string>;
  // The actions of an x-input step, from the text after its delay; false (with the reason in
  // error) for a text that is none.
  static bool parse(const std::string& text, std::vector<Action>& actions, std::string& error);
  // Plays the actions in order, delay milliseconds from now, at points of the window: "move X Y",
  // "press B", "release B", "click X Y [B]", "key NAME[+NAME...]" (key symbols' names, the first
  // held while the next is pressed), "type TEXT" (the rest of the step, or a text in double
  // quotes; Shift held where the keyboard needs it), "menu KEY..." (waits until a popup menu
  // shows, at most 30 s, then sends it the named keys), "dialog" (waits until a window of the
  // plug-in's own, a file panel or a message box, holds the keyboard, at most 30 s; the actions
  // after it play into that window, which must be gone 10 s after them). What an action cannot
  // do is reported by takeFailures for the script's line.
  void schedule(int delay, Window window, std::vector<Action> actions, int line);
  // X errors the process's handler saw, those of the input connection left out.
  int errors() const { return sErrors; }
  // What a scheduled step could not do: the script's line, and why.
  struct Failure {
    int line;
    std::string text;
  };
  std::vector<Failure> takeFailures();

 private:
  X11Host() = default;
  static int countError(Display* display, XErrorEvent* error);
  // Plays a step's actions; what goes wrong is reported for its line.
  void playStep(const std::vector<Action>& actions, int rootX, int rootY, int line);
  // menu: the popup menu a "menu" action waited for.
  void play(const Action& action, int rootX, int rootY, Window menu);
  void key(KeySym symbol);
  // Presses the keys named "A+B+C": A and B held while C goes down and up.
  void keyCombination(const std::string& names);
  void typeCharacter(KeySym symbol);
  // The key that types the symbol; one without a key gets a spare one. 0 when none is left.
  KeyCode keycodeFor(KeySym symbol);
  // Waits until a popup menu shows, sends it the keys and checks that they closed it.
  bool playMenu(const Action& action, int line);
  void fail(int line, const std::string& text);
  // The popup menus shown, one window a level.
  std::vector<Window> shownMenus();
  // Waits until a popup menu shows; None when none showed.
  Window awaitMenu();
  // Waits at most `wait` until no popup menu shows; the levels still shown.
  size_t awaitMenuGone(std::chrono::milliseconds wait);
  void keyTo(Window menu, const std::string& name);
  // The top-level window of the plug-in's own (no window of the host's, no menu) that holds the
  // keyboard; None when there is none.
  Window focusedDialog();
  // Whether the window is shown.
  bool viewable(Window window);

  Display* mDisplay = nullptr;
  Display* mInput = nullptr;  // the injecting threads' connection, one at a time
  std::mutex mInputMutex;
  std::vector<std::thread> mPlayers;
  std::mutex mFailureMutex;
  std::vector<Failure> mFailures;
  std::mutex mWindowsMutex;
  std::vector<Window> mWindows;  // the host's own
  static int sErrors;
  static X11Host* sHost;
};
