#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditorDoubles.h"
#include "toolkit/plugin/editor/ControlLayer.h"

using namespace editor_test;

// A page layer with two controls and three child layers (ids 10, 11, 12),
// each holding one control; the page selects child 11.
class LayerTest : public ::testing::Test {
 protected:
  LayerTest() : plug(1, 8) {
    graphics = new TestGraphics(&plug, 100, 100);
    plug.AttachGraphics(graphics);
    graphics->AttachPanelBackground(&COLOR_WHITE);
    page = new ControlLayer(1, "page");
    first = addTo(page, IRECT(0, 0, 10, 10), 0);
    second = addTo(page, IRECT(10, 0, 20, 10), 1);
    for (int i = 0; i < 3; ++i) {
      ControlLayer* child = new ControlLayer(10 + i, "child");
      children[i] = addTo(child, IRECT(0, 20, 50, 50), 2 + i);
      page->childLayers.Add(child);
    }
    page->selectedChildId = 11;
    graphics->AttachLayer(page);
  }
  Probe* addTo(ControlLayer* layer, IRECT rect, int paramIdx) {
    Probe* probe = new Probe(&plug, rect, paramIdx, "probe", nullptr);
    layer->controls.Add(probe);
    return probe;
  }
  ControlLayer* child(int i) { return page->childLayers.Get(i); }
  bool scanDirty(IRECT* region) { return graphics->IsDirty(region); }

  RecordingPlug plug;
  TestGraphics* graphics;
  ControlLayer* page;
  Probe* first;
  Probe* second;
  Probe* children[3];
};

TEST_F(LayerTest, ANeverShownLayerIsNotDrawnHitOrScannedButTakesValues) {
  IRECT region;
  EXPECT_FALSE(scanDirty(&region));  // every control is dirty since construction
  IRECT all(0, 0, 100, 100);
  graphics->Draw(&all);
  EXPECT_EQ(first->mDraws, 0);
  EXPECT_FALSE(first->IsDirty());  // drawing marks invisible controls clean
  EXPECT_EQ(graphics->GetMouseControlIdx(5, 5), graphics->GetControl(0));
  EXPECT_EQ(page->getControlFromParam(0), nullptr);
  graphics->SetParameterFromPlug(3, 0.5, true);
  EXPECT_EQ(children[1]->GetValue(), 0.5);
}

// A redraw of many parameters reaches every control once, in hidden layers and through aux
// parameters, as one push per parameter would; plain values also set (and round) the parameter.
TEST_F(LayerTest, ManyValuesAtOnceReachTheirControlsAsOneByOne) {
  plug.GetParam(4)->InitInt("Steps", 0, 0, 10);
  first->AddAuxParam(4);
  graphics->SetParametersFromPlug({{3, 0.5}, {4, 0.25}}, true);
  EXPECT_EQ(children[1]->GetValue(), 0.5);
  EXPECT_EQ(children[2]->GetValue(), 0.25);
  EXPECT_EQ(first->GetAuxParam(0)->mValue, 0.25);
  EXPECT_EQ(first->GetValue(), 0.0);
  EXPECT_EQ(plug.GetParam(4)->Value(), 0.0);
  graphics->SetParametersFromPlug({{4, 7.4}}, false);
  EXPECT_EQ(plug.GetParam(4)->Value(), 7.0);
  EXPECT_EQ(children[2]->GetValue(), 0.74);
  EXPECT_EQ(children[1]->GetValue(), 0.5);
  graphics->SetParametersFromPlug({{0, 0.125}}, true);  // the first parameter too
  EXPECT_EQ(first->GetValue(), 0.125);
}

namespace {

// Logs every value the plug-in pushes into it.
class PushLog : public IControl {
 public:
  PushLog(IPluginBase* plug, int paramIdx, std::vector<std::string>* log)
      : IControl(plug, IRECT(60, 60, 70, 70), paramIdx), mLog(log) {}
  bool Draw(IGraphics*) override { return true; }
  void SetValueFromPlug(double value) override {
    mLog->push_back("value " + std::to_string(value));
    IControl::SetValueFromPlug(value);
  }
  void SetAuxParamValueFromPlug(int aux, double value) override {
    mLog->push_back("aux " + std::to_string(aux) + " " + std::to_string(value));
    IControl::SetAuxParamValueFromPlug(aux, value);
  }

 private:
  std::vector<std::string>* mLog;
};

}  // namespace

