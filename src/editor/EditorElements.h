#pragma once

#include <cstddef>

class ControlLayer;
class IControl;
class ITextControl;
class LibrarianViewControl;
class ProgressIndicator;
class UIConfigManager;

// The layers the tab switches show, hide and grey, and the controls they touch. The plug-in looks
// the layout's up once the layout is built (lookUp) and adds those it makes itself. A layer or
// control the layout did not build stays null and is logged once; the switches pass it over.
struct TabLayers {
  static constexpr int kFilterTypes = 6;  // LP, BP, HP, Notch, CombMinus, CombPlus
  static constexpr int kEffectPanels = 9;

  // The pages (children of root, at the position of their ids 0 to 5); the four sound pages
  // hold one panel per part.
  ControlLayer* root = nullptr;
  ControlLayer* oscillators = nullptr;
  ControlLayer* filtersEnvelopes = nullptr;
  ControlLayer* lfoModMatrix = nullptr;
  ControlLayer* effectsArp = nullptr;
  ControlLayer* miniMixer = nullptr;
  ControlLayer* multiModeSettingsPage1 = nullptr;
  ControlLayer* multiSettingsPart[16] = {};
  ControlLayer* bankAndProgram[16] = {};
  ControlLayer* bankAndProgramMulti = nullptr;
  ControlLayer* filterPictures[2][kFilterTypes] = {};
  // "Bypass", "Chorus", ... "Reverb", by the effect mode.
  ControlLayer* effectPanels[kEffectPanels] = {};
  // The librarian page.
  ControlLayer* categoryLimit = nullptr;
  ControlLayer* searchField = nullptr;
  ControlLayer* discardChangesLayerRight = nullptr;
  ControlLayer* keepBankOpenLayer = nullptr;
  ControlLayer* saveChangesLayer = nullptr;
  // The first control bound to kRandomize.
  IControl* randomize = nullptr;
  LibrarianViewControl* librarianView = nullptr;

  // Made by the plug-in itself, as popupLayers names them.
  enum Popup {
    kUpperPopup,
    kLowerPopup,
    kLeftPerformancePopup,
    kRightPerformancePopup,
    kBankEditMenu,
    kRightPatchPopup,
    kRightSearchPopup,
    kPopups
  };
  ControlLayer* popups[kPopups] = {};
  struct PopupLayer {
    const char* name;
    int id;
  };
  static const PopupLayer popupLayers[kPopups];
  ProgressIndicator* progress = nullptr;

  // Takes the layout's layers by name, the Randomize control and the librarian view from the
  // configuration; logs each one missing to the configuration's log.
  void lookUp(const UIConfigManager& config);
};

// The text controls the plug-in writes into: the first control bound to each parameter. One the
// layout did not build (or built as no text control) stays null and is logged.
struct DisplayControls {
  ITextControl* deviceOut = nullptr;     // kDeviceOutSelection
  ITextControl* deviceIn = nullptr;      // kDeviceInSelection
  ITextControl* patchRename = nullptr;   // kPatchRename
  ITextControl* name = nullptr;          // kControlDisplayName: the status line
  ITextControl* value = nullptr;         // kControlDisplayValue: the value display
  ITextControl* category = nullptr;      // kControlDisplayCategory
  ITextControl* patch = nullptr;         // kControlDisplayPatch
  ITextControl* cc = nullptr;            // kControlDisplayCC
  ITextControl* build = nullptr;         // kControlDisplayBuild
  ITextControl* midiOutDelay = nullptr;  // kControlDisplayMIDIOutDelay

  void lookUp(const UIConfigManager& config);
};

// Showing and hiding layers that the layout may lack: a missing (null) layer is passed over.
namespace layer_visibility {
void show(ControlLayer* layer, bool visible = true);
void hide(ControlLayer* layer);
template <size_t N>
void hideAll(ControlLayer* const (&layers)[N]) {
  for (ControlLayer* layer : layers) hide(layer);
}
}  // namespace layer_visibility
