#include "toolkit/plugin/editor/detail/IGraphicsCocoa.h"

#include <cmath>
#include <cstdlib>

#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/base/IPopupMenu.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

namespace {

// The characters a text entry takes, by parameter kind.
const char kIntegerChars[] = "0123456789-+";
const char kDoubleChars[] = "0123456789.-+";
const char kTextChars[] =
    "abcdefbgihjklmonpqrstuvwxyzABCDEFGHIJKOLMNOPQRSTUVWXYZ !\"#$%&/'+-*()[],.0123456789-+";
const char kEntryFont[] = "Monaco";
constexpr double kEntryFontFactor = 0.9;
// The menu opens this many pixels below its anchor's lower edge.
constexpr int kMenuDrop = 4;

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

IMouseMod LeftMods(const VIEW_Event& event) {
  return IMouseMod(true, event.mods.command, event.mods.shift, event.mods.control, event.mods.alt);
}

IMouseMod RightMods(const VIEW_Event& event) {
  return IMouseMod(false, true, event.mods.shift, event.mods.control, event.mods.alt);
}

}  // namespace

CocoaRect CocoaViewRect(const IRECT& rect, int height) {
  return CocoaRect{(double)rect.L, (double)(height - 1 - rect.B), (double)(rect.R - rect.L + 1),
                   (double)(rect.B - rect.T + 1)};
}

void CocoaFormatter_vKroma_vst::setAcceptableCharacterSet(const char* set) {
  hasCharacterSet = set != nullptr;
  filterCharacterSet = set ? set : "";
}

bool CocoaFormatter_vKroma_vst::isPartialStringValid(const std::string& partial) const {
  if (hasCharacterSet && partial.find_first_not_of(filterCharacterSet) != std::string::npos)
    return false;
  if (!VIEW_TextField::fits(partial, maxLength)) return false;
  if (maxValue && std::atoi(partial.c_str()) > maxValue) return false;
  return true;
}

IGraphicsNSMenu_vKroma_vst::IGraphicsNSMenu_vKroma_vst(IPopupMenu* menu) : VIEW_Menu(menu) {
  for (int i = 0; i < menu->GetNItems(); ++i) {
    IPopupMenuItem* item = menu->GetItem(i);
    TK_String title;
    menu->GetItemDisplayText(i, &title);
    if (item->GetSubmenu())
      addSubMenu(title.Get(), std::make_unique<IGraphicsNSMenu_vKroma_vst>(item->GetSubmenu()));
    else if (item->GetIsSeparator())
      addItem("", kSeparator);
    else
      addItem(title.Get(), item->GetFlags() & (kDisabled | kIndented | kChecked));
  }
  mIPopupMenu = menu;
}

IGraphicsCocoa_vKroma_vst::IGraphicsCocoa_vKroma_vst(IGraphicsMac* graphics, void* parentView)
    : mGraphics(graphics) {
  mView.reset(
      VIEW_View::open(parentView, graphics->Width(), graphics->Height(), graphics->FPS(), this));
  mTimer = mView != nullptr;
}

IGraphicsCocoa_vKroma_vst::~IGraphicsCocoa_vKroma_vst() {
  if (mView) mView->close();
}

IGraphicsCocoa_vKroma_vst* IGraphicsCocoa_vKroma_vst::init() {
  mGraphics = nullptr;
  mTimer = false;
  mPrevX = mPrevY = 0;
  return this;
}

void IGraphicsCocoa_vKroma_vst::viewDidMoveToWindow() {
  if (!mView) return;
  mView->takeFocus();
  mView->trackPointerMotion(true);
}

int IGraphicsCocoa_vKroma_vst::editorHeight() const {
  return mGraphics ? mGraphics->Height() : 0;
}

void IGraphicsCocoa_vKroma_vst::removeFromSuperview() {
  endUserInput();
  if (mGraphics) {
    IGraphicsMac* graphics = mGraphics;
    mGraphics = nullptr;
    graphics->CloseWindow();
  }
  if (mView) mView->close();
}

// ---- Redraw ------------------------------------------------------------------

void IGraphicsCocoa_vKroma_vst::onTimer() {
  if (!mTimer || !mGraphics) return;
  IRECT dirty;
  if (mGraphics->IsDirty(&dirty)) setNeedsDisplayInRect(CocoaViewRect(dirty, editorHeight()));
  // Last: the plug-in may call the host, which may close the editor.
  mGraphics->GetPlug()->OnIdle();
}

