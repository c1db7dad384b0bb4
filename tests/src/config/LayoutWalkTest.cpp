#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <memory>

#include "ConfigTestSupport.h"
#include "src/config/ParameterIds.h"

namespace {

using config_test::LoggedManager;
using config_test::RecordingConfig;

// Walks a layout text as the reading sequence walks the root's children, in `part`.
void walkIn(LoggedManager& m, const std::string& text, int part = -1) {
  tinyxml2::XMLDocument document;
  document.Parse(("<uiconfig>" + text + "</uiconfig>").c_str());
  ASSERT_FALSE(document.Error()) << text;
  m.manager.readReasources(&document);
  m.lines.clear();
  m.manager.processXMLElement(document.RootElement()->FirstChild(), nullptr, part);
}

// A manager with the parameter identifiers known, as the walk finds it.
std::unique_ptr<LoggedManager> fresh() {
  auto m = std::make_unique<LoggedManager>();
  m->manager.initParams();
  return m;
}

RecordingConfig::Layer* layer(LoggedManager& m, const std::string& name) {
  return RecordingConfig::layerOf(m.manager.getLayer(name));
}

TEST(Walk, TheLayerMapFindsTheLaterOfTwoNamesAndAContainerWithAnUnknownParameterIsBuilt) {
  const std::unique_ptr<LoggedManager> m = fresh();
  walkIn(*m, R"(<layer name="twin" id="1" paramId="kNoSuchName"><layer name="inner"/></layer>
          <layer name="twin" id="2"/><multilayer name="part" create="16"/>)");
  EXPECT_EQ(layer(*m, "twin")->id, 2);
  EXPECT_EQ(m->manager.tree().find("twin#1{inner#0{}}"), 0u);  // the earlier one stays in the tree
  EXPECT_EQ(layer(*m, "part15")->id, 15);
  EXPECT_EQ(m->manager.getLayer("part16"), nullptr);
  ASSERT_EQ(m->lines.size(), 1u);
  EXPECT_NE(m->lines[0].find("layer at line 1 is built without it"), std::string::npos);
}

// Element with a CC knob on paramId, so that the index shows in the builder call.
std::string knob(const std::string& paramId) {
  return R"(<knobcontrol type="ccKnob" paramId=")" + paramId + R"("/>)";
}

TEST(Walk, ParameterIndicesAddThePartAndTheOffset) {
  const struct {
    const char* paramId;
    int part;
    int index;  // -1: skipped
    const char* log;
  } cases[] = {
      {"kOscillator1Octave+2", 5, 7, nullptr},
      {"kGlobalMidiChannel", -1, 6591, nullptr},
      {"kOscillator1Octave+x", 0, 0, nullptr},
      // Unknown identifiers stay unknown in every part, rather than naming part - 1.
      {"kNoSuchName", 3, -1, "parameter kNoSuchName NOT FOUND; knobcontrol at line 1 skipped!"},
      {"kDebugParts+1", -1, -1, "names no parameter (index 8456); knobcontrol at line 1 skipped!"},
      {"kOscillator1Octave+-1", -1, -1, "names no parameter (index -1)"},
  };
  for (const auto& c : cases) {
    const std::unique_ptr<LoggedManager> m = fresh();
    walkIn(*m, knob(c.paramId), c.part);
    if (c.index < 0) {
      EXPECT_TRUE(m->manager.calls.empty()) << c.paramId;
      ASSERT_EQ(m->lines.size(), 1u) << c.paramId;
      EXPECT_NE(m->lines[0].find(c.log), std::string::npos) << m->lines[0];
      continue;
    }
    ASSERT_EQ(m->manager.calls.size(), 1u) << c.paramId;
    EXPECT_NE(m->manager.calls[0].find(",," + std::to_string(c.index) + ","), std::string::npos)
        << c.paramId << " " << m->manager.calls[0];
    EXPECT_TRUE(m->lines.empty());
  }
}

TEST(Walk, EveryControlTypeReachesItsBuilderWithItsAttributes) {
  const std::string attributes =
      R"(name="Cut" paramId="kFilter1Cutoff" imageId="K" paramGroup="G" position="10,20,30"
      length="40" valueBounds="64,1,100,2" changingByte="263" valueDisplay="0:127" valueList="L"
      biDirectLink="kFilter1Cutoff,kFilterLinkSwitch,3" ccNumber="74" channel="5" sysexIndex="2"
      msgZeroVal="9" color="3" white="1")";
  const int p = kFilter1Cutoff + 2, s = kFilterLinkSwitch + 2;
  const std::string link = "[" + std::to_string(p) + " " + std::to_string(s) + " 3]";
  const struct {
    const char* element;
    const char* type;
    const char* call;  // empty: nothing built; # the index, @ the link
  } cases[] = {
      {"knobcontrol", "seKnob", "seKnob(Cut,#,10,20,K,64,1,100,2,9,2,7,2,@,L2,G)"},
      {"slidercontrol", "seSliderVer",
       "seSlider(Cut,#,10,20,40,K,64,1,100,2,9,2,7,2,@,L2,G,0,false)"},
      {"knobcontrol", "seSliderHor",
       "seSlider(Cut,#,10,20,40,K,64,1,100,2,9,2,7,2,@,L2,G,1,false)"},
      {"buttoncontrol", "seButton", "seButton(Cut,#,10,20,K,64,9,2,7,2,@,L2,G)"},
      {"slidercontrol", "ccSliderVer", "ccSlider(74,5,Cut,#,10,20,40,K,64,1,100,@,2,L2,G,0,false)"},
      {"slidercontrol", "ccSliderHor", "ccSlider(74,5,Cut,#,10,20,40,K,64,1,100,@,2,L2,G,1,false)"},
      {"menucontrol", "ccKnob", "ccKnob(74,5,Cut,#,10,20,K,64,1,100,2,@,2,L2,G)"},
      {"knobcontrol", "ccButton", "ccButton(74,5,Cut,#,10,20,K,64,1,100,@,2,L2,G)"},
      {"menucontrol", "seMenu",
       "seMenu(Cut,#,10,20,30,13,64,1,100,0,127,{a|b},9,3,2,7,2,L2,G,true)"},
      {"menucontrol", "ccMenu", "ccMenu(74,5,Cut,#,10,20,30,13,64,1,100,0,127,{a|b},2,L2,G)"},
      {"knobcontrol", "SEKNOB", ""},
      {"dropMenu", "noSuchKind", ""},
  };
  for (const auto& c : cases) {
    const std::unique_ptr<LoggedManager> m = fresh();
    walkIn(*m, R"(<valueLists><list name="L"><value>a</value><value>b</value></list></valueLists>
                  <multilayer name="L" create="3"><)" +
                   std::string(c.element) + " type=\"" + c.type + "\" " + attributes +
                   "/></multilayer>");
    std::string call = c.call;
    for (size_t at; (at = call.find_first_of("#@")) != std::string::npos;)
      call.replace(at, 1, call[at] == '#' ? std::to_string(p) : link);
    // One call per copy; copy 2's carries part 2.
    ASSERT_EQ(m->manager.calls.size(), call.empty() ? 0u : 3u) << c.type;
    if (!call.empty()) {
      EXPECT_EQ(m->manager.calls[2], call) << c.type;
    }
  }
}

