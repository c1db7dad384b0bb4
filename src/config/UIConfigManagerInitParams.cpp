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

int UIConfigManager::findParam(const std::string& name) const {
  const auto it = paramNames.find(name);
  return it == paramNames.end() ? -1 : it->second;
}

int UIConfigManager::getParamByName(std::string name) const {
  const int index = findParam(name);
  if (index < 0) log("parameter " + name + " NOT FOUND!");
  return index;
}
