#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "BuilderTestSupport.h"
#include "FakeDisplayHost.h"
#include "src/config/ParameterIds.h"
#include "src/editor/EditorElements.h"
#include "src/editor/EditorHost.h"
#include "src/editor/ProgressIndicator.h"
#include "src/editor/TabSwitchFunctions.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/midi/MidiBackend.h"
#include "toolkit/plugin/midi/MidiBackendMemory.h"

namespace {

// The librarian page: one element of each fixed-purpose kind, and two part copies.
const char* const librarianPage = R"(
<layer name="librarian" id="1">
  <background imageId="KNOB" position="10,20"/>
  <patchBrowser imageId="SWITCH" paramId="kMainTab" bounds="100,120,300,200"/>
  <display name="Status" paramId="kControlDisplayName" bounds="0,0,200,14"/>
  <display paramId="kControlDisplayName" bounds="0,20,200,14" white="1"/>
  <autooff name="Go" paramId="kRandomize" imageId="SWITCH" position="50,40"/>
  <dropMenu type="textSelection" name="Bank" paramId="kPatchSelectionListUpper" bounds="1,2,80,13"/>
  <dropMenu type="dropSelection" name="Timer" paramId="kLibSyncTimer" bounds="5,6,80,13"
            valueBounds="2,0,3" valueList="timer"/>
  <dropMenu type="nameSelection" name="R" paramId="kPatchRename" bounds="0,0,80,13" nameLen="16"/>
  <dropMenu type="deviceSelection" paramId="kDeviceInSelection" bounds="0,0,90,13" inputDev="1"/>
  <dropMenu type="deviceSelection" paramId="kDeviceOutSelection" bounds="0,20,90,13" inputDev="2"/>
  <multilayer name="part" create="2">
    <dropMenu type="nameSelection" name="Name" paramId="kPatchName" bounds="0,0,80,13"/>
    <multiFx type="Menu" name="Step" paramId="kFilter1Type" position="1,2,40,13"
             valueBounds="0,0,3" valueDisplay="1:16" visible="0"/>
    <multiFx type="Menu" name="Dir" paramId="kArpDirection" position="0,20,40,13"
             valueBounds="2,1,4" valueDisplay="1:16" visible="1"/>
    <multiFx type="Knob" name="Depth" paramId="kLFO1Speed" position="60,20" imageId="KNOB"
             valueBounds="30,10,90,5"/>
  </multilayer>
</layer>)";

// A layer with a picture, which shows greying.
std::string layer(const std::string& name, int id = 0) {
  return "<layer name=\"" + name + "\" id=\"" + std::to_string(id) +
         "\"><background imageId=\"SWITCH\"/></layer>";
}

// Pages under root, the sound pages with 16 part panels of members, and the other layers.
std::string editorLayout() {
  const std::pair<const char*, std::vector<int>> pages[] = {
      {"oscillators", {10, 20, 30, 40, 50, 60, 70, 80, 90, 91, 100, 101}},
      {"filtersEnvelopes", {10, 11, 20, 21, 30, 31, 40, 41}},
      {"lfoModMatrix", {10, 20, 30}},
      {"effectsArp", {10, 11, 12, 13}}};
  std::string xml = R"(<uiconfig><valueLists><list name="timer"><value>50</value><value>75</value>
      <value>100</value></list></valueLists><layer name="root">)" +
                    layer("multi") + librarianPage;
  for (int page = 0; page < 4; ++page) {
    xml += "<layer name=\"" + std::string(pages[page].first) + "\" id=\"" +
           std::to_string(page + 2) + "\"><multilayer name=\"" + pages[page].first +
           "Part\" create=\"16\">";
    for (int member : pages[page].second) xml += layer("z" + std::to_string(member), member);
    xml += "</multilayer></layer>";
  }
  std::istringstream names(
      "miniMixer multiModeSettingsPage1 bankAndProgramMulti categoryLimit searchField "
      "discardChangesLayerRight keepBankOpenLayer saveChangesLayer filter1LP filter1BP filter1HP "
      "filter1Notch filter1CombMinus filter1CombPlus filter2LP filter2BP filter2HP filter2Notch "
      "filter2CombMinus filter2CombPlus Bypass Chorus Flanger Phaser Overdrive TripleFX Delay "
      "DelayClocked Reverb UPPERPOPUPMENU LOWERPOPUPMENU LeftPerformancePopupMenu "
      "RightPerformancePopupMenu BANKEDITMENU RightPatchPopupMenu RightSearchPopupMenu");
  xml += "</layer>";
  for (std::string name; names >> name;) xml += layer(name);
  for (int part = 1; part <= 16; ++part) {
    const std::string number = (part < 10 ? "0" : "") + std::to_string(part);
    xml += layer("bankAndProgram" + number) + layer("multiSettingsPart" + number);
  }
  return xml + "</uiconfig>";
}

