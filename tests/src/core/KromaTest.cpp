#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "PluginFixture.h"
#include "platform/view/headless/Script.h"
#include "platform/vst2/opcodes.h"
#include "src/config/ParameterIds.h"
#include "src/core/KromaProbe.h"
#include "src/protocol/MIDIMessageManager.h"
#include "tests/src/librarian/view/LibrarianBanks.h"
#include "tests/support/Encipher.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphics.h"

namespace {

using Start = PluginFixture;

TEST_F(Start, AnEmptyDataFolderStartsAtTheMultiPageWithTheDefaults) {
  Kroma* plug = open();
  EXPECT_TRUE(plug->startupComplete());
  EXPECT_FALSE(std::ifstream(data.file("Kroma Editor LOG.txt")).good()) << "no log file is made";
  IGraphics* editor = plug->graphics();
  EXPECT_EQ(editor->GetLayer(editor->NLayers() - 1)->name, "PROGRESS") << "the overlay on top";
  EXPECT_TRUE(shown(plug, "multiModeSettingsPage1"));
  EXPECT_FALSE(shown(plug, "bankAndProgram01"));
  for (int part = 0; part < 16; ++part) {
    EXPECT_EQ(value(plug, kMultiPartStatus + part), part < 4 ? 1.0 : 0.0) << part;
    EXPECT_EQ(value(plug, kMultiPartMIDICh + part), part + 2.0) << part;
  }
  // Filter entry 1 blocked from both sources, entry 6 from the host only.
  for (int k = 0; k < 7; ++k)
    EXPECT_EQ(KromaProbe(plug).routing.mDAWFilterBlocked[k] * 2 +
                  KromaProbe(plug).routing.mHWFilterBlocked[k],
              k == 1 ? 3 : 2 * (k == 6));
}

// Each style and size of the UI settings file (texts compared exactly, blanks and line ends cut
// off at the end), a samples file of more lines than samples, two bank files whose long names
// shorten alike, and a log file that starts empty and then holds the start-up.
TEST_F(Start, AFullDataFolderSetsSizeStyleNoticeSamplesBanksAndLog) {
  const struct {
    const char* settings;
    int width;
    bool notice;
  } cases[] = {{"black \t\r\nlarge\r\nno\r\n", 1724, true},
               {"white\nsmall\nyes\n", 1275, false},
               {"normal\nnormal\nno", 1500, true},
               {"Black\nLARGE\n no", 1500, false}};
  const std::string prefix(47, 'B');
  for (const char* tail : {"-first.syx", "-second.SYX"})
    banks::write(data.file("Patches/" + prefix + tail), "S");
  std::string samples;
  for (int i = 0; i < 200; ++i) samples += "Sample " + std::to_string(i) + " \r\n";
  writeData("Kroma Editor Samples.txt", samples);
  for (const auto& c : cases) {
    writeData("Kroma Editor UI.txt", c.settings);
    writeData("Kroma Editor LOG.txt", "an older session\n");
    Kroma* plug = open();
    EXPECT_EQ(plug->graphics()->Width(), c.width) << c.settings;
    EXPECT_EQ(shown(plug, "firstRunNotification"), c.notice) << c.settings;
    EXPECT_EQ(plug->sampleNames().size(), 128u);
    EXPECT_EQ(plug->sampleNames()[127], "Sample 127");
    const IParam* upper = plug->GetParam(kPatchSelectionListUpper);
    EXPECT_STREQ(upper->GetDisplayText(1), (prefix + "~2.syx").c_str());
    EXPECT_EQ(KromaProbe(plug).selection.mUpperSelectionText, prefix + "~1.syx");
    EXPECT_EQ(KromaProbe(plug).selection.mUpperSelectionFolder, "Patches");
    const std::string log = readData("Kroma Editor LOG.txt");
    EXPECT_EQ(log.find("an older session"), std::string::npos);
    EXPECT_NE(log.find("\t INITIALIZATION STARTED!\n"), std::string::npos);
    EXPECT_LT(log.find("Librarian menus attached"), log.find("Plug-in is ready to load!"));
    close(plug);
  }
}

// A bundle of the test's own whose layout is `xml`.
void writeLayout(const kroma_test::TempDir& bundle, const std::string& xml) {
  ASSERT_EQ(mkdir(bundle.file("resources").c_str(), 0755), 0);
  std::ofstream(bundle.file("resources/uiconfig.tea"), std::ios::binary)
      << kroma_test::encipher(xml);
}

// A layout of the test's own that holds little of what the plug-in keeps: what it lacks is logged
// and passed over, what it has follows the UI settings.
TEST_F(Start, WhatTheLayoutLacksIsLoggedAndPassedOver) {
  kroma_test::TempDir bundle;
  writeLayout(bundle, R"(<uiconfig>
<valueLists><list name="v"><value>a</value><value>b</value><value>c</value></list></valueLists>
<layer name="firstRunNotification" id="1"/>
<dropMenu type="dropSelection" name="Style" paramId="kUserInterfaceStyle" bounds="0,0,80,13"
          valueBounds="2,0,2" valueList="v"/>
<dropMenu type="dropSelection" name="Size" paramId="kUserInterfaceSize" bounds="0,0,80,13"
          valueBounds="1,0,3" valueList="v"/>
</uiconfig>)");
  kroma_test::ScopedEnv bundleEnv("KROMA_BUNDLE_DIR", bundle.path().c_str());
  writeData("Kroma Editor LOG.txt", "");
  writeData("Kroma Editor UI.txt", "black\nlarge\nno\n");
  Kroma* plug = open();
  EXPECT_EQ(value(plug, kUserInterfaceStyle), 1.0);
  EXPECT_EQ(value(plug, kUserInterfaceSize), 2.0);
  EXPECT_TRUE(shown(plug, "firstRunNotification"));
  EXPECT_EQ(plug->layerNamed("root"), nullptr);
  EXPECT_EQ(loadChunk(plug, saveChunk(plug)), 1);
  const std::string log = readData("Kroma Editor LOG.txt");
  EXPECT_NE(log.find("layer midiFilterSettings MISSING!"), std::string::npos);
  EXPECT_NE(log.find("control of parameter 7743 MISSING!"), std::string::npos);
  EXPECT_NE(log.find("Plug-in is ready to load!"), std::string::npos);
  close(plug);
  // The file's first style and size win over the layout's defaults as well.
  writeData("Kroma Editor UI.txt", "white\nsmall\nno\n");
  plug = open();
  EXPECT_EQ(value(plug, kUserInterfaceStyle), 0.0);
  EXPECT_EQ(value(plug, kUserInterfaceSize), 0.0);
}

// A sample menu of the multi-effect kind names the samples of the samples file; without the file
// it numbers them.
TEST_F(Start, SampleMenusShowTheSamplesFilesNames) {
  kroma_test::TempDir bundle;
  writeLayout(bundle, R"(<uiconfig>
<multiFx type="Menu" name="Osc 1 Sample" paramId="kOscillator1Sample" position="0,0,80,13"
         visible="1,0" valueBounds="0,0,3" valueDisplay="1:3"/>
</uiconfig>)");
  kroma_test::ScopedEnv bundleEnv("KROMA_BUNDLE_DIR", bundle.path().c_str());
  const auto texts = [](Kroma* plug) {
    const IParam* menu = plug->GetParam(kOscillator1Sample);
    return std::vector<std::string>{menu->GetDisplayText(0), menu->GetDisplayText(1),
                                    menu->GetDisplayText(2)};
  };
  Kroma* plug = open();
  EXPECT_EQ(texts(plug), (std::vector<std::string>{"Sample A1", "Sample A2", "Sample A3"}));
  close(plug);
  writeData("Kroma Editor Samples.txt", "Saw Pad\r\nBell \n");
  plug = open();
  EXPECT_EQ(texts(plug), (std::vector<std::string>{"Saw Pad", "Bell", ""}));
}

// What the status line tells the user, also from the dispatch, is in the debug log; the other
// displays are not.
TEST_F(Start, StatusTextsGoToTheDebugLog) {
  writeData("Kroma Editor LOG.txt", "");
  writeData("Kroma Editor UI.txt", "white\nnormal\nno\n");
  Kroma* plug = open();
  plug->setTextDisplay(kControlDisplayName, "CONNECTION TIMED OUT!");
  plug->setTextDisplay(kControlDisplayValue, "42");
  plug->GetParam(kUserInterfaceSize)->SetClamped(0);
  plug->OnParamChange(kUserInterfaceSize);
  const std::string log = readData("Kroma Editor LOG.txt");
  EXPECT_NE(log.find("\t STATUS: CONNECTION TIMED OUT!\n"), std::string::npos);
  EXPECT_NE(log.find("\t STATUS: Size changes applied...\n"), std::string::npos) << "dispatch";
  EXPECT_EQ(log.find("STATUS: 42"), std::string::npos);
}

// Two instances of one process keep their own logs, parameters and lanes; closing one while a
// request it started waits for an answer that never comes leaves the other working.
TEST_F(Start, TwoInstancesLiveApartAndOneClosesWhileItsTransferRuns) {
  writeData("Kroma Editor LOG.txt", "");
  Kroma* logged = open();
  kroma_test::TempDir otherData;
  kroma_test::ScopedEnv otherEnv("KROMA_DATA_DIR", otherData.path().c_str());
  Kroma* other = open();
  EXPECT_TRUE(logged->debugLog()->IsOn());
  EXPECT_FALSE(other->debugLog()->IsOn());

  std::atomic<int> prepared{0};
  SenderJob request;
  request.code = kSendPartRequest;
  request.toEditor = true;  // a librarian without banks would refuse it before it waits
  EXPECT_TRUE(logged->startSenderJob(request, [&] { ++prepared; }));
  EXPECT_FALSE(logged->startSenderJob(request, [&] { ++prepared; })) << "the lane is busy";
  EXPECT_TRUE(other->startSenderJob(request));
  EXPECT_EQ(prepared, 1);

  std::thread host([&] { close(logged); });
  host.join();
  other->GetParam(kQuickTab)->Set(7.0);
  const std::vector<uint8_t> chunk = saveChunk(other);
  EXPECT_EQ(loadChunk(other, chunk), 1);
  EXPECT_EQ(other->currentPart(), 7);
}

// The data folder and the manual in it open through the desktop; a layer change that a job asks
// for waits for the editor's timer.
TEST_F(Start, FolderServicesAndLayerRequestsFromOtherThreads) {
  VIEW_Script::instance().reset();
  Kroma* plug = open();
  plug->OpenDataDirectory(false);
  plug->OpenDataDirectory(true);
  const std::vector<std::string> urls = VIEW_Script::instance().urlsOpened();
  ASSERT_EQ(urls.size(), 2u);
  EXPECT_EQ(urls[0], "file://" + data.path() + "/");
  EXPECT_EQ(urls[1], "file://" + data.path() + "/Tessmar%20Kroma%20User%20Manual.pdf");
  EXPECT_EQ(Kroma::getPatchesFolderStr(), data.path() + "/Patches");

  std::thread job([plug] { plug->requestLayerHidden("aboutWindow", false); });
  job.join();
  EXPECT_FALSE(shown(plug, "aboutWindow"));
  IRECT region;
  plug->graphics()->IsDirty(&region);
  EXPECT_TRUE(shown(plug, "aboutWindow"));
}

// A part's bank change goes straight to the synthesizer's port: bank, bank LSB 64, program on the
// part's channel; a Multi's on the global channel with LSB 96. One that another active part
// already plays is refused and sends nothing; all notes off reaches every enabled part.
TEST_F(Start, BankChangesAndAllNotesOffReachThePortOnTheirChannels) {
  Kroma* plug = openConnected();
  auto set = [plug](int param, double v) { plug->GetParam(param)->Set(v); };
  set(kMultiPartBank + 2, 3);
  set(kMultiPartPatch + 2, 77);
  for (int part : {0, 1, 2, 3}) set(kMultiPartMIDICh + part, part == 3 ? 0 : part + 2);
  set(kMultiPartMIDICh + 2, 5);  // channel 4; part 3's 0 stands for the global channel
  set(kMultiBank, 1);
  set(kMultiPatch, 9);
  set(kGlobalMidiChannel, 16);
  EXPECT_TRUE(plug->BankChangeMessage(2));
  KromaProbe(plug).selection.mMultiMode = true;
  EXPECT_TRUE(plug->BankChangeMessage(0));
  KromaProbe(plug).selection.mMultiMode = false;
  set(kMultiPartStatus + 1, 1.0);
  KromaProbe(plug).routing.mPartBank[1] = 3;
  KromaProbe(plug).routing.mPartProgram[1] = 77;
  EXPECT_FALSE(plug->BankChangeMessage(2));
  plug->AllSoundsOff(0, true);
  EXPECT_EQ(sent(),
            "B3 7B 00|B3 00 03|B3 20 40|C3 4D|BF 00 01|BF 20 60|CF 09|"
            "B0 7B 00|B1 7B 00|B3 7B 00|BF 7B 00|");
  EXPECT_EQ(plug->partSound(16, ProtocolPlugin::PartSound::kProgram), 9);
}

}  // namespace