// A control bound to a parameter more than once (as its own and as an aux one, or as two aux
// ones) takes each value of a batch once per binding, as pushing them one by one would.
TEST_F(LayerTest, AParameterBoundTwiceIsPushedOncePerBinding) {
  std::vector<std::string> log;
  PushLog* control = new PushLog(&plug, 5, &log);
  for (int aux : {6, 5, 6}) control->AddAuxParam(aux);
  page->controls.Add(control);
  graphics->SetParametersFromPlug({{6, 0.25}, {5, 0.5}}, true);
  EXPECT_THAT(log, ::testing::ElementsAre("value 0.500000", "aux 1 0.500000", "aux 0 0.250000"));
  // A control attached to the editor itself takes its values too, before the layers' do.
  log.clear();
  PushLog* direct = new PushLog(&plug, 6, &log);
  direct->AddAuxParam(5);
  graphics->AttachControl(direct);
  graphics->SetParametersFromPlug({{6, 0.75}, {5, 0.125}}, true);
  EXPECT_THAT(log, ::testing::ElementsAre("aux 0 0.125000", "value 0.750000", "value 0.125000",
                                          "aux 1 0.125000", "aux 0 0.750000"));
}

TEST_F(LayerTest, ShowingFollowsOnlyTheSelectedChild) {
  page->Hide(false);
  EXPECT_FALSE(child(0)->IsVisible());
  EXPECT_TRUE(child(1)->IsVisible());
  EXPECT_FALSE(children[0]->IsHidden());  // never hidden: the layer hides it
  EXPECT_EQ(graphics->GetMouseControlIdx(5, 30), children[1]);

  page->Hide(true);
  EXPECT_FALSE(child(1)->IsVisible());
  EXPECT_TRUE(children[1]->IsHidden());
  page->selectedChildId = 12;
  page->Hide(false);
  EXPECT_TRUE(children[1]->IsHidden());
  EXPECT_EQ(graphics->GetMouseControlIdx(5, 30), children[2]);

  page->Hide(true);
  page->selectedChildId = 99;  // no such child: only the page's own controls
  page->Hide(false);
  EXPECT_FALSE(first->IsHidden());
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(child(i)->IsVisible());
}

// A parameter's control is looked up in the shown layers only, the layers below and the later
// controls first.
TEST_F(LayerTest, AParametersControlIsFoundInShownLayersTheLastFirst) {
  page->Hide(false);
  EXPECT_EQ(page->getControlFromParam(0), first);
  EXPECT_EQ(page->getControlFromParam(3), children[1]);
  EXPECT_EQ(page->getControlFromParam(2), nullptr) << "its layer is not shown";
  EXPECT_EQ(page->getControlFromParam(7), nullptr);
  Probe* later = addTo(page, IRECT(30, 0, 40, 10), 0);
  EXPECT_EQ(page->getControlFromParam(0), later);
  Probe* below = addTo(child(1), IRECT(30, 20, 40, 30), 0);
  EXPECT_EQ(page->getControlFromParam(0), below);
  page->Hide(true);
  page->selectedChildId = 12;
  page->Hide(false);
  EXPECT_EQ(page->getControlFromParam(4), children[2]);
}

// Once shown, a layer's dirty controls make the editor dirty, over their rectangles; those of a
// child not selected do not.
TEST_F(LayerTest, AShownLayersDirtyControlsMakeTheEditorDirty) {
  page->Hide(false);
  IRECT all(0, 0, 100, 100), region;
  graphics->Draw(&all);
  for (Probe* p : {first, second, children[0], children[1], children[2]}) p->SetClean();
  graphics->GetControl(0)->SetClean();
  ASSERT_FALSE(scanDirty(&region));
  const struct {
    Probe* probe;
    bool dirty;
    IRECT region;
  } cases[] = {{first, true, IRECT(0, 0, 10, 10)},
               {children[1], true, IRECT(0, 20, 50, 50)},
               {children[0], false, IRECT()}};
  for (const auto& c : cases) {
    c.probe->SetDirty(false);
    region = IRECT();
    EXPECT_EQ(scanDirty(&region), c.dirty);
    EXPECT_EQ(region, c.region);
    graphics->Draw(&all);
    c.probe->SetClean();
  }
}

