#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <thread>

#include "CallNotes.h"
#include "PluginFixture.h"
#include "src/config/ControlAction.h"
#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "src/core/KromaProbe.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "src/protocol/MIDIMessageManager.h"
#include "tests/src/librarian/view/LibrarianBanks.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/plugin/editor/ITextControl.h"
#include "toolkit/wsys/Keys.h"
#include "toolkit/wsys/WsysTypes.h"

namespace {

// The plug-in with the librarian's glue watched: each call the dispatch makes there is noted, as
// "name(arguments)".
class WatchedKroma : public Kroma {
 public:
  using Kroma::Kroma;
  // The threads stop while the watching part of the object still stands.
  ~WatchedKroma() override {
    int off = 0;
    setExternalMIDIIn(off, nullptr);
    KromaProbe(this).parts.mMIDIMessageManager->shutDown();
  }
  std::string calls;

  void patchTypeChanged(int type, int kind, bool reload) override {
    note("type", type, kind, reload);
  }
  void updatePatchLibrarianView(int which) override { note("view", which); }
  void updateBankAndProgramMenuNames(bool keep) override { note("menus", keep); }
  void refreshFolderStructure(LibrarianMenu menu, int file, const FileName& name) override {
    note("folder", menu, file, name.file);
  }
  void addBankEditMenuItems() override { note("bankEdit"); }
  void refreshPatchNames(int program) override { note("names", program); }
  void sendPatchToDeviceFromLibrarian(int slot, int list, int part) override {
    note("play", slot, list, part);
  }

