#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <sstream>
#include <thread>

#include "PortFixtures.h"
#include "SynthOnPorts.h"
#include "platform/view/headless/Script.h"
#include "platform/vst2/opcodes.h"
#include "src/config/ParameterIds.h"
#include "src/core/KromaProbe.h"
#include "src/core/detail/PatchManager.h"
#include "src/librarian/InitDumps.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/MultiDump.h"
#include "src/protocol/SoundDump.h"
#include "tests/support/Patience.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/midi/IMidiMsg.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Recall = PluginFixture;

// Where the parts of a saved program chunk lie: the framework's 8 bytes, the marker and the part,
// the librarian block (markers, big-endian snapshot length, snapshot, 35 names, 4 selections),
// then the values of parameters 0 to 7877.
struct Layout {
  explicit Layout(const Bytes& chunk) {
    snapshot = uint32_t(chunk[28]) << 24 | uint32_t(chunk[29]) << 16 | chunk[30] << 8 | chunk[31];
    names = 32 + snapshot;
    size_t at = names;
    for (int slot = 0; slot < Patch::kNameSlots; ++slot) {
      int32_t n;
      std::memcpy(&n, &chunk[at], 4);
      nameAt.push_back(at);
      at += 4 + n;
    }
    values = at + 4 * 8;
  }
  std::string name(const Bytes& chunk, int slot) const {
    int32_t n;
    std::memcpy(&n, &chunk[nameAt[slot]], 4);
    return std::string(chunk.begin() + nameAt[slot] + 4, chunk.begin() + nameAt[slot] + 4 + n);
  }
  double value(const Bytes& chunk, int param) const {
    double v;
    std::memcpy(&v, &chunk[values + 8 * param], 8);
    return v;
  }
  uint32_t snapshot;
  size_t names, values;
  std::vector<size_t> nameAt;
};

// The offset of the first byte that differs; -1 for equal chunks.
long firstDifference(const Bytes& a, const Bytes& b) {
  const auto [x, y] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return x == a.end() && y == b.end() ? -1 : x - a.begin();
}

// A sound read into the plug-in's parameters comes back out of them whole, its effect settings
// too: no parameter a dump carries is narrower than its byte, or a push would lose it.
TEST_F(Recall, ASoundReadIntoThePlugInComesBackOutWhole) {
  Kroma* plug = open();
  Bytes sound(std::begin(InitDumps::initPatchCorvane), std::end(InitDumps::initPatchCorvane));
  for (int n = 0; n < sound_dump::kEffectParams; ++n) sound[137 + n] = sound[153 + n] = 90 + n;
  const int part = 3;
  sound_dump::applySoundData(sound.data(), static_cast<int>(sound.size()), part, *plug);
  const sysex::SoundDumpBytes out = sound_dump::buildSoundDump(*plug, part, 0, 0);
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules())
    EXPECT_EQ(out[row.offset], sound[row.offset]) << "byte " << row.offset;
}

