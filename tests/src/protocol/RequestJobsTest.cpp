#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "src/protocol/DumpTemplates.h"
#include "tests/src/protocol/ProtocolDoubles.h"

namespace {

using namespace protocol_test;
using corvane_sim::Fault;
using Texts = std::vector<std::string>;

const std::string kTimedOut = "CONNECTION TIMED OUT!", kCancelled = "Data request CANCELLED!",
                  kCompleted = "Data request Completed!", kUnsaved = "Data received to slot(s)",
                  kNoBank = "No Bank to receive Data!", kNotStored = "Slot update FAILED!",
                  kCompletedLower = "Data request completed!", kReady = "Plug-in is ready to go!";

Texts tail(FakePlugin& plugin, size_t count) {
  const Texts& all = plugin.status();
  return Texts(all.end() - std::min(count, all.size()), all.end());
}

// The first answer makes id 5 the one in use, shown on the Global page as the synthesizer's: every
// later request of the job goes straight to it, and the job completes.
TEST(RequestJobs, TheScanFindsTheSynthesizerOnId5) {
  struct Case {
    SenderJob job;
    bool multi;
    long long scanAfter;  // ms from the first request to the first scanned one
    bool texts;
    std::string completed;
  };
  // clang-format off
  const Case cases[] = {{job(kSendActiveArrangementRequest, 0, true), true, 2000, true, kCompletedLower}, {job(kSendPartRequest, 0, false), false, 2600, false, kCompleted},
                        {job(kSendSingleMultiRequest), true, 2500, false, kCompleted}, {job(kSendAllMultiRequest), true, 2500, false, kCompleted},
                        {job(kSendAllPatchRequest), false, 2500, false, kCompletedLower}, {job(kSendDeviceIdEnquiry), false, 2000, true, kReady}};
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.job.code);
    Engine e;
    e.mode(c.multi);
    e.sim.setFault({Fault::kOtherId, 5});
    ASSERT_TRUE(e.run(c.job));
    ASSERT_GE(e.plugin.sent.size(), 7u);
    EXPECT_EQ(e.plugin.sentAt[1] - e.plugin.sentAt[0], c.scanAfter);
    for (int id = 0; id <= 5; ++id) EXPECT_EQ(e.plugin.sent[1 + id][3], id);
    EXPECT_EQ(e.plugin.showed("Please wait, checking DeviceID 6"), c.texts);
    EXPECT_EQ(e.plugin.status().front() == "Connecting to corvane",
              c.job.code == kSendDeviceIdEnquiry);
    EXPECT_FALSE(e.plugin.showed("Please wait, checking DeviceID 7")) << "id 5 answered";
    const bool intoLibrarian = !c.job.toEditor && c.job.code != kSendDeviceIdEnquiry;
    EXPECT_EQ(e.plugin.values[kBankEditUnsaved], intoLibrarian ? 1.0 : 0.0) << "what came is kept";
    EXPECT_EQ(std::count_if(e.plugin.sent.begin(), e.plugin.sent.end(),
                            [](const Bytes& request) { return request[3] != 5; }),
              6)
        << "the first request and the scan up to id 5";
    EXPECT_TRUE(e.plugin.id == 5 && e.plugin.values[kDeviceID_old] == 5);
    EXPECT_EQ(e.plugin.values[kGlobalSysExID], 5);
    EXPECT_TRUE(e.plugin.showed(c.completed) && !e.plugin.showed(kTimedOut));
    EXPECT_GE(e.plugin.answered, 1) << "a pending push goes to the id found";
    EXPECT_EQ(e.plugin.inStep, c.job.code == kSendActiveArrangementRequest && c.job.toEditor)
        << "only GET FROM SYNTH takes the synthesizer's sounds whole";
  }
}

