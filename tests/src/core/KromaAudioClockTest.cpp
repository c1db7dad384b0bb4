// The audio callback as the plug-in's clock, seen from the host and the synthesizer's port: the
// silence it returns, the queue it drains, the LEDs it puts out, the dumps it sends late, and
// what it logs and shows.
#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <string>
#include <vector>

#include "PortFixtures.h"
#include "platform/vst2/opcodes.h"
#include "src/config/ParameterIds.h"
#include "src/core/KromaProbe.h"
#include "toolkit/wsys/Keys.h"
#include "toolkit/wsys/Timing.h"
#include "toolkit/wsys/WsysTypes.h"

namespace {

class AudioClock : public FirstBlockPlugin {
 protected:
  // The parts whose LED is lit.
  static std::vector<int> lit(Kroma* plug) {
    std::vector<int> parts;
    for (int part = 0; part < 16; ++part)
      if (value(plug, kMIDILed + part) == 1.0) parts.push_back(part);
    return parts;
  }
};

// An instrument without sound: every sample of both outputs is silence, whatever the host left
// in its buffers.
TEST_F(AudioClock, BothOutputsAreSilence) {
  Kroma* plug = settled();
  for (int frames : {1, 64, 300}) {
    std::vector<double> left(frames, 0.5), right(frames, -0.25);
    double* outputs[2] = {left.data(), right.data()};
    plug->GetAEffect()->processDoubleReplacing(plug->GetAEffect(), outputs, outputs, frames);
    EXPECT_EQ(left, std::vector<double>(frames, 0.0)) << frames;
    EXPECT_EQ(right, std::vector<double>(frames, 0.0)) << frames;
  }
}

// Each part's LED lights for a message on its channel: one sent to the synthesizer while the LEDs
// show outgoing MIDI, one that came in while they show incoming MIDI. It goes out once more than
// 100 ms have passed, and in the first stopped block after a reset.
TEST_F(AudioClock, EachPartsLedFollowsTheMidiOnItsChannel) {
  Kroma* plug = settled();
  WSYS_HoldTickCount(true);
  for (int part : {0, 6, 15}) {
    SCOPED_TRACE(part);
    const IMidiMsg msg = noteOn(0, 60, part);  // part p plays on channel p at start
    for (bool incoming : {false, true}) {
      KromaProbe(plug).routing.mTrackIncomingMIDI = incoming;
      incoming ? plug->sendMidiMsgAndLog(&msg) : plug->showIncomingActivity(part);
      EXPECT_EQ(lit(plug), std::vector<int>()) << "the LEDs show the other direction";
      incoming ? plug->showIncomingActivity(part) : plug->sendMidiMsgAndLog(&msg);
      EXPECT_EQ(lit(plug), std::vector<int>{part});
      WSYS_AdvanceTickCount(100);
      process(plug, 64);
      EXPECT_EQ(lit(plug), std::vector<int>{part});
      WSYS_AdvanceTickCount(1);
      process(plug, 64);
      EXPECT_EQ(lit(plug), std::vector<int>());
    }
    plug->sendMidiMsgAndLog(&msg);
    plug->showIncomingActivity(part);
    plug->Reset();
    process(plug, 64);
    EXPECT_EQ(lit(plug), std::vector<int>()) << "after a reset";
  }
  WSYS_HoldTickCount(false);
}

// All notes off goes to each enabled part on its channel: the global channel for a part set to
// it (0), none for a part set to all channels (1), channels 1..16 for settings 2..17. Of a single
// part, only to it.
TEST_F(AudioClock, AllNotesOffGoesToEachPartOnItsOwnChannel) {
  Kroma* plug = settled();
  plug->GetParam(kGlobalMidiChannel)->Set(5);
  const struct {
    int part;
    double setting;
    const char* alone;
  } parts[] = {{0, 0, "B4 7B 00|"}, {1, 1, ""}, {9, 3, "B1 7B 00|"}, {15, 17, "BF 7B 00|"}};
  for (int part = 0; part < 16; ++part) plug->GetParam(kMultiPartStatus + part)->Set(0);
  for (const auto& row : parts) {
    plug->GetParam(kMultiPartStatus + row.part)->Set(1);
    plug->GetParam(kMultiPartMIDICh + row.part)->Set(row.setting);
  }
  plug->AllSoundsOff(0, true);
  EXPECT_EQ(sent(start), "B4 7B 00|B1 7B 00|BF 7B 00|");
  for (const auto& row : parts) {
    const size_t from = sentCount();
    plug->AllSoundsOff(row.part, false);
    EXPECT_EQ(sent(from), row.alone) << row.part;
  }
}

// In DAW-buffer mode a block drains the messages due up to its last offset: the block size the
// plug-in started with, or once the offset knob is turned the host's block size then, widened by
// twice the knob. A message due at the block's end waits for the next.
TEST_F(AudioClock, TheQueuedBlockIsTheStartingBlockSizeOrTheOffsetKnobs) {
  Kroma* plug = settled();
  set(plug, kMIDIFilterToDAWBuffer, 1);
  ASSERT_TRUE(KromaProbe(plug).routing.mQueuedOutput);
  const struct {
    int hostBlock;      // 0: as it was
    double offsetKnob;  // -1: untouched
    int last;
  } rows[] = {{0, -1, 1023}, {256, -1, 1023}, {0, 10, 275}, {512, 0, 511}, {0, -1, 511}};
  for (const auto& row : rows) {
    if (row.hostBlock) dispatch(plug, effSetBlockSize, 0, row.hostBlock);
    if (row.offsetKnob >= 0) set(plug, kAdjustDAWOffset, row.offsetKnob);
    set(plug, kMultiBank, 1 - value(plug, kMultiBank));  // the knob's neighbour leaves it
    process(plug, 64);                                   // a reset's all notes off
    const size_t from = sentCount();
    for (IMidiMsg msg : {noteOn(row.last + 1, 2), noteOn(row.last, 1)})
      plug->MIDIOutRoutingSwitch(&msg);
    process(plug, 64);
    EXPECT_EQ(sent(from), "90 01 64|") << row.last;
    process(plug, 64);
    EXPECT_EQ(sent(from), "90 01 64|90 02 64|") << row.last;
  }
  // A block size below zero, which no host gives, drains the block's first offset alone.
  KromaProbe(plug).routing.mBlockSize = -5;
  const size_t from = sentCount();
  for (IMidiMsg msg : {noteOn(1, 2), noteOn(0, 1)}) plug->MIDIOutRoutingSwitch(&msg);
  process(plug, 64);
  EXPECT_EQ(sent(from), "90 01 64|");
  process(plug, 64);
  EXPECT_EQ(sent(from), "90 01 64|90 02 64|");
}

// A Multi or Global dump held back while a key was down goes out from the first block after it
// is let go, and not while a transfer sends: the Multi waits for Shift and the mouse button, the
// Global for the mouse button only.
TEST_F(AudioClock, AHeldDumpLeavesWithTheFirstBlockAfterTheKeyIsUp) {
  Kroma* plug = settled();
  useDeviceId11(plug);
  for (int part = 0; part < 16; ++part) plug->GetParam(kMultiPartStatus + part)->Set(0);
  const struct {
    bool global;
    int key;  // -1: none
    bool sending;
    bool waits;
  } rows[] = {
      {false, VK_LBUTTON, false, true}, {false, VK_SHIFT, false, true},  {false, -1, true, true},
      {false, -1, false, false},        {true, VK_LBUTTON, false, true}, {true, -1, true, true},
      {true, VK_SHIFT, false, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.global ? "Global " : "Multi ") + std::to_string(row.key) +
                 (row.sending ? " sending" : ""));
    std::atomic<bool>& pending = row.global ? KromaProbe(plug).clock.mGlobalSendPending
                                            : KromaProbe(plug).clock.mMultiSendPending;
    pending = true;
    WSYS_SetKeyState(row.key, true);
    KromaProbe(plug).routing.mSendingSysEx = row.sending;
    const size_t from = sentCount();
    process(plug, 64);
    WSYS_SetKeyState(row.key, false);
    KromaProbe(plug).routing.mSendingSysEx = false;
    EXPECT_EQ(pending, row.waits);
    if (row.waits) {
      pending = false;
      EXPECT_EQ(sent(from), "");
    } else {
      EXPECT_EQ(awaitSent(from, 1).substr(0, 14), row.global ? "F0 3E 13 11 14" : "F0 3E 13 11 11");
      EXPECT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
    }
  }
}