// The editor and its host as the plug-in's constructor leaves them.
class EditorPage : public builder_test::Builders, public FakeHostOf<EditorHost> {
 protected:
  EditorPage() {
    MidiBackend::setCurrent(&ports);
    ports.addInputPort("Keys In");
    ports.addOutputPort("Synth Out");
    read(1.0, editorLayout());
    MidiBackend::setCurrent(nullptr);
    lines.clear();
    TabLayers& l = layers;
    l.lookUp(config);
    displays.lookUp(config);
    for (int i = 0; i < TabLayers::kPopups; ++i)
      l.popups[i] = config.getLayer(TabLayers::popupLayers[i].name);
    config.preloadImage(plug.graphics, 9008, "PROGRESS_INDICATOR_ID", "400x300", 1, false);
    config.preloadImage(plug.graphics, 9009, "BUTTON_LIB_CANCEL_ID", "40x20", 1, false);
    l.progress = makeProgressLayer(config);
    config.graphics()->AttachLayer(l.progress->layer());
  }
  // Switches from another page, with layers shown that the switch must hide, to the page.
  std::string mainTab(int tab, int part) {
    tabs.mainTabSwitch(this, kMainTab, 2, 9);
    for (ControlLayer* l : {layers.popups[TabLayers::kLowerPopup], layers.effectPanels[1]})
      l->Hide(false);
    tabs.mainTabSwitch(this, kMainTab, tab, part);
    EXPECT_EQ(layers.randomize->IsGrayed(), tab <= 1) << tab;
    return shown();
  }
  void set(const std::vector<std::pair<int, double>>& values) {
    for (const auto& v : values) param(v.first)->Set(v.second);
  }
  // The shown layers by name, sorted; "*" marks a greyed one, "z" the members of a panel.
  std::string shown() const {
    std::vector<std::string> names;
    for (int i = 0; i < plug.graphics->NLayers(); ++i) collect(plug.graphics->GetLayer(i), names);
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : ",") + name;
    return joined;
  }

  const IParam* displayParam(int paramIdx) const override { return plug.GetParam(paramIdx); }
  void setCurrentPart(int p) override { part = p; }
  bool multiMode() const override { return multi; }
  bool keepSelectedBank() const override { return keep; }
  int lowerListKind() const override { return categories ? 1 : search ? 4 : 0; }
  const TabLayers& tabLayers() const override { return layers; }
  void setLibrarianSelectedProgram(int p) override { calls.push_back(p); }
  void OnParamChange(int paramIdx) override { calls.push_back(paramIdx); }
  void setTextDisplay(int param, const std::string& text) override {
    (param == kControlDisplayPatch ? patchName : categoryName) = text;
  }

  MidiBackendMemory ports;
  TabLayers layers;
  DisplayControls displays;
  TabSwitchFunctions tabs;
  bool multi = false, keep = false, categories = false, search = false;
  std::vector<int> calls;  // programs selected, parameters changed
  std::string patchName, categoryName;

 private:
  static void collect(ControlLayer* l, std::vector<std::string>& names) {
    if (!l->IsVisible()) return;
    names.push_back(l->name + (l->controls.GetSize() && l->controls.Get(0)->IsGrayed() ? "*" : ""));
    for (int i = 0; i < l->childLayers.GetSize(); ++i) collect(l->childLayers.Get(i), names);
  }
};