// Each wait ends only on its own answer: the kind asked for, for a sound the part or the bank and
// program. A dump that answers something else (a late second answer, an unasked dump) is taken as
// it is into the editor, or left by a librarian collector, and the wait goes on. The id in use
// becomes that of the answer taken, not of a whole dump from another id right behind it.
TEST(RequestJobs, AWaitEndsOnlyOnItsOwnAnswerAndTakesItsId) {
  using Taken = std::string (*)(Engine&);
  const Taken global = [](Engine& e) {
    return std::to_string(int(e.plugin.values[kGlobalSysExID]));
  };
  const Taken part3 = [](Engine& e) { return e.plugin.getDisplayText(kPatchName + 3); };
  const Taken part4 = [](Engine& e) { return e.plugin.getDisplayText(kPatchName + 4); };
  const Taken multi = [](Engine& e) { return e.plugin.nameSlots[0]; };
  const Taken slot0 = [](Engine& e) { return e.slot(0, e.plugin.multi).name; };
  const Taken slot127 = [](Engine& e) { return e.slot(127, e.plugin.multi).name; };
  struct Case {
    SenderJob job;
    bool multi;
    int lateMs;         // of every answer: the stray comes first
    size_t strayAfter;  // the stray comes in the first pause after this request went out
    Bytes stray;
    Texts tail;
    Taken taken;
    std::string answer;     // what `taken` reads once the answer was taken
    size_t requests;        // none resent: the answer ended each wait
    std::string strayPart;  // the stray's name where it was taken into the editor as it is
  };
  auto sound = [](const std::string& name, int program, int id) {
    Bytes dump = namedDump(false, name, 0x7F, program);
    dump[3] = static_cast<unsigned char>(id);
    return dump;
  };
  const Bytes from9 = sound("Elsewhere", 0, 9);
  const std::string all = "Data request completed!";
  // clang-format off
  const Case cases[] = {
      {job(kSendDeviceIdEnquiry), false, 350, 0, sound("Late", 0, 5), {kReady}, global, "5", 1, field("Late")},
      {job(kSendDeviceIdEnquiry), false, 0, 0, from9, {kReady}, global, "5", 1, ""},
      {job(kSendPartRequest, 3, true), false, 150, 0, sound("Late", 2, 5), {kCompleted}, part3, field("Edit 3"), 1, field("Late")},
      {job(kSendPartRequest, 3, true), false, 0, 0, from9, {kCompleted}, part3, field("Edit 3"), 1, ""},
      {job(kSendPartRequest, 3, false), false, 150, 0, sound("Late", 2, 5), {kCompleted, kUnsaved}, slot0, field("Edit 3"), 1, ""},
      {job(kSendSinglePatchRequest, 0, true), false, 150, 0, sound("Late", 2, 5), {kCompleted, kUnsaved}, slot0, field("Edit 4"), 1, ""},
      {job(kSendSinglePatchRequest, 0, false, 1), false, 0, 0, from9, {kCompleted, kUnsaved}, slot0, field(simSound(1, 0)), 1, ""},
      {job(kSendSingleMultiRequest), true, 0, 0, from9, {kCompleted, kUnsaved}, slot0, field("M 0"), 1, ""},
      {job(kSendAllMultiRequest), true, 0, 127, from9, {kCompleted, kUnsaved}, slot127, field("M 127"), 128, ""},
      {job(kSendAllPatchRequest), false, 0, 127, from9, {all, kUnsaved}, slot127, field(simSound(0, 127)), 128, ""},
      {job(kSendActiveArrangementRequest), true, 0, 0, from9, {kCompleted, kUnsaved}, slot0, field("M Edit"), 1, ""},
      // GET FROM SYNTH: a late second answer of the part before in a part's wait, of the last
      // part in the Multi's.
      {job(kSendActiveArrangementRequest, 0, true), true, 150, 4, sound("Late", 3, 5), {all}, part4, field("Edit 4"), 17, field("Late")},
      {job(kSendActiveArrangementRequest, 0, true), true, 150, 16, sound("Late", 15, 5), {all}, multi, field("M Edit"), 17, field("Late")},
      {job(kSendActiveArrangementRequest, 0, true), true, 0, 16, from9, {all}, multi, field("M Edit"), 17, ""}};
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.job.code << " stray after request " << c.strayAfter
                                    << " from id " << int(c.stray[3]));
    Engine e;
    e.realDispatch();
    e.mode(c.multi);
    e.plugin.id = 5;
    e.plugin.values[kDeviceID_old] = 5;
    e.plugin.part = 4;
    e.sim.setDeviceId(5);
    e.sim.setFault({Fault::kLate, c.lateMs});
    bool strayCame = false;
    e.clock->onPause = [&](int) {
      if (strayCame || e.plugin.sent.size() <= c.strayAfter) return;
      strayCame = true;
      e.fromDevice(c.stray);
    };
    ASSERT_TRUE(e.run(c.job));
    EXPECT_TRUE(strayCame);
    EXPECT_EQ(tail(e.plugin, c.tail.size()), c.tail);
    EXPECT_EQ(c.taken(e), c.answer);
    EXPECT_EQ(e.plugin.sent.size(), c.requests);
    EXPECT_TRUE(e.plugin.id == 5 && e.plugin.values[kDeviceID_old] == 5) << "the answer's id";
    if (!c.strayPart.empty()) {
      EXPECT_EQ(e.plugin.getDisplayText(kPatchName + c.stray[6]), c.strayPart);
    }
  }
}

