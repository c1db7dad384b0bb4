#include "toolkit/plugin/editor/ITextControl.h"

#include <cstring>

#include "toolkit/plugin/editor/IGraphics.h"

ITextControl::ITextControl(IPluginBase* plug, IRECT rect, IText* style, const char* text)
    : IControl(plug, rect), mStr(text) {
  if (style) mText = *style;
}

bool ITextControl::Draw(IGraphics* graphics) {
  TK_String text;
  GetTextForPlug(&text);
  return DrawTextString(graphics, text.Get());
}

bool ITextControl::DrawTextString(IGraphics* graphics, const char* text) {
  if (!text || !*text) return true;
  IRECT rect = mRECT;
  return graphics->DrawIText(&mText, text, &rect);
}

void ITextControl::SetTextFromPlug(const char* text) {
  if (mStr.Set(text)) SetDirty(false);
}

bool ITextControl::ReplaceTextFromPlug(const char* current, const char* text) {
  if (!mStr.Replace(current, text)) return false;
  SetDirty(false);
  return true;
}

void ITextControl::GetTextForPlug(TK_String* out) const {
  mStr.Get(out);
}

bool ITextControl::TextEquals(const char* text) const {
  return mStr.Equals(text);
}

namespace {

bool same(const TK_String& str, const char* text) {
  return std::strcmp(str.Get(), text ? text : "") == 0;
}

}  // namespace

bool ISharedText::Set(const char* text) {
  TK_MutexLock lock(mMutex);
  if (same(mStr, text)) return false;
  mStr.Set(text);
  return true;
}

bool ISharedText::Replace(const char* current, const char* text) {
  TK_MutexLock lock(mMutex);
  if (!same(mStr, current) || same(mStr, text)) return false;
  mStr.Set(text);
  return true;
}

void ISharedText::Get(TK_String* out) const {
  TK_MutexLock lock(mMutex);
  out->Set(mStr.Get());
}

bool ISharedText::Equals(const char* text) const {
  TK_MutexLock lock(mMutex);
  return same(mStr, text);
}
