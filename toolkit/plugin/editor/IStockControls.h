#pragma once

#include <string>

#include "toolkit/heapbuf.h"
#include "toolkit/mutex.h"
#include "toolkit/plugin/base/IPluginGraphics.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/ITextControl.h"
#include "toolkit/tkstring.h"

// The framework's ready-made controls. Each keeps the value paths of IControl and adds its
// drawing and mouse behaviour. Mouse handlers do nothing while the control is greyed unless
// a class says otherwise.

enum EDirection : int { kVertical = 0, kHorizontal = 1 };

// Frame drawn for a value: round((N - 1) x value) + 1 within 1..N; frame 1 below 2 frames.
int FrameForValue(double value, int frameCount);

// A rectangle filled with one colour.
class IPanelControl : public IControl {
 public:
  IPanelControl(IPluginBase* plug, IRECT rect, const IColor* colour);
  bool Draw(IGraphics* g) override;

 protected:
  IColor mColor;
};

// One frame of a bitmap, chosen by the value.
class IBitmapControl : public IControl {
 public:
  // Over one frame of the bitmap at (x, y).
  IBitmapControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap);
  IBitmapControl(IPluginBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap);
  bool Draw(IGraphics* g) override;

 protected:
  IBitmap mBitmap;
};

// A latching switch: each press steps to the next frame and wraps after the last.
class ISwitchControl : public IBitmapControl {
 public:
  using IBitmapControl::IBitmapControl;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
};

// A switch whose press opens the value prompt, also while greyed.
class ISwitchPopUpControl : public ISwitchControl {
 public:
  using ISwitchControl::ISwitchControl;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// A momentary button: on while pressed, off on release.
class IContactControl : public ISwitchControl {
 public:
  using ISwitchControl::ISwitchControl;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};

// A switch that is drawn only while on; while off it reacts only inside its off area.
class IBitmapOverlayControl : public ISwitchControl {
 public:
  IBitmapOverlayControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                        IRECT offArea);
  IBitmapOverlayControl(IPluginBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap,
                        IRECT offArea);
  bool Draw(IGraphics* g) override;

 protected:
  IRECT mTargetArea;
};

// The base the application's own overlays derive from; it adds nothing to the bitmap overlay.
class CustomOverlayControl : public IBitmapOverlayControl {
 public:
  using IBitmapOverlayControl::IBitmapOverlayControl;
};

// A switch without a picture.
class IInvisibleSwitchControl : public IControl {
 public:
  IInvisibleSwitchControl(IPluginBase* plug, IRECT rect, int paramIdx);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
};

// A row or column of buttons drawn from a two-frame bitmap (off, on); button i stands for
// value i / (n - 1). Fewer than two buttons make one button at value 0.
class IRadioButtonsControl : public IControl {
 public:
  IRadioButtonsControl(IPluginBase* plug, IRECT rect, int paramIdx, int buttonCount,
                       IBitmap* bitmap, EDirection direction = kVertical, bool reverse = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* g) override;

  int NButtons() const { return mRECTs.GetSize(); }
  // Null for an index outside the buttons.
  IRECT* GetButtonRECT(int i) { return i >= 0 && i < NButtons() ? mRECTs.Get() + i : nullptr; }

 protected:
  // The button under the point, or -1.
  int HitButton(int x, int y);
  // The button lit by the current value.
  int SelectedButton() const;

  TK_TypedBuf<IRECT> mRECTs{16 * (int)sizeof(IRECT)};
  IBitmap mBitmap;
};

// A handle that slides along a track; a press or drag puts the handle's centre at the mouse.
class IFaderControl : public IControl {
 public:
  IFaderControl(IPluginBase* plug, int x, int y, int length, int paramIdx, IBitmap* bitmap,
                EDirection direction = kVertical, bool onlyHandle = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  bool Draw(IGraphics* g) override;
  bool IsHit(int x, int y) override;

  int GetHandleHeadroom() const { return mHandleHeadroom; }
  IRECT GetHandleRECT(double value) const;
  IRECT GetHandleRECT() const { return GetHandleRECT(mValue); }

 protected:
  // Puts the handle's centre at the point and reports the value.
  void SnapToMouse(int x, int y);

  int mLen;
  int mHandleHeadroom;
  IBitmap mBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};

// The knobs: a drag along the direction turns them, ten times finer with shift or control.
class IKnobControl : public IControl {
 public:
  IKnobControl(IPluginBase* plug, IRECT rect, int paramIdx, EDirection direction = kVertical,
               double gearing = 4.0);
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;

