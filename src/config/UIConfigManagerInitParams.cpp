#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"

void UIConfigManager::initParams() {
  log("Started to initialize parameters...");
  for (int i = 0; i < paramIdCount; ++i)
    mapParamToString(paramIdTable[i].name, paramIdTable[i].index);
  log("Completed!");
}

void UIConfigManager::mapParamToString(std::string name, int index) {
  if (!paramNames.emplace(name, index).second) log("parameter " + name + " ALREADY EXISTS!");
}

int UIConfigManager::getParamByName(std::string name) const {
  const auto it = paramNames.find(name);
  if (it != paramNames.end()) return it->second;
  log("parameter " + name + " NOT FOUND!");
  return -1;
}