// An edit made while a request into the editor waits ends its dispatch by routing no more dumps to
// the editor: the answer the request waits for is still taken, and the request completes.
TEST(RequestJobs, AnEditDuringAWaitLeavesItsAnswerTaken) {
  const struct {
    SenderJob job;
    size_t editAfter;  // the edit comes in the first pause after this request went out
    std::string tail;
    size_t requests;  // none sent again
  } rows[] = {{job(kSendDeviceIdEnquiry), 0, kReady, 1},
              {job(kSendPartRequest, 3, true), 0, kCompleted, 1},
              {job(kSendActiveArrangementRequest, 0, true), 4, kCompletedLower, 17},
              {job(kSendActiveArrangementRequest, 0, true), 16, kCompletedLower, 17}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.job.code << " edit after request " << row.editAfter);
    Engine e;
    e.realDispatch();
    e.mode(row.job.code == kSendActiveArrangementRequest);
    e.sim.setFault({Fault::kLate, 150});
    bool edited = false;
    e.clock->onPause = [&](int) {
      if (edited || e.plugin.sent.size() <= row.editAfter) return;
      edited = true;
      e.manager->dumpRouting = false;
    };
    ASSERT_TRUE(e.run(row.job));
    EXPECT_TRUE(edited);
    EXPECT_EQ(tail(e.plugin, 1), Texts({row.tail}));
    EXPECT_EQ(e.plugin.sent.size(), row.requests);
  }
}

// The editor's parsers held on one dump until released, as a loaded machine holds them.
class HeldDispatch : public IncomingSysExDispatch {
 public:
  HeldDispatch(IncomingSysExDispatch& next, const Bytes& held) : mNext(next), mHeld(held) {}
  void dispatch(const unsigned char* data, int size) override {
    if (Bytes(data, data + size) != mHeld) return mNext.dispatch(data, size);
    std::unique_lock<std::mutex> lock(mMutex);
    mEntered = true;
    mChanged.notify_all();
    mChanged.wait(lock, [this] { return mReleased; });
    lock.unlock();
    mNext.dispatch(data, size);
  }
  void awaitEntered() {
    std::unique_lock<std::mutex> lock(mMutex);
    mChanged.wait(lock, [this] { return mEntered; });
  }
  void release() {
    std::lock_guard<std::mutex> lock(mMutex);
    mReleased = true;
    mChanged.notify_all();
  }

 private:
  IncomingSysExDispatch& mNext;
  const Bytes mHeld;
  std::mutex mMutex;
  std::condition_variable mChanged;
  bool mEntered = false, mReleased = false;
};