// The output overflow lasts a whole second: at 1,000 ms it still holds, past them it is over.
TEST_F(AudioClock, TheOverflowEndsOnlyPastASecond) {
  Kroma* plug = settled();
  WSYS_HoldTickCount(true);
  KromaProbe(plug).routing.mQueuedOutput = true;
  const IMidiMsg msg = noteOn(0, 60);
  for (int i = 0; i <= 1024; ++i) plug->MIDIOutRoutingSwitch(&msg);
  KromaProbe(plug).routing.mQueuedOutput = false;
  for (unsigned advance : {1000u, 1u}) {
    WSYS_AdvanceTickCount(advance);
    process(plug, 64);
    EXPECT_EQ(KromaProbe(plug).routing.mOutputOverflow.load(), advance != 1) << advance;
    EXPECT_EQ(KromaProbe(plug).selection.mTransferInProgress.load(), advance != 1) << advance;
  }
  WSYS_HoldTickCount(false);
}

// While the host plays after a reset a Multi edit is refused with a notice; once the transport
// stops it goes out.
TEST_F(AudioClock, AMultiEditWaitsForTheHostsTransportToStop) {
  Kroma* plug = settled();
  useDeviceId11(plug);
  plug->Reset();
  hostTime.flags = kVstTempoValid | kVstTransportPlaying;
  process(plug, 64);
  eventually([plug] { return !plug->ThreadRunning(); });
  size_t from = sentCount();
  turn(plug, kMultiPartLevel + 1, 90);
  EXPECT_EQ(status(plug), "STOP PLAYBACK TO SEND MULTI DATA");
  hostTime.flags = kVstTempoValid;
  process(plug, 64);
  EXPECT_TRUE(eventually([plug] { return !plug->ThreadRunning(); }));
  from = sentCount();
  turn(plug, kMultiPartLevel + 1, 91);
  EXPECT_NE(awaitSent(from, 5).find("F0 3E 13 11 11"), std::string::npos);
}

