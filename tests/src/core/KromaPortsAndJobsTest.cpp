// Bank changes, sends and the switches of ports, clock and jobs, through the real plug-in on the
// synthesizer's port in memory: what goes out, what is refused and what the user is shown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PortFixtures.h"
#include "platform/view/headless/Script.h"
#include "src/config/ParameterIds.h"
#include "src/core/KromaProbe.h"
#include "src/editor/ProgressIndicator.h"
#include "src/protocol/MIDIMessageManager.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/editor/IGraphics.h"

namespace {

class PortsAndJobs : public PortedPlugin {
 protected:
  static bool idle(Kroma* plug) {
    return eventually([plug] { return !plug->ThreadRunning(); });
  }
};

// A bank change of each part on its own channel, the first and the last; of the Multi on the
// global channel. Without a channel of its own, or for a part past the sixteen, nothing goes and
// the channel is logged.
TEST_F(PortsAndJobs, BankChangesOfTheFirstAndLastPartsAndTheirRefusals) {
  writeData("Kroma Editor LOG.txt", "");
  Kroma* plug = connected();
  for (int part = 0; part < 16; ++part) {
    plug->GetParam(kMultiPartBank + part)->Set(part % 3);
    plug->GetParam(kMultiPartPatch + part)->Set(part + 10);
  }
  plug->GetParam(kMultiBank)->Set(1);
  plug->GetParam(kMultiPatch)->Set(7);
  const struct {
    bool multi;
    int part;
    double channel;  // the part's setting, or the global channel for the Multi
    const char* sent;
    const char* logged;  // null: nothing
  } rows[] = {
      {false, 0, 2, "B0 7B 00|B0 00 00|B0 20 40|C0 0A|", nullptr},
      {false, 15, 17, "BF 7B 00|BF 00 00|BF 20 40|CF 19|", nullptr},
      {false, 4, 1, "", "bank change on channel 0 not sent"},
      {false, 16, 2, "", nullptr},
      {false, -1, 2, "", nullptr},
      {true, 0, 1, "B0 00 01|B0 20 60|C0 07|", nullptr},
      {true, 0, 17, "", "bank change on channel 17 not sent"},
      {true, 0, 0, "", "bank change on channel 0 not sent"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.multi) + " " + std::to_string(row.part));
    KromaProbe(plug).selection.mMultiMode = row.multi;
    plug->GetParam(row.multi ? kGlobalMidiChannel : kMultiPartMIDICh + (row.part & 15))
        ->Set(row.channel);
    writeData("Kroma Editor LOG.txt", "");
    const size_t from = sentCount();
    EXPECT_EQ(plug->BankChangeMessage(row.part), *row.sent != 0);
    EXPECT_EQ(sent(from), row.sent);
    const std::string log = readData("Kroma Editor LOG.txt");
    EXPECT_EQ(log.find("bank change on channel") != std::string::npos, row.logged != nullptr)
        << log;
    if (row.logged) {
      EXPECT_NE(log.find(row.logged), std::string::npos) << log;
    }
  }
}

// A part's bank and program that another enabled part already plays, the first or the last, are
// refused: nothing goes out and the conflict notice opens. The Multi's are no part's.
TEST_F(PortsAndJobs, ABankChangeConflictsWithTheFirstAndLastPartsToo) {
  Kroma* plug = connected();
  for (int other : {0, 15}) {
    SCOPED_TRACE(other);
    for (int part = 0; part < 16; ++part) plug->GetParam(kMultiPartStatus + part)->Set(0);
    plug->GetParam(kMultiPartStatus + other)->Set(1);
    KromaProbe(plug).routing.mPartBank[other] = 2;
    KromaProbe(plug).routing.mPartProgram[other] = 40;
    plug->GetParam(kMultiPartBank + 6)->Set(2);
    plug->GetParam(kMultiPartPatch + 6)->Set(40);
    plug->layerNamed("bankPatchConflictWindow")->Hide(true);
    const size_t from = sentCount();
    EXPECT_FALSE(plug->BankChangeMessage(6));
    EXPECT_EQ(sent(from), "");
    IRECT region;
    plug->graphics()->IsDirty(&region);  // the editor's timer
    EXPECT_TRUE(shown(plug, "bankPatchConflictWindow"));
    KromaProbe(plug).routing.mPartProgram[other] = 41;
    EXPECT_TRUE(plug->BankChangeMessage(6));
  }
  // What the Multi last asked for is no part's: part 1 set to all channels (1) changes nothing.
  plug->GetParam(kMultiPartStatus + 15)->Set(0);
  plug->GetParam(kMultiPartMIDICh)->Set(1);
  KromaProbe(plug).routing.mPartBank[16] = 2;
  KromaProbe(plug).routing.mPartProgram[16] = 40;
  EXPECT_TRUE(plug->BankChangeMessage(6));
}