void IGraphicsCocoa_vKroma_vst::setNeedsDisplayInRect(const CocoaRect& rect) {
  if (!mView) return;
  const int h = editorHeight();
  mView->invalidate((int)rect.x, h - (int)(rect.y + rect.height), (int)rect.width,
                    (int)rect.height);
}

void IGraphicsCocoa_vKroma_vst::viewDraw(int x, int y, int width, int height) {
  drawRect(
      CocoaRect{(double)x, (double)(editorHeight() - (y + height)), (double)width, (double)height});
}

void IGraphicsCocoa_vKroma_vst::drawRect(const CocoaRect& rect) {
  if (!mGraphics) return;
  const int h = editorHeight();
  IRECT area((int)rect.x, h - (int)(rect.y + rect.height), (int)(rect.x + rect.width),
             h - (int)rect.y);
  mGraphics->Draw(&area);
}

// ---- Mouse and keys ----------------------------------------------------------

bool IGraphicsCocoa_vKroma_vst::viewEvent(const VIEW_Event& event) {
  if (!mGraphics) return false;
  const bool right = event.button == VIEW_Event::kRight;
  switch (event.type) {
    case VIEW_Event::kMouseDown:
      // Clicking the view takes the keyboard from an open field, which commits it.
      if (mTextFieldView) controlTextDidEndEditing(mView->textFieldText());
      if (right)
        rightMouseDown(event);
      else if (event.button == VIEW_Event::kLeft)
        mouseDown(event);
      break;
    case VIEW_Event::kMouseUp:
      if (right)
        rightMouseUp(event);
      else if (event.button == VIEW_Event::kLeft)
        mouseUp(event);
      break;
    case VIEW_Event::kMouseDrag:
      if (right)
        rightMouseDragged(event);
      else if (event.button == VIEW_Event::kLeft)
        mouseDragged(event);
      break;
    case VIEW_Event::kMouseMove:
      mouseMoved(event);
      break;
    case VIEW_Event::kWheel:
      scrollWheel(event);
      break;
    case VIEW_Event::kKey:
      return keyDown(event);
    case VIEW_Event::kDeactivate:
      break;
  }
  return true;
}

// The kit's pixel is taken at its centre in the view's upward coordinates.
void IGraphicsCocoa_vKroma_vst::getMouseXY(const VIEW_Event& event, int* x, int* y) {
  const int h = editorHeight();
  const double viewX = event.x + 0.5;
  const double viewY = h - event.y - 0.5;
  *x = mPrevX = (int)std::trunc(viewX) - 2;
  *y = mPrevY = h - (int)std::trunc(viewY) - 3;
}

void IGraphicsCocoa_vKroma_vst::mouseDown(const VIEW_Event& event) {
  forward(event, LeftMods(event), [&](int x, int y, IMouseMod* mod) {
    if (event.clickCount >= 2)
      mGraphics->OnMouseDblClick(x, y, mod);
    else
      mGraphics->OnMouseDown(x, y, mod);
  });
}

void IGraphicsCocoa_vKroma_vst::mouseUp(const VIEW_Event& event) {
  forward(event, LeftMods(event),
          [&](int x, int y, IMouseMod* mod) { mGraphics->OnMouseUp(x, y, mod); });
}

void IGraphicsCocoa_vKroma_vst::mouseDragged(const VIEW_Event& event) {
  forward(event, LeftMods(event), [&](int x, int y, IMouseMod* mod) {
    if (!mTextFieldView) mGraphics->OnMouseDrag(x, y, mod);
  });
}

// A right double click is two presses.
void IGraphicsCocoa_vKroma_vst::rightMouseDown(const VIEW_Event& event) {
  forward(event, RightMods(event),
          [&](int x, int y, IMouseMod* mod) { mGraphics->OnMouseDown(x, y, mod); });
}

void IGraphicsCocoa_vKroma_vst::rightMouseUp(const VIEW_Event& event) {
  forward(event, RightMods(event),
          [&](int x, int y, IMouseMod* mod) { mGraphics->OnMouseUp(x, y, mod); });
}

void IGraphicsCocoa_vKroma_vst::rightMouseDragged(const VIEW_Event& event) {
  forward(event, RightMods(event), [&](int x, int y, IMouseMod* mod) {
    if (!mTextFieldView) mGraphics->OnMouseDrag(x, y, mod);
  });
}

