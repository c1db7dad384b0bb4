#include "src/editor/TabSwitchFunctions.h"

#include <string>

#include "src/config/ParameterIds.h"
#include "src/editor/EditorElements.h"
#include "src/editor/EditorHost.h"
#include "src/editor/ProgressIndicator.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "src/protocol/SoundDump.h"
#include "src/protocol/SysExFormat.h"
#include "toolkit/plugin/base/IParam.h"
#include "toolkit/plugin/editor/ControlLayer.h"

using namespace layer_visibility;

namespace {

// The pages, by main tab.
enum Page { kMultiPage = 0, kLibrarianPage, kOscillatorPage, kFilterPage, kLfoPage, kEffectPage };
// What the lower librarian list shows, of the kinds that choose its pop-up.
constexpr int kLowerListCategories = 1;
constexpr int kLowerListSearch = 4;

void grayOut(IControl* control, bool gray) {
  if (control) control->GrayOut(gray);
}

// The child at a position of the layer's list; null when there is none.
ControlLayer* childAt(const ControlLayer* layer, int position) {
  if (!layer || position < 0 || position >= layer->childLayers.GetSize()) return nullptr;
  return layer->childLayers.Get(position);
}

// Shows the child whose id is `id` and hides the others.
void selectChild(ControlLayer* layer, int id) {
  layer->selectedChildId = id;
  for (int i = 0; i < layer->childLayers.GetSize(); ++i)
    show(layer->childLayers.Get(i), layer->childLayers.Get(i)->id == id);
}

bool isPart(int part) {
  return part >= 0 && part < partCount;
}

// Greys an oscillator's three zones (first, first + 10, first + 20) by its shape.
void grayOscillatorZones(ControlLayer* panel, int first, int shape) {
  bool gray[3] = {true, true, true};
  if (shape == 1) gray[0] = gray[2] = false;
  if (shape == 2) gray[2] = false;
  if (shape >= 5) gray[0] = gray[1] = gray[2] = false;
  for (int zone = 0; zone < 3; ++zone) panel->GrayOutCustomZone(gray[zone], first + 10 * zone);
}

// The picture of a filter type: LP, BP, HP, Notch, CombMinus, CombPlus; -1 for none.
int filterPicture(int type) {
  static const int pictures[] = {-1, 0, 0, 1, 1, 2, 2, 3, 3, 4, 5};
  if (type <= 0) return -1;
  return type > 10 ? 0 : pictures[type];
}

// One switch: the plug-in's state as the switches read it, and the steps they share.
class Switch {
 public:
  explicit Switch(EditorHost& host) : host(host), layers(host.tabLayers()) {}

  double plain(int paramIdx) const {
    const IParam* param = host.displayParam(paramIdx);
    return param ? param->Value() : 0.0;
  }
  // A per-part parameter's value cut toward zero; 0 for a part outside 0..15.
  int partValue(int identifier, int part) const {
    return isPart(part) ? sysex::truncateValue(plain(identifier + part)) : 0;
  }
  std::string partText(int identifier, int part) const {
    const IParam* param = isPart(part) ? host.displayParam(identifier + part) : nullptr;
    return param ? param->CopyDisplayText(0) : "";
  }
  // The category of the part's sound, named by its number; none for a part outside 0..15.
  std::string categoryText(int part) const {
    return sound_dump::categoryText(isPart(part) ? partValue(kCategoryName, part) : -1);
  }

  void hideSwitchedLayers() const;
  // The selector panel of the Multi in multi mode, else that of the part.
  void showBankPanel(int part) const;
  void showLibrarianPage(int part) const;
  // The librarian view and the librarian select the part's program.
  void selectProgramOf(int part) const;
  // The page's sub-panels for the part, on the panel the page has selected.
  void refreshPage(int tab, int part) const;
  void refreshOscillators(ControlLayer* panel, int part) const;
  void refreshFiltersEnvelopes(ControlLayer* panel, int part) const;
  void refreshLfos(ControlLayer* panel, int part) const;
  void refreshEffects(ControlLayer* panel, int part) const;
  void showEffectPanel() const;
  // The overlay as a running transfer requested it. The switch itself never draws, so it needs
  // no overlay of its own while it works; a transfer's overlay stays up.
  void refreshOverlay() const {
    if (layers.progress) layers.progress->applyRequest();
  }