// Marking a layer dirty reaches its own controls and those of every layer below, selected or not.
TEST_F(LayerTest, MarkingALayerDirtyReachesEveryLayerBelow) {
  ControlLayer* grandchild = new ControlLayer(20, "grandchild");
  Probe* deep = addTo(grandchild, IRECT(0, 60, 10, 70), 5);
  child(0)->childLayers.Add(grandchild);
  const std::vector<Probe*> all = {first, second, children[0], children[1], children[2], deep};
  for (Probe* p : all) p->SetClean();
  child(2)->setControlsDirty();
  std::string dirty;
  for (Probe* p : all) dirty += p->IsDirty() ? 'D' : '-';
  EXPECT_EQ(dirty, "----D-");
  page->setControlsDirty();
  dirty.clear();
  for (Probe* p : all) dirty += p->IsDirty() ? 'D' : '-';
  EXPECT_EQ(dirty, "DDDDDD");
  // Showing the layer marks them all too.
  for (Probe* p : all) p->SetClean();
  page->Hide(false);
  dirty.clear();
  for (Probe* p : all) dirty += p->IsDirty() ? 'D' : '-';
  EXPECT_EQ(dirty, "DDDDDD");
}

TEST_F(LayerTest, ChildControlsWinOverTheParentsOwnAndGreyedOnesStillHit) {
  Probe* under = addTo(page, IRECT(0, 20, 100, 100), 6);
  page->Hide(false);
  page->GrayOut(true);
  EXPECT_TRUE(children[0]->IsGrayed());  // greying reaches every child
  EXPECT_EQ(graphics->GetMouseControlIdx(5, 30), children[1]);
  EXPECT_EQ(graphics->GetMouseControlIdx(70, 30), under);
  EXPECT_EQ(page->getControlFromParam(3), children[1]);

  page->GrayOut(false);  // un-greying reaches the selected child only
  EXPECT_TRUE(children[0]->IsGrayed());
  EXPECT_FALSE(children[1]->IsGrayed());
  EXPECT_FALSE(under->IsGrayed());
}

TEST_F(LayerTest, CustomZonesAndUserArpGreyOnlyInTheirRange) {
  page->Hide(false);
  page->GrayOutCustomZone(true, 5);
  EXPECT_EQ(page->selectedChildId, 5);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(children[i]->IsGrayed());
  page->GrayOutCustomZone(true, 10);
  EXPECT_TRUE(children[0]->IsGrayed());
  EXPECT_FALSE(children[1]->IsGrayed());

  page->GrayOutUserArp(false, 200, 10);  // the children above the limit
  EXPECT_FALSE(children[0]->IsGrayed());
  EXPECT_TRUE(children[1]->IsGrayed());
  EXPECT_TRUE(children[2]->IsGrayed());
  page->GrayOutUserArp(false, 150, 0);  // outside the range: selection only
  EXPECT_EQ(page->selectedChildId, 150);
  EXPECT_FALSE(children[0]->IsGrayed());
}

// Attaching answers the layer's place among the editor's layers: the page is the first.
TEST_F(LayerTest, AttachingALayerAnswersItsPlace) {
  EXPECT_EQ(graphics->AttachLayer(new ControlLayer(2, "second")), 1);
  EXPECT_EQ(graphics->AttachLayer(new ControlLayer(3, "third")), 2);
}

// The zones run from 10 to 252 for the custom grey-out, from 200 to 252 for the arpeggiator; a
// selection outside leaves every child as it was. G: greyed, -: not.
TEST_F(LayerTest, ZoneSelectionsGreyOnlyWithinTheirBounds) {
  const int ids[] = {9, 10, 200, 201, 252, 253};
  const struct {
    bool arp;
    int selection, limit;
    const char* greyed;
  } cases[] = {
      {false, 9, 0, "------"},   {false, 10, 0, "-G----"},  {false, 252, 0, "----G-"},
      {false, 253, 0, "------"}, {true, 199, 10, "------"}, {true, 200, 200, "---GG-"},
      {true, 252, 9, "-GGGG-"},  {true, 253, 9, "------"},
  };
  for (const auto& c : cases) {
    ControlLayer zones(2, "zones");
    std::vector<Probe*> probes;
    for (int id : ids) {
      ControlLayer* layer = new ControlLayer(id, "zone");
      probes.push_back(addTo(layer, IRECT(0, 0, 5, 5), 0));
      zones.childLayers.Add(layer);
    }
    if (c.arp)
      zones.GrayOutUserArp(false, c.selection, c.limit);
    else
      zones.GrayOutCustomZone(true, c.selection);
    std::string greyed;
    for (Probe* probe : probes) greyed += probe->IsGrayed() ? 'G' : '-';
    EXPECT_EQ(greyed, c.greyed) << c.selection;
    EXPECT_EQ(zones.selectedChildId, c.selection);
  }
}