// An answer that came in a wait's last pause and is still being taken in when the wait runs out
// is waited for: the request completes with it instead of timing out.
TEST(RequestJobs, AnAnswerStillBeingTakenInWhenTheWaitRunsOutEndsTheWait) {
  const struct {
    SenderJob job;
    unsigned char withheld;  // the request whose answer the test brings itself
    Bytes answer;
    std::string tail;
  } rows[] = {{job(kSendPartRequest, 3, true), sysex::kSoundRequest,
               namedDump(false, "Edit 3", 0x7F, 3), kCompleted},
              {job(kSendActiveArrangementRequest, 0, true), sysex::kMultiRequest,
               namedDump(true, "M Edit", 0x7F, 0), kCompletedLower}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.job.code);
    size_t lastPause = 0;  // the pause at whose end the wait runs out
    for (bool answered : {false, true}) {
      Engine e;
      e.mode(row.job.code == kSendActiveArrangementRequest);
      e.plugin.output = [&e, &row](const Bytes& sent) {
        if (sent[4] != row.withheld) e.sim.receive(sent.data(), sent.size(), e.clock->simTime());
      };
      HeldDispatch held(*e.dispatch, row.answer);
      e.manager->setIncomingDispatch(&held);
      std::thread arrival;
      e.clock->onPause = [&](int pause) {
        if (!answered && !e.plugin.showed(kTimedOut)) lastPause = static_cast<size_t>(pause);
        if (answered && static_cast<size_t>(pause) == lastPause) {
          arrival = std::thread([&e, &row] { e.fromDevice(row.answer); });
          held.awaitEntered();
        } else if (answered && static_cast<size_t>(pause) > lastPause) {
          held.release();
        }
      };
      ASSERT_TRUE(e.run(row.job));
      held.release();
      if (arrival.joinable()) arrival.join();
      if (!answered) {
        ASSERT_TRUE(e.plugin.showed(kTimedOut));
        continue;
      }
      EXPECT_EQ(tail(e.plugin, 1), Texts({row.tail}));
      EXPECT_FALSE(e.plugin.showed(kTimedOut));
    }
  }
}

// After a project's push the synthesizer on the id in use is asked for its Global settings, which
// stay out of the editor; its answer puts the editor in step with it, as late as a request's may
// come. Only a push that no synthesizer answered says so, and how to find it without replacing
// the editor's values. A link lost before or during the check is no wrong id: the push's own
// "Data write FAILED!" and the port look speak for it.
TEST(RequestJobs, APushThatNoSynthesizerAnsweredSaysSo) {
  // Another device's Global, as another instance's connection check brings, answers nothing.
  Bytes elsewhere(sysex::globalDumpTemplate().begin(), sysex::globalDumpTemplate().end());
  elsewhere[3] = 9;
  const struct {
    corvane_sim::FaultSetting fault;
    bool answered;
    size_t pauses;
    bool fromElsewhere;
    int linkLostAt;  // the pause at which the link goes, 0 before the check, -1 never
  } rows[] = {{{}, true, 1, false, -1},
              {{Fault::kLate, 1400}, true, 14, false, -1},
              {{Fault::kOtherId, 5}, false, 30, false, -1},
              {{Fault::kOtherId, 5}, false, 30, true, -1},
              {{}, false, 0, false, 0},
              {{Fault::kOtherId, 5}, false, 3, false, 3}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(row.fault.kind) << " " << row.fromElsewhere
                                    << " " << row.linkLostAt);
    Engine e;
    e.plugin.id = 2;
    e.sim.setDeviceId(2);
    e.sim.setFault(row.fault);
    e.plugin.linkLost = row.linkLostAt == 0;
    e.clock->onPause = [&](int pause) {
      if (row.fromElsewhere && pause == 1) e.fromDevice(elsewhere);
      if (pause == row.linkLostAt) e.plugin.linkLost = true;
    };
    ASSERT_TRUE(e.run(job(kCheckPushAnswered)));
    const bool asked = row.linkLostAt != 0, toldNoSynth = !row.answered && row.linkLostAt < 0;
    EXPECT_EQ(e.plugin.sent,
              asked ? std::vector<Bytes>({{0xF0, 0x3E, 0x13, 2, 4, 0xF7}}) : std::vector<Bytes>());
    EXPECT_EQ(e.dispatch->parsed, 0) << "the project's Global stays";
    EXPECT_EQ(e.clock->pauses.size(), row.pauses);
    EXPECT_EQ(e.plugin.inStep, row.answered ? 1 : 0);
    EXPECT_EQ(e.plugin.answered, 0) << "no request's answer: the push is not made again";
    EXPECT_EQ(e.plugin.status(), toldNoSynth ? Texts({"NO SYNTH ANSWERED ON ID 2!"}) : Texts());
    EXPECT_EQ(e.plugin.last(kControlDisplayValue), toldNoSynth ? "Pick MIDI Out to find it" : "");
  }
}

