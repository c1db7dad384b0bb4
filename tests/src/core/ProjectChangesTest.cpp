// The host hears that its project changed (audioMasterUpdateDisplay) when the state a save would
// write changed, once a tick, on the thread that idles it: edits, names, values and dumps from the
// synthesizer; never for a restore, for what the project does not keep or for what comes from
// outside the musician's hands (a port's place in a list that grew, the host's tempo).
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "PluginFixture.h"
#include "SynthOnPorts.h"
#include "platform/view/headless/HeadlessView.h"
#include "platform/vst2/opcodes.h"
#include "platform/vst2/timeinfo.h"
#include "src/librarian/InitDumps.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SysExFormat.h"
#include "tests/support/Patience.h"

namespace {

using Bytes = std::vector<uint8_t>;
// The editor's timer: 25 ticks a second.
constexpr std::chrono::milliseconds kTimerPeriod(40);

class ProjectChanges : public PluginFixture {
 protected:
  // An instance connected to the simulated synthesizer, its editor open, past its first ticks.
  Kroma* connectedWithEditor() {
    Kroma* plug = open();
    window = openEditorAsHost(plug);
    EXPECT_NE(window, nullptr);
    ports.connect(plug);
    EXPECT_TRUE(eventually([&] { return !plug->ThreadRunning(); }));  // the connection check
    idle(plug);
    idle(plug);
    takeHostNotices(plug);
    return plug;
  }

  // A host's idle call, and the tick of the editor's timer when a window is open.
  void idle(Kroma* plug) {
    dispatch(plug, effEditIdle);
    if (window) window->tick();
  }

  // What the host heard once `settled` holds (or after the wait cap) and a few ticks more.
  HostNotices noticesOnce(Kroma* plug, const std::function<bool()>& settled) {
    eventually([&] { return settled() && !plug->ThreadRunning(); });
    for (int tick = 0; tick < 5; ++tick) idle(plug);
    return takeHostNotices(plug);
  }

  // Idles `plug` as often as its editor's timer ticks until `done` holds, at most the wait cap: a
  // tick (a redraw) at every look of a wait would take the processor from the transfer.
  bool idleUntil(Kroma* plug, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + kroma_test::kWaitCap;
    for (; std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(kTimerPeriod)) {
      idle(plug);
      if (done()) return true;
    }
    return false;
  }

  // Types `text` into the name field of `param` and ends it with Return.
  void typeName(Kroma* plug, int param, const std::string& text) {
    IMouseMod left(true);
    plug->controlOf(param)->OnMouseDown(0, 0, &left);
    window->typeText(text);
    window->key(VIEW_KEY_RETURN);
  }

  // The synthesizer's message for part 1's filter 1 cutoff.
  static Bytes cutoffFromSynth(Kroma* plug, uint8_t value) {
    return {0xF0, 0x3E,  0x13, static_cast<uint8_t>(plug->deviceId()), 0x20, 0x00, 0x00,
            0x4E, value, 0xF7};
  }

  // A sound dump for part 0 from the synthesizer, with its name.
  static Bytes soundDump(const std::string& name) {
    Bytes dump(std::begin(InitDumps::initPatchCorvane), std::end(InitDumps::initPatchCorvane));
    dump[sysex::kBankOffset] = sysex::kEditBufferBank;
    dump[sysex::kProgramOffset] = 0;
    std::copy(name.begin(), name.end(), dump.begin() + 370);
    return dump;
  }

  // Part 1's name field shows the dump's name, blank-padded as it came.
  static bool dawnPadShown(Kroma* plug) {
    return plug->getDisplayText(kPatchName).rfind("Dawn Pad", 0) == 0;
  }

