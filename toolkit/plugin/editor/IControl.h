#pragma once

#include <atomic>
#include <functional>

#include "toolkit/plugin/editor/IDrawTypes.h"
#include "toolkit/ptrlist.h"

class IGraphics;
class IPluginBase;
class ITextControl;

// The mouse buttons and modifier keys of a mouse event.
struct IMouseMod {
  bool L = false;
  bool R = false;
  bool S = false;
  bool C = false;
  bool A = false;

  IMouseMod() = default;
  IMouseMod(bool left, bool right = false, bool shift = false, bool control = false,
            bool alt = false)
      : L(left), R(right), S(shift), C(control), A(alt) {}
};

// The base of everything the editor shows and the user touches. A value moves
// three ways: from the user into the plug-in (SetDirty(true), ending in
// OnParamChange), from the plug-in into the control only (SetValueFromPlug),
// and from the synthesizer into the control and the plug-in's echo handler
// (SetValueFromHardware, ending in OnParamChange2). Values, defaults and the
// dirty flags are atomics: the MIDI input thread writes them while the editor
// thread draws.
class IControl {
 public:
  // A further parameter moved by the same control.
  struct AuxParam {
    std::atomic<double> mValue{0.0};
    int mParamIdx;
    explicit AuxParam(int paramIdx) : mParamIdx(paramIdx) {}
  };

  IControl(IPluginBase* plug, IRECT rect, int paramIdx = -1,
           IChannelBlend blend = IChannelBlend(IChannelBlend::kBlendClobber));
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // ---- virtual operations, in slot order ----
  virtual ~IControl();
  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int, int, IMouseMod*) {}
  virtual void OnMouseDrag(int, int, int, int, IMouseMod*) {}
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  virtual bool OnKeyDown(int, int, int) { return false; }
  virtual void OnMouseOver(int, int, IMouseMod*) {}
  virtual void OnMouseOut() {}
  // Every control draws itself.
  virtual bool Draw(IGraphics* graphics) = 0;
  virtual void SetValueFromPlug(double value);
  virtual void SetValueFromHardware(double value);
  virtual void TextFromTextEntry(const char*) {}
  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }
  // User path: clamps, marks dirty and, with report, tells the plug-in.
  virtual void SetDirty(bool report = true);
  // Hardware path: as SetDirty, but the plug-in hears it as an echo.
  virtual void SetDirty2(bool report = true);
  // Keeps the control dirty one more frame when redraw was set.
  virtual void SetClean();
  virtual bool IsDirty() { return mDirty; }
  virtual void OnGUIIdle() {}
  virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);
  // The control's text entry refused a typed character as one it does not take (not printable
  // ASCII, SetTextEntryAsciiOnly): a control that says why to the user says it here.
  virtual void OnTextEntryRefused() {}
  // ---- end of the virtual operations ----

  // The user's value; one equal to the control's reaches the plug-in only after
  // SetReportsRepeat(true).
  void SetValueFromUserInput(double value);
  void PromptUserInput();
  void PromptUserInput(IRECT* rect);

  AuxParam* GetAuxParam(int idx) { return mAuxParams.Get(idx); }
  int AuxParamIdx(int paramIdx) const;
  void AddAuxParam(int paramIdx);
  int NAuxParams() const { return mAuxParams.GetSize(); }
  void SetAllAuxParamsFromGUI();

  IPluginBase* GetPlug() const { return mPlug; }
  const IRECT& GetRECT() const { return mRECT; }
  const IRECT& GetTargetRECT() const { return mTargetRECT; }
  void SetTargetArea(IRECT rect) { mTargetRECT = rect; }
  int ParamIdx() const { return mParamIdx; }
  double GetValue() const { return mValue; }
  double GetDefaultValue() const { return mDefaultValue; }
  void SetClamp(double lo, double hi) {
    mClampLo = lo;
    mClampHi = hi;
  }
  IText* GetText() { return &mText; }
  void SetText(const IText& text) { mText = text; }
  const IChannelBlend* GetBlend() const { return &mBlend; }
  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  bool IgnoresHiddenWhenUpdatingScreen() const { return mIgnoreHiddenWhenUpdatingScreen; }
  void SetIgnoreHiddenWhenUpdatingScreen(bool ignore) { mIgnoreHiddenWhenUpdatingScreen = ignore; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  // Keeps the control dirty through the next draw.
  void SetRedraw() { mRedraw = true; }
  void SetTextEntryLength(int length) { mTextEntryLength = length; }
  // The text entry takes printable ASCII only: a text that goes out one byte a character.
  bool GetTextEntryAsciiOnly() const { return mTextEntryAsciiOnly; }
  void SetTextEntryAsciiOnly(bool asciiOnly) { mTextEntryAsciiOnly = asciiOnly; }
  bool IsPromptDisabled() const { return mDisablePrompt; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
  void SetMOWhenGrayed(bool allow) { mMOWhenGrayed = allow; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
  // The user's value equal to the control's (a menu's chosen item picked again) still runs the
  // plug-in's OnParamChange: for a choice that means "once more", such as a MIDI port whose
  // device went away and came back.
  void SetReportsRepeat(bool report) { mReportsRepeat = report; }
  // Runs each time before the control's menu or text entry opens, so that its owner can write
  // the parameter's entries anew (a MIDI port menu lists the ports there are now).
  void SetBeforePrompt(std::function<void()> call) { mBeforePrompt = std::move(call); }
  void SetValueDisplayControl(ITextControl* display) { mValueDisplayControl = display; }
  void SetNameDisplayControl(ITextControl* display) { mNameDisplayControl = display; }

 protected:
  // Steps 1 and 2 of both plug-in paths: the first value becomes the default.
  bool TakeFirstOrSameValue(double value);
  // Shows the parameter's display value and name on the attached displays.
  void UpdateDisplays();

  std::atomic<bool> mHide{false};
  int mTextEntryLength = 16;
  bool mTextEntryAsciiOnly = false;
  bool mIgnoreHiddenWhenUpdatingScreen = false;
  IText mText;
  IPluginBase* mPlug;
  IRECT mRECT;
  IRECT mTargetRECT;
  int mParamIdx;
  TK_PtrList<AuxParam> mAuxParams;
  std::atomic<double> mValue{0.0};
  std::atomic<double> mDefaultValue{-1.0};
  std::atomic<double> mClampLo{0.0};
  std::atomic<double> mClampHi{1.0};
  std::atomic<bool> mDirty{true};
  std::atomic<bool> mGrayed{false};
  std::atomic<bool> mRedraw{false};
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  bool mReportsRepeat = false;
  std::function<void()> mBeforePrompt;
  IChannelBlend mBlend;
  ITextControl* mValueDisplayControl = nullptr;
  ITextControl* mNameDisplayControl = nullptr;

 private:
  void Report(bool report, bool fromHardware);
};
