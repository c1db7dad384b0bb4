#pragma once

#include <string>
#include <vector>

#include "src/editor/EditorElements.h"
#include "src/editor/EditorHost.h"
#include "src/editor/TabSwitchFunctions.h"
#include "tests/resources/BuiltLayout.h"

// The shipped layout built as the plug-in's constructor builds it (the layout, then the progress
// overlay on top), switched by the real tab switching on a host that keeps the plug-in's state
// as the constructor leaves it. The plug-in core's own menus are not made.
namespace layout_check {

class ShippedEditor : public BuiltLayout, public EditorHost {
 public:
  ShippedEditor(const std::string& bundleDir, int style, double scale);

  // The page and part the tab selectors show; moves both selectors as a click would.
  void showPage(int tab, int part);
  // Sets a parameter and the controls bound to it.
  void set(int paramIdx, double value);
  // The back buffer's pixels, row by row, after drawing everything.
  std::vector<unsigned int> picture();

  const IParam* displayParam(int paramIdx) const override;
  ITextControl* displayNameControl() const override { return displays.name; }
  ITextControl* displayValueControl() const override { return displays.value; }
  bool startupComplete() const override { return true; }
  bool programChangeSwitchState() const override { return true; }
  int currentPart() const override { return part; }
  const std::vector<std::string>& valueList(const std::string& name) const override;
  const std::vector<std::string>& sampleNames() const override { return samples; }
  bool samplesFileRead() const override { return false; }
  TK_LogSink* debugLog() const override { return const_cast<ShippedEditor*>(this); }
  void setCurrentPart(int p) override { part = p; }
  bool multiMode() const override { return false; }
  bool keepSelectedBank() const override { return true; }
  int lowerListKind() const override { return 0; }
  const TabLayers& tabLayers() const override { return layers; }
  void setLibrarianSelectedProgram(int) override {}
  void OnParamChange(int) override {}
  void setTextDisplay(int displayParam, const std::string& text) override;

  TabLayers layers;
  DisplayControls displays;
  TabSwitchFunctions tabs;
  int part = 0;
  std::vector<std::string> samples;
};

}  // namespace layout_check