// Save, load into another instance, save again: the same bytes, and the values back, with and
// without the synthesizer's output port (named longer than the project stores port names). The
// chunk: the framework's head, the librarian block with the body's length, the values.
TEST_F(Recall, ARoundTripGivesTheSameBytesWithAndWithoutAnOutputPort) {
  const std::string port = "Corvane Synthesizer MIDI Out Port Number 1";
  midi.addOutputPort(port);
  for (bool withPort : {false, true}) {
    Kroma* first = open();
    first->GetParam(kOscillator1Detune + 2)->Set(90.0);
    first->setNameSlot(Patch::kMultiNameSlot, "Night Drive");
    if (withPort) {  // chosen as the port menu would
      int index = 1;
      ASSERT_EQ(first->setExternalMIDIOut(index, port.c_str()), 1);
      first->GetParam(kDeviceOutSelection)->Set(index);
    }
    const Bytes saved = saveChunk(first);
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 12),
              (Bytes{0x74, 0x66, 0x66, 0x70, 0, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(Bytes(saved.begin() + 20, saved.begin() + 32),
              (Bytes{0, 0, 0, 1, 0, 0, 0, 1, 0x00, 0x00, 0xF6, 0x3C}));  // 63036
    const Layout layout(saved);
    EXPECT_EQ(saved.size(), layout.values + 7878 * 8);
    EXPECT_EQ(layout.value(saved, kOscillator1Detune + 2), 90.0);
    Kroma* second = open();
    ASSERT_EQ(loadChunk(second, saved), 1);
    EXPECT_EQ(second->GetParam(kOscillator1Detune + 2)->Value(), 90.0) << withPort;
    EXPECT_STREQ(second->GetParam(kMultiName)->GetDisplayText(0), "Night Drive");
    EXPECT_EQ(KromaProbe(second).routing.mMIDIOutSet, withPort);
    EXPECT_EQ(second->outputPortOpen(), withPort);
    // With the port the restore pushes the Global, the Multi and the sounds of the parts that
    // are on, in order; the push's flags end with it.
    std::string pushed;
    for (const std::vector<uint8_t>& m : midi.received(port))
      if (m.size() > 6 && m[0] == 0xF0)
        pushed += std::to_string(m[4]) + "." + std::to_string(m[6]) + " ";
    EXPECT_EQ(pushed, withPort ? "20.1 17.0 16.0 16.1 16.2 16.3 " : "") << "the four parts on";
    EXPECT_FALSE(second->sendPartSounds() || second->sendGlobalFirst());
    EXPECT_FALSE(KromaProbe(second).routing.mSendingSysEx);
    EXPECT_EQ(firstDifference(saveChunk(second), saved), -1) << withPort;
    close(second);
    close(first);
  }
}

// What the restored values switch takes effect with the project: filters, output route and
// offset, the menu modes, local control, the device id, each part's bank and program, its name
// and its category. The clock switches are not stored: they keep their start-up value, off.
TEST_F(Recall, TheRestoredValuesSetWhatTheyControl) {
  for (const bool on : {true, false}) {
    SCOPED_TRACE(on);
    Kroma* first = open();
    auto put = [first](int param, double v) { first->GetParam(param)->Set(v); };
    const double one = on ? 1.0 : 0.0, other = 1.0 - one;
    for (int k = 0; k < 7; ++k) {
      put(kMIDIFilterDAWCCPassThrough + k, k % 2 ? one : other);
      put(kMIDIFilterHWCCPassThrough + k, k % 2 ? other : one);
    }
    for (int param : {kMIDIFilterTrackIncomingMIDI, kMIDIFilterToDAWBuffer, kMasterKeyboard,
                      kKeepSelectedBank, kControlProgBank, kGlobalLocalControl})
      put(param, one);
    put(kAdjustDAWOffset, on ? 40 : 3);
    // The id the synthesizer answers to, and a DEVICE ID it has not taken yet.
    put(kDeviceID_old, on ? 0x22 : 0x05);
    put(kGlobalSysExID, on ? 0x23 : 0x06);
    for (int p = 0; p < 16; ++p) {
      put(kMultiPartBank + p, (p + on) % 4);
      put(kMultiPartPatch + p, 7 * p + on);
      first->setNameSlot(Patch::kFirstPatchNameSlot + p, "Sound " + std::to_string(p + on));
      put(kCategoryName + p, 8 * p + on);
    }
    put(kMultiPatch, on ? 99 : 7);
    const Bytes saved = saveChunk(first);

    Kroma* second = open();
    dispatch(second, effSetBlockSize, 0, 256);
    KromaProbe(second).routing.mPartBank[16] = 5;
    ASSERT_EQ(loadChunk(second, saved), 1);
    const KromaProbe probe(second);
    for (int k = 0; k < 7; ++k) {
      EXPECT_EQ(probe.routing.mDAWFilterBlocked[k], (k % 2 ? one : other) != 1.0) << k;
      EXPECT_EQ(probe.routing.mHWFilterBlocked[k], (k % 2 ? other : one) != 1.0) << k;
    }
    EXPECT_EQ(probe.routing.mTrackIncomingMIDI, on);
    EXPECT_EQ(probe.routing.mQueuedOutput, on);
    EXPECT_EQ(probe.routing.mBlockDeviceInput, on);
    EXPECT_EQ(probe.selection.mKeepSelectedBank, on);
    EXPECT_EQ(second->programControl(), on);
    EXPECT_FALSE(second->libraryControl());
    EXPECT_EQ(second->localControl(), on);
    EXPECT_FALSE(second->sendClockInfo());
    EXPECT_FALSE(second->sendClockPointer());
    EXPECT_EQ(probe.routing.mBlockSize, 256 + 2 * (on ? 40 : 3));
    EXPECT_EQ(probe.routing.mDeviceID, on ? 0x22 : 0x05);
    EXPECT_EQ(value(second, kGlobalSysExID), on ? 0x23 : 0x06);
    for (int p = 0; p < 16; ++p) {
      EXPECT_EQ(probe.routing.mPartBank[p], (p + on) % 4) << p;
      EXPECT_EQ(probe.routing.mPartProgram[p], 7 * p + on) << p;
      EXPECT_STREQ(second->GetParam(kPatchName + p)->GetDisplayText(0),
                   ("Sound " + std::to_string(p + on)).c_str());
      EXPECT_EQ(second->GetParam(kCategoryName + p)->Value(), 8 * p + on) << p;
    }
    EXPECT_EQ(probe.routing.mPartBank[16], 0) << "the Multi's one bank";
    EXPECT_EQ(probe.routing.mPartProgram[16], on ? 99 : 7);
    close(second);
    close(first);
  }
}

// Projects saved while kDeviceID_old held only 0 and 1 hold one of them beside the DEVICE ID the
// synthesizer had: the restore takes DEVICE ID. Any other stored id is the one it answered to.
TEST_F(Recall, AnIdInUseFromAnOlderProjectFallsBackToTheDeviceId) {
  const struct {
    int stored, chosen, inUse;
  } rows[] = {{1, 7, 7}, {0, 7, 7}, {1, 1, 1}, {0, 0, 0}, {5, 7, 5}, {2, 0, 2}};
  Kroma* first = open();
  Kroma* second = open();
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.stored << " " << row.chosen);
    first->GetParam(kDeviceID_old)->Set(row.stored);
    first->GetParam(kGlobalSysExID)->Set(row.chosen);
    ASSERT_EQ(loadChunk(second, saveChunk(first)), 1);
    EXPECT_TRUE(second->deviceId() == row.inUse && value(second, kDeviceID_old) == row.inUse);
  }
}