// Answered, a job completes; without an answer it times out; a cancel ends it where it looks at
// the flag.
TEST(RequestJobs, AnswersCompleteSilenceTimesOutAndACancelEndsWhereTheJobLooksAtTheFlag) {
  struct Case {
    SenderJob job;
    bool multi, silent;
    int cancelAt;  // pause number; 0: never
    Texts tail;
    size_t requests, pauses;  // 30 cycles and 128 tries; banks and parts stop at the first
  };
  const std::string noResponse = "No response from corvane!";
  // clang-format off
  const Case cases[] = {
      {job(kSendActiveArrangementRequest, 0, true), true, true, 0, {kTimedOut}, 129, 159}, {job(kSendActiveArrangementRequest), true, true, 0, {kTimedOut}, 1, 101},
      {job(kSendPartRequest), false, true, 0, {kTimedOut}, 129, 160}, {job(kSendSingleMultiRequest), true, true, 0, {kTimedOut}, 129, 158},
      {job(kSendAllMultiRequest), true, true, 0, {kTimedOut}, 129, 158}, {job(kSendSinglePatchRequest), false, true, 0, {kTimedOut}, 129, 158},
      {job(kSendAllPatchRequest), false, true, 0, {kTimedOut}, 129, 158}, {job(kSendDeviceIdEnquiry), false, true, 0, {noResponse}, 129, 158},
      // Every program answered: two pauses each.
      {job(kSendAllPatchRequest), false, false, 0, {"Data request completed!", kUnsaved}, 128, 256},
      {job(kSendAllMultiRequest), true, false, 0, {kCompleted, kUnsaved}, 128, 256},
      // Answered at once: the part request pauses after sending, in its cycle and at its end.
      {job(kSendPartRequest, 3, true), false, false, 0, {kCompleted}, 1, 3}, {job(kSendPartRequest, 3, false), false, false, 0, {kCompleted, kUnsaved}, 1, 3},
      {job(kSendSinglePatchRequest, 0, false, 2), false, false, 0, {kCompleted, kUnsaved}, 1, 1},
      // Three pauses a part: cancelled in part 4, no later part, no Multi, no final text.
      {job(kSendActiveArrangementRequest, 0, true), true, false, 13, {"Please wait! 17% processed.."}, 5, 14},
      // The Multi into the librarian does not look at the flag.
      {job(kSendActiveArrangementRequest), true, false, 1, {kCompleted, kUnsaved}, 1, 2},
      {job(kSendPartRequest, 0, true), false, true, 3, {kCancelled}, 1, 4}, {job(kSendSingleMultiRequest), true, true, 3, {kCancelled}, 1, 3},
      {job(kSendAllMultiRequest), true, true, 3, {kCancelled}, 1, 3}, {job(kSendSinglePatchRequest), false, true, 3, {kCancelled}, 1, 3},
      {job(kSendAllPatchRequest), false, true, 3, {"Data request cancelled!"}, 1, 3},
      // The check looks only while it scans: one id, then the time-out, then the cancel.
      {job(kSendDeviceIdEnquiry), false, true, 3, {noResponse, kCancelled}, 2, 31},
      {job(kSendPartToDevice), false, false, 1, {}, 1, 1}};
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.job.code << " cancelled at " << c.cancelAt);
    Engine e;
    e.mode(c.multi);
    if (c.silent) e.sim.setFault({Fault::kSilent, 0});
    e.clock->onPause = [&](int n) {
      e.manager->sender().cancelRequested = c.cancelAt && n >= c.cancelAt;
    };
    ASSERT_TRUE(e.run(c.job));
    EXPECT_EQ(tail(e.plugin, c.tail.size()), c.tail);
    EXPECT_EQ(e.plugin.sent.size(), c.requests);
    EXPECT_EQ(e.clock->pauses.size(), c.pauses);
    EXPECT_FALSE(e.plugin.overlay);
    EXPECT_EQ(e.plugin.inStep, 0) << "only a whole GET FROM SYNTH";
  }
}

TEST(RequestJobs, Job9ResendsToTheIdAndPartOfTheMoment) {
  for (bool editBuffer : {false, true}) {
    Engine e;
    e.plugin.part = 2;
    e.librarian.selectedProgram = 30;
    e.sim.setFault({Fault::kOtherId, 5});
    e.clock->onPause = [&](int n) {
      if (n == 10) e.plugin.id = 5, e.plugin.part = 6;
    };
    ASSERT_TRUE(e.run(job(kSendSinglePatchRequest, 0, editBuffer, 4)));
    const unsigned char bank = editBuffer ? 0x7F : 4, first = editBuffer ? 2 : 30;
    EXPECT_EQ(e.plugin.sent, std::vector<Bytes>({{0xF0, 0x3E, 0x13, 0, 0, bank, first, 0xF7},
                                                 {0xF0, 0x3E, 0x13, 5, 0, bank,
                                                  (unsigned char)(editBuffer ? 6 : 30), 0xF7}}));
    EXPECT_EQ(e.clock->pauses.size(), 26u) << "25 cycles, then the resend's pause";
    EXPECT_EQ(e.slot(30).name, field(editBuffer ? "Edit 6" : simSound(4, 30)));
  }
}

