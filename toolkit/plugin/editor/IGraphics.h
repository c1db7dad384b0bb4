#pragma once

#include <memory>

#include "toolkit/plugin/base/IPluginGraphics.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/IDrawTypes.h"
#include "toolkit/ptrlist.h"
#include "toolkit/tkstring.h"

class ControlLayer;
class GFX_IBitmap;
class GFX_IFont;
class GFX_MemBitmap;
class GFX_SysBitmap;
class IParam;
class IPluginBase;
class IPopupMenu;

// The editor's drawing surface and input router: a flat control list whose
// entry 0 is the background, the top-level control layers, an off-screen back
// buffer, the dirty scan and draw loop the platform timer runs, mouse and key
// routing, parameter pushes, value prompts, and the drawing primitives over
// the graphics engine. The platform subclass supplies the window, menus, text
// entry, files and bitmaps. Everything but SetParameterFromPlug runs on the
// editor thread.
class IGraphics : public IPluginGraphics {
 public:
  IGraphics(IPluginBase* plug, int w, int h, int fps = 0);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- virtual operations, in slot order ----
  virtual bool DrawScreen(IRECT* rect) = 0;
  virtual bool MeasureIText(IText* style, char* text, IRECT* rect);
  virtual void ForceEndUserEdit() = 0;
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // A non-null result is the menu (or sub-menu) whose item was chosen.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area) = 0;
  // When the entry ends the platform calls SetFromStringAfterPrompt (with a
  // parameter) or the control's TextFromTextEntry.
  virtual void CreateTextEntry(IControl* control, IText* style, IRECT* area, const char* text,
                               IParam* param) = 0;
  virtual void HostPath(TK_String* path) = 0;
  virtual void PluginPath(TK_String* path) = 0;
  virtual void DesktopPath(TK_String* path) = 0;
  // PromptForFile is IPluginGraphics's.
  virtual bool PromptForColor(IColor* color, const char* prompt) = 0;
  virtual bool OpenURL(const char* url, const char* windowTitle = nullptr,
                       const char* confirmMsg = nullptr, const char* errMsg = nullptr) = 0;
  virtual void* OpenWindow(void* parentView) = 0;
  virtual void* OpenWindow(void*, void*, short, short) { return nullptr; }
  virtual void AttachSubWindow(void*) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  ~IGraphics() override;
  // A resource file's bytes (new[], the caller frees them); sets the loaded
  // file size. Null when missing.
  virtual unsigned char* OSLoadFile(int id, const char* name) = 0;
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  // A new bitmap the caller owns, or null.
  virtual GFX_IBitmap* OSLoadBitmap(int id, const char* name) = 0;
  // ---- end of the virtual operations ----
  // Runs the window's pending events and due redraw tick; the host's idle
  // call drives it where no run loop of ours runs.
  virtual void PumpEvents() {}
  // Asks before a save replaces the file at `path`, which changed on disk since it was opened,
  // in a message box like the save panel's replace question. True only for Replace: Cancel, the
  // default, and a box that could not be shown keep the file.
  virtual bool PromptToReplaceChangedFile(const char*) { return false; }

  // Set-up.
  void PrepDraw() override;
  void AttachBackground(int id, const char* name, double scale = 1.0);
  void AttachPanelBackground(const IColor* color);
  int AttachControl(IControl* control);
  int AttachLayer(ControlLayer* layer);
  void AttachKeyCatcher(IControl* control);

  // Control state by parameter, over the flat list only.
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  void ClampControl(int paramIdx, double lo, double hi, bool normalized);
  void SetAllControlsDirty();
  void SetStrictDrawing(bool strict);
  void SetControlFromPlug(int controlIdx, double normalizedValue);
  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  void OnGUIIdle();

  // Shows a value on every control bound to the parameter, in the flat list
  // and in every layer, hidden or not. May run on the MIDI input thread.
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override;
  // The same for many parameters in one visit of each control, so that a
  // redraw of every parameter costs what one control pass costs.
  void SetParametersFromPlug(const std::vector<std::pair<int, double>>& values,
                             bool normalized) override;

  // Redraw. region is an accumulator: pass an empty one.
  bool IsDirty(IRECT* region);
  bool Draw(IRECT* region);
  unsigned int* GetBits();

  // Input, in editor pixels.
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  void ReleaseMouseCapture();
  IControl* GetMouseControlIdx(int x, int y, bool mouseOver = false);
  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();
  void HandleMouseOver(bool handle) { mHandleMouseOver = handle; }

