#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/bundle/Bundle.h"
#include "src/config/ConfigSeams.h"
#include "src/config/ControlActionSysExMessage.h"
#include "src/config/ControlMaps.h"
#include "src/config/LinkInfo.h"
#include "src/config/SysExContainer.h"

class IGraphics;
class Kroma;
class PatchLibrarian;
namespace tinyxml2 {
class XMLDocument;
}

// The configuration manager: reads the enciphered configuration resources once at start-up and
// keeps what they define (parameter names, SysEx templates, value lists, control lookup maps).
// Everything is filled on the constructing thread and only read afterwards.
class UIConfigManager {
 public:
  // A bundle resource by name, or nothing; the bundle's own loader unless the plug-in sets one.
  using ResourceLoader = std::function<std::optional<Bundle::LoadedFile>(int id, const char* name)>;

  UIConfigManager();

  // Seams set by the plug-in before readUIConfig.
  void setLog(ConfigLog log) { mLog = std::move(log); }
  void setResourceLoader(ResourceLoader loader) { mLoader = std::move(loader); }
  void setLayoutBuilder(LayoutBuilder* builder) { mLayoutBuilder = builder; }
  void setControlLinkStore(ControlLinkStore* store) { mLinkStore = store; }

  // Reading sequence and resources.
  void readUIConfig(IGraphics* graphics, Kroma* plugin, PatchLibrarian* librarian, int style,
                    double scale);
  void readSysexValues();
  static void decrypt(const char* data, int length, std::string& out);
  void readReasources(tinyxml2::XMLDocument* document);

  const std::vector<SysExContainer>& getSysexList() const { return sysexList; }
  // The template of a SysEx index; false (and a log line) when there is none.
  bool getSysexTemplate(int sysexIndex, std::string& text) const;
  // Lookups never change the map: a missing list is empty, a missing entry an empty text.
  const std::vector<std::string>& getValueList(const std::string& name) const;
  std::string getValueText(const std::string& name, int index) const;

  // Parameter name table.
  void initParams();
  void mapParamToString(std::string name, int index);
  int getParamByName(std::string name) const;
  size_t paramCount() const { return paramNames.size(); }

  // Templates and attribute values.
  static void Tokenize(const std::string& text, std::vector<std::string>& tokens,
                       const std::string& delimiters);
  static std::vector<int> convertStringSysextoVector(std::string text);
  // False, with an empty table and a log line, for a template the element must be skipped for.
  bool calculateSysexWithChangingByte(std::string text, int changingByte, int count,
                                      ControlActionSysExMessage* table, int start, int part);
  static void getCSValues(std::string text, int* values, int maxCount);
  void getBiDirectLinkValues(std::string text, int* link, int part) const;
  const char* getParamGroup(int part, std::string group);
  void setControlLink(ControlAction* action, int paramIdx, LinkInfo link, int part);

  // Control lookups.
  SysExControlContainer& sysexControls() { return sysexControlMap; }
  const SysExControlContainer& sysexControls() const { return sysexControlMap; }
  NRPNControlContainer& nrpnControls() { return nrpnControlMap; }
  const NRPNControlContainer& nrpnControls() const { return nrpnControlMap; }
  CCControlContainer& ccControls() { return ccControlMap; }
  const CCControlContainer& ccControls() const { return ccControlMap; }

  IGraphics* graphics() const { return mGraphics; }
  Kroma* plugin() const { return mPlugin; }
  PatchLibrarian* librarian() const { return mLibrarian; }
  int style() const { return mStyle; }
  double scale() const { return mScale; }

 private:
  void log(const std::string& message) const;
  // Loads, deciphers and parses a resource; false (logged) when it yields no element `root`.
  bool loadDocument(int id, const char* name, const char* root, tinyxml2::XMLDocument& document,
                    std::string& text) const;

  ConfigLog mLog;
  ResourceLoader mLoader;
  LayoutBuilder* mLayoutBuilder = nullptr;
  ControlLinkStore* mLinkStore = nullptr;

  IGraphics* mGraphics = nullptr;
  Kroma* mPlugin = nullptr;
  PatchLibrarian* mLibrarian = nullptr;
  int mStyle = 0;
  double mScale = 1.0;

  std::map<std::string, int> paramNames;
  std::vector<SysExContainer> sysexList;
  std::map<std::string, std::vector<std::string>> valueLists;
  std::string groupText;
  SysExControlContainer sysexControlMap;
  NRPNControlContainer nrpnControlMap;
  CCControlContainer ccControlMap;
};