// A project opened while the synthesizer's ports are gone opens none: its menus show them by name,
// marked absent, the status line says so, and their names are saved again until the musician
// picks a port; opened with the ports back, it takes them.
TEST_F(Recall, AnAbsentPortsNameIsSavedAgainUntilAnotherIsPicked) {
  midi.addInputPort("Synth In");
  midi.addOutputPort("Synth Out");
  Kroma* first = open();
  int in = 1, out = 1;
  ASSERT_EQ(first->setExternalMIDIIn(in, "Synth In"), 1);
  ASSERT_EQ(first->setExternalMIDIOut(out, "Synth Out"), 1);
  first->GetParam(kDeviceInSelection)->Set(in);
  first->GetParam(kDeviceOutSelection)->Set(out);
  const Bytes withPorts = saveChunk(first);

  midi.removePort("Synth In");
  midi.removePort("Synth Out");
  Kroma* unplugged = open();
  ASSERT_EQ(loadChunk(unplugged, withPorts), 1);
  const auto shownPort = [](Kroma* plug, int param) {
    return plug->GetParam(param)->CopyDisplayText(plug->GetParam(param)->Int());
  };
  EXPECT_EQ(shownPort(unplugged, kDeviceInSelection), "absent: Synth In");
  EXPECT_EQ(shownPort(unplugged, kDeviceOutSelection), "absent: Synth Out");
  EXPECT_EQ(status(unplugged), "MIDI I/O ports ABSENT!");
  EXPECT_FALSE(unplugged->outputPortOpen() || unplugged->inputPortOpen() ||
               KromaProbe(unplugged).routing.mMIDIOutSet);
  const Bytes resaved = saveChunk(unplugged);
  const Layout layout(resaved);
  EXPECT_EQ(layout.name(resaved, Patch::kMIDIInPortSlot), "Synth In");
  EXPECT_EQ(layout.name(resaved, Patch::kMIDIOutPortSlot), "Synth Out");

  midi.addInputPort("Synth In");
  midi.addOutputPort("Synth Out");
  Kroma* pluggedIn = open();
  ASSERT_EQ(loadChunk(pluggedIn, resaved), 1);
  EXPECT_EQ(shownPort(pluggedIn, kDeviceOutSelection), "Synth Out");
  EXPECT_TRUE(pluggedIn->outputPortOpen());

  takeHostNotices(unplugged);
  unplugged->GetParam(kDeviceOutSelection)->Set(0);
  unplugged->OnParamChange(kDeviceOutSelection);
  unplugged->OnIdle();
  unplugged->OnIdle();
  EXPECT_EQ(takeHostNotices(unplugged).count, 1) << "OFF picked in place of the stored name";
  const Bytes picked = saveChunk(unplugged);
  const Layout pickedLayout(picked);
  EXPECT_EQ(pickedLayout.name(picked, Patch::kMIDIOutPortSlot), "OFF") << "the musician's choice";
  EXPECT_EQ(pickedLayout.name(picked, Patch::kMIDIInPortSlot), "Synth In");
}

