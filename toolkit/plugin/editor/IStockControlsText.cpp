#include <algorithm>
#include <cstring>
#include <string>

#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/editor/IStockControls.h"

// ---- caption ----

ICaptionControl::ICaptionControl(IPluginBase* plug, IRECT rect, int paramIdx, IText* style,
                                 bool showParamLabel)
    : ITextControl(plug, rect, style, ""), mShowParamLabel(showParamLabel) {
  mParamIdx = paramIdx;
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* mod) {
  if (mGrayed || !mod || !(mod->L || mod->R)) return;
  PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*) {
  if (!mGrayed) PromptUserInput();
}

std::string ICaptionControl::Caption() const {
  const IParam* param = mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
  if (!param) return "";
  char display[IParam::kDisplayTextSize];
  param->GetDisplayForHost(param->Value(), false, display, true);
  std::string caption = display;
  if (mShowParamLabel) caption += std::string(" ") + param->GetLabelForHost();
  return caption;
}

bool ICaptionControl::Draw(IGraphics* g) {
  const std::string caption = Caption();
  return caption.empty() || DrawTextString(g, caption.c_str());
}

// ---- character-strip text ----

void DrawBitmapedText(IGraphics* g, IBitmap* strip, IRECT* rect, IText* style, IChannelBlend* blend,
                      const char* text, bool centreVertically, bool multiLine, int glyphWidth,
                      int glyphHeight) {
  const int length = text ? (int)std::strlen(text) : 0;
  if (!length || glyphWidth <= 0 || glyphHeight <= 0) return;
  int y = centreVertically ? rect->T + (rect->B - (rect->T + glyphHeight)) / 2 : rect->T;
  const int x0 = style && style->mAlign == IText::kAlignCenter
                     ? rect->L + (rect->R - (rect->L + length * glyphWidth)) / 2
                     : rect->L + glyphWidth;
  const int perLine = (rect->W() - 2 * glyphWidth) / glyphWidth;
  if (perLine <= 0) return;
  const int drawn = multiLine ? length : std::min(length, perLine);
  int x = x0;
  for (int i = 0; i < drawn; ++i) {
    if (i > 0 && i % perLine == 0) {
      x = x0;
      y += glyphHeight;
    }
    // The strip starts with the blank; characters it lacks are drawn as the blank.
    int frame = (unsigned char)text[i] - 31;
    if (frame < 1 || frame > strip->N) frame = 1;
    IRECT glyph(x, y, x + glyphWidth, y + glyphHeight);
    g->DrawBitmap(strip, &glyph, frame, blend);
    x += glyphWidth;
  }
}

IBitmapTextControl::IBitmapTextControl(IPluginBase* plug, IRECT rect, IBitmap* strip,
                                       const char* text, IText* style, int charWidth,
                                       int charHeight)
    : IControl(plug, rect),
      mStr(text),
      mCharWidth(charWidth),
      mCharHeight(charHeight),
      mStrip(*strip) {
  if (style) mText = *style;
}

void IBitmapTextControl::SetTextFromPlug(const char* text) {
  if (mStr.Set(text)) SetDirty(false);
}

bool IBitmapTextControl::Draw(IGraphics* g) {
  TK_String text;
  mStr.Get(&text);
  DrawBitmapedText(g, &mStrip, &mRECT, &mText, &mBlend, text.Get(), true, false, mCharWidth,
                   mCharHeight);
  return true;
}

// ---- link and file buttons ----

static void CopyText(char* dest, const char* text) {
  if (text && *text) std::snprintf(dest, IURLControl::kTextSize, "%s", text);
}

IURLControl::IURLControl(IPluginBase* plug, IRECT rect, const char* link, const char* backupLink,
                         const char* messageTitle)
    : IControl(plug, rect) {
  CopyText(mURL, link);
  CopyText(mBackupURL, backupLink);
  CopyText(mMsgTitle, messageTitle);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*) {
  IGraphics* g = mPlug ? mPlug->GetGUI() : nullptr;
  if (mGrayed || !g) return;
  const bool opened = *mURL && g->OpenURL(mURL, mMsgTitle);
  if (!opened && *mBackupURL) g->OpenURL(mBackupURL, mMsgTitle);
}

IFileSelectorControl::IFileSelectorControl(IPluginBase* plug, IRECT rect, int paramIdx,
                                           IBitmap* bitmap, EFileAction action, const char* dir,
                                           const char* extensions)
    : IControl(plug, rect, paramIdx),
      mBitmap(bitmap ? *bitmap : IBitmap()),
      mDir(dir),
      mExtensions(extensions),
      mFileAction(action) {}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*) {
  IGraphics* g = mPlug ? mPlug->GetGUI() : nullptr;
  if (mGrayed || !g) return;
  mState = kFSSelecting;
  SetDirty(false);
  g->PromptForFile(&mFile, mFileAction, &mDir, mExtensions.Get());
  const double next = mValue + 1.0;
  mValue = next > 1.0 ? 0.0 : next;
  mState = kFSDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* g) {
  if (!mBitmap.mData) return true;
  return g->DrawBitmap(&mBitmap, &mRECT, 1, &mBlend);
}

bool IFileSelectorControl::IsDirty() {
  if (mState == kFSDone) {
    mState = kFSNone;
    return true;
  }
  return mDirty;
}
