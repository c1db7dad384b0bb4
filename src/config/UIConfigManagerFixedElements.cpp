#include "src/config/UIConfigManager.h"

// Seams: the handlers of the fixed-purpose elements are built later. Until then the walk routes
// each element here, and it builds nothing.

void UIConfigManager::processPatchBrowser(const LayoutElement& e) {
  notBuiltYet(e);
}
void UIConfigManager::processBackground(const LayoutElement& e) {
  notBuiltYet(e);
}
void UIConfigManager::processDisplay(const LayoutElement& e) {
  notBuiltYet(e);
}
void UIConfigManager::processSwitch(const LayoutElement& e) {
  notBuiltYet(e);
}
void UIConfigManager::processAutoOff(const LayoutElement& e) {
  notBuiltYet(e);
}
void UIConfigManager::processDropMenu(const LayoutElement& e) {
  notBuiltYet(e);
}
void UIConfigManager::processMultiFx(const LayoutElement& e) {
  notBuiltYet(e);
}
void UIConfigManager::processRadio(const LayoutElement& e) {
  notBuiltYet(e);
}

void UIConfigManager::notBuiltYet(const LayoutElement& e) const {
  log(e.where() + " not built yet");
}