 private:
  template <class... Args>
  void note(const char* name, Args... args) {
    calls += callNote(name, args...);
  }
};

const char* const kNoPort = "Set MIDI I/O First!";

class Dispatch : public PluginFixture {
 protected:
  // Connected to the synthesizer's ports as the user would choose them.
  WatchedKroma* connected() {
    midi.addOutputPort("Synth Out");
    midi.addInputPort("Synth In");
    WatchedKroma* plug = open<WatchedKroma>();
    plug->setStoredValue(kLibSyncTimer, 0);  // the shortest pause between messages of a job
    turn(plug, kDeviceOutSelection, 1);
    turn(plug, kDeviceInSelection, 1);
    // The connection check the port starts is cancelled as the user would.
    EXPECT_TRUE(plug->ThreadRunning());
    set(plug, kCancelDataRequest, 1);
    EXPECT_TRUE(eventually([plug] {
      return !KromaProbe(plug).parts.mMIDIMessageManager->isLaneRunning(Lane::kTransfer);
    }));
    plug->GetParam(kGlobalSysExID)->Set(0x11);
    KromaProbe(plug).routing.mDeviceID = 0x11;
    return plug;
  }
};

// Each family of parameters reaches its handler with its arguments; the central display and the
// control action follow unless the handler ends the change. Without an output port (the one
// chosen fails to open) the control action only shows its notice, and sends nothing.
TEST_F(Dispatch, EachFamilyReachesItsHandlerThenTheDisplayAndTheControlAction) {
  midi.addOutputPort("Synth Out");
  midi.setFailOpen(true);
  for (const char* name : {"one", "two"}) banks::write(data.file("Patches/") + name + ".syx", name);
  WatchedKroma* plug = open<WatchedKroma>();
  ASSERT_EQ(KromaProbe(plug).parts.mPatchLibrarian->soundFiles.size(), 2u);
  const std::string file0 = KromaProbe(plug).parts.mPatchLibrarian->soundFiles[0]->fileName;
  const std::string file1 = KromaProbe(plug).parts.mPatchLibrarian->soundFiles[1]->fileName;
  LibrarianViewControl* view = KromaProbe(plug).widgets.mLibrarianView;
  ASSERT_NE(view, nullptr);
  const std::string randomizeName = plug->GetParam(kRandomize)->GetNameForHost();
  using P = WatchedKroma*;
  const std::vector<IControl*>& levels =
      KromaProbe(plug).parts.mUIConfigManager->getControlAction(kMultiPartLevel)->controls;
  ASSERT_EQ(levels.size(), 2u) << "the part's card and the mixer band";
  const struct {
    int param;
    double value;
    std::function<void(P)> before;
    std::string calls;
    const char* status;  // "-": none written; null: not looked at
    std::function<bool(P)> after;
  } rows[] = {
      // The port's own notice, not the control action's.
      {kDeviceOutSelection, 1, nullptr, "", "MIDI Out port FAILED!",
       [](P p) { return !KromaProbe(p).routing.mMIDIOutSet; }},
      {kFilter1Cutoff, 1, nullptr, "", kNoPort, nullptr},
      // Every control of a parameter still shows its value.
      {kMultiPartLevel, 100, [](P p) { turn(p, kMultiPartLevel, 100); }, "", kNoPort,
       [&levels](P p) {
         const double shown = p->GetParam(kMultiPartLevel)->GetNormalized();
         return levels[0]->GetValue() == shown && levels[1]->GetValue() == shown &&
                !KromaProbe(p).clock.mMultiSendPending;
       }},
      {kControlProgBank, 0, nullptr, "menus(0) ", kNoPort,
       [](P p) { return !KromaProbe(p).selection.mProgBankMode; }},
      // A page turned sends nothing, and says nothing of the port.
      {kMainTab, 1, nullptr, "bankEdit ", "-",
       [](P p) { return KromaProbe(p).widgets.mTabLayers.root->selectedChildId == 1; }},
      {kControlLibrary, 1, nullptr, "menus(0) ", kNoPort,
       [](P p) {
         return KromaProbe(p).selection.mShowProgramNames && value(p, kControlProgBank) == 0.0;
       }},
      {kDatatype, 1, nullptr, "type(1,2,0) bankEdit menus(1) bankEdit ", kNoPort,
       [](P p) {
         return KromaProbe(p).selection.mMultiMode && shown(p, "LeftPerformancePopupMenu") &&
                !shown(p, "UPPERPOPUPMENU");
       }},
      {kDatatype, 0, nullptr, "type(0,0,0) bankEdit menus(1) bankEdit ", kNoPort,
       [](P p) { return !KromaProbe(p).selection.mMultiMode && shown(p, "UPPERPOPUPMENU"); }},
      {kCategorySelection, 2, nullptr, "type(0,1,0) ", kNoPort,
       [](P p) {
         return KromaProbe(p).selection.mLowerListShowsCategories &&
                shown(p, "RightPatchPopupMenu") && p->controlOf(kDatatype)->IsGrayed();
       }},
      {kCategorySelection, 0, nullptr, "type(0,0,0) ", kNoPort,
       [](P p) { return shown(p, "LOWERPOPUPMENU") && !p->controlOf(kDatatype)->IsGrayed(); }},
      // No search result: the lower list steps and is refilled, but no file is taken.
      // A search without results says so, leaves the lower list as it was and ends the change.
      {kPatchSearchString, 0, [](P p) { p->setDisplayText(kPatchSearchString, "Zq"); }, "",
       "No results - Try another keyword!",
       [](P p) {
         return !KromaProbe(p).selection.mLowerListShowsSearch && shown(p, "LOWERPOPUPMENU");
       }},
      {kLibLowerNextBank, 1, [](P p) { KromaProbe(p).selection.mLowerListShowsSearch = true; },
       "view(1) ", "-", nullptr},
      {kRefreshFolders, 1, [](P p) { KromaProbe(p).selection.mLowerListShowsSearch = false; },
       "type(0,0,1) ", "-", nullptr},
      // The files read again are those of the lists' kinds: categories, search results (the search
      // runs again), Multis.
      {kRefreshFolders, 1, [](P p) { KromaProbe(p).selection.mLowerListShowsCategories = true; },
       "type(0,1,1) ", "-", nullptr},
      {kRefreshFolders, 1,
       [](P p) {
         KromaProbe(p).selection.mLowerListShowsCategories = false;
         KromaProbe(p).selection.mLowerListShowsSearch = true;
       },
       "type(0,4,1) type(0,4,0) ", "-", nullptr},
      {kRefreshFolders, 1,
       [](P p) {
         KromaProbe(p).selection.mLowerListShowsSearch = false;
         KromaProbe(p).selection.mMultiMode = true;
       },
       "type(1,2,1) ", "-", nullptr},
      // The parameter after the refresh button has no handler of its own.
      // A part's bank takes the upper list along unless the librarian keeps its bank.
      {kCurrentPatchBank + 3, 1,
       [](P p) {
         KromaProbe(p).selection.mMultiMode = false;
         KromaProbe(p).selection.mKeepSelectedBank = false;
       },
       "folder(0,1," + file1 + ") view(0) ", "-",
       [](P p) {
         return value(p, kPatchSelectionListUpper) == 1.0 &&
                KromaProbe(p).parts.mPatchLibrarian->upperFileIndex == 1;
       }},
      {kPatchSelectionListUpper, 1, [](P p) { KromaProbe(p).selection.mKeepSelectedBank = true; },
       "", kNoPort, nullptr},
      {kLibUpperNextBank, 1, [](P p) { p->setStoredValue(kPatchSelectionListUpper, 1); },
       "folder(0,0," + file0 + ") view(0) menus(0) ", "-",
       [file0](P p) {
         return KromaProbe(p).parts.mPatchLibrarian->upperFileIndex == 0 &&
                KromaProbe(p).selection.mUpperSelectionText == file0;
       }},
      {kLibUpperPreviousBank, 1, nullptr, "folder(0,1," + file1 + ") view(0) menus(0) ", "-",
       [](P p) { return value(p, kCurrentOpenPatchBankL) == 1.0; }},
      {kLibUpperNextBank, 1, [](P p) { p->setStoredValue(kBankEditUnsaved, 1); }, "",
       "Save bank or Discard changes!",
       [](P p) { return KromaProbe(p).parts.mPatchLibrarian->upperFileIndex == 1; }},
      {kQuickTab, 5, nullptr, "menus(0) ", kNoPort, [](P p) { return p->currentPart() == 5; }},
      {kMainTab, 2, nullptr, "", "-",
       [](P p) {
         return KromaProbe(p).widgets.mTabLayers.root->selectedChildId == 2 &&
                KromaProbe(p).widgets.mTabLayers.oscillators->selectedChildId == 5;
       }},
      // The sample switch shows the oscillator's sample layer in place of its shape's.
      {kTriggerOscillator1Samples + 5, 1, nullptr, "", kNoPort,
       [](P p) {
         const ControlLayer* panel =
             KromaProbe(p).widgets.mTabLayers.oscillators->childLayers.Get(5);
         auto visible = [panel](int id) {
           for (int i = 0; i < panel->childLayers.GetSize(); ++i)
             if (panel->childLayers.Get(i)->id == id) return panel->childLayers.Get(i)->IsVisible();
           return false;
         };
         return value(p, kOsc1UseSampleMemory + 5) == 1.0 && visible(91) && !visible(90);
       }},
      // Library mode (set above): the next slot after 127 is 0, played on the part.
      {kPatchUp + 2, 1, [view](P) { view->upperSelection = 127; }, "play(0,0,2) names(0) ", kNoPort,
       [](P p) {
         return value(p, kMultiPartPatch + 2) == 0.0 && KromaProbe(p).selection.mLastProgram == 0;
       }},
      // Stepping down onto the first slot stays there.
      {kPatchDown + 2, 1, [view](P) { view->upperSelection = 1; }, "play(0,0,2) names(0) ", kNoPort,
       [](P p) {
         return value(p, kMultiPartPatch + 2) == 0.0 && KromaProbe(p).selection.mLastProgram == 0;
       }},
      {kPatchDown + 2, 1, [](P p) { p->setStoredValue(kPartLock + 2, 1); }, "", "-", nullptr},
      // A button let go of, and the top bar's triggers at 0, end the change.
      {kPatchDown + 2, 0, [](P p) { p->setStoredValue(kPartLock + 2, 0); }, "", "-", nullptr},
      {kTriggerProgControl, 0, [](P p) { p->setStoredValue(kControlProgBank, 1); }, "", "-",
       [](P p) { return value(p, kControlProgBank) == 1.0; }},
      {kTriggerLibControl, 0, [](P p) { p->setStoredValue(kControlLibrary, 1); }, "", "-",
       [](P p) { return value(p, kControlLibrary) == 1.0; }},
      {kTriggerGlobalLocalKBDControl, 0, [](P p) { p->setStoredValue(kGlobalLocalControl, 1); }, "",
       "-", [](P p) { return value(p, kGlobalLocalControl) == 1.0; }},
      // A wavetable is its CC alone: shown, and no control action follows.
      {kOscillator1Wavetable + 1, 2, nullptr, "", "Osc 1 Wavetable",
       [](P p) { return value(p, kOscillator1Shape + 1) == 7.0; }},
      {kMultiPartSettings + 2, 1, nullptr, "", kNoPort,
       [](P p) {
         return shown(p, "multiSettingsPart03") &&
                KromaProbe(p).widgets.mTabLayers.root->selectedChildId == 0;
       }},
      {kTriggerFilterEnvTrigger + 1, 1, [](P p) { p->GetParam(kFilterEnvTrigger + 1)->Set(0.5); },
       "", kNoPort, [](P p) { return value(p, kFilterEnvTrigger + 1) == 1.0; }},
      {kOscillator1Shape + 3, 4, [](P p) { p->setStoredValue(kOscillator1Wavetable + 3, 9); }, "",
       kNoPort, [](P p) { return value(p, kOscillator1Wavetable + 3) == 0.0; }},
      // The notice's button ends the change: no control action runs.
      {kFirstRunExit, 0,
       [](P p) {
         KromaProbe(p).parts.mFirstRunShown = true;
         p->layerNamed("firstRunNotification")->Hide(false);
       },
       "", "-", [](P p) { return shown(p, "firstRunNotification"); }},
      {kFirstRunExit, 1,
       [](P p) {
         KromaProbe(p).parts.mFirstRunShown = true;
         p->layerNamed("firstRunNotification")->Hide(false);
       },
       "", "Set MIDI In and MIDI Out", [](P p) { return !shown(p, "firstRunNotification"); }},
      {kFirstRunExit, 1, [](P p) { p->layerNamed("bankPatchConflictWindow")->Hide(false); }, "",
       "-", [](P p) { return !shown(p, "bankPatchConflictWindow"); }},
      {kMIDIFilterHWPCPassThrough, 1, nullptr, "", kNoPort,
       [](P p) { return !KromaProbe(p).routing.mHWFilterBlocked[1]; }},
      {kSendMIDIClockInfo, 0,
       [](P p) { KromaProbe(p).parts.mMIDIMessageManager->sender().clockRunning = true; }, "",
       kNoPort,
       [](P p) {
         return !KromaProbe(p).clock.mSendClockInfo &&
                !KromaProbe(p).parts.mMIDIMessageManager->sender().clockRunning;
       }},
      // No slot selected: nothing is renamed, the rename closes.
      {kPatchRename, 0,
       [view](P p) {
         view->upperSelection = -1;
         KromaProbe(p).selection.mRenameFinished = false;
       },
       "", kNoPort,
       [](P p) { return KromaProbe(p).selection.mRenameFinished && !shown(p, "patchRename"); }},
      // Effect 2's panel follows part 1's mode whichever part changed.
      {kEffect2Mode + 3, 2,
       [](P p) {
         set(p, kMainTab, 5);
         p->setStoredValue(kEffect2Mode, 3);
       },
       "", nullptr, [](P p) { return shown(p, "Phaser") && !shown(p, "Flanger"); }},
      {kExitAboutWindow, 1, [](P p) { p->layerNamed("aboutWindow")->Hide(false); }, "", kNoPort,
       [](P p) { return !shown(p, "aboutWindow") && !shown(p, "PROGRESS"); }},
      // Only on a sound page does the button randomize; elsewhere it ends the change.
      {kRandomize, 1, [](P p) { set(p, kMainTab, 0); }, "", randomizeName.c_str(),
       [](P p) { return value(p, kRandomize) == 1.0; }},
  };
  for (const auto& row : rows) {
    if (row.before) row.before(plug);
    plug->calls.clear();
    KromaProbe(plug).widgets.mNameDisplay->SetTextFromPlug("-");
    set(plug, row.param, row.value);
    EXPECT_EQ(plug->calls, row.calls) << row.param;
    if (row.status) {
      EXPECT_EQ(text(KromaProbe(plug).widgets.mNameDisplay), row.status) << row.param;
    }
    if (row.after) {
      EXPECT_TRUE(row.after(plug)) << row.param;
    }
  }
  EXPECT_TRUE(midi.received("Synth Out").empty());
}

// A knob turned in the editor sends exactly its message: the precomputed SysEx with the device id
// and the part, packed bytes, the CCs of octaves, semitones and wavetables on the part's channel
// (a CC of no part nothing); a Multi setting the whole Multi.
TEST_F(Dispatch, AnEditSendsItsSysExOrCCToTheSynthesizer) {
  writeData("Kroma Editor LOG.txt", "");
  WatchedKroma* plug = connected();
  EXPECT_TRUE(KromaProbe(plug).routing.mMIDIOutSet);
  const struct {
    int param;
    double value;
    std::function<void()> before;
    const char* bytes;
  } rows[] = {
      {kFilter1Cutoff + 3, 100, nullptr, "F0 3E 13 11 20 03 00 4E 64 F7|"},
      {kOscillator1Octave + 1, 2, nullptr, "B1 1B 28|"},
      {kOscillator2Semitone, 13, nullptr, "B0 24 41|"},
      {kOscillator1Wavetable + 2, 3, nullptr, "B2 1F 0A|"},
      {kArpPattern02Accent, 3,
       [plug] {
         plug->setStoredValue(kArpPattern02Glide, 1);
         plug->setStoredValue(kArpPattern02Step, 1);
       },
       "F0 3E 13 11 20 00 02 48 1B F7|"},
      {kOscillator1Octave + 1, 3, [plug] { plug->setStoredValue(kMultiPartMIDICh + 1, 0); },
       "B0 1B 34|"},
  };
  for (const auto& row : rows) {
    if (row.before) row.before();
    const size_t from = sentCount();
    turn(plug, row.param, row.value);
    EXPECT_EQ(sent(from), row.bytes) << row.param;
  }
  EXPECT_EQ(value(plug, kOscillator1Shape + 2), 7.0) << "a wavetable is shape 7";

  // A CC of no part has no channel: it is shown, not sent.
  ControlAction partless(kMessageCC);
  partless.ccNumber = 74;
  const size_t from = sentCount();
  plug->processControlAction(&partless, kFilter1Cutoff, 5);
  EXPECT_EQ(sent(from), "");
  EXPECT_EQ(text(KromaProbe(plug).widgets.mCCDisplayControl), "CC|74");

  // A value that has no message sends nothing and is logged.
  ControlAction messageless(kMessageSysExOne);
  plug->processControlAction(&messageless, kFilter1Cutoff + 3, 9);
  EXPECT_EQ(sent(from), "");
  EXPECT_NE(readData("Kroma Editor LOG.txt").find("no SysEx message for value 9"),
            std::string::npos);

  // Of a part, every controller number a data byte holds is sent, 0 the first of them; the
  // switch kind sends its off or on byte.
  const struct {
    int type, number;
    double value;
    const char* bytes;
  } ccs[] = {{kMessageCC, 0, 5, "B2 00 05|"},
             {kMessageCC, 127, 6, "B2 7F 06|"},
             {kMessageCC, 128, 7, ""},
             {kMessageCC, -1, 8, ""},
             {kMessageCCOffOn, 0, 0, "B2 00 11|"},
             {kMessageCCOffOn, 64, 1, "B2 40 22|"}};
  for (const auto& cc : ccs) {
    ControlAction ofPart(cc.type);
    ofPart.part = 2;
    ofPart.ccNumber = cc.number;
    ofPart.ccOffValue = 0x11;
    ofPart.ccOnValue = 0x22;
    const size_t before = sentCount();
    plug->processControlAction(&ofPart, kFilter1Cutoff, cc.value);
    EXPECT_EQ(sent(before), cc.bytes) << cc.number;
  }

  // A Multi setting sends the whole Multi, after all notes off of the playing parts.
  plug->setStoredValue(kMultiPartMIDICh + 1, 3);
  const size_t multi = sentCount();
  turn(plug, kMultiPartLevel + 1, 90);
  EXPECT_EQ(text(KromaProbe(plug).widgets.mCCDisplayControl), "MULTI");
  EXPECT_EQ(awaitSent(multi, 5).substr(0, 50),
            "B0 7B 00|B1 7B 00|B2 7B 00|B3 7B 00|F0 3E 13 11 11");
}

// The SERIAL ROUTING switch sends the routing byte, as its trigger does; either way the routing
// value that the part's sound dump carries, and the parallel switch, follow what was sent.
TEST_F(Dispatch, TheSerialRoutingSwitchKeepsTheRoutingByteOfTheDumpInStep) {
  WatchedKroma* plug = connected();
  const struct {
    int param;
    double value;
    const char* bytes;
    double serial;
  } rows[] = {{kFilterRoutingSerial + 2, 1, "F0 3E 13 11 20 02 00 75 01 F7|", 1},
              {kFilterRoutingSerial + 2, 0, "F0 3E 13 11 20 02 00 75 00 F7|", 0},
              {kTriggerFilterRouting + 2, 1, "F0 3E 13 11 20 02 00 75 01 F7|", 1}};
  for (const auto& row : rows) {
    const size_t from = sentCount();
    turn(plug, row.param, row.value);
    EXPECT_EQ(sent(from), row.bytes) << row.param;
    EXPECT_EQ(value(plug, kFilterRoutingSerial + 2), row.serial);
    EXPECT_EQ(value(plug, kFilterRouting + 2), row.serial) << "the dump's routing byte";
    EXPECT_EQ(value(plug, kFilterRoutingParallel + 2), 1 - row.serial);
    EXPECT_EQ(plug->controlOf(kFilterRoutingSerial + 2)->GetValue(), row.serial)
        << "the switch shows what was sent";
  }
}

// An effect setting reaches the effect's position byte, which the sound dump is built from, with
// a port and without one.
TEST_F(Dispatch, AnEffectEditReachesItsPositionByteWithOrWithoutAPort) {
  for (bool port : {false, true}) {
    Kroma* plug = port ? openConnected() : open();
    turn(plug, kFX1ChorusSpeed, 70);
    EXPECT_EQ(value(plug, kEffect1Param01), 70) << port;
  }
}

// Values from the synthesizer reach the controls on the MIDI input thread and nothing goes back,
// a Multi setting's whole dump included; the part tab's page waits for the editor thread.
TEST_F(Dispatch, AValueFromTheSynthesizerIsShownAndNeverSentBack) {
  WatchedKroma* plug = connected();
  const size_t from = sentCount();
  const struct {
    std::vector<uint8_t> message;
    int param;
    double value;
    const char* shown;
  } echoes[] = {{{0xF0, 0x3E, 0x13, 0x11, 0x20, 0x02, 0x00, 0x4E, 0x40, 0xF7},
                 kFilter1Cutoff + 2,
                 64,
                 "[3] Filter 1 Cutoff"},
                {{0xF0, 0x3E, 0x13, 0x11, 0x21, 0x01, 0x00, 0x02, 0x20, 0xF7},
                 kMultiPartLevel + 1,
                 32,
                 "Part 2 Level"}};
  for (const auto& echo : echoes) {
    ASSERT_TRUE(midi.deviceSend("Synth In", echo.message));
    EXPECT_TRUE(eventually([&] { return value(plug, echo.param) == echo.value; })) << echo.param;
    EXPECT_DOUBLE_EQ(plug->controlOf(echo.param)->GetValue(), echo.value / 127.0);
    EXPECT_EQ(text(KromaProbe(plug).widgets.mNameDisplay), echo.shown);
  }
  // A wavetable from the synthesizer: its oscillator's shape and CC follow, and it is shown.
  for (const auto& [table, shape, cc, shown] :
       {std::tuple{kOscillator1Wavetable, kOscillator1Shape, "CC|31", "Osc 1 Wavetable"},
        std::tuple{kOscillator2Wavetable, kOscillator2Shape, "CC|39", "Osc 2 Wavetable"}}) {
    plug->GetParam(table + 2)->Set(4);
    KromaProbe(plug).parts.mMIDIMessageManager->dumpRouting = true;
    plug->OnParamChange2(table + 2);
    EXPECT_FALSE(KromaProbe(plug).parts.mMIDIMessageManager->dumpRouting) << "the value ends it";
    EXPECT_EQ(value(plug, shape + 2), 7.0);
    EXPECT_EQ(text(KromaProbe(plug).widgets.mCCDisplayControl), cc);
    EXPECT_EQ(text(KromaProbe(plug).widgets.mNameDisplay), shown);
  }
  EXPECT_FALSE(KromaProbe(plug).clock.mMultiSendPending);
  EXPECT_FALSE(KromaProbe(plug).parts.mMIDIMessageManager->isLaneRunning(Lane::kTransfer));
  EXPECT_EQ(sent(from), "");

  set(plug, kMainTab, 2);
  plug->GetParam(kQuickTab)->Set(6);
  std::thread midiInput([plug] { plug->OnParamChange2(kQuickTab); });
  midiInput.join();
  EXPECT_EQ(KromaProbe(plug).widgets.mTabLayers.oscillators->selectedChildId, 0);
  IRECT region;
  plug->graphics()->IsDirty(&region);
  EXPECT_EQ(KromaProbe(plug).widgets.mTabLayers.oscillators->selectedChildId, 6);
  EXPECT_EQ(plug->currentPart(), 6);
}

// Filter 1 and filter 2 follow each other while the part's link is on, keeping the distance
// they had while it was off, held to 0..127.
TEST_F(Dispatch, TheFilterLinkKeepsItsDistanceBothWaysAndClamps) {
  writeData("Kroma Editor LOG.txt", "");
  WatchedKroma* plug = connected();
  // Part 1's link switch, next to the port menus, is a link switch only.
  for (double on : {1.0, 0.0}) set(plug, kFilterLinkSwitch, on);
  EXPECT_TRUE(midi.inputConnected("Synth In"));
  EXPECT_EQ(value(plug, kDeviceInSelection), 1.0);
  const int cutoff1 = kFilter1Cutoff + 2, cutoff2 = kFilter2Cutoff + 2;
  plug->setStoredValue(cutoff2, 70);
  const size_t off = sentCount();
  turn(plug, cutoff1, 60);  // filter 1 keeps 10 to filter 2
  turn(plug, cutoff2, 50);  // and filter 2 10 to filter 1
  EXPECT_EQ(sent(off), "F0 3E 13 11 20 02 00 4E 3C F7|F0 3E 13 11 20 02 00 62 32 F7|")
      << "while the link is off each filter sends only itself";
  plug->setStoredValue(kFilterLinkSwitch + 2, 1);
  const struct {
    int edited;
    double value;
    double partnerBefore;
    const char* partnerSent;
  } rows[] = {
      {cutoff1, 61, 70, "F0 3E 13 11 20 02 00 62 47 F7|"},    // 71
      {cutoff1, 71, 71, "F0 3E 13 11 20 02 00 62 47 F7|"},    // already level: stays
      {cutoff1, 120, 71, "F0 3E 13 11 20 02 00 62 6E F7|"},   // 110
      {cutoff2, 5, 120, "F0 3E 13 11 20 02 00 4E 0F F7|"},    // the other way, 15
      {cutoff1, 121, 125, "F0 3E 13 11 20 02 00 62 7F F7|"},  // 131 held to 127
      {cutoff2, 3, 0, "F0 3E 13 11 20 02 00 4E 00 F7|"},      // -7 held to 0
  };
  for (const auto& row : rows) {
    const int partner = row.edited == cutoff1 ? cutoff2 : cutoff1;
    plug->setStoredValue(partner, row.partnerBefore);
    const size_t from = sentCount() + 1;
    turn(plug, row.edited, row.value);
    EXPECT_EQ(sent(from), row.partnerSent) << row.edited << " " << row.value;
    const double partnerValue = value(plug, partner);
    EXPECT_DOUBLE_EQ(plug->controlOf(partner)->GetValue(), partnerValue / 127.0);
  }

  // The filter types and the routing have no twin: from the synthesizer too, while the link is
  // on, they move no other setting.
  plug->setStoredValue(kOscillator1Octave, 3);
  for (int single : {kFilter1Type + 2, kFilterRouting + 2, kFilter2Type + 2}) {
    plug->GetParam(single)->Set(1);
    plug->OnParamChange2(single);
    EXPECT_EQ(value(plug, kOscillator1Octave), 3) << single;
  }
  EXPECT_EQ(readData("Kroma Editor LOG.txt").find("has no binding"), std::string::npos);

  // A link that names a parameter without binding links nothing.
  ControlAction* action =
      KromaProbe(plug).parts.mUIConfigManager->getControlAction(kOscillator1Detune);
  action->link = LinkInfo{kTempoInformation, kFilterLinkSwitch + 2, -1};
  ASSERT_EQ(KromaProbe(plug).parts.mUIConfigManager->getControlAction(kTempoInformation), nullptr);
  const size_t from = sentCount();
  turn(plug, kOscillator1Detune, 40);
  EXPECT_EQ(sent(from), "F0 3E 13 11 20 00 00 03 28 F7|");
  EXPECT_NE(readData("Kroma Editor LOG.txt")
                .find("linked parameter " + std::to_string(kTempoInformation) + " has no binding"),
            std::string::npos);
}

// Multi and Global settings hold their whole dump back while the mouse button or Shift is down,
// for the audio callback to send once they are up; while the host plays after a reset they are
// refused.
TEST_F(Dispatch, WholeDumpsWaitForTheMouseAndAreRefusedDuringPlayback) {
  WatchedKroma* plug = connected();
  const struct {
    int key;
    bool playing;
    int param;
    const char* status;
    bool multiPending, globalPending;
  } held[] = {
      {VK_LBUTTON, false, kMultiPartLevel + 1, nullptr, true, false},
      {VK_SHIFT, false, kGlobalTranspose, nullptr, false, true},
      {-1, true, kMultiPartLevel + 2, "STOP PLAYBACK TO SEND MULTI DATA", false, false},
      {-1, true, kGlobalTranspose, "STOP PLAYBACK TO SEND GLOBAL DATA", false, false},
      // The first and last settings of the Multi and of the Global are theirs.
      {VK_LBUTTON, false, kMultiPartMIDICh, nullptr, true, false},
      {VK_LBUTTON, false, kMultiPartVeloHigh + 15, nullptr, true, false},
      {VK_LBUTTON, false, kReceiveMIDI, nullptr, true, false},
      {VK_LBUTTON, false, kMultiTempo, nullptr, true, false},
      {VK_LBUTTON, false, kGlobalVelocityCurve, nullptr, false, true},
  };
  const size_t from = sentCount();
  for (const auto& row : held) {
    KromaProbe(plug).clock.mMultiSendPending = KromaProbe(plug).clock.mGlobalSendPending = false;
    KromaProbe(plug).widgets.mNameDisplay->SetTextFromPlug("-");
    WSYS_SetKeyState(row.key, true);
    KromaProbe(plug).clock.mTransportWasRunning = KromaProbe(plug).clock.mFreshReset = row.playing;
    turn(plug, row.param, value(plug, row.param) == 1.0 ? 0.0 : 1.0);
    WSYS_SetKeyState(row.key, false);
    if (row.status) {
      EXPECT_EQ(text(KromaProbe(plug).widgets.mNameDisplay), row.status) << row.param;
    }
    EXPECT_EQ(KromaProbe(plug).clock.mMultiSendPending, row.multiPending) << row.param;
    EXPECT_EQ(KromaProbe(plug).clock.mGlobalSendPending, row.globalPending) << row.param;
  }
  KromaProbe(plug).clock.mTransportWasRunning = KromaProbe(plug).clock.mFreshReset = false;
  EXPECT_EQ(sent(from), "");

  // Released, the held Multi goes out from the audio callback.
  KromaProbe(plug).clock.mMultiSendPending = KromaProbe(plug).clock.mGlobalSendPending = false;
  WSYS_SetKeyState(VK_LBUTTON, true);
  turn(plug, kMultiPartLevel + 1, 90);
  process(plug, 64);
  EXPECT_TRUE(KromaProbe(plug).clock.mMultiSendPending) << "still held";
  WSYS_SetKeyState(VK_LBUTTON, false);
  process(plug, 64);
  EXPECT_FALSE(KromaProbe(plug).clock.mMultiSendPending);
  EXPECT_EQ(awaitSent(from, 1).substr(0, 14), "F0 3E 13 11 11");
  EXPECT_TRUE(KromaProbe(plug).selection.mSendPartSounds);
}

// The UI settings file is rewritten line by line, without a line feed after the last; a missing
// one is reported and not made.
TEST_F(Dispatch, SizeStyleAndFirstRunRewriteTheSettingsFile) {
  writeData("Kroma Editor UI.txt", "white\nnormal\nno\n");
  WatchedKroma* plug = open<WatchedKroma>();
  set(plug, kUserInterfaceSize, 0);
  EXPECT_EQ(readData("Kroma Editor UI.txt"), "white\nsmall\nno");
  EXPECT_EQ(text(KromaProbe(plug).widgets.mNameDisplay), "Size changes applied...");
  EXPECT_EQ(text(KromaProbe(plug).widgets.mValueDisplay), "Reload project!");
  KromaProbe(plug).widgets.mValueDisplay->SetTextFromPlug("-");
  set(plug, kUserInterfaceStyle, 1);
  EXPECT_EQ(text(KromaProbe(plug).widgets.mNameDisplay), "Color Scheme applied...");
  EXPECT_EQ(text(KromaProbe(plug).widgets.mValueDisplay), "Reload project!");
  set(plug, kFirstRunExit, 1);
  EXPECT_EQ(readData("Kroma Editor UI.txt"), "black\nsmall\nyes");
  EXPECT_FALSE(shown(plug, "firstRunNotification"));
  EXPECT_EQ(text(KromaProbe(plug).widgets.mNameDisplay), "Set MIDI In and MIDI Out");

  std::remove(data.file("Kroma Editor UI.txt").c_str());
  set(plug, kUserInterfaceSize, 1);
  EXPECT_EQ(text(KromaProbe(plug).widgets.mNameDisplay), "Kroma Editor UI.txt MISSING!");
  EXPECT_EQ(text(KromaProbe(plug).widgets.mValueDisplay), "Contact support");
  EXPECT_FALSE(std::ifstream(data.file("Kroma Editor UI.txt")).good());
}

}  // namespace
