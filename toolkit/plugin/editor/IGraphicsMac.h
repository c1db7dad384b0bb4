#pragma once

#include <memory>

#include "platform/view/Backend.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/tkstring.h"

// The graphics object in a window of the editor-window kit: opens the view in
// the host's parent, runs the dirty scan and draw loop on the view's timer,
// routes the view's events, and serves menus, text entry, panels, bundle
// resources and paths.
class IGraphicsMac : public IGraphics, private VIEW_Client {
 public:
  IGraphicsMac(IPluginBase* plug, int w, int h, int fps = 0);
  ~IGraphicsMac() override;

  bool DrawScreen(IRECT* rect) override;
  void ForceEndUserEdit() override;
  void Resize(int w, int h) override;
  bool WindowIsOpen() override { return mView != nullptr; }
  const char* GetGUIAPI() override { return mView ? "headless gui" : ""; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area) override;
  void CreateTextEntry(IControl* control, IText* style, IRECT* area, const char* text,
                       IParam* param) override;
  void HostPath(TK_String* path) override;
  void PluginPath(TK_String* path) override;
  void DesktopPath(TK_String* path) override;
  void PromptForFile(TK_String* fileName, EFileAction action, TK_String* folder,
                     const char* extensions) override;
  bool PromptForColor(IColor*, const char*) override { return false; }
  bool OpenURL(const char* url, const char* windowTitle, const char* confirmMsg,
               const char* errMsg) override;
  // Both forms open the kit's view in the given parent.
  void* OpenWindow(void* parentView) override;
  void* OpenWindow(void* window, void* parentControl, short, short) override;
  void CloseWindow() override;
  void* GetWindow() override { return mView.get(); }
  unsigned char* OSLoadFile(int id, const char* name) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  GFX_IBitmap* OSLoadBitmap(int id, const char* name) override;

  void SetBundleID(const char* id) { mBundleID.Set(id); }
  const char* GetBundleID() const { return mBundleID.Get(); }

 private:
  void viewTimer() override;
  void viewEvent(const VIEW_Event& event) override;
  void viewTextEnded(const std::string& text, bool committed) override;
  void routeMouse(const VIEW_Event& event);
  void* OpenView(void* parentView);

  std::unique_ptr<VIEW_View> mView;
  TK_String mBundleID;
  // The entry being typed: its control and parameter (none: text to the control).
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  bool mNeedsFullDraw = false;
  int mPrevX = 0;
  int mPrevY = 0;
};

// The identifier under which the plug-in bundle's resources are looked up.
extern const char* const kBundleID;

// The editor's graphics object for the plug-in, with the bundle identifier
// set; the caller attaches it.
IGraphicsMac* MakeGraphics(IPluginBase* plug, int w, int h, int fps = 0);
