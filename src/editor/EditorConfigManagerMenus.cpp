#include "src/editor/EditorConfigManager.h"

// Seams: the menu builders are built later; until then the walk reaches these and nothing is
// made for the element.

void EditorConfigManager::createMultiSelectionCCControl(int, int, std::string name, int paramIdx,
                                                        int, int, int, int, int, int, int, int, int,
                                                        std::vector<std::string>, int,
                                                        ControlLayer*, std::string) {
  menuNotBuiltYet(name, paramIdx);
}

void EditorConfigManager::createMultiSelectionSysExControl(std::string name, int paramIdx, int, int,
                                                           int, int, int, int, int, int, int,
                                                           std::vector<std::string>, int, int, int,
                                                           int, int, ControlLayer*, std::string,
                                                           bool) {
  menuNotBuiltYet(name, paramIdx);
}

void EditorConfigManager::menuNotBuiltYet(const std::string& name, int paramIdx) const {
  log("menu " + name + " of parameter " + std::to_string(paramIdx) + " not built yet");
}