TEST(RequestJobs, ABankRequestShowsProgressAndStopsAtItsFirstTimeOutKeepingWhatCame) {
  Engine e;
  e.librarian.selectedProgram = 50;
  e.clock->onPause = [&](int) {
    if (e.slot(9).name != slotName(9)) e.sim.setFault({Fault::kSilent, 0});
  };
  ASSERT_TRUE(e.run(job(kSendAllPatchRequest)));
  EXPECT_EQ(e.slot(9).name, field(simSound(0, 9)));
  EXPECT_EQ(e.slot(10).name, slotName(10));
  ASSERT_EQ(e.plugin.sent.size(), 10u + 1 + 128) << "program 10 once and its scan, then nothing";
  EXPECT_EQ(e.plugin.sent.back()[6], 10);
  // One pause for the answer, one more before the next program is asked for.
  EXPECT_EQ(e.plugin.sentAt[1] - e.plugin.sentAt[0],
            2 * MIDIMessageSender::getTimerValue(e.plugin));
  EXPECT_EQ(e.plugin.values[kBankEditUnsaved], 1.0);
  EXPECT_EQ(tail(e.plugin, 2), Texts({kUnsaved, kTimedOut}));
  EXPECT_EQ(Texts(e.plugin.status().begin(), e.plugin.status().begin() + 2),
            Texts({"Please wait! 0% received..", "Please wait! 0.78125% received.."}));
  EXPECT_EQ(e.librarian.selectedProgram, 0);
}

TEST(RequestJobs, ACancelledBankRequestPutsBackOnlyTheSlotsItChanged) {
  Engine e;
  e.slot(100).name = "My Edit";
  e.slot(2).name = "Edited Too";
  e.clock->onPause = [&](int) {
    if (e.slot(4).name != slotName(4)) e.manager->sender().cancelRequested = true;
  };
  ASSERT_TRUE(e.run(job(kSendAllPatchRequest, 0, false, 1)));
  EXPECT_EQ(e.plugin.sent.size(), 5u);
  for (int i = 0; i < 128; ++i) {
    ASSERT_EQ(e.slot(i).name, i == 100 ? "My Edit" : i == 2 ? "Edited Too" : slotName(i));
    ASSERT_EQ(e.slot(i).messages[0].bytes, namedDump(false, slotName(i), 0, i));
  }
  EXPECT_EQ(e.plugin.last(), "Data request cancelled!");
  EXPECT_EQ(e.plugin.values[kBankEditUnsaved], 0.0);
  EXPECT_EQ(e.plugin.refills.back(), 0);
}

// The jobs that fill librarian slots, and the kind of bank each fills.
struct IntoLibrarian {
  SenderJob job;
  bool multi;
};
const IntoLibrarian kIntoLibrarian[] = {{job(kSendPartRequest), false},
                                        {job(kSendSinglePatchRequest), false},
                                        {job(kSendAllPatchRequest), false},
                                        {job(kSendSingleMultiRequest), true},
                                        {job(kSendAllMultiRequest), true},
                                        {job(kSendActiveArrangementRequest), true},
                                        {job(kSendPartToDevice, 0, true), false},
                                        {job(kSendArrangementToDevice, 0, true), true},
                                        {job(kInitPerformance), true},
                                        {job(kInitClassicPatch), false}};