// The synthesizer's port absent when the project opened and there later: the menu that opens lists
// it and connects to it, as the idle look would.
TEST_F(Recall, AnAbsentPortThatComesLaterConnectsWhenItsMenuOpens) {
  midi.addOutputPort("Synth Out");
  Kroma* first = open();
  int out = 1;
  ASSERT_EQ(first->setExternalMIDIOut(out, "Synth Out"), 1);
  first->GetParam(kDeviceOutSelection)->Set(out);
  const Bytes withPort = saveChunk(first);
  midi.removePort("Synth Out");
  Kroma* plug = open();
  openEditor(plug);
  ASSERT_EQ(loadChunk(plug, withPort), 1);

  midi.addOutputPort("Synth Out");
  IControl* menu = KromaProbe(plug).widgets.mDeviceOutControl;
  choose(menu, {});
  EXPECT_EQ(VIEW_Script::instance().menusShown().back(),
            (std::vector<std::string>{"OFF", "Synth Out"}));
  EXPECT_EQ(value(plug, kDeviceOutSelection), 1.0);
  EXPECT_TRUE(plug->outputPortOpen() && KromaProbe(plug).routing.mMIDIOutSet);
  EXPECT_EQ(KromaProbe(plug).routing.mAbsentPortNames[1], "");
  const Bytes kept = saveChunk(plug);
  EXPECT_EQ(Layout(kept).name(kept, Patch::kMIDIOutPortSlot), "Synth Out");
}

// While the restore waits for the Multi push, it lets go of the plug-in lock: the host's audio
// thread is never held up through the pauses.
TEST_F(Recall, TheAudioThreadRunsWhileTheRestoreWaitsForThePush) {
  midi.addOutputPort("Synth Out");
  Kroma* plug = open();
  int index = 1;
  ASSERT_EQ(plug->setExternalMIDIOut(index, "Synth Out"), 1);
  plug->GetParam(kDeviceOutSelection)->Set(index);
  const Bytes saved = saveChunk(plug);
  HeldClock held;  // the restore's wait for the push, held
  KromaProbe(plug).clock.mPauseClock = &held;
  std::thread host([&] { EXPECT_EQ(loadChunk(plug, saved), 1); });
  ASSERT_EQ(held.paused.get_future().wait_for(kroma_test::kWaitCap), std::future_status::ready);
  std::vector<float> in(64, 0.f), out(64, 0.f);
  float* channels[2] = {in.data(), out.data()};
  AEffect* effect = plug->GetAEffect();
  effect->processReplacing(effect, channels, channels, 64);
  EXPECT_TRUE(KromaProbe(plug).routing.mSendingSysEx) << "the audio waited for the whole restore";
  held.release.set_value();
  host.join();
  EXPECT_FALSE(KromaProbe(plug).routing.mSendingSysEx);
  EXPECT_TRUE(KromaProbe(plug).routing.mMIDIOutSet);
}

// Both ports picked, as a project saves them, on the synthesizer's device id 0x11.
void pickPorts(Kroma* plug, MidiBackendMemory& midi) {
  midi.addInputPort("Synth In");
  midi.addOutputPort("Synth Out");
  plug->refreshPortMenu(true);
  plug->refreshPortMenu(false);
  int in = 1, out = 1;
  EXPECT_EQ(plug->setExternalMIDIIn(in, "Synth In"), 1);
  EXPECT_EQ(plug->setExternalMIDIOut(out, "Synth Out"), 1);
  plug->GetParam(kDeviceInSelection)->Set(in);
  plug->GetParam(kDeviceOutSelection)->Set(out);
  useDeviceId11(plug);
}

