#include "toolkit/plugin/editor/IGraphicsMac.h"

#include <strings.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/bundle/Bundle.h"
#include "platform/view/Backend.h"
#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Png.h"
#include "toolkit/plugin/base/IPopupMenu.h"
#include "toolkit/plugin/editor/detail/IGraphicsCarbon.h"
#include "toolkit/plugin/editor/detail/IGraphicsCocoa.h"

namespace {

// Where a file panel starts when no folder is given: the desktop folder where there is one,
// else home.
std::string DefaultFileFolder() {
  const char* home = std::getenv("HOME");
  return home && VIEW_IsFolder(std::string(home) + "/Desktop") ? "~/Desktop" : "~";
}

// The buttons of a message box by its type: 4 yes/no, 3 yes/no/cancel, 1 OK/cancel.
std::vector<std::string> MessageBoxButtons(int type) {
  switch (type) {
    case 4:
      return {"Yes", "No"};
    case 3:
      return {"Yes", "No", "Cancel"};
    case 1:
      return {"OK", "Cancel"};
    default:
      return {"OK"};
  }
}

std::vector<std::string> SplitExtensions(const char* extensions) {
  std::vector<std::string> out;
  std::istringstream in(extensions ? extensions : "");
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

// A file URL of a path, relative paths taken from the working folder.
std::string FileURL(const char* path) {
  std::string full = path;
  if (full.empty() || full[0] != '/') {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) full = std::string(cwd) + "/" + full;
  }
  static const char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : full) {
    if (std::isalnum(c) || std::strchr("/-._~", c)) {
      url += (char)c;
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  return url;
}

// The bundle of the identifier: the plug-in's own; none without an identifier.
bool BundleFound(const char* bundleID) {
  return bundleID && *bundleID;
}

}  // namespace

const char* const kBundleID = "com.Quillon Bay Sound.vst.Kroma Editor";

IGraphicsMac* MakeGraphics(IPluginBase* plug, int w, int h, int fps) {
  IGraphicsMac* graphics = new IGraphicsMac(plug, w, h, fps);
  graphics->SetBundleID(kBundleID);
  return graphics;
}

int IGraphicsKeyNumber(int key) {
  switch (key) {
    case VIEW_KEY_SPACE:
      return 0;
    case VIEW_KEY_UP:
      return 1;
    case VIEW_KEY_DOWN:
      return 2;
    case VIEW_KEY_LEFT:
      return 3;
    case VIEW_KEY_RIGHT:
      return 4;
    default:
      break;
  }
  if (key >= '0' && key <= '9') return key - 43;
  if (key >= 'A' && key <= 'Z') return key - 50;
  if (key >= 'a' && key <= 'z') return key - 82;
  return -1;
}

GFX_IBitmap* LoadImgFromResourceOSX(const char* bundleID, const char* name) {
  if (!name) return nullptr;
  // The extension (any case) is the resource type; a name without a '.' must be "png" itself.
  const char* dot = std::strrchr(name, '.');
  if (strcasecmp(dot ? dot + 1 : name, "png") != 0 || !BundleFound(bundleID)) return nullptr;
  const std::string base = dot ? std::string(name, (size_t)(dot - name)) : std::string(name);
  // The bundle's own pictures: their checksums would only cost time.
  return GFX_LoadPNG(Bundle::imagePath(base + ".png").c_str(), nullptr, false);
}

long IGraphicsPackedOSVersion(const char* release) {
  int major = 0, minor = 0, patch = 0;
  if (!release || std::sscanf(release, "%d.%d.%d", &major, &minor, &patch) < 1 || major < 0)
    return 0;
  auto digit = [](int value) { return (long)std::clamp(value, 0, 9); };
  major = std::min(major, 99);
  return (long)(major / 10) << 12 | (long)(major % 10) << 8 | digit(minor) << 4 | digit(patch);
}

IGraphicsMac::IGraphicsMac(IPluginBase* plug, int w, int h, int fps) : IGraphics(plug, w, h, fps) {}

// The sub-window too: left open it would stay on the screen.
IGraphicsMac::~IGraphicsMac() {
  RemoveSubWindow();
  CloseWindow();
}

long IGraphicsMac::GetUserOSVersion() {
  utsname name{};
  return uname(&name) == 0 ? IGraphicsPackedOSVersion(name.release) : 0;
}

// ---- Window ------------------------------------------------------------------

void* IGraphicsMac::OpenWindow(void* parentView) {
  return OpenCocoaWindow(parentView);
}

void* IGraphicsMac::OpenCocoaWindow(void* parentView) {
  CloseWindow();
  FreeRetiredViews();
  mGraphicsCocoa = std::make_unique<IGraphicsCocoa_vKroma_vst>(this, parentView);
  if (mGraphicsCocoa->isOpen()) return mGraphicsCocoa.get();
  CloseWindow();
  return nullptr;
}

void* IGraphicsMac::OpenWindow(void* window, void* parentControl, short leftOffset,
                               short topOffset) {
  return OpenCarbonWindow(window, parentControl, leftOffset, topOffset);
}

void* IGraphicsMac::OpenCarbonWindow(void* window, void* parentControl, short leftOffset,
                                     short topOffset) {
  CloseWindow();
  FreeRetiredViews();
  mGraphicsCarbon =
      std::make_unique<IGraphicsCarbon>(this, window, parentControl, leftOffset, topOffset);
  if (VIEW_View* pane = mGraphicsCarbon->GetView()) return pane;
  CloseWindow();
  return nullptr;
}

void IGraphicsMac::CloseWindow() {
  if (mGraphicsCarbon) {
    mGraphicsCarbon.reset();
    return;
  }
  if (!mGraphicsCocoa) return;
  mGraphicsCocoa->killTimer();
  // Cleared before the view is told, so that the view does not call back.
  std::unique_ptr<IGraphicsCocoa_vKroma_vst> view = std::move(mGraphicsCocoa);
  if (view->graphics() == this) {
    view->detach();
    view->removeFromSuperview();
  } else {
    mRetiredViews.push_back(std::move(view));  // its removeFromSuperview called us and is running
  }
}

void IGraphicsMac::FreeRetiredViews() {
  mRetiredViews.clear();
}

void IGraphicsMac::AttachSubWindow(void* hostWindow) {
  RemoveSubWindow();
  void* subWindow = VIEW_OpenSubWindow(hostWindow, Width(), Height());
  if (!subWindow) return;
  mSubWindow = subWindow;
  mHostWindow = hostWindow;
  OpenCocoaWindow(subWindow);
}

void IGraphicsMac::RemoveSubWindow() {
  if (!mSubWindow) return;
  CloseWindow();
  VIEW_CloseSubWindow(mSubWindow);
  mSubWindow = nullptr;
  mHostWindow = nullptr;
}

bool IGraphicsMac::WindowIsOpen() {
  return mGraphicsCarbon || mGraphicsCocoa;
}

void* IGraphicsMac::GetWindow() {
  return mGraphicsCocoa.get();
}

const char* IGraphicsMac::GetGUIAPI() {
  if (!mGraphicsCarbon) return "Cocoa gui";
  return mGraphicsCarbon->GetIsComposited() ? "Carbon Composited gui" : "Carbon Non-Composited gui";
}

VIEW_View* IGraphicsMac::KitView() const {
  if (mGraphicsCarbon) return mGraphicsCarbon->GetView();
  return mGraphicsCocoa ? mGraphicsCocoa->view() : nullptr;
}

void IGraphicsMac::Resize(int w, int h) {
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (mGraphicsCarbon)
    mGraphicsCarbon->Resize(w, h);
  else if (mGraphicsCocoa && mGraphicsCocoa->view())
    mGraphicsCocoa->view()->resize(w, h);
}

void IGraphicsMac::PumpEvents() {
  if (VIEW_View* view = KitView()) view->pump();
  FreeRetiredViews();
}

bool IGraphicsMac::DrawScreen(IRECT*) {
  GFX_SysBitmap* buffer = GetBackBuffer();
  VIEW_View* view = KitView();
  if (!view || !buffer) return false;
  if (mGraphicsCarbon && !mGraphicsCarbon->GetDrawingContext()) return false;
  return view->present(buffer->getBits(), buffer->getRowSpan(), buffer->getRowSpan(), Height());
}

// ---- Menus and text entry ----------------------------------------------------

IPopupMenu* IGraphicsMac::CreateIPopupMenu(IPopupMenu* menu, IRECT* area) {
  ReleaseMouseCapture();
  if (!area) return nullptr;
  if (mGraphicsCocoa) return mGraphicsCocoa->createIPopupMenu(menu, CocoaViewRect(*area, Height()));
  if (mGraphicsCarbon) return mGraphicsCarbon->CreateIPopupMenu(menu, area);
  return nullptr;
}

void IGraphicsMac::CreateTextEntry(IControl* control, IText* style, IRECT* area, const char* text,
                                   IParam* param) {
  if (!area) return;
  if (mGraphicsCocoa)
    mGraphicsCocoa->createTextEntry(control, param, style, text, CocoaViewRect(*area, Height()));
  else if (mGraphicsCarbon)
    mGraphicsCarbon->CreateTextEntry(control, style, area, text, param);
}

void IGraphicsMac::ForceEndUserEdit() {
  if (mGraphicsCarbon) mGraphicsCarbon->EndUserInput(false);
  if (mGraphicsCocoa) mGraphicsCocoa->endUserInput();
}

// ---- System services ---------------------------------------------------------

int IGraphicsMac::ShowMessageBox(const char* text, const char* caption, int type) {
  const std::vector<std::string> buttons = MessageBoxButtons(type);
  const int pressed = VIEW_MessageBox(text, caption, buttons);
  // The answer depends only on the position of the button pressed.
  static const int kAnswers[] = {1, 7, 2};
  return pressed >= 1 && pressed <= (int)buttons.size() ? kAnswers[pressed - 1] : 0;
}

bool IGraphicsMac::PromptToReplaceChangedFile(const char* path) {
  if (!path) return false;
  const VIEW_ReplaceQuestion question = VIEW_AskReplaceChanged(path);
  return VIEW_MessageBox(question.text.c_str(), question.caption.c_str(), question.buttons) ==
         VIEW_ReplaceQuestion::kReplace;
}

void IGraphicsMac::PromptForFile(TK_String* fileName, EFileAction action, TK_String* folder,
                                 const char* extensions) {
  if (!fileName) return;
  if (!WindowIsOpen()) {
    fileName->Set("");
    return;
  }
  const std::string start = folder && *folder->Get() ? folder->Get() : DefaultFileFolder();
  if (folder) folder->Set(start.c_str());
  VIEW_FilePanel panel;
  panel.save = action == kFileSave;
  panel.folder = start;
  panel.fileName = fileName->Get();
  panel.extensions = SplitExtensions(extensions);
  fileName->Set("");
  const std::string chosen = VIEW_RunFilePanel(panel);
  fileName->Set(chosen.c_str());
  if (!chosen.empty() && folder) folder->Set(chosen.substr(0, chosen.rfind('/') + 1).c_str());
}

bool IGraphicsMac::OpenURL(const char* url, const char*, const char*, const char*) {
  if (!url || !*url) return true;  // no address can be made of it
  if (std::strstr(url, "http")) return VIEW_OpenURL(url);
  return VIEW_OpenURL(FileURL(url).c_str());
}

void IGraphicsMac::HideMouseCursor() {
  if (mCursorHidden) return;
  VIEW_View* view = KitView();
  if (view && view->setCursorHidden(true)) mCursorHidden = true;
  int x, y;
  if (view && view->pointer(&x, &y)) {
    mHiddenMousePointX = x;
    mHiddenMousePointY = y;
  }
}

void IGraphicsMac::ShowMouseCursor() {
  if (!mCursorHidden) return;
  VIEW_View* view = KitView();
  if (!view) return;
  view->warpPointer(mHiddenMousePointX, mHiddenMousePointY);
  if (view->setCursorHidden(false)) mCursorHidden = false;
}

void IGraphicsMac::HostPath(TK_String* path) {
  if (path && BundleFound(GetBundleID())) path->Set(Bundle::executable().c_str());
}

void IGraphicsMac::PluginPath(TK_String* path) {
  if (!path || !BundleFound(GetBundleID())) return;
  std::string folder = Bundle::directory();
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  path->Set(folder.substr(0, folder.rfind('/') + 1).c_str());
}

void IGraphicsMac::DesktopPath(TK_String* path) {
  if (!path) return;
  const char* home = std::getenv("HOME");
  path->Set(home ? home : "");
  path->Append("/Desktop/");
}

// ---- Resources ---------------------------------------------------------------

unsigned char* IGraphicsMac::OSLoadFile(int, const char* name) {
  mLoadedFileSize = 0;  // a missing file never reports the size of the one before
  if (!name || !BundleFound(GetBundleID())) return nullptr;
  std::optional<Bundle::LoadedFile> file = Bundle::loadResource(name);
  if (!file) return nullptr;
  unsigned char* bytes = new unsigned char[file->bytes.size() + 1]();
  std::memcpy(bytes, file->bytes.data(), file->bytes.size());
  mLoadedFileSize = file->size;
  return bytes;
}

GFX_IBitmap* IGraphicsMac::OSLoadBitmap(int, const char* name) {
  return LoadImgFromResourceOSX(GetBundleID(), name);
}