TEST(MemberLayers, ADecadeValueShowsItsMemberAndHidesOnlyTheMembersItsBandTouches) {
  const struct {
    std::vector<int> members;
    int v;
    const char* expected;  // per member: S shown, H hidden, - as it was
  } cases[] = {
      // The band of 10..19 leaves 20..69 alone and reaches up to 299.
      {{5, 15, 19, 20, 69, 70, 299, 300}, 15, "HSH--HH-"},
      {{30, 35, 40, 205}, 35, "HS-H"},
      {{5, 200, 201}, 200, "SSS"},
      {{100, 101, 109}, 101, "HSH"},
      {{100, 101, 109}, 109, "---"},
      {{5, 195, 250}, 195, "HS-"},
      {{5, 299, 300, 301}, 301, "H-HS"},
      // Each band's first and last selection, and the members on either side of its reach.
      {{5, 9, 15}, 9, "---"},
      {{9, 10, 19, 20, 69, 70, 299, 300}, 10, "HSH--HH-"},
      {{9, 19, 20}, 19, "HS-"},
      {{9, 10, 19, 20, 29, 30, 199, 200, 299, 300}, 20, "H--SH--HH-"},
      {{90, 99, 100}, 99, "HS-"},
      {{179, 180, 188, 189, 190}, 188, "-HSH-"},
      {{5, 189, 190}, 189, "---"},
      {{5, 9, 10, 189, 190, 199, 200}, 190, "HH--SH-"},
      {{198, 190, 199}, 198, "SHH"},
      {{5, 190, 199}, 199, "---"},
      {{9, 10, 199, 200, 299, 300}, 200, "S--SS-"},
      {{9, 250, 299}, 298, "SSS"},
      {{9, 250, 299}, 299, "---"},
      {{9, 10, 299, 300, 301}, 300, "H--SH"},
  };
  for (const auto& c : cases) {
    for (bool shownBefore : {false, true}) {
      ControlLayer panel(0, "panel");
      for (int id : c.members) panel.childLayers.Add(new ControlLayer(id, "member"));
      for (int i = 0; i < panel.childLayers.GetSize(); ++i)
        panel.childLayers.Get(i)->Hide(!shownBefore);
      panel.showMultiLayers(c.v);
      EXPECT_EQ(panel.selectedChildId, c.v);
      std::string states, expected = c.expected;
      for (int i = 0; i < panel.childLayers.GetSize(); ++i) {
        states += panel.childLayers.Get(i)->IsVisible() ? 'S' : 'H';
        if (expected[i] == '-') expected[i] = shownBefore ? 'S' : 'H';
      }
      EXPECT_EQ(states, expected) << c.v << (shownBefore ? " from shown" : " from hidden");
    }
  }
}

// Every layer below takes the flag; of the controls only the layer's own first one does.
TEST_F(LayerTest, IgnoringHiddenFlagsTheLayersBelowButOnlyTheFirstControl) {
  ControlLayer* grandchild = new ControlLayer(20, "grandchild");
  Probe* deep = addTo(grandchild, IRECT(0, 60, 10, 70), 7);
  child(0)->childLayers.Add(grandchild);
  page->setIgnoreHiddenWhenUpdatingScreen(true);
  EXPECT_TRUE(page->ignoreHiddenWhenUpdatingScreen && child(2)->ignoreHiddenWhenUpdatingScreen &&
              grandchild->ignoreHiddenWhenUpdatingScreen);
  EXPECT_EQ(std::vector<bool>({first->IgnoresHiddenWhenUpdatingScreen(),
                               second->IgnoresHiddenWhenUpdatingScreen(),
                               children[0]->IgnoresHiddenWhenUpdatingScreen(),
                               deep->IgnoresHiddenWhenUpdatingScreen()}),
            std::vector<bool>({true, false, false, false}));
  page->setIgnoreHiddenWhenUpdatingScreen(false);
  EXPECT_FALSE(first->IgnoresHiddenWhenUpdatingScreen() ||
               grandchild->ignoreHiddenWhenUpdatingScreen);
}