// Without a bank of its kind in the upper list (none there, or one of the other kind) a job into
// the librarian is refused before it sends or waits for anything, and a collector armed by its
// starter takes nothing after it.
TEST(LibrarianJobs, WithoutABankOfItsKindAJobIntoTheLibrarianSendsNothing) {
  for (const IntoLibrarian& c : kIntoLibrarian)
    for (bool otherKind : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.job.code << (otherKind ? " other kind" : " no bank"));
      Engine e;
      e.mode(c.multi != otherKind);
      if (!otherKind) e.librarian.upperFileIndex = 1;
      // The send jobs free the sender on every path.
      const bool send = c.job.code == kSendPartToDevice || c.job.code == kSendArrangementToDevice;
      ASSERT_TRUE(e.run(c.job, [&] { e.manager->soundSendBusy = send; }));
      EXPECT_TRUE(e.plugin.sent.empty());
      EXPECT_TRUE(e.clock->pauses.empty());
      EXPECT_EQ(e.plugin.status(), Texts({kNoBank}));
      EXPECT_EQ(e.plugin.values[kBankEditUnsaved], 0.0);
      EXPECT_FALSE(e.manager->soundSendBusy);
    }
  Engine e;
  e.librarian.upperFileIndex = 1;
  ASSERT_TRUE(e.manager->sendSinglePatchRequestSysexFromLibrarian(false, 0) && e.idle());
  e.librarian.upperFileIndex = 0;
  e.fromDevice(namedDump(false, "Late", 0, 0));
  EXPECT_EQ(e.slot(0).name, slotName(0));
}

// An answer, or a dump handed over, that no slot takes (the selected slot lies outside the bank)
// is no completion: "Slot update FAILED!", and the bank stays saved. A bank request stops at the
// first answer no slot takes (its bank reloaded meanwhile), keeping the slots filled before it.
TEST(LibrarianJobs, WhatNoSlotTakesIsNoCompletion) {
  for (const IntoLibrarian& c : kIntoLibrarian) {
    SCOPED_TRACE(c.job.code);
    const bool bank = c.job.code == kSendAllPatchRequest || c.job.code == kSendAllMultiRequest;
    Engine e;
    e.mode(c.multi);
    PatchFileList& files = c.multi ? e.librarian.multiFiles : e.librarian.soundFiles;
    PatchFile* const filled = files[0];
    if (bank)
      e.clock->onPause = [&](int) {
        if (files.contains(filled) && filled->records[9].name != slotName(9)) {
          files.push_back(filled->clone());
          files.drop(filled);
        }
      };
    else
      e.librarian.selectedProgram = -1;
    ASSERT_TRUE(e.run(c.job));
    EXPECT_EQ(tail(e.plugin, 2).back(), kNotStored);
    EXPECT_FALSE(e.plugin.showed(kCompleted) || e.plugin.showed("Data request completed!"));
    EXPECT_EQ(e.plugin.showed(kUnsaved), bank);
    EXPECT_EQ(e.plugin.values[kBankEditUnsaved], bank ? 1.0 : 0.0);
    if (!bank) continue;
    EXPECT_EQ(e.plugin.sent.size(), 11u);
    EXPECT_EQ(e.slot(10, c.multi).name, slotName(10));
    EXPECT_EQ(e.log.lines.back(), "10 of 128 slot(s) received");
  }
}

// An answer in the last pause counts before the time-out: 25 cycles, 128 resends, cycles 26 to
// 30. Like every reader of dumps, the collector leaves the checksum alone.
TEST(RequestJobs, EverySimulatorFaultEndsInAStatusTextAndOnlyWholeDumpsAreStored) {
  struct Case {
    corvane_sim::FaultSetting fault;
    int answerAt;  // the pause in which a whole dump comes from elsewhere; 0: none
    bool stored;
  };
  // clang-format off
  const Case cases[] = {{{Fault::kLate, 350}, 0, true}, {{Fault::kLate, 60000}, 0, false}, {{Fault::kTruncate, 391}, 0, false},
                        {{Fault::kWrongType, 0}, 0, false}, {{Fault::kBadChecksum, 0}, 0, true}, {{Fault::kSilent, 0}, 158, true},
                        {{Fault::kLate, 2450}, 0, true}};  // in the 25th pause: one slot, stored twice
  // clang-format on
  const Bytes dump = namedDump(false, simSound(0, 5), 0, 5);
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault.kind));
    Engine e;
    e.librarian.selectedProgram = 5;
    e.sim.setFault(c.fault);
    e.clock->onPause = [&](int n) {
      if (n == c.answerAt) e.fromDevice(dump);
    };
    ASSERT_TRUE(e.run(job(kSendSinglePatchRequest)));
    EXPECT_EQ(e.plugin.last(), c.stored ? kUnsaved : kTimedOut);
    e.clock->pause(120000);  // what is still on its way arrives after the end
    EXPECT_EQ(e.slot(5).name, c.stored ? field(simSound(0, 5)) : slotName(5));
    EXPECT_EQ(e.slot(5).messages.size(), 1u);
  }
}

