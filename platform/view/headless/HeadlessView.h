#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/view/Backend.h"
#include "platform/view/HostFrame.h"

// The view without a window system: its screen is a pixel surface that tests
// read, its timer ticks when a test (or a host through a VIEW_HostFrame) says
// so, and events are synthesized. Menus and text fields are answered by the
// VIEW_Script.
class VIEW_HeadlessView : public VIEW_View {
 public:
  VIEW_HeadlessView(void* parent, int width, int height, int fps, VIEW_Client* client);
  ~VIEW_HeadlessView() override;

  // The headless view behind a window pointer of the kit.
  static VIEW_HeadlessView* of(void* window) {
    return static_cast<VIEW_HeadlessView*>(static_cast<VIEW_View*>(window));
  }

  void close() override;
  bool isOpen() const override { return mClient != nullptr; }
  void resize(int width, int height) override;
  void present(const uint32_t* pixels, int rowSpan, int width, int height) override;
  VIEW_MenuChoice popupMenu(const VIEW_Menu& menu, int x, int y) override;
  void openTextField(const VIEW_TextField& field) override;
  void endTextField() override;
  bool textFieldOpen() const override { return mFieldOpen; }
  void setCursorHidden(bool hidden) override { mCursorHidden = hidden; }

  // ---- driving the view ----
  void tick();
  void mouseDown(int x, int y, VIEW_Mods mods = left());
  void mouseUp(int x, int y, VIEW_Mods mods = left());
  void mouseDrag(int x, int y, VIEW_Mods mods = left());
  void doubleClick(int x, int y, VIEW_Mods mods = left());
  void wheel(int x, int y, int amount, VIEW_Mods mods = left());
  void key(int key);
  // The open field, or null.
  const VIEW_TextField* textField() const { return mFieldOpen ? &mField : nullptr; }
  void typeText(const std::string& text);
  void commitText();

  // ---- reading the screen ----
  int screenWidth() const { return mWidth; }
  int screenHeight() const { return mHeight; }
  const std::vector<uint32_t>& screen() const { return mScreen; }
  // 0 outside the screen.
  uint32_t pixel(int x, int y) const;
  int presentCount() const { return mPresents; }
  int fps() const { return mFPS; }
  bool cursorHidden() const { return mCursorHidden; }

  static VIEW_Mods left() {
    VIEW_Mods mods;
    mods.left = true;
    return mods;
  }

 private:
  void send(VIEW_Event::Type type, int x, int y, VIEW_Mods mods, int clickCount = 1,
            int amount = 0);
  void connectFrame(void* parent);

  VIEW_Client* mClient;
  VIEW_HostFrame* mFrame = nullptr;
  int mWidth;
  int mHeight;
  int mFPS;
  std::vector<uint32_t> mScreen;
  int mPresents = 0;
  VIEW_TextField mField;
  bool mFieldOpen = false;
  bool mCursorHidden = false;
};
