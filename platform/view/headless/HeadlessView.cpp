#include "platform/view/headless/HeadlessView.h"

#include <cstdlib>
#include <cstring>

#include <algorithm>

#include "platform/view/headless/Script.h"

namespace {

// Unanswered message boxes get their default (first) button pressed.
constexpr int kDefaultButton = 1;

VIEW_Mods ModsOfFlags(int flags) {
  VIEW_Mods mods;
  mods.right = flags & 1;
  mods.left = !mods.right;
  mods.shift = flags & 2;
  mods.control = flags & 4;
  mods.alt = flags & 8;
  return mods;
}

void FrameTick(void* view) {
  static_cast<VIEW_HeadlessView*>(view)->tick();
}

void FrameMouse(void* view, int kind, int x, int y, int flags, int amount) {
  VIEW_HeadlessView* headless = static_cast<VIEW_HeadlessView*>(view);
  const VIEW_Mods mods = ModsOfFlags(flags);
  switch (kind) {
    case VIEW_HostFrame::kDown:
      headless->mouseDown(x, y, mods);
      break;
    case VIEW_HostFrame::kUp:
      headless->mouseUp(x, y, mods);
      break;
    case VIEW_HostFrame::kDrag:
      headless->mouseDrag(x, y, mods);
      break;
    case VIEW_HostFrame::kDoubleClick:
      headless->doubleClick(x, y, mods);
      break;
    case VIEW_HostFrame::kWheel:
      headless->wheel(x, y, amount, mods);
      break;
    default:
      break;
  }
}

const uint32_t* FrameScreen(void* view, int* width, int* height) {
  const VIEW_HeadlessView* headless = static_cast<VIEW_HeadlessView*>(view);
  *width = headless->screenWidth();
  *height = headless->screenHeight();
  return headless->screen().data();
}

}  // namespace

VIEW_View* VIEW_View::open(void* parent, int width, int height, int fps, VIEW_Client* client) {
  return new VIEW_HeadlessView(parent, width, height, fps, client);
}

VIEW_HeadlessView::VIEW_HeadlessView(void* parent, int width, int height, int fps,
                                     VIEW_Client* client)
    : mClient(client),
      mWidth(std::max(width, 0)),
      mHeight(std::max(height, 0)),
      mFPS(fps),
      mScreen((size_t)mWidth * (size_t)mHeight, 0u) {
  connectFrame(parent);
}

VIEW_HeadlessView::~VIEW_HeadlessView() {
  close();
}

bool VIEW_HostFrame::HostHandsFrames() {
  const char* view = std::getenv("KROMA_VIEW");
  return view && std::strcmp(view, "headless") == 0;
}

void VIEW_HeadlessView::connectFrame(void* parent) {
  if (!parent || !VIEW_HostFrame::HostHandsFrames()) return;
  VIEW_HostFrame* frame = static_cast<VIEW_HostFrame*>(parent);
  if (frame->magic != VIEW_HostFrame::kMagic) return;
  mFrame = frame;
  mFrame->view = this;
  mFrame->tick = FrameTick;
  mFrame->mouse = FrameMouse;
  mFrame->screen = FrameScreen;
}

void VIEW_HeadlessView::close() {
  mFieldOpen = false;
  mClient = nullptr;
  if (mFrame) *mFrame = VIEW_HostFrame();
  mFrame = nullptr;
}

void VIEW_HeadlessView::resize(int width, int height) {
  mWidth = std::max(width, 0);
  mHeight = std::max(height, 0);
  mScreen.assign((size_t)mWidth * (size_t)mHeight, 0u);
}

void VIEW_HeadlessView::present(const uint32_t* pixels, int rowSpan, int width, int height) {
  if (!pixels) return;
  const int w = std::min(width, mWidth);
  const int h = std::min(height, mHeight);
  for (int y = 0; y < h; ++y)
    std::copy(pixels + (size_t)y * rowSpan, pixels + (size_t)y * rowSpan + w,
              mScreen.begin() + (ptrdiff_t)((size_t)y * mWidth));
  ++mPresents;
}

VIEW_MenuChoice VIEW_HeadlessView::popupMenu(const VIEW_Menu& menu, int, int) {
  std::optional<std::vector<int>> path = VIEW_Script::instance().takeMenu(menu);
  return path ? VIEW_FollowMenuPath(menu, *path) : VIEW_MenuChoice{};
}

void VIEW_HeadlessView::openTextField(const VIEW_TextField& field) {
  if (mFieldOpen || !mClient) return;
  mField = field;
  mFieldOpen = true;
  bool cancelled = false;
  std::optional<std::string> answer = VIEW_Script::instance().takeText(&cancelled);
  if (cancelled) {
    endTextField();
  } else if (answer) {
    mField.text.clear();
    typeText(*answer);
    commitText();
  }
}

void VIEW_HeadlessView::endTextField() {
  if (!mFieldOpen) return;
  mFieldOpen = false;
  if (mClient) mClient->viewTextEnded(mField.text, false);
}

void VIEW_HeadlessView::typeText(const std::string& text) {
  if (mFieldOpen) mField.type(text);
}

void VIEW_HeadlessView::commitText() {
  if (!mFieldOpen) return;
  mFieldOpen = false;
  if (mClient) mClient->viewTextEnded(mField.text, true);
}

void VIEW_HeadlessView::tick() {
  if (mClient) mClient->viewTimer();
}

void VIEW_HeadlessView::send(VIEW_Event::Type type, int x, int y, VIEW_Mods mods, int clickCount,
                             int amount) {
  if (!mClient) return;
  VIEW_Event event;
  event.type = type;
  event.x = x;
  event.y = y;
  event.mods = mods;
  event.clickCount = clickCount;
  event.wheel = amount;
  mClient->viewEvent(event);
}

void VIEW_HeadlessView::mouseDown(int x, int y, VIEW_Mods mods) {
  send(VIEW_Event::kMouseDown, x, y, mods);
}

void VIEW_HeadlessView::mouseUp(int x, int y, VIEW_Mods mods) {
  send(VIEW_Event::kMouseUp, x, y, mods);
}

void VIEW_HeadlessView::mouseDrag(int x, int y, VIEW_Mods mods) {
  send(VIEW_Event::kMouseDrag, x, y, mods);
}

void VIEW_HeadlessView::doubleClick(int x, int y, VIEW_Mods mods) {
  send(VIEW_Event::kMouseDown, x, y, mods, 2);
}

void VIEW_HeadlessView::wheel(int x, int y, int amount, VIEW_Mods mods) {
  send(VIEW_Event::kWheel, x, y, mods, 1, amount);
}

void VIEW_HeadlessView::key(int keyCode) {
  if (!mClient) return;
  VIEW_Event event;
  event.type = VIEW_Event::kKey;
  event.key = keyCode;
  mClient->viewEvent(event);
}

uint32_t VIEW_HeadlessView::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) return 0;
  return mScreen[(size_t)y * mWidth + x];
}

std::string VIEW_RunFilePanel(const VIEW_FilePanel& panel) {
  return VIEW_Script::instance().takePanel(panel);
}

int VIEW_MessageBox(const char* text, const char* caption,
                    const std::vector<std::string>& buttons) {
  std::string shown = caption ? caption : "";
  shown += ": ";
  shown += text ? text : "";
  const int pressed = VIEW_Script::instance().takeMessageBox(shown, buttons, kDefaultButton);
  return pressed >= 1 && pressed <= (int)buttons.size() ? pressed : 0;
}

bool VIEW_OpenURL(const char* url) {
  if (!url) return false;
  VIEW_Script::instance().recordURL(url);
  return true;
}
