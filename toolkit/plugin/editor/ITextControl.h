#pragma once

#include "toolkit/mutex.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/tkstring.h"

// A text that other threads replace while the editor thread draws it: every
// access is under its own lock.
class ISharedText {
 public:
  explicit ISharedText(const char* text = "") : mStr(text) {}
  // False, and nothing changes, when text equals the current one.
  bool Set(const char* text);
  // Sets text only while the text is `current`, under one hold of the lock: a text that another
  // thread set in between stays. False when nothing changed.
  bool Replace(const char* current, const char* text);
  void Get(TK_String* out) const;
  bool Equals(const char* text) const;

 private:
  mutable TK_Mutex mMutex;
  TK_String mStr;
};

// A control that shows a text. The text is replaced from the MIDI input thread
// while the editor thread draws it, so it is handed over under a lock.
class ITextControl : public IControl {
 public:
  ITextControl(IPluginBase* plug, IRECT rect, IText* style, const char* text = "");

  bool Draw(IGraphics* graphics) override;

  // Nothing when the text is unchanged; else marks the control for redraw.
  void SetTextFromPlug(const char* text);
  // As SetTextFromPlug, only while the text is `current`. False when nothing changed.
  bool ReplaceTextFromPlug(const char* current, const char* text);
  // A copy of the current text.
  void GetTextForPlug(TK_String* out) const;
  bool TextEquals(const char* text) const;

 protected:
  // Draws text with the control's style; used by subclasses that show
  // another text than their own.
  bool DrawTextString(IGraphics* graphics, const char* text);

 private:
  ISharedText mStr;
};