// With debug logging on, a reset logs the version and a host tempo that changed is logged as out
// of sync; off, neither is.
TEST_F(AudioClock, ResetsAndTempoChangesAreLoggedOnlyWithDebugLogging) {
  writeData("Kroma Editor LOG.txt", "");
  Kroma* plug = settled();
  plug->GetParam(kOverrideTempo)->Set(1);
  double tempo = 100;
  for (bool logging : {false, true}) {
    SCOPED_TRACE(logging);
    KromaProbe(plug).parts.mDebugLogging = logging;
    writeData("Kroma Editor LOG.txt", "");
    plug->Reset();
    hostTime.tempo = tempo += 10;
    process(plug, 64);
    const std::string log = readData("Kroma Editor LOG.txt");
    EXPECT_EQ(log.find("RESET: plug-in v1.2.3") != std::string::npos, logging) << log;
    EXPECT_EQ(log.find("Host tempo is out of sync!") != std::string::npos, logging) << log;
  }
}

// The output delay display shows the queued block's length in whole milliseconds, cut toward
// zero, and the host's block size.
TEST_F(AudioClock, TheOutputDelayIsCutToWholeMilliseconds) {
  Kroma* plug = settled();
  ASSERT_EQ(plug->GetSampleRate(), 44100.0);
  dispatch(plug, effSetBlockSize, 0, 512);
  KromaProbe(plug).routing.mQueuedOutput = true;
  const struct {
    int block;
    const char* shown;
  } rows[] = {{441, "10ms|512bfr"}, {749, "16ms|512bfr"}, {4410, "100ms|512bfr"}};
  for (const auto& row : rows) {
    KromaProbe(plug).routing.mBlockSize = row.block;
    process(plug, 512);
    EXPECT_EQ(text(KromaProbe(plug).widgets.mMIDIOutDelayDisplayControl), row.shown);
  }
}

// A sample rate that is no rate (zero, below zero, not a number, infinite, absurdly far off) is
// refused: the plug-in keeps the rate it had, and the output delay stays a whole number.
TEST_F(AudioClock, ASampleRateThatIsNoRateKeepsTheOneBefore) {
  Kroma* plug = settled();
  dispatch(plug, effSetBlockSize, 0, 512);
  dispatch(plug, effSetSampleRate, 0, 0, nullptr, 48000.f);
  KromaProbe(plug).routing.mQueuedOutput = true;
  KromaProbe(plug).routing.mBlockSize = 480;
  const float kInfinity = std::numeric_limits<float>::infinity();
  for (float rate : {0.f, -48000.f, std::numeric_limits<float>::quiet_NaN(), kInfinity, -kInfinity,
                     1e-30f, 1e30f}) {
    dispatch(plug, effSetSampleRate, 0, 0, nullptr, rate);
    EXPECT_EQ(plug->GetSampleRate(), 48000.0) << rate;
    process(plug, 512);
    EXPECT_EQ(text(KromaProbe(plug).widgets.mMIDIOutDelayDisplayControl), "10ms|512bfr") << rate;
  }
}

// Without an output port nothing goes out and the status line asks for one; with it a dump leaves
// with its checksum (the low seven bits of the sum from its eighth byte on) in place.
TEST_F(AudioClock, DumpsGoOutWithTheirChecksumAndOnlyThroughAPort) {
  std::vector<unsigned char> dump(201, 1);
  dump.front() = 0xF0;
  dump.back() = 0xF7;
  dump[199] = 0x55;
  const IMidiMsg msg = noteOn(0, 60);
  for (bool port : {false, true}) {
    SCOPED_TRACE(port);
    Kroma* plug = port ? settled() : open();
    const size_t from = sentCount();
    std::vector<unsigned char> bytes = dump;
    KromaProbe(plug).widgets.mNameDisplay->SetTextFromPlug("-");
    plug->checksumCheckAndSend(bytes.data(), static_cast<int>(bytes.size()));
    EXPECT_EQ(status(plug), port ? "-" : "Set MIDI I/O First!");
    KromaProbe(plug).widgets.mNameDisplay->SetTextFromPlug("-");
    plug->sendMidiMsgAndLog(&msg);
    EXPECT_EQ(status(plug), port ? "-" : "Set MIDI I/O First!");
    const std::vector<std::vector<uint8_t>> out = midi.received("Synth Out");
    ASSERT_EQ(out.size(), from + (port ? 2 : 0));
    if (port) {
      EXPECT_EQ(out[from].size(), 201u);
      EXPECT_EQ(out[from][199], 192 & 0x7F) << "192 bytes of 1 summed";
      EXPECT_EQ(out[from + 1], (std::vector<uint8_t>{0x90, 60, 100}));
    }
  }
}

}  // namespace
