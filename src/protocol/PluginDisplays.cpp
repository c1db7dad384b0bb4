#include "src/protocol/PluginDisplays.h"

#include "src/config/ParameterIds.h"

void PluginDisplays::updatePatchLibrarianView(int which) {
  if (which < 0 || which > 2) return;
  mPlugin.markLibrarianViewDirty();
  if (which != 1) mPlugin.refillLibrarianList(0);
  if (which != 0) mPlugin.refillLibrarianList(1);
}

void PluginDisplays::displayText(const std::string& name, const std::string& value,
                                 const std::string& cc) {
  mPlugin.setTextDisplay(kControlDisplayName, name);
  mPlugin.setTextDisplay(kControlDisplayValue, value);
  mPlugin.setTextDisplay(kControlDisplayCC, cc);
}

void PluginDisplays::displayCategoryName(const std::string& text) {
  mPlugin.setTextDisplay(kControlDisplayCategory, text);
}

void PluginDisplays::displayPatchName(const std::string& text) {
  mPlugin.setTextDisplay(kControlDisplayPatch, text);
}

void PluginDisplays::displayBuild(const std::string& text) {
  mPlugin.setTextDisplay(kControlDisplayBuild, text);
}

void PluginDisplays::showStatus(const std::string& text) {
  mPlugin.setTextDisplay(kControlDisplayName, text);
  mPlugin.setTextDisplay(kControlDisplayValue, "");
}
