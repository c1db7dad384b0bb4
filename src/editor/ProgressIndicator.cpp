#include "src/editor/ProgressIndicator.h"

#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphics.h"

namespace {

// The editor's size at GUI scale 1.
constexpr int kEditorWidth = 1500;
constexpr int kEditorHeight = 757;

}  // namespace

ProgressIndicator::ProgressIndicator(ControlLayer* layer, IPluginBase* plug, int x, int y,
                                     int width, int height, int paramIdx, IBitmap* bitmap,
                                     IRECT targetArea)
    : IBitmapOverlayControl(plug, x, y, paramIdx, bitmap, targetArea),
      mLayer(layer),
      mDrawRect(x, y, x + width, y + height) {
  mLayer->controls.Add(this);
  mLayer->setIgnoreHiddenWhenUpdatingScreen(true);
}

bool ProgressIndicator::Draw(IGraphics* graphics) {
  return graphics->DrawBitmap(&mBitmap, &mDrawRect, 0, &mBlend);
}

bool ProgressIndicator::IsDirty() {
  if (mRequested != mApplied) applyRequest();
  return IBitmapOverlayControl::IsDirty();
}

void ProgressIndicator::setCancelButtons(IControl* librarianPage, IControl* otherPages) {
  mCancel[0] = librarianPage;
  mCancel[1] = otherPages;
}

void ProgressIndicator::applyRequest() {
  mApplied = mRequested;
  mLayer->Hide(!mApplied);
  if (!mApplied) return;
  const IParam* tab = mPlug ? mPlug->GetParam(kMainTab) : nullptr;
  const int shown = tab && tab->Value() == 1.0 ? 0 : 1;
  for (int i = 0; i < 2; ++i)
    if (mCancel[i]) mCancel[i]->Hide(i != shown);
}

ProgressIndicator* makeProgressLayer(UIConfigManager& config) {
  IGraphics* graphics = config.graphics();
  ControlLayer* layer = new ControlLayer(0, "PROGRESS");
  IBitmap overlay = config.getImageByName(graphics, "PROGRESS_INDICATOR_ID");
  const int width = static_cast<int>(kEditorWidth * config.scale());
  const int height = static_cast<int>(kEditorHeight * config.scale());
  ProgressIndicator* indicator =
      new ProgressIndicator(layer, config.plugin()->configPluginBase(), 0, 0, width, height, -1,
                            &overlay, IRECT(0, 0, width, height));
  const char* const name = "Cancel Data Request";
  IControl* librarianPage = config.createAutoOffSwitchControl(
      name, kCancelDataRequest, 835, 457, "BUTTON_LIB_CANCEL_ID", 0, layer, "Global");
  IControl* otherPages = config.createAutoOffSwitchControl(
      name, kCancelDataRequest, 740, 83, "BUTTON_LIB_CANCEL_ID", 0, layer, "Global");
  indicator->setCancelButtons(librarianPage, otherPages);
  indicator->applyRequest();
  return indicator;
}
