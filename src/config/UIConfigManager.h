#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/bundle/Bundle.h"
#include "src/config/ConfigSeams.h"
#include "src/config/ControlAction.h"
#include "src/config/ControlActionSysExMessage.h"
#include "src/config/ControlMaps.h"
#include "src/config/LinkInfo.h"
#include "src/config/SysExContainer.h"

class ControlLayer;
class IControl;
class IGraphics;
class LibrarianViewControl;
class TK_LogSink;
struct IBitmap;
namespace tinyxml2 {
class XMLDocument;
class XMLElement;
class XMLNode;
}  // namespace tinyxml2

// An element of the layout as the walk hands it to its handler: the attributes every element
// carries are read and its parameter index is resolved.
struct LayoutElement {
  const tinyxml2::XMLElement& xml;
  const char* name;
  int line;
  ControlLayer* layer;  // null at the top level
  int part;             // -1 outside every per-part copy
  std::string imageId;
  std::string paramGroup;
  int paramIdx = -1;  // -1: the element names no parameter
  int channel = 0;

  // Attribute readers; an attribute that is absent, or holds no number where one is read, keeps
  // the default.
  std::string text(const char* attribute) const;
  int integer(const char* attribute, int fallback = 0) const;
  // An integer (non-zero is true) or the words "true" and "false".
  bool boolean(const char* attribute, bool fallback = false) const;
  // The first `count` comma-separated integers into values, which the caller presets.
  void list(const char* attribute, int* values, int count) const;
  // "a:b" into a and b; both -1 unless the text is exactly two pieces.
  void valueDisplay(int& a, int& b) const;
  // "NAME at line N", for log lines.
  std::string where() const;
};

// The configuration manager: reads the enciphered configuration resources once at start-up,
// keeps what they define (parameter names, SysEx templates, value lists), walks the layout and
// keeps what the walk makes (the layer map, the MIDI bindings of the parameters and the control
// lookup maps). Everything is filled on the constructing thread and only read afterwards.
//
// Layering: this class (kroma_config) knows the framework only by declarations. Bitmaps, layers
// and controls are made by the editor side: those operations are pure virtual here and defined
// by the one final class of src/editor (EditorConfigManager), which the plug-in creates and
// reaches through a UIConfigManager*. Tests of the walk derive a recording double instead.
class UIConfigManager {
 public:
  // A bundle resource by name, or nothing; the bundle's own loader unless the plug-in sets one.
  using ResourceLoader = std::function<std::optional<Bundle::LoadedFile>(int id, const char* name)>;

  UIConfigManager();
  virtual ~UIConfigManager();
  UIConfigManager(const UIConfigManager&) = delete;
  UIConfigManager& operator=(const UIConfigManager&) = delete;

  // Seams set by the plug-in before readUIConfig. Lines go to the instance's debug log; with
  // none set they go to standard error.
  void setLog(TK_LogSink* log) { mLog = log; }
  TK_LogSink* logSink() const { return mLog; }
  void setResourceLoader(ResourceLoader loader);

  // Reading sequence and resources.
  void readUIConfig(IGraphics* graphics, UIConfigPlugin* plugin, PatchLibrarian* librarian,
                    int style, double scale);
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
  // The index of an identifier; -1 (and a log line) when the table does not hold it.
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
  // Appends the source's ints to the destination, in order.
  static void copyIntVector(std::vector<int>* source, std::vector<int>* destination);
  void getBiDirectLinkValues(std::string text, int* link, int part) const;
  const char* getParamGroup(int part, std::string group);
  // Links the two parameters both ways through the switch parameter; a link with a negative
  // index, or one that names no parameter (logged), links nothing.
  void setControlLink(ControlAction* action, int paramIdx, LinkInfo link, int part);

  // The layout walk: builds `node` and its following siblings, and everything inside them, into
  // `layer` (null: the graphics object) for `part` (-1 outside every per-part copy). An element
  // that names an unknown parameter, or a SysEx template that cannot serve it, is skipped with
  // one log line; the rest of the layout always builds.
  void processXMLElement(const tinyxml2::XMLNode* node, ControlLayer* layer, int part);
  // The layers by name (a later layer of the same name hides an earlier one); null for a name
  // that no layer has. Never inserts.
  ControlLayer* getLayer(const std::string& name) const;

  // The MIDI binding of a parameter, or null when it has none or the index names no parameter.
  // Never makes one.
  ControlAction* getControlAction(int paramIdx) const;
  // The librarian's bank view the layout made ("patchBrowser"; the later of two); null when none.
  LibrarianViewControl* getLibrarianView() const { return librarianView; }

