#include "toolkit/plugin/editor/IGraphicsMac.h"

#include <strings.h>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/bundle/Bundle.h"
#include "toolkit/gfx/Bitmap.h"
#include "toolkit/gfx/Png.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/base/IPopupMenu.h"
#include "toolkit/wsys/Keys.h"

namespace {

// The characters a text entry accepts, by parameter kind.
const char kIntegerChars[] = "0123456789-+";
const char kDoubleChars[] = "0123456789.-+";
const char kTextChars[] =
    "abcdefbgihjklmonpqrstuvwxyzABCDEFGHIJKOLMNOPQRSTUVWXYZ !\"#$%&/'+-*()[],.0123456789-+";
constexpr double kEntryFontFactor = 0.9;
// Where a file panel starts when no folder is given.
const char kDefaultFileFolder[] = "~/Desktop";

const char* AcceptableChars(IParam::EParamType type) {
  switch (type) {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      return kIntegerChars;
    case IParam::kTypeDouble:
      return kDoubleChars;
    case IParam::kTypeText:
      return kTextChars;
    default:
      return "";
  }
}

// The framework's key numbers: space 0, arrows 1-4, digits 5-14, letters 15-40; -1 none.
int KeyNumber(int key) {
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

void BuildMenu(IPopupMenu* model, VIEW_Menu* menu) {
  for (int i = 0; i < model->GetNItems(); ++i) {
    IPopupMenuItem* item = model->GetItem(i);
    TK_String title;
    model->GetItemDisplayText(i, &title);
    if (item->GetSubmenu())
      BuildMenu(item->GetSubmenu(), menu->addSubMenu(title.Get(), item->GetSubmenu()));
    else
      menu->addItem(title.Get(), item->GetFlags());
  }
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

}  // namespace

const char* const kBundleID = "com.Quillon Bay Sound.vst.Kroma Editor";

IGraphicsMac* MakeGraphics(IPluginBase* plug, int w, int h, int fps) {
  IGraphicsMac* graphics = new IGraphicsMac(plug, w, h, fps);
  graphics->SetBundleID(kBundleID);
  return graphics;
}

IGraphicsMac::IGraphicsMac(IPluginBase* plug, int w, int h, int fps) : IGraphics(plug, w, h, fps) {}

IGraphicsMac::~IGraphicsMac() {
  CloseWindow();
}

// ---- Window ----------------------------------------------------------------

void* IGraphicsMac::OpenWindow(void* parentView) {
  return OpenView(parentView);
}

void* IGraphicsMac::OpenWindow(void* window, void*, short, short) {
  return OpenView(window);
}

void* IGraphicsMac::OpenView(void* parentView) {
  CloseWindow();
  mView.reset(VIEW_View::open(parentView, Width(), Height(), FPS(), this));
  mNeedsFullDraw = true;
  return mView.get();
}

void IGraphicsMac::CloseWindow() {
  if (!mView) return;
  ForceEndUserEdit();
  mView->close();
  mView.reset();
}

void IGraphicsMac::Resize(int w, int h) {
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (mView) mView->resize(w, h);
  mNeedsFullDraw = true;
}

bool IGraphicsMac::DrawScreen(IRECT*) {
  GFX_SysBitmap* buffer = GetBackBuffer();
  if (!mView || !buffer) return false;
  mView->present(buffer->getBits(), buffer->getRowSpan(), buffer->getWidth(), Height());
  return true;
}

// ---- View events -------------------------------------------------------------

void IGraphicsMac::viewTimer() {
  IRECT region;
  const bool dirty = IsDirty(&region);
  // A new or resized window shows the whole editor once, as a window system's
  // first display would.
  if (mNeedsFullDraw) {
    mNeedsFullDraw = false;
    region = IRECT(0, 0, Width(), Height());
    Draw(&region);
  } else if (dirty) {
    Draw(&region);
  }
}

void IGraphicsMac::viewEvent(const VIEW_Event& event) {
  if (event.type != VIEW_Event::kKey) {
    mPrevX = event.x;
    mPrevY = event.y;
    routeMouse(event);
    return;
  }
  const int number = KeyNumber(event.key);
  if (number >= 0) OnKeyDown(mPrevX, mPrevY, number);
}

void IGraphicsMac::routeMouse(const VIEW_Event& event) {
  // The audio thread asks for the left button and Shift without a window call.
  const bool leftDown = !event.mods.right && (event.type == VIEW_Event::kMouseDown ||
                                              event.type == VIEW_Event::kMouseDrag);
  if (event.type != VIEW_Event::kMouseMove && event.type != VIEW_Event::kWheel)
    WSYS_SetKeyState(VK_LBUTTON, leftDown);
  WSYS_SetKeyState(VK_SHIFT, event.mods.shift);
  IMouseMod mod(!event.mods.right, event.mods.right, event.mods.shift, event.mods.control,
                event.mods.alt);
  switch (event.type) {
    case VIEW_Event::kMouseDown:
      // A right double click is two presses.
      if (event.clickCount >= 2 && !event.mods.right)
        OnMouseDblClick(event.x, event.y, &mod);
      else
        OnMouseDown(event.x, event.y, &mod);
      break;
    case VIEW_Event::kMouseUp:
      OnMouseUp(event.x, event.y, &mod);
      break;
    case VIEW_Event::kMouseDrag:
      if (!mEdControl) OnMouseDrag(event.x, event.y, &mod);
      break;
    case VIEW_Event::kMouseMove:
      OnMouseOver(event.x, event.y, &mod);
      break;
    case VIEW_Event::kWheel:
      ForceEndUserEdit();
      OnMouseWheel(event.x, event.y, &mod, event.wheel);
      break;
    case VIEW_Event::kKey:
      break;
  }
}

// ---- Menus and text entry ----------------------------------------------------

IPopupMenu* IGraphicsMac::CreateIPopupMenu(IPopupMenu* menu, IRECT* area) {
  ReleaseMouseCapture();
  if (!mView || !menu || !area) return nullptr;
  VIEW_Menu shown(menu);
  BuildMenu(menu, &shown);
  const VIEW_MenuChoice choice = mView->popupMenu(shown, area->L, area->B);
  IPopupMenu* chosen = choice.menu ? static_cast<IPopupMenu*>(choice.menu->tag()) : nullptr;
  if (!chosen || choice.index < 0) return nullptr;
  chosen->SetChosenItemIdx(choice.index);
  return chosen;
}

void IGraphicsMac::CreateTextEntry(IControl* control, IText* style, IRECT* area, const char* text,
                                   IParam* param) {
  if (!mView || !control || !area || mView->textFieldOpen()) return;
  VIEW_TextField field;
  field.x = area->L;
  field.y = area->T;
  field.width = area->W();
  field.height = area->H();
  field.text = text ? text : "";
  if (style) {
    field.fontSize = (int)(style->mSize * kEntryFontFactor);
    // Alignments other than near, centre and far keep the field's own.
    if (style->mAlign >= IText::kAlignNear && style->mAlign <= IText::kAlignFar)
      field.align = style->mAlign;
    field.textColour = style->mTextEntryFGColor.Pack();
    field.backgroundColour = style->mTextEntryBGColor.Pack();
  }
  if (param) {
    field.filtered = true;
    field.acceptable = AcceptableChars(param->Type());
    field.maxLength = control->GetTextEntryLength();
  }
  mEdControl = control;
  mEdParam = param;
  mView->openTextField(field);
}

void IGraphicsMac::viewTextEnded(const std::string& text, bool committed) {
  IControl* control = mEdControl;
  IParam* param = mEdParam;
  mEdControl = nullptr;
  mEdParam = nullptr;
  if (!committed || !control) return;
  if (param)
    SetFromStringAfterPrompt(control, param, text.c_str());
  else
    control->TextFromTextEntry(text.c_str());
  SetAllControlsDirty();
}

void IGraphicsMac::ForceEndUserEdit() {
  if (mView) mView->endTextField();
}

// ---- System services ---------------------------------------------------------

int IGraphicsMac::ShowMessageBox(const char* text, const char* caption, int type) {
  const std::vector<std::string> buttons = MessageBoxButtons(type);
  const int pressed = VIEW_MessageBox(text, caption, buttons);
  // The answer depends only on the position of the button pressed.
  static const int kAnswers[] = {1, 7, 2};
  return pressed >= 1 && pressed <= (int)buttons.size() ? kAnswers[pressed - 1] : 0;
}

void IGraphicsMac::PromptForFile(TK_String* fileName, EFileAction action, TK_String* folder,
                                 const char* extensions) {
  if (!fileName) return;
  if (!WindowIsOpen()) {
    fileName->Set("");
    return;
  }
  if (folder && !*folder->Get()) folder->Set(kDefaultFileFolder);
  VIEW_FilePanel panel;
  panel.save = action == kFileSave;
  panel.folder = folder ? folder->Get() : kDefaultFileFolder;
  panel.fileName = fileName->Get();
  panel.extensions = SplitExtensions(extensions);
  const std::string chosen = VIEW_RunFilePanel(panel);
  fileName->Set(chosen.c_str());
  if (!chosen.empty() && folder) folder->Set(chosen.substr(0, chosen.rfind('/') + 1).c_str());
}

bool IGraphicsMac::OpenURL(const char* url, const char*, const char*, const char*) {
  return VIEW_OpenURL(url);
}

void IGraphicsMac::HideMouseCursor() {
  if (mView) mView->setCursorHidden(true);
  mCursorHidden = true;
}

void IGraphicsMac::ShowMouseCursor() {
  if (mView) mView->setCursorHidden(false);
  mCursorHidden = false;
}

void IGraphicsMac::HostPath(TK_String* path) {
  if (path) path->Set(Bundle::directory().c_str());
}

void IGraphicsMac::PluginPath(TK_String* path) {
  if (!path) return;
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
  if (!name) return nullptr;
  std::optional<Bundle::LoadedFile> file = Bundle::loadResource(name);
  if (!file) return nullptr;
  unsigned char* bytes = new unsigned char[file->bytes.size() + 1]();
  std::memcpy(bytes, file->bytes.data(), file->bytes.size());
  mLoadedFileSize = file->size;
  return bytes;
}

GFX_IBitmap* IGraphicsMac::OSLoadBitmap(int, const char* name) {
  if (!name) return nullptr;
  // A bitmap is a resource of type png, named by the text before the last '.'
  // (the extension in any case); a name without a '.' must be "png" itself.
  const char* dot = std::strrchr(name, '.');
  if (strcasecmp(dot ? dot + 1 : name, "png") != 0) return nullptr;
  const std::string base = dot ? std::string(name, (size_t)(dot - name)) : std::string(name);
  return GFX_LoadPNG(Bundle::imagePath(base + ".png").c_str(), nullptr);
}