// Opened while the synthesizer is off, a project keeps its values, and an edit stays in the
// editor. Once the synthesizer is on, the idle calls connect to it by themselves: the connection
// check learns the id it answers to but keeps the project's Global, and the project goes to it,
// Global first, so that it holds what the editor shows.
TEST_F(Recall, AProjectOpenedWhileTheSynthesizerIsOffReachesItOnceItIsOn) {
  Kroma* first = open();
  first->GetParam(kGlobalVelocityCurve)->Set(3);
  first->setNameSlot(Patch::kMultiNameSlot, "QA7");
  first->GetParam(kMultiPartLevel)->Set(0x67);
  pickPorts(first, midi);
  const Bytes project = saveChunk(first);
  close(first);
  midi.removePort("Synth In");
  midi.removePort("Synth Out");
  Kroma* plug = open();
  ASSERT_EQ(loadChunk(plug, project), 1);
  set(plug, kMultiPartLevel + 1, 90);
  EXPECT_EQ(status(plug), "Set MIDI I/O First!");

  SynthOnPorts ports(midi);  // switched on, answering to another id
  ports.synth.setDeviceId(5);
  ports.answer();
  const int level = multi_dump::kRecordBase + 2;
  const auto holdsProject = [&] {
    const sysex::MultiDumpBytes multi = ports.synth.multiEditBuffer();
    return std::string(multi.begin() + multi_dump::kNameOffset,
                       multi.begin() + multi_dump::kNameOffset + 3) == "QA7" &&
           multi[level] == 0x67 && multi[level + multi_dump::kRecordSize] == 90;
  };
  EXPECT_TRUE(eventually([&] {
    plug->OnIdle();
    return holdsProject() && !plug->ThreadRunning() && !plug->sendGlobalFirst();
  }));
  EXPECT_EQ(plug->deviceId(), 5);
  EXPECT_EQ(value(plug, kGlobalVelocityCurve), 3) << "the synthesizer's Global taken in";
  EXPECT_EQ(ports.synth.globalRecord()[55], 3);
  const sysex::SoundDumpBytes held = ports.synth.soundEditBuffer(0),
                              shown = sound_dump::buildSoundDump(*plug, 0, 0, 0);
  EXPECT_TRUE(std::equal(held.begin() + 7, held.end() - 2, shown.begin() + 7)) << "part 1's sound";
}

// Both ports on the synthesizer of `ports`, which answers to device id 0x11 as the plug-in does.
void connectOnId11(Kroma* plug, SynthOnPorts& ports) {
  ports.connect(plug);
  plug->GetParam(kDeviceInSelection)->Set(plug->getExternalMIDIInDevice("Synth In"));
  useDeviceId11(plug);
}

// A restore that meets a transfer of this instance does not wait for it: its push is kept and
// goes out once the transfer has ended, with the DEVICE ID the project holds. The id that push
// gives is no edit: the host, which knew the restored state, hears nothing of it; an edit made
// just as the push ends is told once.
TEST_F(Recall, ARestoreDuringATransferPushesOnceTheTransferEnded) {
  SynthOnPorts ports(midi);
  ports.synth.setDeviceId(0x11);
  Kroma* plug = open();
  connectOnId11(plug, ports);
  plug->GetParam(kGlobalSysExID)->Set(0x12);  // not given to the synthesizer yet
  const Bytes project = saveChunk(plug);
  const auto pushing = [&] { return KromaProbe(plug).clock.mPushRunning; };
  for (const bool editAsThePushEnds : {false, true}) {
    SCOPED_TRACE(editAsThePushEnds);
    ports.synth.setDeviceId(0x11);
    ports.synth.setFault({corvane_sim::Fault::kSilent});
    set(plug, kRequestTempData, 1);  // GET FROM SYNTH waits for answers that do not come
    ASSERT_TRUE(plug->ThreadRunning());
    ASSERT_EQ(loadChunk(plug, project), 1);
    EXPECT_TRUE(plug->ThreadRunning()) << "the restore waited for the transfer";
    set(plug, kCancelDataRequest, 1);
    // Heard again only once the request has ended: it would else take in a late answer.
    ASSERT_TRUE(eventually([&] { return !plug->ThreadRunning(); }));
    ports.synth.setFault({});
    takeHostNotices(plug);
    ASSERT_TRUE(eventually([&] {
      plug->OnIdle();
      return pushing();
    }));
    if (editAsThePushEnds) {
      // Between two idle calls: the push's transfer ends, then the musician turns a knob.
      ASSERT_TRUE(eventually([&] { return !plug->ThreadRunning(); }));
      plug->SetParameterFromGUI(kFilter1Cutoff, 0.3);
    }
    EXPECT_TRUE(eventually([&] {
      plug->OnIdle();
      return ports.synth.deviceId() == 0x12 && !pushing() && !plug->ThreadRunning() &&
             !plug->sendGlobalFirst();
    }));
    EXPECT_EQ(plug->deviceId(), 0x12);
    plug->OnIdle();
    plug->OnIdle();
    EXPECT_EQ(takeHostNotices(plug).count, editAsThePushEnds ? 1 : 0);
  }
}

