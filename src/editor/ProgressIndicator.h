#pragma once

#include <atomic>

#include "toolkit/plugin/editor/IStockControls.h"

class ControlLayer;
class UIConfigManager;

// The transfer overlay: a picture over the whole editor that takes every click the visible
// cancel button does not take, while a transfer with the synthesizer runs. It sits in its own
// layer "PROGRESS" with the two "Cancel Data Request" buttons.
//
// Transfers run on background threads, so they only request the overlay. The editor thread
// applies the request: at its next timer tick, when the dirty scan reaches the indicator (its
// layer is scanned while hidden), or at once where it switches pages itself. Whether a transfer is
// showing is the request, which counts also while no editor window is open.
class ProgressIndicator : public IBitmapOverlayControl {
 public:
  // Over one frame of the bitmap at (x, y); draws the picture clipped to x, y, width, height and
  // takes the clicks in targetArea. Puts itself into the layer, which is scanned while hidden.
  ProgressIndicator(ControlLayer* layer, IPluginBase* plug, int x, int y, int width, int height,
                    int paramIdx, IBitmap* bitmap, IRECT targetArea);

  // The first frame, whatever the value.
  bool Draw(IGraphics* graphics) override;
  void OnMouseDown(int, int, IMouseMod*) override {}
  void OnMouseDblClick(int, int, IMouseMod*) override {}
  // Applies a request made since the last tick.
  bool IsDirty() override;

  // Any thread.
  void request(bool show) { mRequested = show; }
  bool requested() const { return mRequested; }

  // Editor thread. The buttons shown with the overlay: the first on the librarian page
  // (kMainTab 1), the second on the others.
  void setCancelButtons(IControl* librarianPage, IControl* otherPages);
  // Shows the overlay, its layer and the page's cancel button when a transfer is requested;
  // hides them all otherwise.
  void applyRequest();
  ControlLayer* layer() const { return mLayer; }

 private:
  ControlLayer* mLayer;
  IRECT mDrawRect;
  IControl* mCancel[2] = {nullptr, nullptr};
  std::atomic<bool> mRequested{false};
  bool mApplied = false;  // editor thread
};

// Makes the layer "PROGRESS" with the indicator over the whole editor (the picture
// "PROGRESS_INDICATOR_ID") and the two cancel buttons, all hidden. Returns the indicator; the
// caller attaches its layer as the editor's last, above every other, once the others are.
ProgressIndicator* makeProgressLayer(UIConfigManager& config);
