#include "tests/resources/ShippedEditor.h"

#include "src/config/ParameterIds.h"
#include "src/editor/ImageTable.h"
#include "src/editor/ProgressIndicator.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "tests/support/TempDir.h"
#include "toolkit/gfx/Draw.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/ITextControl.h"

namespace layout_check {

ShippedEditor::ShippedEditor(const std::string& bundleDir, int style, double scale)
    : BuiltLayout(bundleDir, style, scale) {
  {
    kroma_test::ScopedEnv bundle("KROMA_BUNDLE_DIR", bundleDir.c_str());
    graphics->AttachBackground(kEditorBackgroundId, "resources/img/main-bg-frame.png", scale);
  }
  layers.lookUp(config);
  displays.lookUp(config);
  layers.progress = makeProgressLayer(config);
  // As the plug-in's constructor does last: every control shows its parameter's value.
  for (int i = 0; i < numParams; ++i)
    if (GetParam(i)->Value() > 0) graphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
  // The librarian's stand-in view draws its picture only above half its range.
  if (layers.librarianView) layers.librarianView->SetValueFromPlug(1.0);
  // The panels the constructor hides until the plug-in shows them.
  for (const char* panel : {"aboutWindow", "firstRunNotification", "bankPatchConflictWindow",
                            "midiFilterSettings", "patchRename", "categoryLimit", "searchField"})
    if (ControlLayer* layer = config.getLayer(panel)) layer->Hide(true);
  graphics->AttachLayer(layers.progress->layer());
}

void ShippedEditor::showPage(int tab, int shownPart) {
  set(kQuickTab, shownPart);
  set(kMainTab, tab);
  part = shownPart;
  tabs.mainTabSwitch(this, kMainTab, tab, shownPart);
}

void ShippedEditor::set(int paramIdx, double value) {
  GetParam(paramIdx)->Set(value);
  graphics->SetParameterFromPlug(paramIdx, value, false);
}

std::vector<unsigned int> ShippedEditor::picture() {
  render();
  GFX_SysBitmap* b = graphics->GetBackBuffer();
  std::vector<unsigned int> pixels;
  pixels.reserve(static_cast<size_t>(b->getWidth()) * b->getHeight());
  for (int y = 0; y < b->getHeight(); ++y)
    for (int x = 0; x < b->getWidth(); ++x) pixels.push_back(GFX_GetPixel(b, x, y));
  return pixels;
}

const IParam* ShippedEditor::displayParam(int paramIdx) const {
  return const_cast<ShippedEditor*>(this)->GetParam(paramIdx);
}

const std::vector<std::string>& ShippedEditor::valueList(const std::string& name) const {
  return config.getValueList(name);
}

void ShippedEditor::setTextDisplay(int displayParam, const std::string& text) {
  ITextControl* control = displayParam == kControlDisplayPatch ? displays.patch : displays.category;
  if (control) control->SetTextFromPlug(text.c_str());
}

}  // namespace layout_check