// The synthesizer's ports go away and come back under their names (switched off and on), for a
// while or between two looks: the idle calls notice the lost link, show the ports absent while
// they are, and connect again; the connection check finds the synthesizer and edits reach it.
// It comes back with its power-on values: once the editor was in step with it (GET FROM SYNTH,
// SEND TO SYNTH), it gets what the editor shows again; before, the line below the check's says
// that it may differ.
TEST_F(Recall, ASynthesizerSwitchedOffAndOnIsConnectedAgainByItself) {
  SynthOnPorts ports(midi);
  ports.synth.setDeviceId(0x11);
  Kroma* plug = open();
  connectOnId11(plug, ports);
  const auto shownPort = [plug](int param) {
    return plug->GetParam(param)->CopyDisplayText(plug->GetParam(param)->Int());
  };
  const auto synthLevel = [&] {
    return ports.synth.multiEditBuffer()[multi_dump::kRecordBase + 2];
  };
  const std::string mayDiffer = "Synth may differ from editor";
  int level = 70;
  constexpr int kNone = -1;
  const struct {
    bool offForAWhile;
    int inStepBy;  // the button pressed before
  } rows[] = {{true, kNone}, {false, kNone}, {false, kPushArrangement}, {true, kRequestTempData}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message()
                 << "off for a while " << row.offForAWhile << ", in step by " << row.inStepBy);
    const bool inStep = row.inStepBy != kNone;
    const auto transferEnded = [&] { return !plug->ThreadRunning(); };
    ASSERT_TRUE(eventually(transferEnded));
    if (inStep) {
      set(plug, row.inStepBy, 1);
      ASSERT_TRUE(eventually(transferEnded));
    }
    midi.removePort("Synth In");
    midi.removePort("Synth Out");
    if (row.offForAWhile) {
      EXPECT_TRUE(eventually([&] {
        plug->OnIdle();
        return status(plug) == "MIDI I/O ports ABSENT!";
      }));
      EXPECT_EQ(shownPort(kDeviceOutSelection), "absent: Synth Out");
      EXPECT_FALSE(plug->midiOutSet() || plug->outputPortOpen() || plug->inputPortOpen());
    }
    ports.switchedOn();
    ASSERT_NE(synthLevel(), level);
    EXPECT_TRUE(eventually([&] {
      plug->OnIdle();
      return status(plug) == "Plug-in is ready to go!";
    }));
    EXPECT_EQ(shownPort(kDeviceInSelection), "Synth In");
    EXPECT_EQ(shownPort(kDeviceOutSelection), "Synth Out");
    const auto secondLine = [plug] { return text(KromaProbe(plug).widgets.mValueDisplay); };
    if (inStep) {
      // The push follows the check.
      EXPECT_TRUE(eventually([&] {
        plug->OnIdle();
        return synthLevel() == level && !plug->ThreadRunning() && !plug->projectPushPending();
      })) << "the editor's Multi pushed again";
      EXPECT_NE(secondLine(), mayDiffer);
    } else {
      EXPECT_TRUE(eventually([&] {
        plug->OnIdle();
        return !plug->ThreadRunning() && secondLine() == mayDiffer;
      }));
      EXPECT_NE(synthLevel(), level);
    }
    set(plug, kMultiPartLevel, ++level);
    EXPECT_TRUE(eventually([&] { return synthLevel() == level; }));
  }
}

