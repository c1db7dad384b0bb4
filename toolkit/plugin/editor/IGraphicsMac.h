#pragma once

#include <memory>
#include <vector>

#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/tkstring.h"

class IGraphicsCarbon;
class IGraphicsCocoa_vKroma_vst;
class VIEW_View;
struct VIEW_Event;

// The graphics object in a window of the editor-window kit. It opens the
// editor in one of two back ends, both written over the kit: the Cocoa view
// (a host that announced views hands a parent view) or the Carbon pane (any
// other host hands its window; every Linux host does). It copies the back
// buffer to the screen, and serves popup menus, text entry, bundle resources,
// message boxes, file panels, folder paths, links and the cursor. All of it
// runs on the host's GUI thread.
class IGraphicsMac : public IGraphics {
 public:
  IGraphicsMac(IPluginBase* plug, int w, int h, int fps = 0);
  ~IGraphicsMac() override;

  // The whole back buffer, at its row span; only while a back end draws.
  bool DrawScreen(IRECT* rect) override;
  // Cancels an open text entry in either back end.
  void ForceEndUserEdit() override;
  void Resize(int w, int h) override;
  bool WindowIsOpen() override;
  // "Cocoa gui", or "Carbon Composited gui" / "Carbon Non-Composited gui".
  const char* GetGUIAPI() override;
  // Answers by the position of the button pressed: 1, 7, 2; 0 when dismissed.
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area) override;
  void CreateTextEntry(IControl* control, IText* style, IRECT* area, const char* text,
                       IParam* param) override;
  // The plug-in's own executable in its bundle.
  void HostPath(TK_String* path) override;
  // The folder that holds the bundle, with a trailing "/".
  void PluginPath(TK_String* path) override;
  void DesktopPath(TK_String* path) override;
  // An empty folder starts at "~/Desktop" where that folder exists, else at "~" (home).
  void PromptForFile(TK_String* fileName, EFileAction action, TK_String* folder,
                     const char* extensions) override;
  bool PromptForColor(IColor*, const char*) override { return false; }
  bool PromptToReplaceChangedFile(const char* path) override;
  // A text with "http" in it is a web address, any other a file path.
  bool OpenURL(const char* url, const char* windowTitle, const char* confirmMsg,
               const char* errMsg) override;
  // The Cocoa view in the parent view; returns the view.
  void* OpenWindow(void* parentView) override;
  // The Carbon pane in the window; returns the pane, null when it failed.
  void* OpenWindow(void* window, void* parentControl, short leftOffset, short topOffset) override;
  void* OpenCocoaWindow(void* parentView);
  void* OpenCarbonWindow(void* window, void* parentControl, short leftOffset, short topOffset);
  // Shows the Cocoa view in a borderless window of its own over the host's
  // window, at its top and centred on it when that is wider.
  void AttachSubWindow(void* hostWindow);
  // Closes the view and its window; the host's window stays as it is.
  void RemoveSubWindow();
  void CloseWindow() override;
  // The Cocoa view; null in Carbon mode.
  void* GetWindow() override;
  unsigned char* OSLoadFile(int id, const char* name) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  GFX_IBitmap* OSLoadBitmap(int id, const char* name) override;
  // Runs the open back end's pending events and due redraw tick.
  void PumpEvents() override;
  // The system's version as one word: major in two BCD digits, then minor and
  // patch in one each (6.1.7 is 0x0617); 0 when it cannot be read.
  static long GetUserOSVersion();

  // Every bundle lookup goes to the bundle of this identifier: without one
  // (empty), nothing is found.
  void SetBundleID(const char* id) { mBundleID.Set(id); }
  const char* GetBundleID() const { return mBundleID.Get(); }

  IGraphicsCarbon* GetCarbon() const { return mGraphicsCarbon.get(); }
  IGraphicsCocoa_vKroma_vst* GetCocoa() const { return mGraphicsCocoa.get(); }
  // The kit's view of the open back end, or null.
  VIEW_View* KitView() const;

 private:
  // Views whose own removeFromSuperview closed the window: freed once that
  // call has returned (after the next pump, opening or the destructor).
  void FreeRetiredViews();

  std::unique_ptr<IGraphicsCarbon> mGraphicsCarbon;
  std::unique_ptr<IGraphicsCocoa_vKroma_vst> mGraphicsCocoa;
  TK_String mBundleID;
  void* mHostWindow = nullptr;
  void* mSubWindow = nullptr;
  std::vector<std::unique_ptr<IGraphicsCocoa_vKroma_vst>> mRetiredViews;
};

// The packed system version of a kernel release text ("6.1.0-18-amd64" is
// 0x0610); digits past 9 are held at 9; 0 when no version leads the text.
long IGraphicsPackedOSVersion(const char* release);

// The key number of a kit key: space 0, arrows up, down, left, right 1 to 4,
// digits 5 to 14, letters of either case 15 to 40; -1 for any other key.
int IGraphicsKeyNumber(int key);

// A bundle PNG by name (only its last component counts; the extension must be
// png in any case): a new bitmap the caller owns, or null.
GFX_IBitmap* LoadImgFromResourceOSX(const char* bundleID, const char* name);

// The identifier under which the plug-in bundle's resources are looked up.
extern const char* const kBundleID;

// The editor's graphics object for the plug-in, with the bundle identifier
// set; the caller attaches it.
IGraphicsMac* MakeGraphics(IPluginBase* plug, int w, int h, int fps = 0);