  // Control lookups: filled by the builders, only read afterwards (from the MIDI threads).
  SysExControlContainer& sysexControls() { return sysexControlMap; }
  const SysExControlContainer& sysexControls() const { return sysexControlMap; }
  NRPNControlContainer& nrpnControls() { return nrpnControlMap; }
  const NRPNControlContainer& nrpnControls() const { return nrpnControlMap; }
  CCControlContainer& ccControls() { return ccControlMap; }
  const CCControlContainer& ccControls() const { return ccControlMap; }
  ProgramByPartsMap& programsByParts() { return programByPartsMap; }
  const ProgramByPartsMap& programsByParts() const { return programByPartsMap; }

  IGraphics* graphics() const { return mGraphics; }
  UIConfigPlugin* plugin() const { return mPlugin; }
  PatchLibrarian* librarian() const { return mLibrarian; }
  int style() const { return mStyle; }
  double scale() const { return mScale; }

  // ---- The editor side, defined in src/editor ----
  // Image cache: bitmaps preloaded by name at the GUI style and scale; a name the cache lacks
  // gives the empty bitmap and a log line.
  virtual void initImages(IGraphics* graphics) = 0;
  virtual void preloadImage(IGraphics* graphics, int id, const char* name, const char* file,
                            int frames, bool framesHorizontal) = 0;
  virtual IBitmap getImageByName(IGraphics* graphics, std::string name) = 0;
  virtual void ClearImageCache(bool reload) = 0;

  // Control builders. Each makes one control for the parameter at paramIdx (a valid index; the
  // walk checks it), gives the parameter its kind, range, name ("[part + 1] " before it for the
  // MIDI-bound kinds inside a part) and group, scales the layout's x, y and sizes by the GUI
  // scale, puts the control into `layer` (null: the graphics object) and, for the MIDI-bound
  // kinds, fills the parameter's ControlAction and registers the control in a lookup map.
  virtual void createNoValKnobControl(std::string name, int paramIdx, int x, int y,
                                      std::string imageId, double defaultValue, double minValue,
                                      double maxValue, double fourth, int part, ControlLayer* layer,
                                      std::string group) = 0;
  virtual void createCCKnobControl(int ccNumber, int channel, std::string name, int paramIdx, int x,
                                   int y, std::string imageId, double defaultValue, double minValue,
                                   double maxValue, double step, LinkInfo link, int part,
                                   ControlLayer* layer, std::string group) = 0;
  // The MSB/LSB kinds (a CC number and three NRPN numbers, message type 3, which sends nothing):
  // no layout element selects them. On the mixer and settings pages (knobs and menus: the five
  // of the mixers; switches: those and the eight additional-settings layers) the binding takes
  // the mixer channel as its channel key, elsewhere part + 1; the sub-key is 1 on the pages for
  // knobs and menus, else 0. A control built without a layer counts as off the pages.
  virtual void createMsbLsbKnobControl(int ccNumber, int nrpn1, int nrpn2, int nrpn3,
                                       int mixerChannel, std::string name, int paramIdx, int x,
                                       int y, std::string imageId, double defaultValue,
                                       double minValue, double maxValue, double fourth,
                                       LinkInfo link, int part, ControlLayer* layer,
                                       std::string group) = 0;
  virtual void createMsbLsbBoolControl(int ccNumber, int nrpn1, int nrpn2, int nrpn3,
                                       int mixerChannel, std::string name, int paramIdx, int x,
                                       int y, std::string imageId, double defaultOn,
                                       double offValue, double onValue, LinkInfo link, int part,
                                       ControlLayer* layer, std::string group) = 0;
  virtual void createMsbLsbSelectionCCControl(int ccNumber, int nrpn1, int nrpn2, int nrpn3,
                                              int mixerChannel, std::string name, int paramIdx,
                                              int x, int y, int w, int h, int defaultValue,
                                              int minValue, int maxValue, int firstNumber,
                                              int lastNumber, std::vector<std::string> texts,
                                              int part, ControlLayer* layer, std::string group) = 0;
  virtual void createSysExKnobControl(std::string name, int paramIdx, int x, int y,
                                      std::string imageId, double defaultValue, double minValue,
                                      double maxValue, double fourth, int msgZeroVal,
                                      int sysexIndex, int changingByte, int part, LinkInfo link,
                                      ControlLayer* layer, std::string group) = 0;
  virtual void createCCSliderControl(int ccNumber, int channel, std::string name, int paramIdx,
                                     int x, int y, int length, std::string imageId,
                                     double defaultValue, double minValue, double maxValue,
                                     LinkInfo link, int part, ControlLayer* layer,
                                     std::string group, EDirection direction, bool flag) = 0;
  virtual void createSysExSliderControl(std::string name, int paramIdx, int x, int y, int length,
                                        std::string imageId, double defaultValue, double minValue,
                                        double maxValue, double fourth, int msgZeroVal,
                                        int sysexIndex, int changingByte, int part, LinkInfo link,
                                        ControlLayer* layer, std::string group,
                                        EDirection direction, bool flag) = 0;
  virtual void createBoolControl(std::string name, int paramIdx, int defaultOn, int x, int y,
                                 std::string imageId, int part, ControlLayer* layer,
                                 std::string group) = 0;
  virtual void createSwitchControl(std::string name, int paramIdx, int defaultOn, int x, int y,
                                   std::string imageId, int part, ControlLayer* layer,
                                   std::string group) = 0;
  // The momentary button the plug-in makes for itself; returns it.
  virtual IControl* createAutoOffSwitchControl(std::string name, int paramIdx, int x, int y,
                                               std::string imageId, int part, ControlLayer* layer,
                                               std::string group) = 0;
  virtual void createCCBoolControl(int ccNumber, int channel, std::string name, int paramIdx, int x,
                                   int y, std::string imageId, double defaultOn, double offValue,
                                   double onValue, LinkInfo link, int part, ControlLayer* layer,
                                   std::string group) = 0;
  virtual void createSysExBoolControl(std::string name, int paramIdx, int x, int y,
                                      std::string imageId, double defaultOn, int msgZeroVal,
                                      int sysexIndex, int changingByte, int part, LinkInfo link,
                                      ControlLayer* layer, std::string group) = 0;
  virtual void createRadioControl(std::string name, int paramIdx, int x, int y, std::string imageId,
                                  int buttons, int part, ControlLayer* layer, std::string group,
                                  bool horizontal) = 0;
  virtual void createMultiSelectionCCControl(int ccNumber, int channel, std::string name,
                                             int paramIdx, int x, int y, int w, int h,
                                             int defaultValue, int minValue, int maxValue,
                                             int firstNumber, int lastNumber,
                                             const std::vector<std::string>& texts, int part,
                                             ControlLayer* layer, std::string group) = 0;
  virtual void createMultiSelectionSysExControl(std::string name, int paramIdx, int x, int y, int w,
                                                int h, int defaultValue, int minValue, int maxValue,
                                                int firstNumber, int lastNumber,
                                                const std::vector<std::string>& texts,
                                                int msgZeroVal, int color, int sysexIndex,
                                                int changingByte, int part, ControlLayer* layer,
                                                std::string group, bool white) = 0;