  EditorHost& host;
  const TabLayers& layers;
};

void Switch::hideSwitchedLayers() const {
  hideAll(layers.popups);
  hideAll(layers.filterPictures[0]);
  hideAll(layers.filterPictures[1]);
  hide(layers.multiModeSettingsPage1);
  hideAll(layers.multiSettingsPart);
  hideAll(layers.effectPanels);
  for (ControlLayer* librarian :
       {layers.categoryLimit, layers.searchField, layers.discardChangesLayerRight,
        layers.keepBankOpenLayer, layers.saveChangesLayer})
    hide(librarian);
}

void Switch::showBankPanel(int part) const {
  hideAll(layers.bankAndProgram);
  hide(layers.bankAndProgramMulti);
  if (host.multiMode())
    show(layers.bankAndProgramMulti);
  else if (isPart(part))
    show(layers.bankAndProgram[part]);
}

void Switch::showLibrarianPage(int part) const {
  grayOut(layers.randomize, true);
  if (layers.librarianView) layers.librarianView->dragEnabled = true;
  show(layers.popups[TabLayers::kBankEditMenu]);
  show(layers.keepBankOpenLayer);
  if (plain(kBankEditUnsaved) == 1.0) {
    show(layers.discardChangesLayerRight);
    hide(layers.keepBankOpenLayer);
  }
  show(layers.saveChangesLayer);
  if (!host.keepSelectedBank()) selectProgramOf(part);
  if (host.multiMode()) {
    show(layers.popups[TabLayers::kLeftPerformancePopup]);
    show(layers.popups[TabLayers::kRightPerformancePopup]);
  } else {
    show(layers.categoryLimit);
    show(layers.popups[TabLayers::kUpperPopup]);
    const int lowerList = host.lowerListKind();
    if (lowerList == kLowerListCategories) {
      show(layers.popups[TabLayers::kRightPatchPopup]);
    } else if (lowerList == kLowerListSearch) {
      hide(layers.categoryLimit);
      show(layers.searchField);
      show(layers.popups[TabLayers::kRightSearchPopup]);
    } else {
      show(layers.popups[TabLayers::kLowerPopup]);
    }
  }
  refreshOverlay();
}

void Switch::selectProgramOf(int part) const {
  if (!isPart(part)) return;
  const int program = partValue(kMultiPartPatch, part);
  LibrarianViewControl* view = layers.librarianView;
  if (view) {
    view->upperSelection = program;
    view->setRedraw();
  }
  host.setLibrarianSelectedProgram(program);
  if (view) view->patchSelectionUpperChanged();
  host.OnParamChange(kCurrentPatchBank + part);
}

void Switch::refreshPage(int tab, int part) const {
  using Refresh = void (Switch::*)(ControlLayer*, int) const;
  const struct {
    ControlLayer* page;
    Refresh refresh;
  } pages[] = {
      {layers.oscillators, &Switch::refreshOscillators},
      {layers.filtersEnvelopes, &Switch::refreshFiltersEnvelopes},
      {layers.lfoModMatrix, &Switch::refreshLfos},
      {layers.effectsArp, &Switch::refreshEffects},
  };
  if (tab < kOscillatorPage || tab > kEffectPage) return;
  const auto& p = pages[tab - kOscillatorPage];
  if (!p.page) return;
  if (ControlLayer* panel = childAt(p.page, p.page->selectedChildId))
    (this->*p.refresh)(panel, part);
}

void Switch::refreshOscillators(ControlLayer* panel, int part) const {
  const struct {
    int firstZone, useSamples, shape;
  } oscillators[] = {{10, kOsc1UseSampleMemory, kOscillator1Shape},
                     {40, kOsc2UseSampleMemory, kOscillator2Shape}};
  for (const auto& o : oscillators) {
    for (int zone = 0; zone < 3; ++zone) panel->showMultiLayers(o.firstZone + 10 * zone);
    // With sample memory in use the zones keep their state.
    if (partValue(o.useSamples, part) != 1)
      grayOscillatorZones(panel, o.firstZone, partValue(o.shape, part));
  }
  const int shape3 = partValue(kOscillator3Shape, part);
  panel->showMultiLayers(70);
  panel->showMultiLayers(80);
  panel->GrayOutCustomZone(shape3 != 1, 70);
  panel->GrayOutCustomZone(shape3 != 1 && shape3 != 2, 80);
  panel->showMultiLayers(90 + partValue(kOsc1UseSampleMemory, part));
  panel->showMultiLayers(100 + partValue(kOsc2UseSampleMemory, part));
}

void Switch::refreshFiltersEnvelopes(ControlLayer* panel, int part) const {
  const int modes[] = {kFilterEnvMode, kAmpEnvMode, kEnvelope3Mode, kEnvelope4Mode};
  for (int i = 0; i < 4; ++i) panel->showMultiLayers(10 * (i + 1) + partValue(modes[i], part));
  hideAll(layers.filterPictures[0]);
  hideAll(layers.filterPictures[1]);
  const int types[2] = {kFilter1Type, kFilter2Type};
  for (int filter = 0; filter < 2; ++filter) {
    const int picture = filterPicture(partValue(types[filter], part));
    if (picture >= 0) show(layers.filterPictures[filter][picture]);
  }
}

void Switch::refreshLfos(ControlLayer* panel, int part) const {
  const int clocks[] = {kLFO1Clock, kLFO2Clock, kLFO3Clock};
  for (int i = 0; i < 3; ++i) {
    const int zone = 10 * (i + 1);
    panel->showMultiLayers(zone);
    // A clocked LFO takes its speed from the clock.
    panel->GrayOutCustomZone(partValue(clocks[i], part) == 1, zone);
  }
}

void Switch::refreshEffects(ControlLayer* panel, int part) const {
  const int mode = partValue(kEffect1Mode, part);
  panel->showMultiLayers(10 + mode);
  // The first effect serves parts 1 to 4 only.
  panel->GrayOutCustomZone(part >= 4, 10 + mode);
  if (mode == 0) panel->GrayOutCustomZone(true, 10);
}

void Switch::showEffectPanel() const {
  const int mode = partValue(kEffect2Mode, 0);
  if (mode < 0 || mode >= TabLayers::kEffectPanels) return;
  show(layers.effectPanels[mode]);
  if (mode == 0 && layers.effectPanels[0]) layers.effectPanels[0]->GrayOut(true);
}

}  // namespace