  // Prompts.
  void PromptUserInput(IControl* control, IParam* param, IRECT* rect);
  void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text);

  // Files.
  unsigned char* LoadFile(int id, const char* name);
  int GetLoadedFileSize() const { return mLoadedFileSize; }

  // Bitmaps, through the process-wide cache, keyed by id and scale: the first
  // load of a pair decodes the file and scales it (each side truncated); later
  // loads of the pair return that copy whatever name they pass. An unreadable
  // file gives the empty bitmap and enters nothing. Safe on several threads at once
  // when OSLoadBitmap is.
  IBitmap LoadIBitmap(int id, const char* name, double scale = 1.0, int frameCount = 1,
                      bool framesHorizontal = false);
  // The cached bitmap of the pair, loading nothing; empty when there is none.
  IBitmap getImageById(int id, double scale, int frameCount = 1, bool framesHorizontal = false);
  void RetainBitmap(IBitmap* bitmap);
  void ReleaseBitmap(IBitmap* bitmap);
  IBitmap ScaleBitmap(IBitmap* bitmap, int destW, int destH);
  IBitmap CropBitmap(IBitmap* bitmap, IRECT* rect);

  // Drawing into the back buffer. Bitmap blits clip to the drawing rectangle.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                  const IChannelBlend* blend = nullptr);
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int state = 1,
                  const IChannelBlend* blend = nullptr);
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int state, int srcX, int srcY,
                  const IChannelBlend* blend = nullptr);
  bool DrawRotatedBitmap(IBitmap* bitmap, int centreX, int centreY, double angle,
                         int yOffsetZeroDeg = 0, const IChannelBlend* blend = nullptr);
  bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                       const IChannelBlend* blend = nullptr);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr,
                 bool antialias = false);
  bool ForcePixel(const IColor* color, int x, int y);
  IColor GetPoint(int x, int y);
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                const IChannelBlend* blend = nullptr, bool antialias = false);
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend = nullptr, bool antialias = false);
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool antialias = false);
  bool DrawCircle(const IColor* color, float cx, float cy, float r,
                  const IChannelBlend* blend = nullptr, bool antialias = false);
  bool DrawRect(const IColor* color, IRECT* rect);
  bool DrawVerticalLine(const IColor* color, int x, int y1, int y2);
  bool DrawHorizontalLine(const IColor* color, int y, int x1, int x2);
  bool DrawVerticalLine(const IColor* color, IRECT* rect, float x);
  bool DrawHorizontalLine(const IColor* color, IRECT* rect, float y);
  bool RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerRadius,
                 bool antialias);
  bool FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerRadius,
                     bool antialias);
  bool FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend = nullptr);
  bool FillCircle(const IColor* color, int cx, int cy, float r,
                  const IChannelBlend* blend = nullptr, bool antialias = false);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                    IChannelBlend* blend = nullptr);
  bool FillIConvexPolygon(const IColor* color, int* xs, int* ys, int count,
                          const IChannelBlend* blend = nullptr);

  // Text. Measuring sets the rectangle to the text's extent by the alignment.
  bool DrawIText(IText* style, const char* text, IRECT* rect, bool measure = false);
  // Text kept inside rect: aligned by the style where it fits, else from the rect's left edge
  // and cut at its right.
  bool DrawITextInside(IText* style, const char* text, const IRECT& rect);
  GFX_IFont* CacheFont(IText* style);

  // Accessors.
  IPluginBase* GetPlug() const { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  int NControls() const { return mControls.GetSize(); }
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  int NLayers() const { return mLayers.GetSize(); }
  ControlLayer* GetLayer(int idx) const { return mLayers.Get(idx); }
  const IRECT& GetDrawRect() const { return mDrawRECT; }
  GFX_SysBitmap* GetBackBuffer() const { return mBackBuffer.get(); }
  IControl* GetCapturedControl() const { return mMouseCapture; }

 protected:
  int mLoadedFileSize = 0;
  bool mCursorHidden = false;
  int mHiddenMousePointX = -1;
  int mHiddenMousePointY = -1;

 private:
  // The topmost control under the point: layers first, then the flat list
  // from the last control down, skipping hidden and greyed ones.
  IControl* HitTest(int x, int y, bool mouseOver);
  IControl* CapturedOrHit(int x, int y);
  bool OfferedToHost(int paramIdx) const;
  void StrictDraw(IRECT* region);
  void LooseDraw();
  void DestroyBuffers();
  // Applies op to every flat-list control bound to the parameter.
  template <class Op>
  void ForEachControlOf(int paramIdx, Op op);

  TK_PtrList<IControl> mControls;
  TK_PtrList<ControlLayer> mLayers;
  IPluginBase* mPlug;
  IRECT mDrawRECT;
  std::unique_ptr<GFX_SysBitmap> mBackBuffer;
  std::unique_ptr<GFX_MemBitmap> mScratch;
  int mWidth;
  int mHeight;
  int mFPS;
  IControl* mMouseOver = nullptr;
  IControl* mMouseCapture = nullptr;
  int mMouseX = 0;
  int mMouseY = 0;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  IControl* mKeyCatcher = nullptr;
};