  SynthOnPorts ports{midi};
  VIEW_HeadlessView* window = nullptr;
};

// Each row starts from the state the rows above left; the host hears of a change once, however
// many values it touched between two ticks: of an edit in the editor at the first tick after it,
// also while the send it started runs; of what came from the synthesizer once it held still from
// one tick to the next.
TEST_F(ProjectChanges, TheHostHearsOnceOfEachChangeOfTheStateAndOfNothingElse) {
  Kroma* plug = connectedWithEditor();
  const Bytes saved = saveChunk(plug);
  MIDIMessageManager& manager = *KromaProbe(plug).parts.mMIDIMessageManager;
  const Bytes hardwareCutoff = cutoffFromSynth(plug, 0x21);
  const struct {
    const char* what;
    std::function<void()> act;
    std::function<bool()> settled;
    int toldAtOnce, toldLater;
  } rows[] = {
      {"nothing happens", [] {}, [] { return true; }, 0, 0},
      {"a knob is turned", [&] { turn(plug, kFilter1Cutoff, 20); }, [] { return true; }, 1, 0},
      {"the knob is turned to the value it holds", [&] { turn(plug, kFilter1Cutoff, 20); },
       [] { return true; }, 0, 0},
      {"three knobs are turned between two ticks",
       [&] {
         turn(plug, kFilter1Cutoff, 30);
         turn(plug, kFilter1Resonance, 40);
         turn(plug, kAmpEnvAttack, 50);
       },
       [] { return true; }, 1, 0},
      {"the transfer pause, which the project does not keep, is chosen",
       [&] { turn(plug, kLibSyncTimer, 3); }, [] { return true; }, 0, 0},
      {"another page is shown", [&] { set(plug, kMainTab, 2); }, [] { return true; }, 0, 0},
      {"the synthesizer's cutoff knob is turned",
       [&] { midi.deviceSend("Synth In", hardwareCutoff); },
       [&] { return value(plug, kFilter1Cutoff) == 0x21; }, 0, 1},
      {"the synthesizer sends the same value again",
       [&] { midi.deviceSend("Synth In", hardwareCutoff); }, [] { return true; }, 0, 0},
      {"a value from the synthesizer goes back before it held still for a look",
       [&] {
         midi.deviceSend("Synth In", cutoffFromSynth(plug, 0x30));
         ASSERT_TRUE(eventually([&] { return value(plug, kFilter1Cutoff) == 0x30; }));
         idle(plug);
         midi.deviceSend("Synth In", hardwareCutoff);
         ASSERT_TRUE(eventually([&] { return value(plug, kFilter1Cutoff) == 0x21; }));
       },
       [] { return true; }, 0, 0},
      {"a sound dump is taken into the editor",
       [&] {
         manager.dumpRouting = true;
         midi.deviceSend("Synth In", soundDump("Dawn Pad"));
       },
       [&] { return dawnPadShown(plug) && !manager.dumpRouting; }, 0, 1},
      {"the same dump again",
       [&] {
         manager.dumpRouting = true;
         midi.deviceSend("Synth In", soundDump("Dawn Pad"));
       },
       [&] { return !manager.dumpRouting; }, 0, 0},
      {"the Multi is renamed", [&] { typeName(plug, kMultiName, "Night Drive"); },
       [] { return true; }, 1, 0},
      {"part 1's sound is renamed", [&] { typeName(plug, kPatchName, "Glass Bells"); },
       [] { return true; }, 1, 0},
      {"the project is loaded", [&] { ASSERT_EQ(loadChunk(plug, saved), 1); },
       [&] { return !dawnPadShown(plug); }, 0, 0},
      {"a knob is turned after the load", [&] { turn(plug, kFilter1Cutoff, 90); },
       [] { return true; }, 1, 0},
      {"the host's tempo changes while a song plays, OVERRIDE TEMPO on",
       [&] {
         ASSERT_EQ(value(plug, kOverrideTempo), 1.0);
         hostTime.flags |= kVstTransportPlaying;
         for (double bpm : {133.0, 97.0}) {
           hostTime.tempo = bpm;
           process(plug, 256);
           idle(plug);
           idle(plug);
         }
       },
       [&] { return value(plug, kMultiTempo) == 97 - 65; }, 0, 0},
      {"a tempo is typed", [&] { turn(plug, kMultiTempo, 40); }, [] { return true; }, 1, 0},
      {"another program's port comes, and the output port menu opens and closes without a pick",
       [&] {
         midi.addOutputPort("Another Synth");
         choose(plug->controlOf(kDeviceOutSelection), {});
       },
       [] { return true; }, 0, 0},
      {"the input port is picked", [&] { choose(plug->controlOf(kDeviceInSelection), {1}); },
       [] { return true; }, 1, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    row.act();
    idle(plug);
    const HostNotices atOnce = takeHostNotices(plug);
    const HostNotices later = noticesOnce(plug, row.settled);
    EXPECT_EQ(atOnce.count, row.toldAtOnce);
    EXPECT_EQ(later.count, row.toldLater);
    EXPECT_EQ(atOnce.otherThreads + later.otherThreads, 0);
  }
}

// An edit in the editor is told at the next look, also while a transfer runs; what the transfer
// takes in from the synthesizer once it ended, and only then.
TEST_F(ProjectChanges, AnEditIsToldWhileATransferRunsAndWhatItTakesInOnceItEnded) {
  Kroma* plug = connectedWithEditor();
  // The editor's first sound leaves the synthesizer's, so that GET FROM SYNTH changes it.
  plug->GetParam(kFilter1Cutoff)->Set(5);
  idle(plug);
  idle(plug);
  ASSERT_EQ(takeHostNotices(plug).count, 1);

  set(plug, kRequestTempData, 1);  // GET FROM SYNTH
  ASSERT_TRUE(plug->ThreadRunning());
  turn(plug, kFilter1Resonance + 1, 77);
  idle(plug);
  EXPECT_EQ(takeHostNotices(plug).count, 1) << "the edit, told while the transfer runs";
  int toldWhileRunning = 0;
  ASSERT_TRUE(idleUntil(plug, [&] {
    if (!plug->ThreadRunning()) return true;
    toldWhileRunning += takeHostNotices(plug).count;
    return false;
  }));
  EXPECT_EQ(toldWhileRunning, 0);
  for (int tick = 0; tick < 3; ++tick) idle(plug);
  EXPECT_EQ(takeHostNotices(plug).count, 1) << "the sounds taken in";
  EXPECT_NE(value(plug, kFilter1Cutoff), 5);
}

// With no editor open there is no tick: the host's idle calls tell it instead, of a value the
// synthesizer sent meanwhile.
TEST_F(ProjectChanges, WithNoEditorOpenTheHostsIdleCallTellsIt) {
  Kroma* plug = open();
  ports.connect(plug);
  ASSERT_TRUE(eventually([&] { return !plug->ThreadRunning(); }));
  dispatch(plug, effIdle);
  dispatch(plug, effIdle);
  takeHostNotices(plug);
  for (int32_t idleCall : {effIdle, effEditIdle}) {
    SCOPED_TRACE(idleCall);
    const uint8_t cutoff = idleCall == effIdle ? 0x22 : 0x23;
    ASSERT_TRUE(midi.deviceSend("Synth In", cutoffFromSynth(plug, cutoff)));
    ASSERT_TRUE(eventually([&] { return value(plug, kFilter1Cutoff) == cutoff; }));
    EXPECT_EQ(takeHostNotices(plug).count, 0) << "the MIDI input thread never calls the host";
    dispatch(plug, idleCall);
    dispatch(plug, idleCall);
    const HostNotices notices = takeHostNotices(plug);
    EXPECT_EQ(notices.count, 1);
    EXPECT_EQ(notices.otherThreads, 0);
  }
}

// The restore lets go of the plug-in lock while the Multi's push runs; a host idling its editor on
// another thread meanwhile hears nothing of the values it sets.
TEST_F(ProjectChanges, ARestoreIsNoChangeAlsoForAHostIdlingMeanwhile) {
  Kroma* plug = open();
  ports.connect(plug);
  ASSERT_TRUE(eventually([&] { return !plug->ThreadRunning(); }));
  plug->GetParam(kFilter1Cutoff)->Set(99);
  plug->setNameSlot(0, "Night Drive");
  const Bytes saved = saveChunk(plug);
  plug->GetParam(kFilter1Cutoff)->Set(10);
  plug->setNameSlot(0, "Morning");
  dispatch(plug, effIdle);
  dispatch(plug, effIdle);
  ASSERT_EQ(takeHostNotices(plug).count, 1);

  const size_t before = sentCount();
  std::atomic<bool> loading{true};
  std::thread editorThread([&] {
    while (loading) dispatch(plug, effEditIdle);
  });
  EXPECT_EQ(loadChunk(plug, saved), 1);
  loading = false;
  editorThread.join();
  EXPECT_GT(sentCount(), before) << "the restore pushed the Multi";
  dispatch(plug, effIdle);
  dispatch(plug, effIdle);
  EXPECT_EQ(takeHostNotices(plug).count, 0);
  EXPECT_EQ(value(plug, kFilter1Cutoff), 99);
}

}  // namespace