void TabSwitchFunctions::mainTabSwitch(EditorHost* plugin, int, int tab, int part) {
  const Switch s(*plugin);
  const TabLayers& layers = s.layers;
  if (layers.root) {
    selectChild(layers.root, tab);
    // The pages take clicks only inside a shown root.
    layers.root->visible = true;
  }
  show(layers.miniMixer, tab != kMultiPage);
  s.hideSwitchedLayers();
  grayOut(layers.randomize, true);
  s.showBankPanel(part);
  plugin->setTextDisplay(kControlDisplayPatch, s.partText(kPatchName, part));
  plugin->setTextDisplay(kControlDisplayCategory, s.categoryText(part));
  if (tab == kMultiPage) {
    hideAll(layers.bankAndProgram);
    show(layers.bankAndProgramMulti);
    show(layers.multiModeSettingsPage1);
    for (int q = 0; q < partCount; ++q)
      show(layers.multiSettingsPart[q], s.plain(kMultiPartSettings + q) >= 1.0);
    return;
  }
  grayOut(layers.randomize, false);
  if (ControlLayer* page = childAt(layers.root, tab)) selectChild(page, part);
  if (tab == kLibrarianPage) {
    s.showLibrarianPage(part);
    return;
  }
  s.refreshPage(tab, part);
  if (tab == kEffectPage) s.showEffectPanel();
}

void TabSwitchFunctions::quickTabSwitch(EditorHost* plugin, int paramIdx, int part, bool) {
  const Switch s(*plugin);
  const TabLayers& layers = s.layers;
  const int shownPart = sysex::truncateValue(s.plain(paramIdx));
  s.showBankPanel(part);
  const int tab = layers.root ? layers.root->selectedChildId : kMultiPage;
  ControlLayer* page = tab > kMultiPage ? childAt(layers.root, tab) : nullptr;
  if (!page) return;
  selectChild(page, part);
  if (isPart(shownPart)) plugin->setCurrentPart(shownPart);
  if (tab == kLibrarianPage) {
    if (!plugin->keepSelectedBank()) s.selectProgramOf(shownPart);
    s.refreshOverlay();
    if (LibrarianViewControl* view = layers.librarianView) {
      const int program = s.partValue(kMultiPartPatch, shownPart);
      (view->activeList == 1 ? view->lowerSelection : view->upperSelection) = program;
    }
  } else {
    s.refreshPage(tab, shownPart);
  }
  plugin->setTextDisplay(kControlDisplayPatch, s.partText(kPatchName, part));
  plugin->setTextDisplay(kControlDisplayCategory, s.categoryText(shownPart));
}