// While a transfer shows its progress on the librarian page the category limit and the search
// field hide and the search button greys; when it ends, the one the search button chose comes
// back (in the sounds' mode only) and the transfer's flags are cleared.
TEST_F(PortsAndJobs, TheProgressOfATransferHidesTheLibrariansSearchWhileItRuns) {
  Kroma* plug = connected();
  set(plug, kMainTab, 1);
  IControl* searchButton = plug->controlOf(kPatchSearch);
  ASSERT_NE(searchButton, nullptr);
  auto timerTick = [plug] {
    IRECT region;
    plug->graphics()->IsDirty(&region);
  };
  const struct {
    double search;
    bool multi;
    bool limitAfter, fieldAfter, grayedAfter;
  } rows[] = {{0, false, true, false, false},
              {1, false, false, true, false},
              {0, true, false, false, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.search) + " " + std::to_string(row.multi));
    plug->GetParam(kPatchSearch)->Set(row.search);
    KromaProbe(plug).selection.mMultiMode = row.multi;
    plug->DisplayProcessingIndicator(true);
    timerTick();
    EXPECT_TRUE(KromaProbe(plug).selection.mTransferInProgress);
    EXPECT_TRUE(KromaProbe(plug).widgets.mTabLayers.progress->requested());
    EXPECT_FALSE(shown(plug, "categoryLimit") || shown(plug, "searchField"));
    EXPECT_TRUE(searchButton->IsGrayed());
    KromaProbe(plug).routing.mSendingSysEx = KromaProbe(plug).routing.mOutputBlocked = true;
    KromaProbe(plug).selection.mMultiSendRequested = true;
    KromaProbe(plug).parts.mMIDIMessageManager->dumpRouting = true;
    plug->DisplayProcessingIndicator(false);
    timerTick();
    EXPECT_FALSE(KromaProbe(plug).selection.mTransferInProgress);
    EXPECT_FALSE(KromaProbe(plug).widgets.mTabLayers.progress->requested());
    EXPECT_EQ(shown(plug, "categoryLimit"), row.limitAfter);
    EXPECT_EQ(shown(plug, "searchField"), row.fieldAfter);
    EXPECT_EQ(searchButton->IsGrayed(), row.grayedAfter);
    EXPECT_FALSE(KromaProbe(plug).routing.mSendingSysEx ||
                 KromaProbe(plug).routing.mOutputBlocked ||
                 KromaProbe(plug).selection.mMultiSendRequested ||
                 KromaProbe(plug).parts.mMIDIMessageManager->dumpRouting);
  }
  // Away from the librarian page the search controls stay as they are.
  set(plug, kMainTab, 2);
  plug->GetParam(kPatchSearch)->Set(0);
  KromaProbe(plug).selection.mMultiMode = false;
  plug->DisplayProcessingIndicator(true);
  plug->DisplayProcessingIndicator(false);
  timerTick();
  EXPECT_TRUE(searchButton->IsGrayed());
}

// Each part's name and category send the part's sound, the first and the last part too; the
// switches next to the Multi's buttons start no job of their own.
TEST_F(PortsAndJobs, NamesSendTheirPartAndTheNeighbouringSwitchesNothing) {
  const struct {
    int param;
    double value;
    const char* start;  // "": nothing
  } rows[] = {
      {kPatchName, 0, "B0 7B 00|F0 3E 13 11 10 7F 00"},
      {kPatchName + 15, 0, "BF 7B 00|F0 3E 13 11 10 7F 0F"},
      {kCategoryName, 0, "B0 7B 00|F0 3E 13 11 10 7F 00"},
      {kCategoryName + 15, 0, "BF 7B 00|F0 3E 13 11 10 7F 0F"},
      {kTriggerMidiFromSynth, 1, ""},
      {kDisableMIDIFromSynth, 1, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.param);
    Kroma* plug = connected();
    const size_t from = sentCount();
    set(plug, row.param, row.value);
    if (*row.start) {
      EXPECT_EQ(awaitSent(from, 2).substr(0, std::string(row.start).size()), row.start);
    } else {
      EXPECT_TRUE(idle(plug));
      EXPECT_EQ(sent(from), "");
    }
    EXPECT_TRUE(idle(plug));
    close(plug);
  }
}