// The library timer's choices set the pause of each wait; a choice past them waits 100 ms. The
// Multi into the librarian waits 25 ms for its answer, then half the timer's pause.
TEST(RequestJobs, TheLibraryTimerSetsThePauses) {
  const struct {
    SenderJob job;
    bool multi;
    int choice;
    std::vector<int> pauses;
  } rows[] = {{job(kSendSinglePatchRequest), false, 0, {50}},
              {job(kSendSinglePatchRequest), false, 3, {150}},
              {job(kSendSinglePatchRequest), false, 7, {500}},
              {job(kSendSinglePatchRequest), false, 8, {100}},
              {job(kSendPartRequest, 3, false), false, 1, {75, 75, 75}},
              {job(kSendActiveArrangementRequest), true, 3, {25, 75}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.job.code << " timer " << row.choice);
    Engine e;
    e.mode(row.multi);
    e.plugin.values[kLibSyncTimer] = row.choice;
    ASSERT_TRUE(e.run(row.job));
    EXPECT_EQ(e.clock->pauses, row.pauses);
  }
}

// A part outside the sixteen sends nothing and leaves the sender free.
TEST(PartSend, APartOutsideTheSixteenSendsNothing) {
  for (int part : {-1, 16}) {
    Engine e;
    ASSERT_TRUE(e.run(job(kSendPartToDevice, part), [&] { e.manager->soundSendBusy = true; }));
    EXPECT_TRUE(e.plugin.sent.empty()) << part;
    EXPECT_FALSE(e.manager->soundSendBusy) << part;
  }
}

TEST(PartSend, ToTheEditBufferOrIntoTheSelectedSlot) {
  for (bool toLibrarian : {false, true}) {
    Engine e;
    e.plugin.part = 3;
    e.plugin.names[kPatchName + 3] = "Glass Bells And More";
    e.plugin.values[kCategoryName + 3] = 6;
    e.plugin.values[kMultiPartBank + 3] = 2;
    e.librarian.selectedProgram = 45;
    bool busy = false, shown = false;
    e.clock->onPause = [&](int) { busy = e.manager->soundSendBusy, shown = e.plugin.overlay; };
    ASSERT_TRUE(
        e.run(job(kSendPartToDevice, 3, toLibrarian), [&] { e.manager->soundSendBusy = true; }));
    const Bytes dump = toLibrarian ? e.slot(45).messages[0].bytes : e.sim.received().at(0).bytes;
    const unsigned char bank = toLibrarian ? 2 : 0x7F, program = toLibrarian ? 45 : 3;
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 7),
              Bytes({0xF0, 0x3E, 0x13, 0, 0x10, bank, program}));
    EXPECT_EQ(std::string(dump.begin() + 370, dump.begin() + 386), "Glass Bells And ");
    EXPECT_EQ(dump[390], toLibrarian ? 0x7F : sysex::dumpChecksum(dump.data(), 392));
    EXPECT_EQ(e.sim.soundEditBuffer(3)[370], toLibrarian ? 'E' : 'G') << "taken when sent";
    EXPECT_EQ(e.clock->pauses, toLibrarian ? std::vector<int>() : std::vector<int>({150}));
    EXPECT_EQ(busy, !toLibrarian) << "the busy flag clears after the pause";
    EXPECT_EQ(shown, !toLibrarian) << "busy while it settles";
    EXPECT_FALSE(e.plugin.overlay);
    EXPECT_FALSE(e.manager->soundSendBusy);
    EXPECT_EQ(e.plugin.nameSlots[4], "Glass Bells And More");
    EXPECT_EQ(e.plugin.nameSlots[22], "Keys");
    EXPECT_EQ(e.plugin.last(kControlDisplayPatch), "Glass Bells And More");
    EXPECT_EQ(e.plugin.last(), toLibrarian ? kUnsaved : "");
  }
}

}  // namespace
