#include "src/editor/EditorElements.h"

#include <cstdio>
#include <string>

#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "toolkit/log.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/ITextControl.h"

namespace {

void logMissing(const UIConfigManager& config, const std::string& what) {
  TK_Log(config.logSink(), "CONFIG READER: ", what + " MISSING!");
}

// The layer of that name, logged when the layout has none.
ControlLayer* layerNamed(const UIConfigManager& config, const std::string& name) {
  ControlLayer* layer = config.getLayer(name);
  if (!layer) logMissing(config, "layer " + name);
  return layer;
}

// "base01" to "base16".
void lookUpParts(const UIConfigManager& config, const char* base, ControlLayer* (&layers)[16]) {
  for (int part = 0; part < 16; ++part) {
    char name[40];
    std::snprintf(name, sizeof name, "%s%02d", base, part + 1);
    layers[part] = layerNamed(config, name);
  }
}

IControl* firstControlOf(const UIConfigManager& config, int paramIdx) {
  const ControlAction* action = config.getControlAction(paramIdx);
  return action && !action->controls.empty() ? action->controls.front() : nullptr;
}

}  // namespace

const TabLayers::PopupLayer TabLayers::popupLayers[kPopups] = {{"UPPERPOPUPMENU", 70},
                                                               {"LOWERPOPUPMENU", 71},
                                                               {"LeftPerformancePopupMenu", 72},
                                                               {"RightPerformancePopupMenu", 73},
                                                               {"BANKEDITMENU", 74},
                                                               {"RightPatchPopupMenu", 75},
                                                               {"RightSearchPopupMenu", 78}};

void TabLayers::lookUp(const UIConfigManager& config) {
  const struct {
    ControlLayer* TabLayers::*layer;
    const char* name;
  } named[] = {
      {&TabLayers::root, "root"},
      {&TabLayers::oscillators, "oscillators"},
      {&TabLayers::filtersEnvelopes, "filtersEnvelopes"},
      {&TabLayers::lfoModMatrix, "lfoModMatrix"},
      {&TabLayers::effectsArp, "effectsArp"},
      {&TabLayers::miniMixer, "miniMixer"},
      {&TabLayers::multiModeSettingsPage1, "multiModeSettingsPage1"},
      {&TabLayers::bankAndProgramMulti, "bankAndProgramMulti"},
      {&TabLayers::categoryLimit, "categoryLimit"},
      {&TabLayers::searchField, "searchField"},
      {&TabLayers::discardChangesLayerRight, "discardChangesLayerRight"},
      {&TabLayers::keepBankOpenLayer, "keepBankOpenLayer"},
      {&TabLayers::saveChangesLayer, "saveChangesLayer"},
  };
  for (const auto& n : named) this->*n.layer = layerNamed(config, n.name);
  lookUpParts(config, "multiSettingsPart", multiSettingsPart);
  lookUpParts(config, "bankAndProgram", bankAndProgram);

  static const char* const filterTypes[kFilterTypes] = {"LP",    "BP",        "HP",
                                                        "Notch", "CombMinus", "CombPlus"};
  for (int filter = 0; filter < 2; ++filter)
    for (int type = 0; type < kFilterTypes; ++type)
      filterPictures[filter][type] =
          layerNamed(config, "filter" + std::to_string(filter + 1) + filterTypes[type]);
  static const char* const effects[kEffectPanels] = {"Bypass", "Chorus",       "Flanger",
                                                     "Phaser", "Overdrive",    "TripleFX",
                                                     "Delay",  "DelayClocked", "Reverb"};
  for (int mode = 0; mode < kEffectPanels; ++mode)
    effectPanels[mode] = layerNamed(config, effects[mode]);

  randomize = firstControlOf(config, kRandomize);
  if (!randomize) logMissing(config, "control of kRandomize");
  librarianView = config.getLibrarianView();
  if (!librarianView) logMissing(config, "librarian view");
}

void DisplayControls::lookUp(const UIConfigManager& config) {
  const struct {
    ITextControl* DisplayControls::*control;
    int paramIdx;
    const char* name;
  } displays[] = {
      {&DisplayControls::deviceOut, kDeviceOutSelection, "kDeviceOutSelection"},
      {&DisplayControls::deviceIn, kDeviceInSelection, "kDeviceInSelection"},
      {&DisplayControls::patchRename, kPatchRename, "kPatchRename"},
      {&DisplayControls::name, kControlDisplayName, "kControlDisplayName"},
      {&DisplayControls::value, kControlDisplayValue, "kControlDisplayValue"},
      {&DisplayControls::category, kControlDisplayCategory, "kControlDisplayCategory"},
      {&DisplayControls::patch, kControlDisplayPatch, "kControlDisplayPatch"},
      {&DisplayControls::cc, kControlDisplayCC, "kControlDisplayCC"},
      {&DisplayControls::build, kControlDisplayBuild, "kControlDisplayBuild"},
      {&DisplayControls::midiOutDelay, kControlDisplayMIDIOutDelay, "kControlDisplayMIDIOutDelay"},
  };
  for (const auto& d : displays) {
    this->*d.control = dynamic_cast<ITextControl*>(firstControlOf(config, d.paramIdx));
    if (!(this->*d.control)) logMissing(config, std::string("text display of ") + d.name);
  }
}

void layer_visibility::show(ControlLayer* layer, bool visible) {
  if (layer) layer->Hide(!visible);
}

void layer_visibility::hide(ControlLayer* layer) {
  show(layer, false);
}
