#include "platform/view/headless/HeadlessView.h"

#include <cstdlib>
#include <cstring>

#include <algorithm>

#include "platform/view/Menu.h"
#include "platform/view/headless/Script.h"
#include "toolkit/wsys/Keys.h"
#include "toolkit/wsys/TextLayout.h"
#include "toolkit/wsys/WsysTypes.h"

namespace {

// Unanswered message boxes get their default (first) button pressed.
constexpr int kDefaultButton = 1;

VIEW_Mods ModsOfFlags(int flags) {
  VIEW_Mods mods;
  mods.shift = flags & VIEW_HostFrame::kShift;
  mods.control = flags & VIEW_HostFrame::kControl;
  mods.alt = flags & VIEW_HostFrame::kAlt;
  mods.command = flags & VIEW_HostFrame::kCommand;
  return mods;
}

void FrameTick(void* view) {
  static_cast<VIEW_HeadlessView*>(view)->tick();
}

void FrameMouse(void* view, int kind, int x, int y, int flags, int amount) {
  VIEW_HeadlessView* headless = static_cast<VIEW_HeadlessView*>(view);
  const VIEW_Mods mods = ModsOfFlags(flags);
  const int button = (flags & VIEW_HostFrame::kRight) ? VIEW_Event::kRight : VIEW_Event::kLeft;
  switch (kind) {
    case VIEW_HostFrame::kDown:
      headless->mouseDown(x, y, button, mods);
      break;
    case VIEW_HostFrame::kUp:
      headless->mouseUp(x, y, button, mods);
      break;
    case VIEW_HostFrame::kDrag:
      headless->mouseDrag(x, y, button, mods);
      break;
    case VIEW_HostFrame::kDoubleClick:
      headless->mouseDown(x, y, button, mods, 2);
      break;
    case VIEW_HostFrame::kWheel:
      headless->wheel(x, y, amount, mods);
      break;
    default:
      break;
  }
}

VIEW_Event MouseEvent(VIEW_Event::Type type, int x, int y, int button, VIEW_Mods mods) {
  VIEW_Event event;
  event.type = type;
  event.x = x, event.y = y, event.button = button, event.mods = mods;
  return event;
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
      mScreen((size_t)mWidth * (size_t)mHeight, 0u),
      mComposited(VIEW_Script::instance().composited()) {
  connectFrame(parent);
  invalidate(0, 0, mWidth, mHeight);  // a new window is exposed whole
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
  if (mFrame) {
    VIEW_HostFrame handedBack;
    handedBack.host = mFrame->host;
    handedBack.menu = mFrame->menu;
    *mFrame = handedBack;
  }
  mFrame = nullptr;
}

bool VIEW_HeadlessView::resize(int width, int height) {
  mWidth = std::max(width, 0);
  mHeight = std::max(height, 0);
  mScreen.assign((size_t)mWidth * (size_t)mHeight, 0u);
  invalidate(0, 0, mWidth, mHeight);
  return true;
}

void VIEW_HeadlessView::invalidate(int x, int y, int width, int height) {
  mDirty.add(x, y, width, height, mWidth, mHeight);
}

// Without a window system the view counts as shown with its first draw or
// event, whichever comes first.
void VIEW_HeadlessView::showOnce() {
  if (mShown || !mClient) return;
  mShown = true;
  mClient->viewInWindow();
}

void VIEW_HeadlessView::flushDraw() {
  showOnce();
  if (!mClient || mDirty.empty()) return;
  const VIEW_Region region = mDirty.take();
  const int x = region.left, y = region.top;
  const int w = region.right - x, h = region.bottom - y;
  mDrawn.push_back({x, y, w, h});
  mDrawRect = region;
  mDrawing = true;
  mClient->viewDraw(x, y, w, h);
  mDrawing = false;
}

// As a window system shows it: only the rectangle being drawn changes on the screen.
bool VIEW_HeadlessView::present(const uint32_t* pixels, int rowSpan, int width, int height) {
  if (!pixels || !mDrawing) return false;
  const int r = std::min({width, mWidth, mDrawRect.right});
  const int b = std::min({height, mHeight, mDrawRect.bottom});
  for (int y = mDrawRect.top; y < b && mDrawRect.left < r; ++y)
    std::copy(pixels + (size_t)y * rowSpan + mDrawRect.left, pixels + (size_t)y * rowSpan + r,
              mScreen.begin() + (ptrdiff_t)((size_t)y * mWidth + mDrawRect.left));
  ++mPresents;
  return true;
}

VIEW_MenuChoice VIEW_HeadlessView::popupMenu(const VIEW_Menu& menu, int x, int y) {
  std::optional<std::vector<int>> path = VIEW_Script::instance().takeMenu(menu, x, y);
  if (!path && mFrame && mFrame->menu)
    path = VIEW_MenuPathOfLine(menu, mFrame->menu(mFrame->host, VIEW_MenuLines(menu).c_str()));
  // No press outlives the menu: its release went to the menu.
  VIEW_NoteMenuClosed(false, GetAsyncKeyState(VK_SHIFT) != 0);
  return path ? VIEW_FollowMenuPath(menu, *path) : VIEW_MenuChoice{};
}

bool VIEW_HeadlessView::openTextField(const VIEW_TextField& field) {
  if (mFieldOpen || !mClient) return false;
  mField = field;
  mField.caret = (int)mField.text.size();
  mField.selected = true;
  mFieldOpen = true;
  bool cancelled = false;
  std::optional<std::string> answer = VIEW_Script::instance().takeText(&cancelled);
  if (cancelled) {
    key(VIEW_KEY_ESCAPE);
  } else if (answer) {
    typeText(*answer);
    key(VIEW_KEY_RETURN);
  }
  return true;
}

void VIEW_HeadlessView::typeText(const std::string& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (int at = 0; at < (int)text.size();) {
    const int character = (int)WSYS_NextCodepoint(bytes, (int)text.size(), &at);
    key(character == ' ' ? (int)VIEW_KEY_SPACE : character);
  }
}

bool VIEW_HeadlessView::setCursorHidden(bool hidden) {
  if (mCursorRefused) return false;
  mCursorHidden = hidden;
  return true;
}

bool VIEW_HeadlessView::pointer(int* x, int* y) {
  *x = mPointerX;
  *y = mPointerY;
  return true;
}

void VIEW_HeadlessView::warpPointer(int x, int y) {
  mPointerX = x;
  mPointerY = y;
}

void VIEW_HeadlessView::tick() {
  if (mClient) mClient->viewTimer();
  flushDraw();
}

bool VIEW_HeadlessView::send(VIEW_Event event) {
  showOnce();
  if (event.type != VIEW_Event::kKey && event.type != VIEW_Event::kDeactivate) {
    mPointerX = event.x;
    mPointerY = event.y;
  }
  VIEW_NoteInput(event);
  return mClient && mClient->viewEvent(event);
}

void VIEW_HeadlessView::mouseDown(int x, int y, int button, VIEW_Mods mods, int clickCount) {
  showOnce();
  if (!mClient) return;
  const bool inactive = !mFocused;
  if (mClient->viewAcceptsFocus()) mFocused = true;
  if (inactive && !mClient->viewAcceptsFirstMouse()) return;  // the click only activated
  VIEW_Event event = MouseEvent(VIEW_Event::kMouseDown, x, y, button, mods);
  event.clickCount = clickCount;
  send(event);
}

void VIEW_HeadlessView::mouseUp(int x, int y, int button, VIEW_Mods mods) {
  send(MouseEvent(VIEW_Event::kMouseUp, x, y, button, mods));
}

void VIEW_HeadlessView::mouseDrag(int x, int y, int button, VIEW_Mods mods) {
  send(MouseEvent(VIEW_Event::kMouseDrag, x, y, button, mods));
}

void VIEW_HeadlessView::mouseMove(int x, int y, VIEW_Mods mods) {
  showOnce();
  if (!mTracking) return;
  send(MouseEvent(VIEW_Event::kMouseMove, x, y, VIEW_Event::kNoButton, mods));
}

void VIEW_HeadlessView::wheel(int x, int y, int amount, VIEW_Mods mods) {
  VIEW_Event event = MouseEvent(VIEW_Event::kWheel, x, y, VIEW_Event::kNoButton, mods);
  event.wheel = amount;
  send(event);
}

void VIEW_HeadlessView::key(int keyCode, VIEW_Mods mods) {
  VIEW_Event event;
  event.type = VIEW_Event::kKey;
  event.key = keyCode;
  event.mods = mods;
  if (mFieldOpen)
    VIEW_FeedTextKey(mField, mFieldOpen, mClient, event);
  else if (!send(event))
    mKeysToHost.push_back(keyCode);
}

void VIEW_HeadlessView::deactivate() {
  mFocused = false;
  VIEW_Event event;
  event.type = VIEW_Event::kDeactivate;
  send(event);
}

void VIEW_HeadlessView::destroyParent() {
  VIEW_Client* client = mClient;
  close();
  if (client) client->viewParentGone();
}

uint32_t VIEW_HeadlessView::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) return 0;
  return mScreen[(size_t)y * mWidth + x];
}