TEST(Walk, ARadioTakesItsDirectionAsWritten) {
  const std::unique_ptr<LoggedManager> m = fresh();
  walkIn(*m, R"(<radio name="Page" paramId="kMainTab" imageId="T" position="180,16" buttons="6"
          horizontal="true"/><radio paramId="kQuickTab" horizontal="false"/>
          <radio paramId="kQuickTab" horizontal="1"/><radio paramId="kQuickTab"/>)",
         2);
  EXPECT_EQ(m->manager.calls,
            (std::vector<std::string>{
                "radio(Page,8452,180,16,T,6,2,-,,true)", "radio(,8454,0,0,,0,2,-,,false)",
                "radio(,8454,0,0,,0,2,-,,true)", "radio(,8454,0,0,,0,2,-,,false)"}));
}

// A switch starts as the layout says, an auto-off switch always off; either needs a parameter.
TEST(Walk, SwitchesTakeTheirStartValueAndNeedAParameter) {
  const std::unique_ptr<LoggedManager> m = fresh();
  walkIn(*m, R"(<switch name="On" paramId="kMainTab" imageId="S" position="5,6" valueBounds="1"
          paramGroup="G"/><autooff name="Go" paramId="kQuickTab" imageId="A" position="7,8"
          valueBounds="1"/>
          <switch name="None"/><autooff name="None"/><display name="None"/>)");
  EXPECT_EQ(m->manager.calls, (std::vector<std::string>{"switch(On,8450,1,5,6,S,-1,-,G)",
                                                        "autooff(Go,8452,0,7,8,A,-1,-,)"}));
  EXPECT_EQ(m->lines, (std::vector<std::string>{
                          "CONFIG READER: no parameter given; switch at line 4 skipped!",
                          "CONFIG READER: no parameter given; autooff at line 4 skipped!",
                          "CONFIG READER: no parameter given; display at line 4 skipped!"}));
}

TEST(Walk, LeftOutAttributesTakeTheirDefaults) {
  const std::unique_ptr<LoggedManager> fm = fresh();
  LoggedManager& m = *fm;
  walkIn(m, R"(<knobcontrol type="ccKnob" paramId="kMainTab" valueDisplay="1:2:3"/>
          <buttoncontrol type="seButton" paramId="kMainTab" valueBounds="1"/>
          <buttoncontrol type="ccButton"/>)");
  EXPECT_EQ(m.manager.calls,
            (std::vector<std::string>{"ccKnob(0,0,,8450,0,0,,0,0,127,1,[-1 -1 -1],-1,-,)",
                                      "seButton(,8450,0,0,,1,0,0,0,-1,[-1 -1 -1],-,)"}));
  ASSERT_EQ(m.lines.size(), 1u);
  EXPECT_EQ(m.lines[0], "CONFIG READER: no parameter given; buttoncontrol at line 3 skipped!");
}

}  // namespace