TEST_F(EditorPage, EveryFixedPurposeElementBuildsItsControlParameterAndBinding) {
  ControlLayer* page = config.getLayer("librarian");
  ControlLayer* part = config.getLayer("part1");
  ASSERT_EQ(page->controls.GetSize(), 10);  // the port menus too: a page's pictures hide nothing
  ASSERT_EQ(plug.graphics->NControls(), 0);
  const IColor white(255, 255, 255, 255), grey(255, 187, 187, 187), blue(255, 0, 174, 255),
      silver(255, 200, 200, 200);
  const struct {
    IControl* control;
    int paramIdx;  // the parameter it is bound or listed under
    IRECT rect;
    const char* texts;
    int messageType;  // -1: no binding
    IColor colour;
  } cases[] = {
      {page->controls.Get(0), -1, {10, 20, 70, 80}, "", -1, {}},  // one frame
      {page->controls.Get(1), kLibrarianArea, {100, 120, 140, 150}, "", -1, {}},
      {page->controls.Get(2), kControlDisplayName, {0, 0, 200, 14}, "", 0, white},
      {page->controls.Get(3), kControlDisplayName, {0, 20, 200, 34}, "", 0, {255, 241, 243, 33}},
      {page->controls.Get(5), kPatchSelectionListUpper, {1, 2, 81, 15}, "----", 0, silver},
      {page->controls.Get(6), kLibSyncTimer, {5, 6, 85, 19}, "50|75|100", 0, {255, 255, 173, 0}},
      {page->controls.Get(7), kPatchRename, {0, 0, 80, 13}, "New Name", 0, {255, 225, 225, 225}},
      {page->controls.Get(8), kDeviceInSelection, {0, 0, 90, 13}, "OFF|Keys In", 0, blue},
      {page->controls.Get(9), kDeviceOutSelection, {0, 20, 90, 33}, "OFF|Synth Out", 0, blue},
      {part->controls.Get(0), kPatchName + 1, {0, 0, 80, 13}, "-- INIT --", 0, grey},
      {part->controls.Get(1), kFilter1Type + 1, {1, 2, 41, 15}, "1|2|3", -1, {0, 255, 173, 0}},
      // Default 2 between 1 and 4: three entries, numbered from 1.
      {part->controls.Get(2), kArpDirection + 1, {0, 20, 40, 33}, "1|2|3", -1, {255, 255, 173, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.control->GetRECT(), c.rect) << c.paramIdx;
    EXPECT_EQ(c.control->GetText()->mColor, c.colour) << c.paramIdx;
    if (c.paramIdx < 0) continue;
    EXPECT_EQ(builder_test::textsOf(param(c.paramIdx)), c.texts) << c.paramIdx;
    const ControlAction* a = config.getControlAction(c.paramIdx);
    EXPECT_EQ(a ? a->messageType : -1, c.messageType) << c.paramIdx;
    EXPECT_TRUE(!a || std::count(a->controls.begin(), a->controls.end(), c.control)) << c.paramIdx;
  }
  EXPECT_EQ(param(kArpDirection + 1)->GetDefault(), 2);
  for (int ports : {kDeviceInSelection, kDeviceOutSelection}) {
    EXPECT_STREQ(param(ports)->GetNameForHost(), "Device Selection");
    EXPECT_EQ(param(ports)->Type(), IParam::kTypeEnum);
    EXPECT_EQ(param(ports)->GetMax(), 1) << "OFF and the one port";
  }
  const IParam* depth = param(kLFO1Speed + 1);
  EXPECT_EQ(std::vector<double>({depth->GetDefault(), depth->GetMin(), depth->GetMax()}),
            std::vector<double>({30, 10, 90}));
  EXPECT_EQ(part->controls.Get(3)->GetRECT(), IRECT(60, 20, 120, 80));  // the picture's size
  EXPECT_EQ(part->controls.Get(3)->ParamIdx(), kLFO1Speed + 1);
  EXPECT_EQ(page->controls.Get(1)->ParamIdx(), kLibrarianArea);  // whatever its paramId
  // After the walk the plug-in keeps what was built; each display missing is logged once.
  EXPECT_EQ(displays.name, page->controls.Get(2));
  EXPECT_EQ(lines.size(), 6u);
}

TEST_F(EditorPage, TheMainTabShowsExactlyThePageThePartAndTheLayersTheirParametersSelect) {
  set({{kMultiPartSettings + 2, 1.0}, {kMultiPartSettings + 5, 0.99}});
  EXPECT_EQ(mainTab(0, 2),
            "bankAndProgramMulti,multi,multiModeSettingsPage1,multiSettingsPart03,root");
  set({{kOscillator1Shape + 2, 1}, {kOscillator3Shape + 2, 2}});
  EXPECT_EQ(mainTab(2, 2),
            "bankAndProgram03,miniMixer,oscillators,oscillatorsPart2,root,z10,"
            "z100,z20*,z30,z40*,z50*,z60*,z70*,z80,z90");
  // Shape 1 greys 20, 0 all, 2 only 70; with sample memory oscillator 2 keeps its zones.
  set({{kOscillator2Shape + 2, 5}, {kOsc2UseSampleMemory + 2, 1}, {kOscillator1Shape + 2, 2}});
  multi = true;
  EXPECT_EQ(mainTab(2, 2),
            "bankAndProgramMulti,miniMixer,oscillators,oscillatorsPart2,root,"
            "z10*,z101,z20*,z30,z40*,z50*,z60*,z70*,z80,z90");
  multi = false;
  set({{kFilter1Type + 1, 11}, {kFilter2Type + 1, 9}, {kFilterEnvMode + 1, 1}});
  EXPECT_EQ(mainTab(3, 1),
            "bankAndProgram02,filter1LP,filter2CombMinus,filtersEnvelopes,"
            "filtersEnvelopesPart1,miniMixer,root,z11,z20,z30,z40");
  set({{kLFO1Clock + 4, 1}, {kLFO3Clock + 4, 1}});
  EXPECT_EQ(mainTab(4, 4),
            "bankAndProgram05,lfoModMatrix,lfoModMatrixPart4,miniMixer,root,z10*,z20,z30*");
  // The first effect is greyed from part 5 on, and whenever it is off.
  set({{kEffect1Mode + 4, 3}, {kEffect1Mode + 3, 3}, {kEffect2Mode, 7}});
  EXPECT_EQ(mainTab(5, 4),
            "DelayClocked,bankAndProgram05,effectsArp,effectsArpPart4,miniMixer,root,z13*");
  set({{kEffect2Mode, 0}});
  EXPECT_EQ(mainTab(5, 0),
            "Bypass*,bankAndProgram01,effectsArp,effectsArpPart0,miniMixer,root,z10*");

  search = true;
  layers.progress->request(true);  // a running transfer keeps its overlay
  EXPECT_EQ(mainTab(1, 0),
            "BANKEDITMENU,PROGRESS,RightSearchPopupMenu,UPPERPOPUPMENU,"
            "bankAndProgram01,keepBankOpenLayer,librarian,miniMixer,part0,root,"
            "saveChangesLayer,searchField");
  layers.progress->request(false);
  multi = true;
  set({{kBankEditUnsaved, 1.0}});
  EXPECT_EQ(mainTab(1, 1),
            "BANKEDITMENU,LeftPerformancePopupMenu,RightPerformancePopupMenu,"
            "bankAndProgramMulti,discardChangesLayerRight,librarian,miniMixer,"
            "part1,root,saveChangesLayer");
  multi = search = false;
  categories = true;
  EXPECT_EQ(mainTab(1, 0),
            "BANKEDITMENU,RightPatchPopupMenu,UPPERPOPUPMENU,bankAndProgram01,"
            "categoryLimit,discardChangesLayerRight,librarian,miniMixer,part0,root,"
            "saveChangesLayer");
}

// Each oscillator's shape decides which of its zones are greyed ("*").
TEST_F(EditorPage, EveryOscillatorShapeGreysItsZones) {
  const struct {
    int shapeParam, shape;
    std::vector<std::string> zones;
  } rows[] = {
      {kOscillator1Shape, 0, {"z10*", "z20*", "z30*"}},
      {kOscillator1Shape, 1, {"z10", "z20*", "z30"}},
      {kOscillator1Shape, 2, {"z10*", "z20*", "z30"}},
      {kOscillator1Shape, 4, {"z10*", "z20*", "z30*"}},
      {kOscillator1Shape, 5, {"z10", "z20", "z30"}},
      {kOscillator1Shape, 6, {"z10", "z20", "z30"}},
      {kOscillator2Shape, 1, {"z40", "z50*", "z60"}},
      {kOscillator2Shape, 2, {"z40*", "z50*", "z60"}},
      {kOscillator2Shape, 5, {"z40", "z50", "z60"}},
      {kOscillator3Shape, 0, {"z70*", "z80*"}},
      {kOscillator3Shape, 1, {"z70", "z80"}},
      {kOscillator3Shape, 2, {"z70*", "z80"}},
  };
  auto unmarked = [](const std::string& name) { return name.substr(0, name.find('*')); };
  for (const auto& row : rows) {
    set({{row.shapeParam + 3, row.shape}});
    std::istringstream names(mainTab(2, 3));
    std::vector<std::string> zones;
    for (std::string name; std::getline(names, name, ',');)
      for (const std::string& wanted : row.zones)
        if (unmarked(name) == unmarked(wanted)) zones.push_back(name);
    EXPECT_EQ(zones, row.zones) << row.shapeParam << " shape " << row.shape;
  }
}

// The librarian page has its own cancel button; every other page shares the second one.
TEST_F(EditorPage, TheProgressLayerPlacesOneCancelButtonPerKindOfPage) {
  std::vector<IControl*> buttons;
  const ControlLayer* progress = layers.progress->layer();
  EXPECT_FALSE(progress->IsVisible()) << "nothing asked for yet";
  for (int i = 0; i < progress->controls.GetSize(); ++i)
    if (progress->controls.Get(i)->ParamIdx() == kCancelDataRequest)
      buttons.push_back(progress->controls.Get(i));
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_TRUE(buttons[0]->IsHidden() && buttons[1]->IsHidden() && layers.progress->IsHidden())
      << "nothing asked for yet: no overlay, no cancel button";
  EXPECT_EQ(buttons[0]->GetRECT(), IRECT(835, 457, 875, 477));
  EXPECT_EQ(buttons[1]->GetRECT(), IRECT(740, 83, 780, 103));
  // Both are the one global parameter a host lists under the first part's group.
  EXPECT_STREQ(param(kCancelDataRequest)->GetNameForHost(), "Cancel Data Request");
  EXPECT_STREQ(param(kCancelDataRequest)->GetParamGroupForHost(), "Part 1:Global");
  // The overlay takes the clicks over the whole editor.
  EXPECT_EQ(layers.progress->GetTargetRECT(), IRECT(0, 0, 1500, 757));
  const struct {
    int tab;
    bool librarianShown;
  } pages[] = {{0, false}, {1, true}, {2, false}, {5, false}};
  for (const auto& page : pages) {
    set({{kMainTab, static_cast<double>(page.tab)}});
    layers.progress->request(true);
    layers.progress->applyRequest();
    EXPECT_EQ(buttons[0]->IsHidden(), !page.librarianShown) << page.tab;
    EXPECT_EQ(buttons[1]->IsHidden(), page.librarianShown) << page.tab;
  }
}

// Each filter type shows its picture: two types to each, the comb filters one each, none for
// type 0, and a type past the table the first.
TEST_F(EditorPage, EachFilterTypeShowsItsPicture) {
  const char* const pictures[] = {"",      "LP",    "LP",        "BP",       "BP", "HP", "HP",
                                  "Notch", "Notch", "CombMinus", "CombPlus", "LP", "LP"};
  for (int type = 0; type < 13; ++type) {
    const int other = 12 - type;
    set({{kFilter1Type + 2, static_cast<double>(type)},
         {kFilter2Type + 2, static_cast<double>(other)}});
    const std::string layers = mainTab(3, 2);
    std::string found;
    for (const std::string& filter : {std::string("filter1"), std::string("filter2")}) {
      const size_t at = layers.find(filter);
      found += at == std::string::npos ? "-" : layers.substr(at, layers.find(',', at) - at);
      found += " ";
    }
    auto expected = [&](int filter, int t) {
      return *pictures[t] ? "filter" + std::to_string(filter) + pictures[t] : std::string("-");
    };
    EXPECT_EQ(found, expected(1, type) + " " + expected(2, other) + " ") << type;
  }
}

// The second effect's mode shows its panel, the bypass one greyed; a mode past the panels none.
TEST_F(EditorPage, EachSecondEffectModeShowsItsPanel) {
  const char* const panels[] = {"Bypass*",  "Chorus", "Flanger",      "Phaser", "Overdrive",
                                "TripleFX", "Delay",  "DelayClocked", "Reverb", ""};
  for (int mode = 0; mode < 10; ++mode) {
    set({{kEffect2Mode, static_cast<double>(mode)}});
    std::istringstream names(mainTab(5, 0));
    std::string shownPanel;
    for (std::string name; std::getline(names, name, ',');)
      for (const char* panel : panels)
        if (*panel && name == panel) shownPanel = name;
    EXPECT_EQ(shownPanel, panels[mode]) << mode;
  }
}

TEST_F(EditorPage, ThePartTabShowsItsPanelNamesItsSoundAndSelectsItsProgram) {
  param(kPatchName + 6)->SetDisplayText(0, "Sound 6");
  set({{kQuickTab, 6},
       {kCategoryName + 6, 10},
       {kFilter2Type + 6, 4},
       {kFilter2Type, 9},  // part 0's picture goes when part 6 shows its own
       {kFilter1Type, 1},
       {kMultiPartPatch + 6, 99},
       {kMultiPartPatch + 2, 17}});
  tabs.mainTabSwitch(this, kMainTab, 3, 0);
  tabs.quickTabSwitch(this, kQuickTab, 6, false);
  EXPECT_EQ(shown(),
            "bankAndProgram07,filter2BP,filtersEnvelopes,filtersEnvelopesPart6,"
            "miniMixer,root,z10,z20,z30,z40");
  EXPECT_EQ(part, 6);
  EXPECT_EQ(patchName + " " + categoryName, "Sound 6 Perc");

  LibrarianViewControl* view = layers.librarianView;
  tabs.mainTabSwitch(this, kMainTab, 1, 2);
  EXPECT_EQ(calls, (std::vector<int>{17, kCurrentPatchBank + 2}));
  EXPECT_EQ(view->upperSelection, 17);
  keep = true;
  view->activeList = 1;
  layers.progress->request(true);  // a running transfer keeps its overlay
  tabs.quickTabSwitch(this, kQuickTab, 6, false);
  EXPECT_EQ(calls.size(), 2u);
  EXPECT_EQ(view->lowerSelection, 99);
  EXPECT_TRUE(layers.progress->layer()->IsVisible());

  layers = TabLayers();  // a layout that built none of them: the switches pass over each
  for (int tab = 0; tab < 6; ++tab) tabs.mainTabSwitch(this, kMainTab, tab, 0);
  EXPECT_EQ(patchName, "-- INIT --");
}

// Every page, and the part tab, shows the category of the part's sound by its number, as the
// synthesizer names it; a number past the named ones shows none.
TEST_F(EditorPage, EachSwitchShowsThePartsCategoryByItsNumber) {
  const struct {
    double category;
    const char* text;
  } rows[] = {{4, "Drum"}, {0, "Init"}, {12, "Seq"}, {13, ""}, {127, ""}};
  for (const auto& row : rows) {
    set({{kCategoryName + 6, row.category}, {kQuickTab, 6}});
    for (int tab : {0, 1, 3}) {
      categoryName = "stale";
      tabs.mainTabSwitch(this, kMainTab, tab, 6);
      EXPECT_EQ(categoryName, row.text) << "page " << tab << ", category " << row.category;
    }
    categoryName = "stale";
    tabs.quickTabSwitch(this, kQuickTab, 6, false);
    EXPECT_EQ(categoryName, row.text) << "part tab, category " << row.category;
  }
}

}  // namespace