// On a sound page the randomizer changes the current part and sends it, and its button springs
// back.
TEST_F(PortsAndJobs, TheRandomizerSendsTheCurrentPart) {
  Kroma* plug = connected();
  set(plug, kMainTab, 2);
  set(plug, kQuickTab, 3);
  const size_t from = sentCount();
  set(plug, kRandomize, 1);
  EXPECT_EQ(status(plug), "Part Randomized");
  EXPECT_EQ(value(plug, kRandomize), 0.0);
  const std::string expected = "B3 7B 00|F0 3E 13 11 10 7F 03";
  EXPECT_EQ(awaitSent(from, 2).substr(0, expected.size()), expected);
  EXPECT_TRUE(idle(plug));
}

// A port picked by the musician ends the stored name of the one that was absent on its side
// only; an output port that does not open stops the MIDI clock.
TEST_F(PortsAndJobs, APickedPortForgetsOnlyItsOwnAbsentNameAndAFailedOneStopsTheClock) {
  midi.addInputPort("Synth In");
  Kroma* plug = open();
  MidiRouting& routing = KromaProbe(plug).routing;
  MIDIMessageSender& sender = KromaProbe(plug).parts.mMIDIMessageManager->sender();
  routing.mAbsentPortNames = {"Gone In", "Gone Out"};
  set(plug, kDeviceInSelection, 1);
  EXPECT_EQ(routing.mAbsentPortNames[0], "");
  EXPECT_EQ(routing.mAbsentPortNames[1], "Gone Out");
  routing.mAbsentPortNames[0] = "Gone In";
  midi.setFailOpen(true);
  sender.clockRunning = true;
  set(plug, kDeviceOutSelection, 1);
  EXPECT_FALSE(routing.mMIDIOutSet);
  EXPECT_FALSE(sender.clockRunning);
  EXPECT_EQ(routing.mAbsentPortNames[0], "Gone In");
  EXPECT_EQ(routing.mAbsentPortNames[1], "");
}

// A port that does not open says so. Picked again once it can open, the port the menu shows
// opens, as after its synthesizer went away and came back.
TEST_F(PortsAndJobs, APortThatFailsToOpenSaysSoAndOpensWhenPickedAgain) {
  midi.addInputPort("Synth In");
  Kroma* plug = open();
  midi.setFailOpen(true);
  turn(plug, kDeviceInSelection, 1);
  EXPECT_EQ(status(plug), "MIDI In port FAILED!");
  turn(plug, kDeviceOutSelection, 1);
  EXPECT_EQ(status(plug), "MIDI Out port FAILED!");
  EXPECT_FALSE(KromaProbe(plug).routing.mMIDIOutSet);
  midi.setFailOpen(false);
  turn(plug, kDeviceInSelection, 1);
  EXPECT_TRUE(midi.inputConnected("Synth In"));
  turn(plug, kDeviceOutSelection, 1);
  EXPECT_TRUE(KromaProbe(plug).routing.mMIDIOutSet);
  EXPECT_TRUE(plug->outputPortOpen());
}

