// The plug-in's smaller services and rules, through the real plug-in on in-memory MIDI ports:
// texts, layer groups, whole-dump sends, incoming SysEx, the audio clock's chores and the
// librarian's name, search and program steps.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "PortFixtures.h"
#include "platform/vst2/opcodes.h"
#include "src/config/ControlAction.h"
#include "src/config/ParameterIds.h"
#include "src/config/UIConfigManager.h"
#include "src/core/KromaProbe.h"
#include "src/core/detail/KromaDialogs.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "src/protocol/MIDIMessageManager.h"
#include "tests/src/librarian/view/LibrarianBanks.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/wsys/Dialog.h"
#include "toolkit/wsys/Timing.h"

namespace {

// The first sixteen parameters (oscillator 1's octaves) offered to the host.
class HostVisibleKroma : public Kroma {
 public:
  explicit HostVisibleKroma(IPluginInstanceInfo info) : Kroma(info) {
    addNonAutomateParamCount(numParams - 16);
  }
};

class Services : public PortedPlugin {
 protected:
  static std::string echoMessage() {
    return std::string("\xF0\x3E\x13\x11\x20\x02\x00\x4E\x40\xF7", 10);
  }
};

TEST_F(Services, PanelTextFolderLengthProgramMapAndTheBankNameDialog) {
  Kroma* plug = open();
  const char* text = plug->getPanelString(15, "");
  EXPECT_STREQ(text, "Part 16 ");
  EXPECT_STREQ(plug->getPanelString(0, "Osc 1"), "Part 1 Osc 1");
  EXPECT_EQ(KromaProbe(plug).widgets.mPanelString, "Part 1 Osc 1")
      << "kept for the pointer handed out";
  EXPECT_EQ(Kroma::getPatchesFolderLength(), static_cast<int>(data.path().size() + 8));

  EXPECT_EQ(plug->getProgramValueByParts(1, 2, 3), 0);
  plug->setProgramValueByParts(1, 2, 3, 7);
  plug->setProgramValueByParts(1, 2, 3, 9);
  EXPECT_EQ(plug->getProgramValueByParts(1, 2, 3), 9);
  EXPECT_EQ(plug->getProgramValueByParts(1, 2, 4), 0);
  EXPECT_EQ(plug->getProgramValueByParts(2, 2, 3), 0);

  // Registered at start-up: it opens without the plug-in having shown any dialog.
  WSYS_PostDialogCommand(IDOK);
  EXPECT_EQ(WSYS_DialogBox(0, kEnterBankNameDialog, nullptr, &MessageBoxProg, 0), IDOK);
  // It answers as a dialog procedure: its start and its commands handled, nothing else.
  EXPECT_EQ(MessageBoxProg(nullptr, WM_INITDIALOG, 0, 0), 1);
  EXPECT_EQ(MessageBoxProg(nullptr, WM_COMMAND, IDCANCEL, 0), 1);
  EXPECT_EQ(MessageBoxProg(nullptr, WM_COMMAND + 1, IDOK, 0), 0);
}

// A binding wired to a group of layers shows the group's child whose id is the value: at once
// for an edit, at the editor's next timer tick for a value from the synthesizer.
TEST_F(Services, ALayerGroupShowsTheChildOfTheValueOnTheEditorThread) {
  Kroma* plug = open();
  ControlAction* action =
      KromaProbe(plug).parts.mUIConfigManager->getControlAction(kFilter1Cutoff + 2);
  ASSERT_NE(action, nullptr);
  ControlLayer group(0, "group");
  for (int id = 0; id < 4; ++id) {
    group.childLayers.Add(new ControlLayer(id, "child"));
    group.childLayers.Get(id)->Hide(false);
  }
  auto shownIds = [&group] {
    std::vector<int> ids;
    for (int i = 0; i < group.childLayers.GetSize(); ++i)
      if (group.childLayers.Get(i)->IsVisible()) ids.push_back(group.childLayers.Get(i)->id);
    return ids;
  };
  action->layerGroup = &group;
  set(plug, kFilter1Cutoff + 2, 2);
  EXPECT_EQ(group.selectedChildId, 2);
  EXPECT_EQ(shownIds(), std::vector<int>{2});

  plug->GetParam(kFilter1Cutoff + 2)->Set(1);
  std::thread midiInput([plug] { plug->OnParamChange2(kFilter1Cutoff + 2); });
  midiInput.join();
  EXPECT_EQ(shownIds(), std::vector<int>{2}) << "waits for the editor thread";
  IRECT region;
  plug->graphics()->IsDirty(&region);
  EXPECT_EQ(group.selectedChildId, 1);
  EXPECT_EQ(shownIds(), std::vector<int>{1});
  action->layerGroup = nullptr;
}

// A Global setting sends all notes off to each enabled part before the Global dump, as a Multi
// setting does before the Multi.
TEST_F(Services, AGlobalSendEndsTheNotesOfTheEnabledPartsFirst) {
  Kroma* plug = connected();
  plug->GetParam(kMultiPartStatus + 2)->Set(0.0);
  plug->GetParam(kMultiPartStatus + 6)->Set(1.0);
  turn(plug, kGlobalTranspose, value(plug, kGlobalTranspose) == 1.0 ? 2.0 : 1.0);
  EXPECT_EQ(text(KromaProbe(plug).widgets.mCCDisplayControl), "GLOBAL");
  EXPECT_EQ(awaitSent(0, 5).substr(0, 50), "B0 7B 00|B1 7B 00|B3 7B 00|B6 7B 00|F0 3E 13 11 14");
}

// The address lookup by name: a control registered under the address gets the raw byte less its
// offset, as the synthesizer's value (nothing goes back); an address of none is unhandled.
TEST_F(Services, TheNormalControlLookupAppliesWithTheOffsetOrMarksUnhandled) {
  Kroma* plug = connected();
  MIDIMessageManager& manager = *KromaProbe(plug).parts.mMIDIMessageManager;
  ASSERT_EQ(plug->getSysexControl(0x21, 2, 0, 5, 0), kMultiPartTranspose + 2);
  manager.unhandled = false;
  manager.getNormalControl(0x21, 2, 0, 5, 0x10 + 3, true);
  EXPECT_EQ(value(plug, kMultiPartTranspose + 2), 3.0);
  EXPECT_FALSE(manager.unhandled);
  manager.getNormalControl(0x21, 2, 0, 0x7E, 5, true);
  EXPECT_TRUE(manager.unhandled);
  EXPECT_FALSE(KromaProbe(plug).clock.mMultiSendPending);
  EXPECT_EQ(sent(), "");
}

// SysEx from the synthesizer is dropped during a transfer, a Multi push and by the filter of its
// source; what passes resets the remembered value of every parameter the host sees and raises
// SysEx-received when the manager completed an answer.
TEST_F(Services, SysExDropRulesAndWhatAPassingMessageResets) {
  auto* plug = open<HostVisibleKroma>();
  ControlAction* seen =
      KromaProbe(plug).parts.mUIConfigManager->getControlAction(kOscillator1Octave + 3);
  ControlAction* unseen =
      KromaProbe(plug).parts.mUIConfigManager->getControlAction(kOscillator1Balance + 3);
  ASSERT_TRUE(seen && unseen);
  const std::string message = echoMessage();
  const auto* bytes = reinterpret_cast<const unsigned char*>(message.data());
  const struct {
    std::atomic<bool>* flag;
    bool fromDevice;
    bool passes;
  } rows[] = {
      {&KromaProbe(plug).routing.mSendingSysEx, true, false},
      {&KromaProbe(plug).routing.mHWFilterBlocked[6], true, false},
      {&KromaProbe(plug).routing.mHWFilterBlocked[6], false, true},
      {&KromaProbe(plug).routing.mDAWFilterBlocked[6], false, false},
      {&KromaProbe(plug).routing.mDAWFilterBlocked[6], true, true},
      {&KromaProbe(plug).selection.mMultiSendRequested, true, false},
      {nullptr, true, true},
  };
  KromaProbe(plug).routing.mDAWFilterBlocked[6] = false;
  for (const auto& row : rows) {
    const bool before = row.flag ? row.flag->load() : false;
    if (row.flag) *row.flag = true;
    seen->value = unseen->value = 5.0;
    KromaProbe(plug).routing.mSysExReceived = false;
    KromaProbe(plug).parts.mMIDIMessageManager->dumpComplete = true;
    plug->ProcessSysEx(bytes, static_cast<int>(message.size()), row.fromDevice);
    if (row.flag) *row.flag = before;
    const int rowNumber = static_cast<int>(&row - rows);
    EXPECT_EQ(seen->value, row.passes ? -1.0 : 5.0) << rowNumber;
    EXPECT_EQ(KromaProbe(plug).routing.mSysExReceived, row.passes) << rowNumber;
    EXPECT_EQ(unseen->value, 5.0) << rowNumber;
  }
}

// A part's bank change needs a channel of its own: set to the global channel (0) or to all (1),
// nothing is sent.
TEST_F(Services, ABankChangeOfAPartWithoutItsOwnChannelSendsNothing) {
  Kroma* plug = connected();
  plug->GetParam(kMultiPartBank + 3)->Set(1);
  plug->GetParam(kMultiPartPatch + 3)->Set(5);
  for (double setting : {0.0, 1.0}) {
    plug->GetParam(kMultiPartMIDICh + 3)->Set(setting);
    EXPECT_FALSE(plug->BankChangeMessage(3)) << setting;
  }
  plug->GetParam(kMultiPartMIDICh + 3)->Set(17);
  EXPECT_TRUE(plug->BankChangeMessage(3));
  EXPECT_EQ(sent(), "BF 7B 00|BF 00 01|BF 20 40|CF 05|");
}

// The sends a dispatch starts as jobs: a sound name sends the part's sound after its notes end;
// the Multi's name the Multi alone, the push with the Global first and the parts' sounds after
// it, both after all notes off; the temporary-data request asks for the parts' sounds into the
// editor.
TEST_F(Services, NameChangesPushAndRequestStartTheirJobs) {
  const struct {
    int param;
    double value;
    size_t count;
    const char* start;
    bool partsAndGlobal;
  } rows[] = {
      {kPatchName + 2, 0, 2, "B2 7B 00|F0 3E 13 11 10 7F 02", false},
      {kCategoryName + 1, 0, 2, "B1 7B 00|F0 3E 13 11 10 7F 01", false},
      {kMultiName, 0, 5, "B0 7B 00|B1 7B 00|B2 7B 00|B3 7B 00|F0 3E 13 11 11 7F 00", false},
      {kPushArrangement, 1, 5, "B0 7B 00|B1 7B 00|B2 7B 00|B3 7B 00|F0 3E 13 11 14", true},
      {kRequestTempData, 1, 1, "F0 3E 13 11 00 7F 00", false},
  };
  for (const auto& row : rows) {
    Kroma* plug = connected();
    KromaProbe(plug).selection.mSendPartSounds = KromaProbe(plug).selection.mSendGlobalFirst =
        !row.partsAndGlobal;
    const size_t from = sentCount();
    set(plug, row.param, row.value);
    EXPECT_EQ(awaitSent(from, row.count).substr(0, std::string(row.start).size()), row.start)
        << row.param;
    if (row.param == kRequestTempData) {
      EXPECT_TRUE(KromaProbe(plug).parts.mMIDIMessageManager->dumpRouting);
    } else if (row.param == kMultiName || row.param == kPushArrangement) {
      EXPECT_EQ(KromaProbe(plug).selection.mSendPartSounds, row.partsAndGlobal) << row.param;
      EXPECT_EQ(KromaProbe(plug).selection.mSendGlobalFirst, row.partsAndGlobal) << row.param;
    }
    close(plug);
  }
}

// Renaming slot 5 of a bank of 100 sounds (or Multis) fills the bank up to 128 slots and writes
// the name into the slot's dump, blanks after it, the rest of the dump unchanged; the bank then
// counts as edited.
TEST_F(Services, ARenamedSlotCarriesItsNameInItsDumpAndMarksTheBankEdited) {
  for (bool multi : {false, true}) {
    SCOPED_TRACE(multi);
    banks::write(data.file(multi ? "Patches/M.syx" : "Patches/S.syx"), "Old", multi);
    writeData("Kroma Editor LOG.txt", "");
    Kroma* plug = open();
    PatchLibrarian& lib = *KromaProbe(plug).parts.mPatchLibrarian;
    PatchFileList& files = multi ? lib.multiFiles : lib.soundFiles;
    ASSERT_EQ(files.size(), 1u);
    files[0]->records.resize(100);
    lib.type = multi;
    lib.upperFileIndex = 0;
    KromaProbe(plug).selection.mMultiMode = multi;
    const std::vector<uint8_t> before = files[0]->records[5].messages.at(0).bytes;
    KromaProbe(plug).widgets.mLibrarianView->upperSelection = 5;
    plug->GetParam(kPatchRename)->SetDisplayText(0, "Warm Pad");
    KromaProbe(plug).selection.mRenameFinished = false;
    plug->layerNamed("patchRename")->Hide(false);
    set(plug, kPatchRename, 0);

    ASSERT_EQ(files[0]->records.size(), 128u);
    const std::vector<uint8_t>& dump = files[0]->records[5].messages.at(0).bytes;
    const size_t at = multi ? 7 : 370;
    ASSERT_EQ(dump.size(), before.size());
    EXPECT_EQ(std::string(dump.begin() + at, dump.begin() + at + 16), "Warm Pad        ");
    for (size_t i = 0; i < dump.size(); ++i)
      if (i < at || i >= at + 16) {
        EXPECT_EQ(dump[i], before[i]) << i;
      }
    EXPECT_EQ(banks::trimmed(files[0]->records[5].name), "Warm Pad");
    EXPECT_EQ(value(plug, kBankEditUnsaved), 1.0);
    EXPECT_TRUE(shown(plug, "discardChangesLayerRight"));
    EXPECT_FALSE(shown(plug, "keepBankOpenLayer"));
    EXPECT_FALSE(shown(plug, multi ? "LeftPerformancePopupMenu" : "UPPERPOPUPMENU"));
    EXPECT_TRUE(plug->controlOf(kDatatype)->IsGrayed());
    EXPECT_TRUE(KromaProbe(plug).selection.mRenameFinished);
    EXPECT_FALSE(shown(plug, "patchRename"));

    // A slot the filling-up left without a dump keeps its name; the log says which.
    plug->setStoredValue(kBankEditUnsaved, 0);
    KromaProbe(plug).widgets.mLibrarianView->upperSelection = 110;
    KromaProbe(plug).selection.mRenameFinished = false;
    set(plug, kPatchRename, 0);
    EXPECT_TRUE(files[0]->records[110].messages.empty());
    EXPECT_NE(banks::trimmed(files[0]->records[110].name), "Warm Pad");
    EXPECT_EQ(value(plug, kBankEditUnsaved), 0.0);
    EXPECT_NE(
        readData("Kroma Editor LOG.txt").find("PATCH LIBRARIAN: slot 111 holds no dump to rename"),
        std::string::npos);
    close(plug);
    std::remove(data.file(multi ? "Patches/M.syx" : "Patches/S.syx").c_str());
    std::remove(data.file("Kroma Editor LOG.txt").c_str());
  }
}

// The search field's queries in turn: an empty one ends the search, one letter asks for more, a
// query without result says so and leaves the lower list as it was, a query with results shows
// them in the lower list.
TEST_F(Services, TheSearchFieldAnswersEachKindOfQuery) {
  banks::write(data.file("Patches/One.syx"), "Lead");
  Kroma* plug = connected();
  const struct {
    const char* query;
    const char* status;  // null: as before the query
    const char* fieldAfter;
    bool searching;
    bool resultsShown;
  } rows[] = {
      {"", nullptr, "search...", false, false},
      {"L", "Enter 2 digits or more!", "search...", false, false},
      {"Zq", "No results - Try another keyword!", "search...", false, false},
      {"Lead", nullptr, "Lead", true, true},
      {"", nullptr, "search...", false, false},
      {"Lead", nullptr, "Lead", true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.query);
    KromaProbe(plug).widgets.mNameDisplay->SetTextFromPlug("-");
    plug->setDisplayText(kPatchSearchString, row.query);
    set(plug, kPatchSearchString, 0);
    EXPECT_EQ(text(KromaProbe(plug).widgets.mNameDisplay), row.status ? row.status : "-");
    EXPECT_EQ(plug->getDisplayText(kPatchSearchString), row.fieldAfter);
    EXPECT_EQ(KromaProbe(plug).selection.mLowerListShowsSearch, row.searching);
    EXPECT_EQ(shown(plug, "RightSearchPopupMenu"), row.resultsShown);
    if (!row.searching) {
      EXPECT_TRUE(shown(plug, "LOWERPOPUPMENU"));
    }
  }
  EXPECT_FALSE(shown(plug, "LOWERPOPUPMENU"));
  EXPECT_FALSE(KromaProbe(plug).parts.mPatchLibrarian->searchResultFiles.empty());
}

// Program buttons while program changes go to the synthesizer: the part's program steps past
// 127 to 0 and back, the bank and program go out on the part's channel and its sound is asked
// for; with the part's program-change reception on they are refused.
TEST_F(Services, ProgramButtonsStepTheSynthesizersProgram) {
  Kroma* plug = connected();
  plug->GetParam(kMultiPartBank + 2)->Set(3);
  plug->GetParam(kReceiveProgramChange + 2)->Set(0.0);
  KromaProbe(plug).selection.mLastProgram = 127;
  const struct {
    int param;
    int program;
    const char* sent;
  } rows[] = {
      {kPatchUp + 2, 0, "B2 7B 00|B2 00 03|B2 20 40|C2 00|F0 3E 13 11 00 7F 02"},
      {kPatchDown + 2, 127, "B2 7B 00|B2 00 03|B2 20 40|C2 7F|F0 3E 13 11 00 7F 02"},
  };
  for (const auto& row : rows) {
    const size_t from = sentCount();
    set(plug, row.param, 1);
    EXPECT_EQ(awaitSent(from, 5).substr(0, std::string(row.sent).size()), row.sent);
    EXPECT_EQ(value(plug, kMultiPartPatch + 2), row.program);
    EXPECT_EQ(KromaProbe(plug).widgets.mLibrarianView->upperSelection, row.program);
    EXPECT_EQ(KromaProbe(plug).parts.mPatchLibrarian->selectedProgram, row.program);
    set(plug, kCancelDataRequest, 1);
    ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  }
  plug->GetParam(kReceiveProgramChange + 2)->Set(1.0);
  const size_t from = sentCount();
  set(plug, kPatchUp + 2, 1);
  EXPECT_EQ(text(KromaProbe(plug).widgets.mNameDisplay), "Program Change Disabled.");
  EXPECT_EQ(sent(from), "");
}

// A part's sound goes back to the synthesizer after a program change only when one of its 40
// section locks, the first and the last included, holds exactly 1.
TEST_F(Services, APartIsSentBackOnlyWithALockedSection) {
  Kroma* plug = connected();
  plug->sendPartDataBackToHardware(3);
  plug->GetParam(kSectionLockFX2 + 3)->Set(0.5);
  plug->sendPartDataBackToHardware(3);
  EXPECT_EQ(sent(), "");
  plug->GetParam(kSectionLockFX2 + 3)->Set(1.0);
  plug->sendPartDataBackToHardware(3);
  const std::string expected = "B3 7B 00|F0 3E 13 11 10 7F 03";
  EXPECT_EQ(awaitSent(0, 2).substr(0, expected.size()), expected);
  // The first section's lock alone sends its part back as well.
  ASSERT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  plug->GetParam(kSectionLockOsc1 + 7)->Set(1.0);
  const size_t from = sentCount();
  plug->sendPartDataBackToHardware(7);
  const std::string seventh = "B7 7B 00|F0 3E 13 11 10 7F 07";
  EXPECT_EQ(awaitSent(from, 2).substr(0, seventh.size()), seventh);
}

// The audio clock's chores: all notes off to the enabled parts in the first stopped block after
// a reset, and only then; an LED lit by an outgoing message goes off once more than 100 ms
// have passed, and none lights while the LEDs show incoming MIDI.
TEST_F(Services, TheFirstStoppedBlockEndsTheNotesAndLedsGoOffAfterAHundredMs) {
  Kroma* plug = connected();
  hostTime.flags = kVstTempoValid | kVstTransportPlaying;
  process(plug, 64);
  EXPECT_EQ(sent(), "");
  hostTime.flags = kVstTempoValid;
  process(plug, 64);
  process(plug, 64);
  EXPECT_EQ(sent(), "B0 7B 00|B1 7B 00|B2 7B 00|B3 7B 00|");

  // Time moves only by hand here, so the 100 ms edge holds on a busy machine.
  WSYS_HoldTickCount(true);
  const IMidiMsg note(0, 0x92, 60, 100);
  plug->sendMidiMsgAndLog(&note);
  EXPECT_EQ(value(plug, kMIDILed + 2), 0.0) << "the LEDs show incoming MIDI";
  KromaProbe(plug).routing.mTrackIncomingMIDI = false;
  plug->sendMidiMsgAndLog(&note);
  EXPECT_EQ(value(plug, kMIDILed + 2), 1.0);
  for (unsigned advance : {0u, 100u, 1u}) {
    WSYS_AdvanceTickCount(advance);
    process(plug, 64);
    EXPECT_EQ(value(plug, kMIDILed + 2), advance == 1 ? 0.0 : 1.0) << advance;
  }
  EXPECT_EQ(KromaProbe(plug).clock.mLEDActive[2], 0);
  // After a reset the first stopped block puts a lit LED out at once.
  plug->sendMidiMsgAndLog(&note);
  plug->Reset();
  process(plug, 64);
  EXPECT_EQ(value(plug, kMIDILed + 2), 0.0);
  EXPECT_EQ(KromaProbe(plug).clock.mLEDActive[2], 0);
  WSYS_HoldTickCount(false);
}

// The start-up writes the start texts (the version with the build date while the debug log is
// on); a reset, a suspend and resume, a new rate or block size keep what the displays show. In
// the DAW-buffer mode each block shows the output delay.
TEST_F(Services, ResetTextsAndTheOutputDelay) {
  for (bool logging : {false, true}) {
    if (logging) writeData("Kroma Editor LOG.txt", "");
    Kroma* plug = connected();
    const std::vector<ITextControl*> displays = {
        KromaProbe(plug).widgets.mNameDisplay,         KromaProbe(plug).widgets.mValueDisplay,
        KromaProbe(plug).widgets.mBuildDisplayControl, KromaProbe(plug).widgets.mCategoryDisplay,
        KromaProbe(plug).widgets.mPatchDisplay,        KromaProbe(plug).widgets.mCCDisplayControl};
    auto texts = [&displays] {
      std::vector<std::string> out;
      for (ITextControl* display : displays) out.push_back(text(display));
      return out;
    };
    EXPECT_EQ(texts(), (std::vector<std::string>{"Tessmar Kroma Plug-in",
                                                 logging ? "v1.2.3 - 10-Oct-2020" : "v1.2.3",
                                                 "v1.2.3", "INIT", "-- INIT --", "---"}));
    for (ITextControl* display : displays) display->SetTextFromPlug("-");
    plug->Reset();
    dispatch(plug, effMainsChanged, 0, 0);
    dispatch(plug, effSetSampleRate, 0, 0, nullptr, 48000.f);
    dispatch(plug, effSetBlockSize, 0, 256);
    dispatch(plug, effMainsChanged, 0, 1);
    EXPECT_EQ(texts(), std::vector<std::string>(6, "-"));
    KromaProbe(plug).routing.mQueuedOutput = true;
    KromaProbe(plug).routing.mBlockSize = 256 + 2 * 64;
    process(plug, 256);
    EXPECT_EQ(text(KromaProbe(plug).widgets.mMIDIOutDelayDisplayControl),
              std::to_string(static_cast<int>(1000 / (plug->GetSampleRate() / 384))) + "ms|256bfr");
    close(plug);
  }
}

}  // namespace

// A dump's name is written on the MIDI input thread while a job copies it into the dump it sends:
// every copy is one whole name, never a mix of the old and the new.
TEST_F(Services, ANameCopiedOnAnotherThreadIsOneWholeName) {
  ProtocolPlugin& engine = *open();
  const std::string longName(40, 'A');
  const std::string shortName(20, 'B');
  engine.setDisplayText(kPatchName, longName);
  std::atomic<bool> written{false};
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) engine.setDisplayText(kPatchName, i % 2 ? longName : shortName);
    written = true;
  });
  int mixed = 0;
  while (!written) {
    const std::string name = engine.getDisplayText(kPatchName);
    if (name != longName && name != shortName) ++mixed;
  }
  writer.join();
  EXPECT_EQ(mixed, 0);
}