  // Menus, text fields and pictures without MIDI. The menus (but the multi-effect one) and the
  // text fields bind their parameter with message type 0, so that the plug-in finds the control
  // through it.
  // A caption that only shows "----"; the plug-in fills its menu.
  virtual void createDropDownMenu(std::string name, int paramIdx, int x, int y, int w, int h,
                                  int part, ControlLayer* layer, std::string group) = 0;
  // A menu of the list's texts; none is made unless the list has maxValue - minValue texts.
  virtual void createDropDownMenu2(std::string name, int paramIdx, int x, int y, int w, int h,
                                   int defaultValue, int minValue, int maxValue,
                                   const std::vector<std::string>& texts, int part,
                                   ControlLayer* layer, std::string group) = 0;
  // A menu of the hardware MIDI input ports (inputDev 1) or output ports (any other value).
  virtual void createMIDIDeviceSelectionControl(std::string name, int paramIdx, int x, int y, int w,
                                                int h, int inputDev, int part, ControlLayer* layer,
                                                std::string group) = 0;
  // The multi-effect menu: the list's texts, or numbers from firstNumber (sample names and
  // program numbers have rules of their own); its text is invisible unless visible is 1.
  virtual void createNoValDropDown(std::string name, int paramIdx, int x, int y, int w, int h,
                                   int defaultValue, int minValue, int maxValue, int firstNumber,
                                   int lastNumber, int visible,
                                   const std::vector<std::string>& texts, int part,
                                   ControlLayer* layer, std::string group, bool white) = 0;
  // A read-only line of text that the plug-in writes (the central display and status lines).
  virtual void createControlDisplay(std::string name, int paramIdx, int x, int y, int w, int h,
                                    int part, ControlLayer* layer, std::string group,
                                    bool white) = 0;
  // An editable name over a text parameter, at most nameLen characters (0: no limit).
  virtual void createNameDisplay(std::string name, int paramIdx, int x, int y, int w, int h,
                                 int nameLen, int part, ControlLayer* layer, std::string group) = 0;
  // A picture without a parameter, one frame high.
  virtual void createBackground(std::string imageId, int x, int y, ControlLayer* layer) = 0;
  // The librarian's bank view over the area x, y, w, h (layout pixels); returns it.
  virtual LibrarianViewControl* createLibrarianView(std::string imageId, int x, int y, int w, int h,
                                                    ControlLayer* layer) = 0;

