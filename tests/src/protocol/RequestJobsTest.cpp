// The request jobs against the simulator on virtual time: answers, device-id scans, resends,
// time-outs, cancels and the simulator's faults.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/ProtocolDoubles.h"

namespace {

using namespace protocol_test;
using corvane_sim::Fault;

constexpr const char* kTimedOut = "CONNECTION TIMED OUT!";
constexpr const char* kCancelled = "Data request CANCELLED!";
constexpr const char* kCompleted = "Data request Completed!";
constexpr const char* kUnsaved = "Data received to slot(s)";

std::string padded(const std::string& name) {
  return name + std::string(16 - name.size(), ' ');
}

SenderJob partRequest(int part, bool toEditor) {
  SenderJob job = jobOf(kSendPartRequest);
  job.part = part;
  job.toEditor = toEditor;
  return job;
}

SenderJob singlePatchRequest(bool editBuffer, int bank) {
  SenderJob job = jobOf(kSendSinglePatchRequest);
  job.editBuffer = editBuffer;
  job.bank = bank;
  return job;
}

SenderJob bankRequest(int bank) {
  SenderJob job = jobOf(kSendAllPatchRequest);
  job.bank = bank;
  return job;
}

SenderJob activeMultiRequest(bool toEditor) {
  SenderJob job = jobOf(kSendActiveArrangementRequest);
  job.toEditor = toEditor;
  return job;
}

// One job as a starter would begin it: the mode it needs and the flags its starter sets.
struct Start {
  const char* name;
  SenderJob job;
  bool multi;
};

std::vector<Start> everyRequest() {
  return {{"job 5 to editor", activeMultiRequest(true), true},
          {"job 5 to librarian", activeMultiRequest(false), true},
          {"job 6 to editor", partRequest(2, true), false},
          {"job 6 to librarian", partRequest(2, false), false},
          {"job 7", jobOf(kSendSingleMultiRequest), true},
          {"job 8", jobOf(kSendAllMultiRequest), true},
          {"job 9", singlePatchRequest(false, 1), false},
          {"job 10", bankRequest(1), false},
          {"job 13", jobOf(kSendDeviceIdEnquiry), false}};
}

void setMode(Engine& engine, bool multi) {
  engine.plugin.multi = multi;
  engine.librarian.type = multi ? 1 : 0;
}

bool start(Engine& engine, const Start& start) {
  setMode(engine, start.multi);
  return engine.run(start.job);
}

TEST(RequestJobs, AnAnswerInTheFirstCycleCompletesTheRequest) {
  struct Case {
    const char* name;
    SenderJob job;
    Bytes request;
    int pauses;
    int slot;  // -1: into the editor
    std::string stored;
  };
  const Case cases[] = {
      // The part request waits once after sending, once in the cycle and once at the end.
      {"job 6 to librarian",
       partRequest(3, false),
       {0xF0, 0x3E, 0x13, 0, 0, 0x7F, 3, 0xF7},
       3,
       7,
       editName(3)},
      {"job 6 to editor", partRequest(3, true), {0xF0, 0x3E, 0x13, 0, 0, 0x7F, 3, 0xF7}, 3, -1, ""},
      {"job 9",
       singlePatchRequest(false, 2),
       {0xF0, 0x3E, 0x13, 0, 0, 2, 7, 0xF7},
       1,
       7,
       soundName(2, 7)},
      {"job 9 edit buffer",
       singlePatchRequest(true, 2),
       {0xF0, 0x3E, 0x13, 0, 0, 0x7F, 4, 0xF7},
       1,
       7,
       editName(4)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Engine engine;
    engine.plugin.part = 4;
    engine.librarian.selectedProgram = 7;
    ASSERT_TRUE(engine.run(c.job));
    ASSERT_FALSE(engine.requests().empty());
    EXPECT_EQ(engine.requests()[0], c.request);
    EXPECT_EQ(engine.requests().size(), 1u);
    EXPECT_EQ(engine.clock->pauses().size(), static_cast<size_t>(c.pauses));
    EXPECT_TRUE(engine.plugin.showed("Data processing, please wait..."));
    EXPECT_FALSE(engine.plugin.overlayShown());
    if (c.slot < 0) {
      EXPECT_EQ(engine.plugin.lastText(), kCompleted);
      EXPECT_EQ(engine.dispatch->parsed().size(), 1u);
      EXPECT_EQ(engine.slot(7).name, slotName(7));
    } else {
      const std::vector<std::string> texts = engine.plugin.texts();
      ASSERT_GE(texts.size(), 2u);
      EXPECT_EQ(texts[texts.size() - 2], kCompleted);
      EXPECT_EQ(texts.back(), kUnsaved);
      EXPECT_EQ(engine.slot(c.slot).name, padded(c.stored));
      ASSERT_EQ(engine.slot(c.slot).messages.size(), 1u);
      EXPECT_EQ(engine.slot(c.slot).messages[0].bytes.size(), 392u);
      EXPECT_EQ(engine.plugin.getValue(kBankEditUnsaved), 1.0);
    }
  }
}

TEST(RequestJobs, TheScanFindsTheSynthesizerOnId5) {
  struct Case {
    Start start;
    int scanCycle;  // pauses between the first request and the first scanned one
    bool scanTexts;
  };
  const std::vector<Start> all = everyRequest();
  const Case cases[] = {{all[0], 20, true},  {all[2], 26, false}, {all[3], 26, false},
                        {all[4], 25, false}, {all[5], 25, false}, {all[7], 25, false},
                        {all[8], 20, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start.name);
    Engine engine;
    engine.sim.setFault({Fault::kOtherId, 5});
    ASSERT_TRUE(start(engine, c.start));
    const std::vector<SentMessage> sent = engine.plugin.sent();
    ASSERT_GE(sent.size(), 7u);
    EXPECT_EQ(sent[1].timeMs - sent[0].timeMs, c.scanCycle * 100);
    for (int id = 0; id <= 5; ++id) {
      EXPECT_EQ(sent[1 + id].bytes[3], id);
      EXPECT_EQ(sent[1 + id].bytes[4], sent[0].bytes[4]) << "the same request, another id";
    }
    // The answer to id 5 ends the scan: the next request (if any) starts over with the old id.
    if (sent.size() > 7) {
      EXPECT_EQ(sent[7].bytes[3], 0);
    }
    EXPECT_EQ(engine.plugin.showed("Please wait, checking DeviceID 6"), c.scanTexts);
    EXPECT_FALSE(engine.plugin.showed("Please wait, checking DeviceID 7"));
    const bool multi = c.start.multi;
    const bool stored = engine.slot(0, multi).name != slotName(0);
    EXPECT_TRUE(stored || !engine.dispatch->parsed().empty()) << "the answer was taken";
  }
}

TEST(RequestJobs, SilenceEndsEachRequestWithItsTimeOutText) {
  struct Case {
    Start start;
    size_t pauses;
    size_t requests;
    const char* text;
  };
  const std::vector<Start> all = everyRequest();
  const Case cases[] = {
      // Part requests stop at the first part that times out, with half a delay to end.
      {all[0], 159, 129, kTimedOut},
      // The Multi edit buffer alone: 100 short cycles, then half a delay.
      {all[1], 101, 1, kTimedOut},
      {all[3], 160, 129, kTimedOut},
      {all[4], 158, 129, kTimedOut},
      // A bank stops at its first time-out.
      {all[5], 158, 129, kTimedOut},
      {all[6], 158, 129, kTimedOut},
      {all[7], 158, 129, kTimedOut},
      {all[8], 158, 129, "No response from corvane!"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start.name);
    Engine engine;
    engine.librarian.selectedProgram = 9;
    engine.sim.setFault({Fault::kSilent, 0});
    ASSERT_TRUE(start(engine, c.start));
    EXPECT_EQ(engine.clock->pauses().size(), c.pauses);
    EXPECT_EQ(engine.requests().size(), c.requests);
    EXPECT_EQ(engine.plugin.lastText(), c.text);
    EXPECT_TRUE(engine.manager->sender().requestFailed);
    EXPECT_FALSE(engine.plugin.overlayShown());
    EXPECT_EQ(engine.plugin.getValue(kBankEditUnsaved), 0.0) << "nothing came, nothing marked";
    EXPECT_EQ(engine.librarian.selectedProgram,
              c.start.job.code == kSendAllPatchRequest || c.start.job.code == kSendAllMultiRequest
                  ? 0
                  : 9);
    // The manager serves the next request as usual.
    engine.sim.setFault({Fault::kNone, 0});
    setMode(engine, false);
    ASSERT_TRUE(engine.run(singlePatchRequest(false, 3)));
    EXPECT_EQ(engine.plugin.lastText(), kUnsaved);
    EXPECT_EQ(engine.slot(engine.librarian.selectedProgram).name,
              padded(soundName(3, engine.librarian.selectedProgram)));
  }
}

TEST(RequestJobs, CancelEndsEveryRequestAsItsStepsSay) {
  struct Case {
    Start start;
    bool silent;
    int cancelAt;  // pause number
    std::vector<std::string> lastTexts;
    size_t requests;
  };
  const std::vector<Start> all = everyRequest();
  SenderJob partSend = jobOf(kSendPartToDevice);
  partSend.part = 1;
  const Case cases[] = {
      // Into the editor: cancelled during part 4, after three parts of three pauses each; no
      // later part, no Multi, no final text.
      {all[0], false, 13, {"Please wait! 17% processed.."}, 5},
      // Into the librarian the Multi request does not look at the flag.
      {all[1], false, 1, {kCompleted, kUnsaved}, 1},
      {all[2], true, 3, {kCancelled}, 1},
      {all[3], true, 3, {kCancelled}, 1},
      {all[4], true, 3, {kCancelled}, 1},
      {all[5], true, 3, {kCancelled}, 1},
      {all[6], true, 3, {kCancelled}, 1},
      {all[7], true, 3, {"Data request cancelled!"}, 1},
      // The check waits on; the scan stops after its first id; the time-out comes, then the
      // cancel.
      {all[8], true, 3, {"No response from corvane!", kCancelled}, 2},
      // A sound send does not look at the flag.
      {{"job 2", partSend, false}, false, 1, {}, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start.name);
    Engine engine;
    if (c.silent) engine.sim.setFault({Fault::kSilent, 0});
    MIDIMessageSender& sender = engine.manager->sender();
    engine.clock->onPause = [&](int n) {
      if (n == c.cancelAt) sender.cancelRequested = true;
    };
    ASSERT_TRUE(start(engine, c.start));
    const std::vector<std::string> texts = engine.plugin.texts();
    ASSERT_GE(texts.size(), c.lastTexts.size());
    EXPECT_EQ(std::vector<std::string>(texts.end() - c.lastTexts.size(), texts.end()), c.lastTexts);
    EXPECT_EQ(engine.requests().size(), c.requests);
    EXPECT_FALSE(engine.plugin.overlayShown());
  }
}

TEST(RequestJobs, ResendsGoToTheCurrentIdAndPart) {
  for (bool editBuffer : {false, true}) {
    SCOPED_TRACE(editBuffer ? "edit buffer" : "bank and program");
    Engine engine;
    engine.plugin.part = 2;
    engine.librarian.selectedProgram = 30;
    engine.sim.setFault({Fault::kOtherId, 5});
    engine.clock->onPause = [&](int n) {
      if (n != 10) return;
      engine.plugin.id = 5;
      engine.plugin.part = 6;
    };
    ASSERT_TRUE(engine.run(singlePatchRequest(editBuffer, 4)));
    const std::vector<Bytes> requests = engine.requests();
    ASSERT_EQ(requests.size(), 2u) << "the first resend is answered";
    const Bytes first{0xF0, 0x3E, 0x13, 0, 0, 0x7F, 2, 0xF7};
    const Bytes resend{0xF0, 0x3E, 0x13, 5, 0, 0x7F, 6, 0xF7};
    EXPECT_EQ(requests[0], editBuffer ? first : Bytes({0xF0, 0x3E, 0x13, 0, 0, 4, 30, 0xF7}));
    EXPECT_EQ(requests[1], editBuffer ? resend : Bytes({0xF0, 0x3E, 0x13, 5, 0, 4, 30, 0xF7}));
    EXPECT_EQ(engine.clock->pauses().size(), 26u) << "25 cycles and the pause after the resend";
    EXPECT_EQ(engine.slot(30).name, padded(editBuffer ? editName(6) : soundName(4, 30)));
    EXPECT_EQ(engine.plugin.lastText(), kUnsaved);
  }
}

TEST(RequestJobs, ABankRequestFillsAll128Slots) {
  Engine engine;
  engine.librarian.selectedProgram = 50;
  ASSERT_TRUE(engine.run(bankRequest(3)));
  for (int slot = 0; slot < 128; ++slot)
    ASSERT_EQ(engine.slot(slot).name, padded(soundName(3, slot))) << slot;
  std::vector<std::string> progress;
  for (const std::string& text : engine.plugin.texts())
    if (text.rfind("Please wait! ", 0) == 0) progress.push_back(text);
  ASSERT_EQ(progress.size(), 128u);
  EXPECT_EQ(progress.front(), "Please wait! 0% received..");
  EXPECT_EQ(progress[1], "Please wait! 0.78125% received..");
  EXPECT_EQ(progress.back(), "Please wait! 99.2188% received..");
  const std::vector<std::string> texts = engine.plugin.texts();
  EXPECT_EQ(texts[texts.size() - 2], "Data request completed!");
  EXPECT_EQ(texts.back(), kUnsaved);
  EXPECT_EQ(engine.librarian.selectedProgram, 0);
  EXPECT_EQ(engine.plugin.getValue(kBankEditUnsaved), 1.0);
  EXPECT_EQ(engine.clock->pauses().size(), 256u) << "an answer and a progress pause each";
}

TEST(RequestJobs, ABankRequestStopsAtItsFirstTimeOut) {
  Engine engine;
  engine.clock->onPause = [&](int) {
    if (engine.slot(9).name != slotName(9)) engine.sim.setFault({Fault::kSilent, 0});
  };
  ASSERT_TRUE(engine.run(bankRequest(0)));
  for (int slot = 0; slot < 10; ++slot)
    EXPECT_EQ(engine.slot(slot).name, padded(soundName(0, slot)));
  EXPECT_EQ(engine.slot(10).name, slotName(10));
  // Ten answered, then program 10 once and its 128 scanned tries; nothing after.
  const std::vector<Bytes> requests = engine.requests();
  ASSERT_EQ(requests.size(), 139u);
  EXPECT_EQ(requests.back()[6], 10);
  // The slots it filled are marked unsaved, and the time-out stays the last word.
  EXPECT_EQ(engine.plugin.getValue(kBankEditUnsaved), 1.0);
  const std::vector<std::string> texts = engine.plugin.texts();
  EXPECT_EQ(texts[texts.size() - 2], kUnsaved);
  EXPECT_EQ(texts.back(), kTimedOut);
  EXPECT_EQ(engine.librarian.selectedProgram, 0);
}

TEST(RequestJobs, ACancelledBankRequestPutsBackOnlyTheSlotsItChanged) {
  Engine engine;
  engine.librarian.soundFiles[0]->records[100].name = "My Edit";
  engine.librarian.soundFiles[0]->records[2].name = "Edited Too";
  MIDIMessageSender& sender = engine.manager->sender();
  engine.clock->onPause = [&](int) {
    if (engine.slot(4).name != slotName(4)) sender.cancelRequested = true;
  };
  ASSERT_TRUE(engine.run(bankRequest(1)));
  EXPECT_EQ(engine.requests().size(), 5u);
  for (int slot = 0; slot < 128; ++slot) {
    const std::string expected = slot == 100 ? "My Edit"
                                 : slot == 2 ? "Edited Too"
                                             : slotName(slot);
    ASSERT_EQ(engine.slot(slot).name, expected) << slot;
    ASSERT_EQ(engine.slot(slot).messages.size(), 1u);
    EXPECT_EQ(engine.slot(slot).messages[0].bytes, namedDump(false, slotName(slot), 0, slot));
  }
  EXPECT_EQ(engine.plugin.lastText(), "Data request cancelled!");
  EXPECT_EQ(engine.plugin.getValue(kBankEditUnsaved), 0.0);
  EXPECT_EQ(engine.plugin.refills().back(), 0) << "the view shows the slots put back";
}

TEST(RequestJobs, EverySimulatorFaultEndsInAStatusTextAndNothingBadIsStored) {
  struct Case {
    const char* name;
    corvane_sim::FaultSetting fault;
    const char* text;
    bool stored;
  };
  const Case cases[] = {{"silence", {Fault::kSilent, 0}, kTimedOut, false},
                        {"late", {Fault::kLate, 350}, kUnsaved, true},
                        {"later than the wait", {Fault::kLate, 60000}, kTimedOut, false},
                        {"other id", {Fault::kOtherId, 9}, kTimedOut, false},
                        {"truncated", {Fault::kTruncate, 0}, kTimedOut, false},
                        {"cut at 391", {Fault::kTruncate, 391}, kTimedOut, false},
                        {"wrong type", {Fault::kWrongType, 0}, kTimedOut, false},
                        // The checksum is not the collector's to judge, as with every reader.
                        {"bad checksum", {Fault::kBadChecksum, 0}, kUnsaved, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Engine engine;
    engine.librarian.selectedProgram = 5;
    engine.sim.setFault(c.fault);
    ASSERT_TRUE(engine.run(singlePatchRequest(false, 0)));
    EXPECT_EQ(engine.plugin.lastText(), c.text);
    // Whatever is still on its way arrives after the job has ended.
    engine.clock->pause(120000);
    const LibrarianPatch& slot = engine.slot(5);
    ASSERT_EQ(slot.messages.size(), 1u);
    if (c.stored) {
      EXPECT_EQ(slot.name, padded(soundName(0, 5)));
      EXPECT_EQ(slot.messages[0].bytes.size(), 392u);
    } else {
      EXPECT_EQ(slot.name, slotName(5));
      EXPECT_EQ(slot.messages[0].bytes, namedDump(false, slotName(5), 0, 5));
    }
  }
}

TEST(RequestJobs, AnAnswerInTheLastPauseIsTakenBeforeTheTimeOut) {
  Engine engine;
  engine.librarian.selectedProgram = 5;
  engine.sim.setFault({Fault::kSilent, 0});
  const Bytes dump = namedDump(false, "Last Moment", 0, 5);
  // 25 cycles, 128 resends, then cycles 26 to 30: the 158th pause is the last.
  engine.clock->onPause = [&](int n) {
    if (n == 158) engine.plugin.ProcessSysEx(dump.data(), static_cast<int>(dump.size()), true);
  };
  ASSERT_TRUE(engine.run(singlePatchRequest(false, 0)));
  EXPECT_FALSE(engine.plugin.showed(kTimedOut));
  EXPECT_EQ(engine.plugin.lastText(), kUnsaved);
  EXPECT_EQ(engine.slot(5).name, padded("Last Moment"));
}

TEST(RequestJobs, TheActiveMultiComesIntoTheEditorPartByPart) {
  Engine engine;
  ASSERT_TRUE(engine.run(activeMultiRequest(true)));
  const std::vector<Bytes> requests = engine.requests();
  ASSERT_EQ(requests.size(), 17u);
  for (int part = 0; part < 16; ++part)
    EXPECT_EQ(requests[part], Bytes({0xF0, 0x3E, 0x13, 0, 0, 0x7F, (unsigned char)part, 0xF7}));
  EXPECT_EQ(requests[16], Bytes({0xF0, 0x3E, 0x13, 0, 1, 0x7F, 0, 0xF7}));
  std::vector<std::string> progress;
  for (const std::string& text : engine.plugin.texts())
    if (text.rfind("Please wait! ", 0) == 0) progress.push_back(text);
  const char* figures[] = {"0",  "5",  "11", "17", "23", "29", "35", "41",
                           "47", "52", "58", "64", "70", "76", "82", "88"};
  ASSERT_EQ(progress.size(), 16u);
  for (int part = 0; part < 16; ++part)
    EXPECT_EQ(progress[part], std::string("Please wait! ") + figures[part] + "% processed..");
  EXPECT_EQ(engine.plugin.lastText(), "Data request completed!");
  EXPECT_EQ(engine.dispatch->parsed().size(), 17u);
  EXPECT_TRUE(engine.manager->refreshQuickTab);
  EXPECT_TRUE(engine.manager->dumpCancelsQuickTabRefresh);
}

TEST(RequestJobs, MultisComeIntoTheirSlots) {
  {
    SCOPED_TRACE("job 5 to librarian");
    Engine engine;
    setMode(engine, true);
    engine.librarian.selectedProgram = 3;
    ASSERT_TRUE(engine.run(activeMultiRequest(false)));
    EXPECT_EQ(engine.slot(3, true).name, padded("Sim Multi Edit"));
    EXPECT_EQ(engine.slot(3, true).messages[0].bytes.size(), 425u);
  }
  {
    SCOPED_TRACE("job 7");
    Engine engine;
    setMode(engine, true);
    engine.librarian.selectedProgram = 12;
    ASSERT_TRUE(engine.run(jobOf(kSendSingleMultiRequest)));
    EXPECT_EQ(engine.requests()[0], Bytes({0xF0, 0x3E, 0x13, 0, 1, 0, 12, 0xF7}));
    EXPECT_EQ(engine.slot(12, true).name, padded(multiName(12)));
    EXPECT_EQ(engine.plugin.lastText(), kUnsaved);
  }
  {
    SCOPED_TRACE("job 8");
    Engine engine;
    setMode(engine, true);
    ASSERT_TRUE(engine.run(jobOf(kSendAllMultiRequest)));
    for (int slot = 0; slot < 128; ++slot)
      ASSERT_EQ(engine.slot(slot, true).name, padded(multiName(slot))) << slot;
    const std::vector<std::string> texts = engine.plugin.texts();
    EXPECT_EQ(texts[texts.size() - 3], "Please wait! 99.2188% received..");
    EXPECT_EQ(texts[texts.size() - 2], kCompleted);
    EXPECT_EQ(engine.slot(0).name, slotName(0)) << "the sound bank is untouched";
  }
}

TEST(RequestJobs, TheConnectionCheckReportsReady) {
  Engine engine;
  ASSERT_TRUE(engine.run(jobOf(kSendDeviceIdEnquiry)));
  EXPECT_EQ(engine.requests(), std::vector<Bytes>({{0xF0, 0x3E, 0x13, 0, 4, 0xF7}}));
  EXPECT_EQ(engine.plugin.texts(),
            std::vector<std::string>({"Connecting to corvane", "Plug-in is ready to go!"}));
  EXPECT_EQ(engine.clock->pauses(), std::vector<int>({100, 100})) << "one cycle, one to end";
  ASSERT_EQ(engine.dispatch->parsed().size(), 1u);
  EXPECT_EQ(engine.dispatch->parsed()[0].size(), 80u);
}

TEST(RequestJobs, WithoutMidiPortsTheCheckedRequestsSendNothing) {
  Engine engine;
  engine.plugin.midiOut = false;
  ASSERT_TRUE(engine.run(jobOf(kSendDeviceIdEnquiry)));
  EXPECT_TRUE(engine.requests().empty());
  EXPECT_TRUE(engine.plugin.showed("Set MIDI I/O First!"));
  EXPECT_EQ(engine.plugin.lastText(), "No response from corvane!");
}

TEST(RequestJobs, TheSyncDelayPacesEveryWait) {
  for (int choice : {0, 7, 9}) {
    SCOPED_TRACE(choice);
    Engine engine(choice);
    ASSERT_TRUE(engine.run(partRequest(0, true)));
    const int expected = choice == 0 ? 50 : choice == 7 ? 500 : 100;
    EXPECT_EQ(engine.clock->pauses(), std::vector<int>(3, expected));
  }
}

}  // namespace