// A port menu asks the MIDI system when it opens: a system or ports that came after the instance
// are listed, and without either the status line says so. Ports that came or went before the
// chosen one leave it chosen; the chosen one gone stays listed, last, marked absent.
TEST_F(PortsAndJobs, APortMenuListsThePortsThereAreWhenItOpens) {
  midi.removePort("Synth Out");
  midi.setAvailable(false);
  Kroma* plug = open();
  openEditor(plug);
  IControl* menu = KromaProbe(plug).widgets.mDeviceOutControl;
  const auto shownLast = [] { return VIEW_Script::instance().menusShown().back(); };
  using Items = std::vector<std::string>;
  choose(menu, {});
  EXPECT_EQ(shownLast(), Items{"OFF"});
  EXPECT_EQ(status(plug), "No MIDI server running!");
  midi.setAvailable(true);
  choose(menu, {});
  EXPECT_EQ(status(plug), "No MIDI ports found!");
  midi.addOutputPort("Synth Out");
  choose(menu, {1});
  EXPECT_EQ(shownLast(), (Items{"OFF", "Synth Out"}));
  EXPECT_TRUE(plug->outputPortOpen());

  midi.removePort("Synth Out");
  midi.addOutputPort("Keys Out");
  midi.addOutputPort("Synth Out");
  choose(menu, {});
  EXPECT_EQ(shownLast(), (Items{"OFF", "Keys Out", "Synth Out"}));
  EXPECT_EQ(value(plug, kDeviceOutSelection), 2.0);
  EXPECT_EQ(KromaProbe(plug).routing.mMIDIOutPortIndex, 2);
  EXPECT_EQ(menu->GetValue(), plug->GetParam(kDeviceOutSelection)->GetNormalized());
  midi.removePort("Synth Out");
  midi.removePort("Keys Out");
  choose(menu, {});
  EXPECT_EQ(shownLast(), (Items{"OFF", "absent: Synth Out"}));
  EXPECT_EQ(value(plug, kDeviceOutSelection), 1.0);
  EXPECT_EQ(status(plug), "No MIDI ports found!");
}

// An output picked while the input is off starts no connection check, which could hear no answer
// and would hold the editor through its whole scan: the status line asks for the input, whose
// pick then runs the check.
TEST_F(PortsAndJobs, AnOutputPickedBeforeTheInputWaitsForItToCheckTheConnection) {
  midi.addInputPort("Synth In");
  Kroma* plug = open();
  turn(plug, kDeviceOutSelection, 1);
  EXPECT_TRUE(KromaProbe(plug).routing.mMIDIOutSet);
  EXPECT_FALSE(plug->ThreadRunning());
  EXPECT_EQ(status(plug), "Now set MIDI In port!");
  turn(plug, kDeviceInSelection, 1);
  EXPECT_TRUE(plug->ThreadRunning());
  set(plug, kCancelDataRequest, 1);
  EXPECT_TRUE(idle(plug));
}

// The clock switch turned on takes the host's tempo for the clock at once, in the plug-in and in
// the sender of the MIDI clock; turned off it leaves the tempo as it was.
TEST_F(PortsAndJobs, TheClockSwitchTakesTheHostsTempo) {
  Kroma* plug = connected();
  const struct {
    double host;
    double on;
    int tempo;
  } rows[] = {{133.6, 1, 133}, {90, 0, 133}, {95, 1, 95}};
  for (const auto& row : rows) {
    hostTime.tempo = row.host;
    process(plug, 64);
    set(plug, kSendMIDIClockInfo, row.on);
    EXPECT_EQ(KromaProbe(plug).clock.mTempoValue.load(), row.tempo) << row.host;
    EXPECT_EQ(KromaProbe(plug).parts.mMIDIMessageManager->getTempoValue(), row.tempo) << row.host;
  }
  set(plug, kSendMIDIClockInfo, 0);
}

// A request that waits for the synthesizer's answer (here in pauses of 500 ms, with 128 tries
// of other device ids after a while) ends when the cancel button is pressed, not when it is let go.
TEST_F(PortsAndJobs, TheCancelButtonEndsAWaitingRequest) {
  Kroma* plug = connected();
  plug->GetParam(kLibSyncTimer)->Set(7);
  MIDIMessageSender& sender = KromaProbe(plug).parts.mMIDIMessageManager->sender();
  SenderJob request;
  request.code = kSendPartRequest;
  request.part = 2;
  request.toEditor = true;
  ASSERT_TRUE(plug->startSenderJob(request));
  ASSERT_TRUE(eventually([plug] { return status(plug) == "Data processing, please wait..."; }));
  set(plug, kCancelDataRequest, 0);
  EXPECT_FALSE(sender.cancelRequested.load());
  EXPECT_TRUE(plug->ThreadRunning());
  set(plug, kCancelDataRequest, 1);
  EXPECT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
}

}  // namespace