// As a real save panel does, it asks before it answers a file that is there; kept, the panel
// stays open and takes the next answer.
std::string VIEW_RunFilePanel(const VIEW_FilePanel& panel) {
  for (;;) {
    const std::string chosen = VIEW_Script::instance().takePanel(panel);
    if (!VIEW_WouldReplace(panel, chosen)) return chosen;
    const VIEW_ReplaceQuestion question = VIEW_AskReplace(chosen);
    if (VIEW_MessageBox(question.text.c_str(), question.caption.c_str(), question.buttons) ==
        VIEW_ReplaceQuestion::kReplace)
      return chosen;
  }
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

namespace {
int gSubWindows = 0;
}  // namespace

int VIEW_HeadlessSubWindow::openCount() {
  return gSubWindows;
}

void* VIEW_OpenSubWindow(void* hostWindow, int width, int height) {
  if (!hostWindow) return nullptr;
  ++gSubWindows;
  return new VIEW_HeadlessSubWindow{0, width, height};
}

void VIEW_CloseSubWindow(void* subWindow) {
  if (!subWindow) return;
  --gSubWindows;
  delete static_cast<VIEW_HeadlessSubWindow*>(subWindow);
}

bool VIEW_ResizeHostWindow(void* window, int width, int height) {
  if (!window) return false;
  VIEW_Script::instance().recordHostResize(width, height);
  return true;
}
