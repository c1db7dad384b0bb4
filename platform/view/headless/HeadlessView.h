#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/view/Backend.h"
#include "platform/view/HostFrame.h"
#include "platform/view/Region.h"

// What VIEW_OpenSubWindow makes without a window system: a parent that is
// no host frame, counted while open.
struct VIEW_HeadlessSubWindow {
  uint32_t notAFrame = 0;  // where a host frame has its magic
  int width = 0;
  int height = 0;
  static int openCount();
};

// The view without a window system: its screen is a pixel surface that tests
// read, its timer ticks when a test (or a host through a VIEW_HostFrame) says
// so, and events are synthesized. Menus and text fields are answered by the
// VIEW_Script. Invalidated rectangles are drawn at the end of a tick or pump,
// as a window system draws after its timers.
class VIEW_HeadlessView : public VIEW_View {
 public:
  VIEW_HeadlessView(void* parent, int width, int height, int fps, VIEW_Client* client);
  ~VIEW_HeadlessView() override;

  // The kit's view as a headless one; null for any other.
  static VIEW_HeadlessView* of(VIEW_View* view) { return dynamic_cast<VIEW_HeadlessView*>(view); }

  void close() override;
  bool isOpen() const override { return mClient != nullptr; }
  bool composited() const override { return mComposited; }
  bool resize(int width, int height) override;
  void invalidate(int x, int y, int width, int height) override;
  bool present(const uint32_t* pixels, int rowSpan, int width, int height) override;
  VIEW_MenuChoice popupMenu(const VIEW_Menu& menu, int x, int y) override;
  bool openTextField(const VIEW_TextField& field) override;
  std::string textFieldText() const override { return mFieldOpen ? mField.text : ""; }
  void endTextField() override { mFieldOpen = false; }
  bool textFieldOpen() const override { return mFieldOpen; }
  bool setCursorHidden(bool hidden) override;
  bool pointer(int* x, int* y) override;
  void warpPointer(int x, int y) override;
  void takeFocus() override { mFocused = true; }
  bool hasFocus() const override { return mFocused; }
  void trackPointerMotion(bool on) override { mTracking = on; }
  void pump() override { flushDraw(); }

  // ---- driving the view ----
  // Cursor hiding fails while set.
  void setCursorRefused(bool refused) { mCursorRefused = refused; }
  void tick();
  void mouseDown(int x, int y, int button = VIEW_Event::kLeft, VIEW_Mods mods = {},
                 int clickCount = 1);
  void mouseUp(int x, int y, int button = VIEW_Event::kLeft, VIEW_Mods mods = {});
  void mouseDrag(int x, int y, int button = VIEW_Event::kLeft, VIEW_Mods mods = {});
  void mouseMove(int x, int y, VIEW_Mods mods = {});
  void wheel(int x, int y, int amount, VIEW_Mods mods = {});
  // A key to the open field, else to the client.
  void key(int key, VIEW_Mods mods = {});
  // Takes the keyboard away, as another window does.
  void deactivate();
  // The host destroys the window the view lives in.
  void destroyParent();
  // The open field, or null.
  const VIEW_TextField* textField() const { return mFieldOpen ? &mField : nullptr; }
  // Types the characters of a UTF-8 text one by one into the open field.
  void typeText(const std::string& text);

  // ---- reading the screen ----
  int screenWidth() const { return mWidth; }
  int screenHeight() const { return mHeight; }
  const std::vector<uint32_t>& screen() const { return mScreen; }
  // 0 outside the screen.
  uint32_t pixel(int x, int y) const;
  int presentCount() const { return mPresents; }
  int fps() const { return mFPS; }
  bool cursorHidden() const { return mCursorHidden; }
  // The rectangles drawn, oldest first, as {x, y, width, height}.
  const std::vector<std::vector<int>>& drawn() const { return mDrawn; }
  // The keys the client declined, which went on to the host's window.
  const std::vector<int>& keysToHost() const { return mKeysToHost; }
  bool tracksPointerMotion() const { return mTracking; }

 private:
  bool send(VIEW_Event event);
  void showOnce();
  void fieldKey(const VIEW_Event& event);
  void flushDraw();
  void connectFrame(void* parent);

  VIEW_Client* mClient;
  VIEW_HostFrame* mFrame = nullptr;
  int mWidth;
  int mHeight;
  int mFPS;
  std::vector<uint32_t> mScreen;
  bool mComposited;
  int mPresents = 0;
  bool mDrawing = false;
  VIEW_Region mDirty;
  VIEW_Region mDrawRect;  // the rectangle being drawn
  std::vector<std::vector<int>> mDrawn;
  VIEW_TextField mField;
  bool mFieldOpen = false;
  bool mCursorHidden = false;
  bool mCursorRefused = false;
  int mPointerX = 0;
  int mPointerY = 0;
  bool mShown = false;
  bool mFocused = false;
  bool mTracking = false;
  std::vector<int> mKeysToHost;
};