 protected:
  // The value's angle between min and max.
  double AngleFor(double min, double max) const { return min + mValue * (max - min); }

  EDirection mDirection;
  double mGearing;
};

// A line from the centre outwards, at an angle in radians (0 points up, clockwise).
class IKnobLineControl : public IKnobControl {
 public:
  IKnobLineControl(IPluginBase* plug, IRECT rect, int paramIdx, const IColor* colour,
                   double innerRadius, double outerRadius, double angleMin, double angleMax,
                   EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* g) override;

 protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// A bitmap turned about the control's centre, angles in radians.
class IKnobRotaterControl : public IKnobControl {
 public:
  IKnobRotaterControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                      double minAngle, double maxAngle, int yOffsetZeroDeg = 0,
                      EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* g) override;

 protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// A knob drawn from a strip of frames, one per position.
class IKnobMultiControl : public IKnobControl {
 public:
  IKnobMultiControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                    EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* g) override;

 protected:
  IBitmap mBitmap;
};

// A base, a mask turned by the value and a top bitmap, angles in degrees.
class IKnobRotatingMaskControl : public IKnobControl {
 public:
  IKnobRotatingMaskControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* base,
                           IBitmap* mask, IBitmap* top, double minAngle, double maxAngle,
                           EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* g) override;

 protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};

// The bound parameter's display text, optionally followed by a blank and its label. A press
// opens the value prompt.
class ICaptionControl : public ITextControl {
 public:
  ICaptionControl(IPluginBase* plug, IRECT rect, int paramIdx, IText* style,
                  bool showParamLabel = true);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* g) override;

 protected:
  // The parameter's display text, then a blank and its label when shown; "" without parameter.
  std::string Caption() const;

  bool mShowParamLabel;
};

// Draws text from a strip of glyph frames that starts with the blank (character 32).
void DrawBitmapedText(IGraphics* g, IBitmap* strip, IRECT* rect, IText* style, IChannelBlend* blend,
                      const char* text, bool centreVertically, bool multiLine, int glyphWidth,
                      int glyphHeight);

// A text drawn from a character strip, vertically centred on one line.
class IBitmapTextControl : public IControl {
 public:
  IBitmapTextControl(IPluginBase* plug, IRECT rect, IBitmap* strip, const char* text = "",
                     IText* style = nullptr, int charWidth = 6, int charHeight = 12);
  bool Draw(IGraphics* g) override;

  void SetTextFromPlug(const char* text);

 protected:
  ISharedText mStr;
  int mCharWidth, mCharHeight;
  IBitmap mStrip;
};

// A web link opened on a press, with a second link when the first fails.
class IURLControl : public IControl {
 public:
  static const int kTextSize = 256;
  IURLControl(IPluginBase* plug, IRECT rect, const char* link, const char* backupLink = nullptr,
              const char* messageTitle = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }

 protected:
  char mURL[kTextSize] = "";
  char mBackupURL[kTextSize] = "";
  char mMsgTitle[kTextSize] = "";
};

// A button that asks for a file; each choice toggles the value.
class IFileSelectorControl : public IControl {
 public:
  enum EFileSelectorState { kFSNone, kFSSelecting, kFSDone };

  IFileSelectorControl(IPluginBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap,
                       EFileAction action, const char* dir = "", const char* extensions = "");
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* g) override;
  // Also true once after a file was chosen.
  bool IsDirty() override;

  void GetLastSelectedFileForPlug(TK_String* out) const { out->Set(mFile.Get()); }
  void SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }

 protected:
  IBitmap mBitmap;
  TK_String mDir, mFile, mExtensions;
  EFileAction mFileAction;
  EFileSelectorState mState = kFSNone;
};