void IGraphicsCocoa_vKroma_vst::mouseMoved(const VIEW_Event& event) {
  forward(event, LeftMods(event),
          [&](int x, int y, IMouseMod* mod) { mGraphics->OnMouseOver(x, y, mod); });
}

void IGraphicsCocoa_vKroma_vst::scrollWheel(const VIEW_Event& event) {
  endUserInput();
  forward(event, LeftMods(event),
          [&](int x, int y, IMouseMod* mod) { mGraphics->OnMouseWheel(x, y, mod, event.wheel); });
}

// Keys without a number (and those the controls leave) go on to the host.
bool IGraphicsCocoa_vKroma_vst::keyDown(const VIEW_Event& event) {
  const int number = IGraphicsKeyNumber(event.key);
  return number >= 0 && mGraphics->OnKeyDown(mPrevX, mPrevY, number);
}

// ---- Popup menus -------------------------------------------------------------

IPopupMenu* IGraphicsCocoa_vKroma_vst::createIPopupMenu(IPopupMenu* menu, const CocoaRect& anchor) {
  if (!mView || !menu) return nullptr;
  IGraphicsMenuRcvr_vKroma_vst receiver;
  IGraphicsNSMenu_vKroma_vst nsMenu(menu);
  const int h = editorHeight();
  const VIEW_MenuChoice choice =
      mView->popupMenu(nsMenu, (int)anchor.x, h - (int)(anchor.y - kMenuDrop));
  if (choice.menu) receiver.OnMenuSelection(choice);
  const VIEW_MenuChoice chosen = receiver.MenuItem();
  const IGraphicsNSMenu_vKroma_vst* chosenMenu =
      static_cast<const IGraphicsNSMenu_vKroma_vst*>(chosen.menu);
  IPopupMenu* model = chosenMenu ? chosenMenu->AssociatedIPopupMenu() : nullptr;
  if (!model || chosen.index < 0) return nullptr;
  model->SetChosenItemIdx(chosen.index);
  return model;
}

// ---- Text entry --------------------------------------------------------------

void IGraphicsCocoa_vKroma_vst::createTextEntry(IControl* control, IParam* param, IText* style,
                                                const char* text, const CocoaRect& rect) {
  if (!control || mTextFieldView || !mView || !style) return;
  const int h = editorHeight();
  VIEW_TextField field;
  field.x = (int)rect.x;
  field.y = h - (int)(rect.y + rect.height);
  field.width = (int)rect.width;
  field.height = (int)rect.height;
  field.fontName = kEntryFont;
  field.fontSize = (int)(style->mSize * kEntryFontFactor);
  if (style->mAlign >= IText::kAlignNear && style->mAlign <= IText::kAlignFar)
    field.align = style->mAlign;
  mFormatter.reset();
  if (param) {
    mFormatter = std::make_unique<CocoaFormatter_vKroma_vst>();
    mFormatter->setAcceptableCharacterSet(AcceptableChars(param->Type()));
    mFormatter->setMaximumLength(control->GetTextEntryLength());
  }
  field.textColour = style->mTextEntryFGColor.Pack();
  field.backgroundColour = style->mTextEntryBGColor.Pack();
  field.text = text ? text : "";
  mTextFieldView = true;
  mEdParam = param;
  mEdControl = control;
  if (!mView->openTextField(field)) endUserInput();
}

bool IGraphicsCocoa_vKroma_vst::viewTextKey(const VIEW_Event& key, const std::string& candidate) {
  return !mFormatter || !VIEW_TextField::edits(key) || mFormatter->isPartialStringValid(candidate);
}

void IGraphicsCocoa_vKroma_vst::viewTextEnded(const std::string& text, bool committed) {
  if (committed)
    controlTextDidEndEditing(text);
  else
    endUserInput();
}

void IGraphicsCocoa_vKroma_vst::controlTextDidEndEditing(const std::string& text) {
  if (mGraphics && mEdControl) {
    if (mEdParam)
      mGraphics->SetFromStringAfterPrompt(mEdControl, mEdParam, text.c_str());
    else
      mEdControl->TextFromTextEntry(text.c_str());
  }
  endUserInput();
  if (mGraphics && mView) mView->invalidate(0, 0, mGraphics->Width(), mGraphics->Height());
}

void IGraphicsCocoa_vKroma_vst::endUserInput() {
  if (mView) mView->endTextField();
  mTextFieldView = false;
  mEdControl = nullptr;
  mEdParam = nullptr;
  mFormatter.reset();
}
