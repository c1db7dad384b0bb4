#include "platform/view/headless/Script.h"

#include <utility>

namespace {

template <class T>
std::optional<T> PopFront(std::vector<T>& queue) {
  if (queue.empty()) return std::nullopt;
  T front = std::move(queue.front());
  queue.erase(queue.begin());
  return front;
}

}  // namespace

VIEW_Script& VIEW_Script::instance() {
  static VIEW_Script script;
  return script;
}

void VIEW_Script::answerMenu(std::vector<int> path) {
  std::lock_guard<std::mutex> lock(mMutex);
  mMenus.push_back(std::move(path));
}

void VIEW_Script::answerText(std::string text) {
  std::lock_guard<std::mutex> lock(mMutex);
  mTexts.push_back({std::move(text), false});
}

void VIEW_Script::answerTextCancel() {
  std::lock_guard<std::mutex> lock(mMutex);
  mTexts.push_back({"", true});
}

void VIEW_Script::answerPanel(std::string path) {
  std::lock_guard<std::mutex> lock(mMutex);
  mPanels.push_back(std::move(path));
}

void VIEW_Script::answerMessageBox(int button) {
  std::lock_guard<std::mutex> lock(mMutex);
  mMessageBoxes.push_back(button);
}

void VIEW_Script::setComposited(bool composited) {
  std::lock_guard<std::mutex> lock(mMutex);
  mComposited = composited;
}

bool VIEW_Script::composited() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mComposited;
}

void VIEW_Script::reset() {
  std::lock_guard<std::mutex> lock(mMutex);
  mComposited = true;
  mMenus.clear();
  mHostResizes.clear();
  mTexts.clear();
  mPanels.clear();
  mMessageBoxes.clear();
  mMenusShown.clear();
  mMenuPlaces.clear();
  mPanelsShown.clear();
  mMessagesShown.clear();
  mMessageButtonsShown.clear();
  mURLs.clear();
}

std::vector<std::vector<std::string>> VIEW_Script::menusShown() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mMenusShown;
}

std::vector<VIEW_FilePanel> VIEW_Script::panelsShown() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mPanelsShown;
}

std::vector<std::string> VIEW_Script::messagesShown() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mMessagesShown;
}

std::vector<std::vector<std::string>> VIEW_Script::messageButtonsShown() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mMessageButtonsShown;
}

std::vector<std::string> VIEW_Script::urlsOpened() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mURLs;
}

std::vector<std::vector<int>> VIEW_Script::menuPlaces() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mMenuPlaces;
}

std::optional<std::vector<int>> VIEW_Script::takeMenu(const VIEW_Menu& shown, int x, int y) {
  std::vector<std::string> titles;
  for (int i = 0; i < shown.size(); ++i) titles.push_back(shown.item(i).title);
  std::lock_guard<std::mutex> lock(mMutex);
  mMenusShown.push_back(std::move(titles));
  mMenuPlaces.push_back({x, y});
  return PopFront(mMenus);
}

std::optional<std::string> VIEW_Script::takeText(bool* cancelled) {
  std::lock_guard<std::mutex> lock(mMutex);
  *cancelled = false;
  std::optional<TextAnswer> answer = PopFront(mTexts);
  if (!answer) return std::nullopt;
  *cancelled = answer->cancel;
  if (answer->cancel) return std::nullopt;
  return answer->text;
}

std::string VIEW_Script::takePanel(const VIEW_FilePanel& shown) {
  std::lock_guard<std::mutex> lock(mMutex);
  mPanelsShown.push_back(shown);
  return PopFront(mPanels).value_or("");
}

int VIEW_Script::takeMessageBox(const std::string& text, const std::vector<std::string>& buttons,
                                int defaultButton) {
  std::lock_guard<std::mutex> lock(mMutex);
  mMessagesShown.push_back(text);
  mMessageButtonsShown.push_back(buttons);
  return PopFront(mMessageBoxes).value_or(defaultButton);
}

void VIEW_Script::recordURL(const std::string& url) {
  std::lock_guard<std::mutex> lock(mMutex);
  mURLs.push_back(url);
}

std::vector<std::vector<int>> VIEW_Script::hostResizes() {
  std::lock_guard<std::mutex> lock(mMutex);
  return mHostResizes;
}

void VIEW_Script::recordHostResize(int width, int height) {
  std::lock_guard<std::mutex> lock(mMutex);
  mHostResizes.push_back({width, height});
}