// SEND TO SYNTH with the synthesizer just switched off: the send stops and says how far it went,
// which stays on the status line when the idle call's look sees the ports gone (the menus show
// them absent), until the link is back.
TEST_F(Recall, ASendCutShortByALostLinkSaysSoUntilTheLinkIsBack) {
  SynthOnPorts ports(midi);
  ports.synth.setDeviceId(0x11);
  Kroma* plug = open();
  connectOnId11(plug, ports);
  const auto transferEnded = [&] { return !plug->ThreadRunning(); };
  ASSERT_TRUE(eventually(transferEnded));
  const auto secondLine = [plug] { return text(KromaProbe(plug).widgets.mValueDisplay); };
  midi.removePort("Synth In");
  midi.removePort("Synth Out");
  set(plug, kPushArrangement, 1);
  ASSERT_TRUE(eventually(transferEnded));
  ASSERT_EQ(status(plug), "Data write FAILED!");
  const std::string howFar = secondLine();
  EXPECT_NE(howFar.find(" sounds written"), std::string::npos) << howFar;
  const IParam* out = plug->GetParam(kDeviceOutSelection);
  EXPECT_TRUE(eventually([&] {
    plug->OnIdle();
    return std::string(out->CopyDisplayText(out->Int())) == "absent: Synth Out";
  }));
  EXPECT_EQ(status(plug), "Data write FAILED!");
  EXPECT_EQ(secondLine(), howFar);
  ports.switchedOn();
  EXPECT_TRUE(eventually([&] {
    plug->OnIdle();
    return status(plug) == "Plug-in is ready to go!";
  }));
}

// Chunks cut short or with lengths pointing past their end: the load fails, keeps what it read,
// never reads past the end (the address sanitizer watches) and still shows the first page.
TEST_F(Recall, ShortAndDamagedChunksFailWithoutReadingPastTheirEnd) {
  Kroma* source = open();
  source->GetParam(kQuickTab)->Set(1.0);
  const Bytes whole = saveChunk(source);
  const Layout layout(whole);
  auto patched = [&](size_t at, std::initializer_list<uint8_t> bytes) {
    Bytes out = whole;
    std::copy(bytes.begin(), bytes.end(), out.begin() + at);
    return out;
  };
  const struct {
    const char* what;
    Bytes chunk;
    bool partRestored;
  } cases[] = {
      {"header only", Bytes(whole.begin(), whole.begin() + 8), false},
      {"part only", Bytes(whole.begin(), whole.begin() + 20), true},
      {"inside the names", Bytes(whole.begin(), whole.begin() + layout.nameAt[20]), true},
      {"inside the values", Bytes(whole.begin(), whole.end() - 3), true},
      {"snapshot past the end", patched(28, {0xFF, 0xFF, 0xFF, 0xF0}), true},
      {"name past the end", patched(layout.nameAt[3], {0xFF, 0xFF, 0xFF, 0x7F}), true},
      {"negative name length", patched(layout.nameAt[3], {0xFE, 0xFF, 0xFF, 0xFF}), true},
  };
  for (const auto& c : cases) {
    Kroma* target = open();
    EXPECT_EQ(loadChunk(target, c.chunk), 0) << c.what;
    EXPECT_EQ(target->currentPart(), c.partRestored ? 1 : 0) << c.what;
    close(target);
  }
}

// With debug logging on, a restored project logs each part it sets; off, it logs none.
TEST_F(Recall, TheRestoredPartsAreLoggedOnlyWithDebugLogging) {
  const Bytes whole = saveChunk(open());
  for (bool logging : {true, false}) {
    writeData("Kroma Editor LOG.txt", "");
    Kroma* target = open();
    KromaProbe(target).parts.mDebugLogging = logging;
    ASSERT_EQ(loadChunk(target, whole), 1);
    const std::string log = readData("Kroma Editor LOG.txt");
    EXPECT_EQ(log.find("Part 15 name ") != std::string::npos, logging) << log;
    close(target);
  }
}

