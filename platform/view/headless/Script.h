#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/view/View.h"

// The headless back end's user: tests queue the answers that menus, text
// fields, file panels and message boxes get, and read what was asked.
// Process-wide; any thread may queue.
class VIEW_Script {
 public:
  static VIEW_Script& instance();

  // A path of item indices into the next menu (and its sub-menus); an empty
  // path dismisses it.
  void answerMenu(std::vector<int> path);
  // The next text field gets this typed (through its filter) and committed.
  void answerText(std::string text);
  void answerTextCancel();
  // The next file panel returns this path ("" cancels). A save panel given a
  // file that is there asks first with a message box; kept (its default),
  // the panel stays open for the next path queued, and records itself again.
  void answerPanel(std::string path);
  // The next message box gets the button at this position pressed (1 the
  // first, the default; 0 dismisses it). Unanswered ones get the first.
  void answerMessageBox(int button);
  // Views opened from now on are (not) composited; true after reset.
  void setComposited(bool composited);
  bool composited();
  // Forgets every answer and every record.
  void reset();

  // Records, oldest first.
  std::vector<std::vector<std::string>> menusShown();
  // Where each menu was shown, {x, y} in the view.
  std::vector<std::vector<int>> menuPlaces();
  std::vector<VIEW_FilePanel> panelsShown();
  std::vector<std::string> messagesShown();
  // The buttons of each message box shown.
  std::vector<std::vector<std::string>> messageButtonsShown();
  std::vector<std::string> urlsOpened();
  // The host windows resized, {width, height} each.
  std::vector<std::vector<int>> hostResizes();

  // For the back end: the next answer of each kind, when one is queued.
  std::optional<std::vector<int>> takeMenu(const VIEW_Menu& shown, int x, int y);
  // Nothing queued: the field stays open. A queued cancel gives a nullopt
  // text with cancelled set.
  std::optional<std::string> takeText(bool* cancelled);
  std::string takePanel(const VIEW_FilePanel& shown);
  int takeMessageBox(const std::string& text, const std::vector<std::string>& buttons,
                     int defaultButton);
  void recordURL(const std::string& url);
  void recordHostResize(int width, int height);

 private:
  struct TextAnswer {
    std::string text;
    bool cancel;
  };
  std::mutex mMutex;
  std::vector<std::vector<int>> mMenus;
  std::vector<TextAnswer> mTexts;
  std::vector<std::string> mPanels;
  std::vector<int> mMessageBoxes;
  std::vector<std::vector<std::string>> mMenusShown;
  std::vector<std::vector<int>> mMenuPlaces;
  std::vector<VIEW_FilePanel> mPanelsShown;
  std::vector<std::string> mMessagesShown;
  std::vector<std::vector<std::string>> mMessageButtonsShown;
  std::vector<std::string> mURLs;
  std::vector<std::vector<int>> mHostResizes;
  bool mComposited = true;
};
