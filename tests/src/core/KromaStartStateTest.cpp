// What a new instance shows the host and the musician before anything is touched: its identity,
// the hidden dialogs and switched panels, and the starting values of its controls.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PluginFixture.h"
#include "platform/vst2/aeffect.h"
#include "platform/vst2/opcodes.h"
#include "src/config/ParameterIds.h"
#include "src/core/KromaProbe.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"

namespace {

using StartState = PluginFixture;

// The host sees an instrument of two outputs with its own id, maker and version, a latency of
// 128 samples, state in chunks and neither parameters nor programs of its own.
TEST_F(StartState, TheHostSeesTheInstrumentsIdentity) {
  Kroma* plug = open();
  const AEffect* effect = plug->GetAEffect();
  EXPECT_EQ(effect->uniqueID, 0x65736763);
  EXPECT_EQ(effect->initialDelay, 128);
  EXPECT_EQ(effect->numParams, 0);
  EXPECT_EQ(effect->numInputs, 2);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_TRUE(effect->flags & effFlagsIsSynth);
  EXPECT_TRUE(effect->flags & effFlagsProgramChunks);
  EXPECT_EQ(plug->NPresets(), 0) << "the state lives in the chunk";
  char text[256] = {};
  dispatch(plug, effGetEffectName, 0, 0, text);
  EXPECT_STREQ(text, "Kroma Editor");
  std::memset(text, 0, sizeof text);
  dispatch(plug, effGetVendorString, 0, 0, text);
  EXPECT_STREQ(text, "Quillon Bay Sound");
  EXPECT_EQ(dispatch(plug, effGetVendorVersion), 0x00010203);
}

// Every dialog and switched panel the plug-in hides at start is hidden, whatever the layout
// says; the randomize button is greyed until a sound page is shown.
TEST_F(StartState, DialogsAndSwitchedPanelsStartHidden) {
  Kroma* plug = open();
  const TabLayers& layers = KromaProbe(plug).widgets.mTabLayers;
  std::vector<const ControlLayer*> hidden = {layers.discardChangesLayerRight,
                                             layers.keepBankOpenLayer, layers.categoryLimit,
                                             layers.searchField};
  for (int part = 0; part < 16; ++part) hidden.push_back(layers.multiSettingsPart[part]);
  for (int part = 1; part < 16; ++part) hidden.push_back(layers.bankAndProgram[part]);
  for (const auto& row : layers.filterPictures)
    for (const ControlLayer* picture : row) hidden.push_back(picture);
  for (const ControlLayer* panel : layers.effectPanels) hidden.push_back(panel);
  for (const char* name : {"patchRename", "aboutWindow", "firstRunNotification",
                           "bankPatchConflictWindow", "midiFilterSettings"})
    hidden.push_back(plug->layerNamed(name));
  size_t found = 0;
  for (size_t i = 0; i < hidden.size(); ++i) {
    if (!hidden[i]) continue;
    ++found;
    EXPECT_FALSE(hidden[i]->IsVisible()) << i << " " << hidden[i]->name;
  }
  EXPECT_GT(found, hidden.size() * 3 / 4) << "the layout builds most of them";
  ASSERT_NE(layers.root, nullptr);
  EXPECT_TRUE(layers.root->IsVisible());
  ASSERT_NE(layers.randomize, nullptr);
  EXPECT_TRUE(layers.randomize->IsGrayed());
}

// The controls start at the plug-in's own values: the keep-bank switch on, the host's tempo
// followed, sounds listed, the program menus for the synthesizer's programs, part 1 chosen, the
// middle pause between a job's messages, each part on its own channel.
TEST_F(StartState, ControlsStartAtThePlugInsValues) {
  Kroma* plug = open();
  const struct {
    int param;
    double value;
  } rows[] = {{kKeepSelectedBank, 1}, {kOverrideTempo, 1}, {kDatatype, 0},    {kControlProgBank, 1},
              {kQuickTab, 0},         {kLibSyncTimer, 2},  {kDeviceID_old, 0}};
  for (const auto& row : rows) {
    EXPECT_EQ(value(plug, row.param), row.value) << row.param;
    if (IControl* control = plug->controlOf(row.param)) {
      EXPECT_EQ(control->GetValue(), plug->GetParam(row.param)->GetNormalized()) << row.param;
    }
  }
  EXPECT_TRUE(KromaProbe(plug).selection.mKeepSelectedBank);
  EXPECT_EQ(plug->currentPart(), 0);
  for (int part = 0; part < 16; ++part) {
    IControl* channel = plug->controlOf(kMultiPartMIDICh + part);
    ASSERT_NE(channel, nullptr) << part;
    EXPECT_EQ(channel->GetValue(), plug->GetParam(kMultiPartMIDICh + part)->GetNormalized(part + 2))
        << part;
  }
}

}  // namespace