// A damaged or cut project state is read as far as it is whole; the log names where it broke off
// and the status line says it was not read whole. A whole one says nothing of the kind.
TEST_F(Recall, ADamagedStateSaysWhereItBrokeOff) {
  const int edited = kOscillator1Detune + 2;
  Kroma* source = open();
  source->GetParam(kQuickTab)->Set(1.0);
  source->GetParam(edited)->Set(90.0);
  const Bytes whole = saveChunk(source);
  const Layout layout(whole);
  const double unedited = value(open(), edited);
  auto flipped = [&](size_t at, size_t count) {
    Bytes out = whole;
    for (size_t i = at; i < at + count; ++i) out[i] ^= 0xFF;
    return out;
  };
  const size_t cutValue = edited + 100;
  const struct {
    const char* what;
    Bytes chunk;
    std::string where;  // "" for a whole state
    double editedValue;
  } cases[] = {
      {"whole", whole, "", 90.0},
      {"cut to half", Bytes(whole.begin(), whole.begin() + whole.size() / 2),
       "the snapshot and names at byte 20", unedited},
      {"a name's length flipped", flipped(layout.nameAt[10], 4),
       "the snapshot and names at byte 20", unedited},
      {"the snapshot's length flipped", flipped(28, 4), "the snapshot and names at byte 20",
       unedited},
      {"cut inside the values",
       Bytes(whole.begin(), whole.begin() + layout.values + 8 * cutValue + 3),
       "the parameter values (from parameter " + std::to_string(cutValue) + ") at byte " +
           std::to_string(layout.values),
       90.0},
  };
  for (const auto& c : cases) {
    writeData("Kroma Editor LOG.txt", "");
    Kroma* target = open();
    EXPECT_EQ(loadChunk(target, c.chunk), c.where.empty() ? 1 : 0) << c.what;
    EXPECT_EQ(target->currentPart(), 1) << c.what;
    EXPECT_EQ(value(target, edited), c.editedValue) << c.what;
    const std::string log = readData("Kroma Editor LOG.txt");
    const bool said =
        text(KromaProbe(target).widgets.mNameDisplay) == "PROJECT STATE NOT READ WHOLE!";
    EXPECT_EQ(said, !c.where.empty()) << c.what;
    if (c.where.empty())
      EXPECT_EQ(log.find("broke off"), std::string::npos) << c.what;
    else
      EXPECT_NE(log.find("PROJECT RECALL: state broke off in " + c.where + "\n"), std::string::npos)
          << c.what << "\n"
          << log;
    close(target);
  }
}

// A restore takes the bank and patch selections back and logs the stored port and the one it
// found, the device id, the Multi's name and each part it sets, in that order; the port menus
// show the ports found and the editor is back on its first page.
TEST_F(Recall, ARestoreLogsWhatItSetsAndShowsTheFirstPage) {
  midi.addInputPort("Synth In");
  Kroma* first = open();
  int in = 1;
  ASSERT_EQ(first->setExternalMIDIIn(in, "Synth In"), 1);
  first->GetParam(kDeviceInSelection)->Set(in);
  set(first, kGlobalSysExID, 0x22);
  first->GetParam(kMultiPartBank + 15)->Set(3);
  first->setNameSlot(Patch::kMultiNameSlot, "Night Drive");
  first->GetParam(kBankSelection)->SetNormalized(1.0);
  first->GetParam(kPatchSelection)->SetNormalized(1.0);
  const double bank = value(first, kBankSelection), patch = value(first, kPatchSelection);
  const Bytes saved = saveChunk(first);
  close(first);

  writeData("Kroma Editor LOG.txt", "");
  Kroma* second = open();
  ASSERT_NE(value(second, kBankSelection), bank);
  ASSERT_NE(value(second, kPatchSelection), patch);
  set(second, kMainTab, 2);
  ASSERT_EQ(loadChunk(second, saved), 1);
  EXPECT_EQ(value(second, kBankSelection), bank);
  EXPECT_EQ(value(second, kPatchSelection), patch);
  std::vector<std::string> recalled;
  std::istringstream log(readData("Kroma Editor LOG.txt"));
  for (std::string line; std::getline(log, line);)
    if (line.find("PROJECT RECALL: ") != std::string::npos)
      recalled.push_back(line.substr(line.find("PROJECT RECALL: ") + 16));
  std::vector<std::string> expected = {"MIDI In device stored Synth In",
                                       "MIDI Out device stored OFF",
                                       "MIDI In device after checking devices Synth In",
                                       "MIDI Out device after checking devices OFF",
                                       "hardware DeviceID 34",
                                       "Multi name Night Drive"};
  for (int p = 0; p < 16; ++p)
    expected.push_back("Part " + std::to_string(p) +
                       " name -- INIT -- | Category name INIT | Bank " + (p == 15 ? "3" : "0") +
                       " |\xC2\xA0Program 0");
  expected.push_back("MIDI In device after nonautomated params Synth In");
  expected.push_back("MIDI Out device after nonautomated params OFF");
  EXPECT_EQ(recalled, expected);
  for (int param : {kDeviceInSelection, kDeviceOutSelection})
    EXPECT_EQ(second->controlOf(param)->GetValue(), second->GetParam(param)->GetNormalized())
        << param;
  EXPECT_EQ(KromaProbe(second).widgets.mTabLayers.root->selectedChildId, 0);
}

}  // namespace