 protected:
  // Layer tree, editor side. A new layer is owned by nobody until attachLayer hands it to its
  // parent layer (or to the graphics object when parent is null).
  virtual ControlLayer* newLayer(int id, const std::string& name) = 0;
  virtual void attachLayer(ControlLayer* layer, ControlLayer* parent) = 0;
  // The ignore-hidden flag of the layer and every layer inside it.
  virtual void setLayerOverlay(ControlLayer* layer, bool overlay) = 0;

  // Binding steps the builders share.
  // The parameter's binding, made when it has none; its message type becomes `messageType`.
  ControlAction& bindControlAction(int paramIdx, int messageType);
  // CC number, channel key (part + 1 inside a part, else the element's channel) and sub-key,
  // then the control in the CC lookup under them (replacing one registered there before).
  void bindCCControl(ControlAction& action, int ccNumber, int channel, int part, int subKey,
                     IControl* control);
  // The MSB/LSB kinds' numbers: the CC number (no key), then the three NRPN numbers, then the
  // control in the NRPN lookup under the channel key, the NRPN numbers and the sub-key.
  struct MsbLsbNumbers {
    int ccNumber, nrpn1, nrpn2, nrpn3;
  };
  void bindNRPNControl(ControlAction& action, const MsbLsbNumbers& numbers, int channelKey,
                       int subKey, IControl* control);
  // The SysEx steps before a SysEx control is made: the template of sysexIndex, `count`
  // messages from `first` with the part in place, and the lookup address of the first. The
  // table's entry 0 is for the parameter value `minValue`. False, with one log line naming the
  // element, when the element must be skipped.
  bool precomputeSysEx(int sysexIndex, int changingByte, int count, int first, int minValue,
                       int part, ControlActionSysExMessage& table, unsigned char* address);

  // Logs why the element being built is skipped, naming it and its line.
  void logSkipped(const std::string& reason) const;
  void log(const std::string& message) const;

 private:
  // Loads, deciphers and parses a resource; false (logged) when it yields no element `root`.
  bool loadDocument(int id, const char* name, const char* root, tinyxml2::XMLDocument& document,
                    std::string& text) const;

  // The index of an identifier, or -1, without a log line.
  int findParam(const std::string& name) const;

  // The walk, element by element.
  void processElement(const tinyxml2::XMLElement& xml, ControlLayer* layer, int part);
  // Resolves the element's paramId into its index: identifier + max(part, 0) + offset. The
  // reason when it names no parameter, else empty.
  std::string resolveParamIdx(LayoutElement& e) const;
  void closeElement(const LayoutElement& e);
  void processLayer(const LayoutElement& e);
  void processMultiLayer(const LayoutElement& e);
  // The one handler of the MIDI-bound control elements; "type" picks the builder.
  void processControlElement(const LayoutElement& e);
  // The fixed-purpose elements.
  void processPatchBrowser(const LayoutElement& e);
  void processBackground(const LayoutElement& e);
  void processDisplay(const LayoutElement& e);
  void processSwitch(const LayoutElement& e);
  void processAutoOff(const LayoutElement& e);
  void processDropMenu(const LayoutElement& e);
  void processMultiFx(const LayoutElement& e);
  void processRadio(const LayoutElement& e);
  // False, with a log line, for an element that needs a parameter and names none.
  bool hasParam(const LayoutElement& e) const;
  // Binding of a parameter index, made when missing; the index must name a parameter.
  std::unique_ptr<ControlAction>& actionSlot(int paramIdx);

  TK_LogSink* mLog = nullptr;
  ResourceLoader mLoader;

  IGraphics* mGraphics = nullptr;
  UIConfigPlugin* mPlugin = nullptr;
  PatchLibrarian* mLibrarian = nullptr;
  int mStyle = 0;
  double mScale = 1.0;
  // The element the walk is building, for the log lines of skipped elements.
  const LayoutElement* mElement = nullptr;

  std::map<std::string, int> paramNames;
  std::vector<SysExContainer> sysexList;
  std::map<std::string, std::vector<std::string>> valueLists;
  std::string groupText;
  std::map<std::string, ControlLayer*> layerMap;
  LibrarianViewControl* librarianView = nullptr;
  std::vector<std::unique_ptr<ControlAction>> controlActions;  // by parameter index
  SysExControlContainer sysexControlMap;
  NRPNControlContainer nrpnControlMap;
  CCControlContainer ccControlMap;
  ProgramByPartsMap programByPartsMap;
};
