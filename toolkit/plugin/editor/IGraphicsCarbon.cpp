#include "toolkit/plugin/editor/detail/IGraphicsCarbon.h"

#include <cstring>

#include "platform/view/Backend.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/base/IPopupMenu.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

namespace {

// The menu opens this many pixels below its anchor's lower edge.
constexpr int kMenuDrop = 5;
// The committed text passes through a buffer of this many bytes.
constexpr size_t kCommitBuffer = 64;

bool IsDigit(int key) {
  return key >= '0' && key <= '9';
}

// Whether a parameter of this kind takes the typed key.
bool KindTakes(IParam::EParamType type, int key) {
  switch (type) {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      return IsDigit(key) || key == '+' || key == '-';
    case IParam::kTypeDouble:
      return IsDigit(key) || key == '+' || key == '-' || key == '.';
    default:
      return true;
  }
}

// The text cut to what the commit buffer holds, on a character boundary.
std::string CutForCommit(std::string text) {
  if (text.size() < kCommitBuffer) return text;
  size_t end = kCommitBuffer - 1;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

int Justification(int align) {
  switch (align) {
    case IText::kAlignNear:
      return VIEW_TextField::kLeft;
    case IText::kAlignFar:
      return VIEW_TextField::kRight;
    default:
      return VIEW_TextField::kCentre;
  }
}

}  // namespace

IRECT GetRegionRect(const VIEW_Region* shape, int width, int height) {
  if (!shape || shape->empty()) return IRECT(0, 0, width, height);
  return IRECT(shape->left, shape->top, shape->right, shape->bottom);
}

bool ResizeWindow(void* window, int width, int height) {
  return VIEW_ResizeHostWindow(window, width, height);
}

IGraphicsCarbon::IGraphicsCarbon(IGraphicsMac* graphicsMac, void* window, void* parentControl,
                                 short leftOffset, short topOffset)
    : mGraphicsMac(graphicsMac), mWindow(window), mLeftOffset(leftOffset), mTopOffset(topOffset) {
  mView.reset(VIEW_View::open(parentControl ? parentControl : window, graphicsMac->Width(),
                              graphicsMac->Height(), graphicsMac->FPS(), this));
  if (!mView) return;
  mIsComposited = mView->composited();
  mView->trackPointerMotion(true);  // the window handler takes moves from the start
  mTimer = true;
}

IGraphicsCarbon::~IGraphicsCarbon() {
  if (mTextEntryView && mView) mView->endTextField();
  mTextEntryView = false;
  mEdControl = nullptr;
  mEdParam = nullptr;
  mTimer = false;
  if (mView) mView->close();
}

// ---- Drawing and the timer -----------------------------------------------------

void IGraphicsCarbon::DrawEvent(int x, int y, int width, int height) {
  const VIEW_Region shape{x, y, x + width, y + height};
  const int w = mGraphicsMac->Width(), h = mGraphicsMac->Height();
  IRECT area = mIsComposited ? GetRegionRect(&shape, w, h) : IRECT(0, 0, w, h);
  mContext = true;
  mGraphicsMac->Draw(&area);
  mContext = false;
}

void IGraphicsCarbon::TimerHandler() {
  if (!mTimer || !mView) return;
  IRECT dirty;
  if (mGraphicsMac->IsDirty(&dirty)) {
    if (mIsComposited)
      mView->invalidate(dirty.L, dirty.T, dirty.R - dirty.L, dirty.B - dirty.T);
    else
      mView->invalidate(0, 0, mGraphicsMac->Width(), mGraphicsMac->Height());
  }
  // Last: the plug-in may call the host, which may close the editor.
  mGraphicsMac->GetPlug()->OnIdle();
}

// The host's window takes the new size from its corner, the pane fills it.
bool IGraphicsCarbon::Resize(int width, int height) {
  if (!mWindow || !mView) return false;
  ResizeWindow(mWindow, width, height);
  return mView->resize(width, height);
}

// ---- Events ------------------------------------------------------------------

bool IGraphicsCarbon::MainEventHandler(const VIEW_Event& event) {
  if (event.type == VIEW_Event::kDeactivate) {
    if (mTextEntryView) EndUserInput(false);
    return false;  // the host sees it too
  }
  if (event.type == VIEW_Event::kKey) {
    const int number = IGraphicsKeyNumber(event.key);
    if (mTextEntryView || number < 0) return false;
    return mGraphicsMac->OnKeyDown(mPrevX, mPrevY, number);
  }
  const int x = event.x - 2;
  const int y = event.y - 3;
  const bool right = event.button == VIEW_Event::kRight ||
                     (event.button == VIEW_Event::kLeft && event.mods.command);
  IMouseMod mod(true, right, event.mods.shift, event.mods.control, event.mods.alt);
  switch (event.type) {
    case VIEW_Event::kMouseDown:
      // Clicks in the field stay with it; any other click commits it.
      if (mTextEntryView) EndUserInput(true);
      if (event.clickCount < 2)
        mGraphicsMac->OnMouseDown(x, y, &mod);
      else
        mGraphicsMac->OnMouseDblClick(x, y, &mod);
      return true;
    case VIEW_Event::kMouseUp:
      mGraphicsMac->OnMouseUp(x, y, &mod);
      return true;
    case VIEW_Event::kMouseMove:
      mPrevX = x;
      mPrevY = y;
      mGraphicsMac->OnMouseOver(x, y, &mod);
      return true;
    case VIEW_Event::kMouseDrag:
      if (!mTextEntryView) mGraphicsMac->OnMouseDrag(x, y, &mod);
      return true;
    case VIEW_Event::kWheel:
      EndUserInput(false);
      mGraphicsMac->OnMouseWheel(x, y, &mod, event.wheel);
      return true;
    default:
      return false;
  }
}

// ---- Menus -------------------------------------------------------------------

std::unique_ptr<VIEW_Menu> IGraphicsCarbon::CreateMenu(IPopupMenu* menu) {
  if (!menu || menu->GetNItems() == 0) return nullptr;
  auto built = std::make_unique<VIEW_Menu>(menu);  // item 0 refers back to the model
  for (int i = 0; i < menu->GetNItems(); ++i) {
    IPopupMenuItem* item = menu->GetItem(i);
    if (item->GetIsSeparator()) {
      built->addItem("", VIEW_Menu::kSeparator);
      continue;
    }
    TK_String title;
    menu->GetItemDisplayText(i, &title);
    int flags = item->GetEnabled() ? 0 : VIEW_Menu::kDisabled;
    if (item->GetIsIndented()) flags |= VIEW_Menu::kHeader;
    if (item->GetChecked()) flags |= VIEW_Menu::kChecked;
    std::unique_ptr<VIEW_Menu> subMenu = CreateMenu(item->GetSubmenu());
    if (subMenu)
      built->addSubMenu(title.Get(), std::move(subMenu), flags);
    else
      built->addItem(title.Get(), flags);
  }
  mMenus[mNextMenuID++] = built.get();
  return built;
}

IPopupMenu* IGraphicsCarbon::CreateIPopupMenu(IPopupMenu* menu, IRECT* area) {
  if (!mView || !area) return nullptr;
  const std::unique_ptr<VIEW_Menu> top = CreateMenu(menu);
  if (!top) return nullptr;
  const VIEW_MenuChoice choice = mView->popupMenu(*top, area->L, area->B + kMenuDrop);
  // The answer: the menu's id in the upper 16 bits, the item number from 1 in the lower.
  long answer = 0;
  for (const auto& entry : mMenus)
    if (entry.second == choice.menu) answer = (long)entry.first << 16 | (choice.index + 1);
  IPopupMenu* chosen = nullptr;
  const int menuID = (int)(answer >> 16);
  if (menuID != 0) {
    const auto found = mMenus.find(menuID);
    if (found != mMenus.end()) chosen = static_cast<IPopupMenu*>(found->second->tag());
    if (chosen) chosen->SetChosenItemIdx((int)(answer & 0xFFFF) - 1);
  }
  mMenus.clear();
  return chosen;
}

// ---- Text entry --------------------------------------------------------------

void IGraphicsCarbon::CreateTextEntry(IControl* control, IText* style, IRECT* area,
                                      const char* text, IParam* param) {
  if (!control || mTextEntryView || !mIsComposited || !mView || !area) return;
  VIEW_TextField field;
  field.x = area->L;
  field.y = area->T;
  field.width = area->R - area->L;
  field.height = area->B - area->T;
  field.text = text ? text : "";
  if (style) {
    field.fontName = style->mFont;
    field.fontSize = style->mSize;
    field.align = Justification(style->mAlign);
  }
  // The field keeps its own colours.
  field.textColour = IColor(255, 0, 0, 0).Pack();
  field.backgroundColour = IColor(255, 255, 255, 255).Pack();
  mTextEntryView = true;
  mEdControl = control;
  mEdParam = param;
  if (!mView->openTextField(field)) {
    mTextEntryView = false;
    mEdControl = nullptr;
    mEdParam = nullptr;
  }
}

bool IGraphicsCarbon::TextEntryHandler(const VIEW_Event& key, const std::string& candidate) {
  switch (key.key) {
    case VIEW_KEY_RETURN:
    case VIEW_KEY_ENTER:
      EndUserInput(true);
      return true;
    case VIEW_KEY_UP:
    case VIEW_KEY_DOWN:
    case VIEW_KEY_LEFT:
    case VIEW_KEY_RIGHT:
    case VIEW_KEY_HOME:
    case VIEW_KEY_END:
    case VIEW_KEY_BACKSPACE:
    case VIEW_KEY_DELETE:
      return false;
    default:
      break;
  }
  const int character = key.key == VIEW_KEY_SPACE ? ' ' : key.key;
  if (mEdParam && !KindTakes(mEdParam->Type(), character)) return true;
  if (mEdControl && mEdControl->GetTextEntryAsciiOnly() &&
      !VIEW_TextField::printableAscii(character)) {
    if (VIEW_TextField::edits(key)) mEdControl->OnTextEntryRefused();
    return true;
  }
  return !VIEW_TextField::fits(candidate, mEdControl ? mEdControl->GetTextEntryLength() : 0);
}

void IGraphicsCarbon::EndUserInput(bool commit) {
  FinishEntry(commit, mTextEntryView && mView ? mView->textFieldText() : std::string());
}

void IGraphicsCarbon::FinishEntry(bool commit, std::string text) {
  if (commit && mTextEntryView && mEdControl) {
    text = CutForCommit(std::move(text));
    if (mEdParam)
      mGraphicsMac->SetFromStringAfterPrompt(mEdControl, mEdParam, text.c_str());
    else
      mEdControl->TextFromTextEntry(text.c_str());
  }
  if (mView) mView->endTextField();
  if (mIsComposited) {
    if (mView) mView->invalidate(0, 0, mGraphicsMac->Width(), mGraphicsMac->Height());
  } else if (mEdControl) {
    mEdControl->SetDirty(false);
    mEdControl->SetRedraw();
  }
  mTextEntryView = false;
  mEdControl = nullptr;
  mEdParam = nullptr;
}
