#include "tools/corvane-sim/Simulator.h"

#include <gtest/gtest.h>

#include <thread>

#include "src/protocol/SysExFormat.h"

namespace corvane_sim {
namespace {

using namespace std::chrono_literals;

const Clock::time_point kT0 = Clock::time_point() + 1h;

Bytes soundRequest(int id, int bank, int program) {
  return {0xF0,
          0x3E,
          0x13,
          static_cast<unsigned char>(id),
          0x00,
          static_cast<unsigned char>(bank),
          static_cast<unsigned char>(program),
          0xF7};
}

Bytes multiRequest(int id, int bank, int number) {
  Bytes request = soundRequest(id, bank, number);
  request[4] = 0x01;
  return request;
}

Bytes globalRequest(int id) {
  return {0xF0, 0x3E, 0x13, static_cast<unsigned char>(id), 0x04, 0xF7};
}

Bytes parameterChange(int id, int type, int location, int high, int low, int value) {
  return {0xF0,
          0x3E,
          0x13,
          static_cast<unsigned char>(id),
          static_cast<unsigned char>(type),
          static_cast<unsigned char>(location),
          static_cast<unsigned char>(high),
          static_cast<unsigned char>(low),
          static_cast<unsigned char>(value),
          0xF7};
}

// A dump of the given kind, filled with a recognisable pattern and a correct checksum.
Bytes patternDump(int size, int type, int id, int bank, int program, int seed) {
  Bytes dump(size);
  dump[0] = 0xF0;
  dump[1] = 0x3E;
  dump[2] = 0x13;
  dump[3] = static_cast<unsigned char>(id);
  dump[4] = static_cast<unsigned char>(type);
  dump[5] = static_cast<unsigned char>(bank);
  dump[6] = static_cast<unsigned char>(program);
  for (int i = 7; i < size - 2; ++i) dump[i] = static_cast<unsigned char>((i * 7 + seed) & 0x7F);
  dump[size - 2] = sysex::dumpChecksum(dump.data(), size);
  dump[size - 1] = 0xF7;
  return dump;
}

class SimulatorTest : public ::testing::Test {
 protected:
  void send(const Bytes& message, Clock::time_point when = kT0) {
    sim.receive(message.data(), message.size(), when);
  }
  // The answers due right after kT0.
  std::vector<Bytes> answers() { return sim.takeDue(kT0); }
  Bytes onlyAnswer() {
    std::vector<Bytes> due = answers();
    EXPECT_EQ(due.size(), 1u);
    return due.empty() ? Bytes() : due.front();
  }

  Simulator sim{5};
};

void expectWellFormedDump(const Bytes& dump, int size, int type, int id) {
  ASSERT_EQ(static_cast<int>(dump.size()), size);
  EXPECT_EQ(dump[0], 0xF0);
  EXPECT_EQ(dump[1], 0x3E);
  EXPECT_EQ(dump[2], 0x13);
  EXPECT_EQ(dump[3], id);
  EXPECT_EQ(dump[4], type);
  EXPECT_EQ(dump[size - 2], sysex::dumpChecksum(dump.data(), size));
  EXPECT_EQ(dump[size - 1], 0xF7);
  for (int i = 1; i < size - 1; ++i) ASSERT_LT(dump[i], 0x80) << "at " << i;
}

TEST_F(SimulatorTest, AnswersEachRequestWithItsDump) {
  send(soundRequest(5, 0x7F, 11));
  Bytes sound = onlyAnswer();
  expectWellFormedDump(sound, 392, 0x10, 5);
  EXPECT_EQ(sound[5], 0x7F);
  EXPECT_EQ(sound[6], 11);
  EXPECT_EQ(std::string(sound.begin() + 370, sound.begin() + 386), "Init            ");

  send(soundRequest(5, 7, 127));
  sound = onlyAnswer();
  expectWellFormedDump(sound, 392, 0x10, 5);
  EXPECT_EQ(sound[5], 7);
  EXPECT_EQ(sound[6], 127);

  send(multiRequest(5, 0x7F, 0));
  Bytes multi = onlyAnswer();
  expectWellFormedDump(multi, 425, 0x11, 5);
  EXPECT_EQ(multi[5], 0x7F);
  EXPECT_EQ(multi[6], 0);

  send(multiRequest(5, 0, 42));
  multi = onlyAnswer();
  expectWellFormedDump(multi, 425, 0x11, 5);
  EXPECT_EQ(multi[5], 0);
  EXPECT_EQ(multi[6], 42);

  send(globalRequest(5));
  Bytes global = onlyAnswer();
  expectWellFormedDump(global, 80, 0x14, 5);
  EXPECT_EQ(global[5], 0x06);  // the record's own bytes, not a bank
  EXPECT_EQ(global[42], 5);    // the device id it holds
}

TEST_F(SimulatorTest, IgnoresOtherIdsAndMalformedRequests) {
  send(soundRequest(4, 0x7F, 0));
  send(multiRequest(0, 0x7F, 0));
  send(globalRequest(127));
  Bytes unframed = globalRequest(5);
  unframed.pop_back();
  send(unframed);
  send(soundRequest(5, 0x7F, 16));  // no seventeenth part
  send(soundRequest(5, 8, 0));      // no ninth bank
  send(multiRequest(5, 1, 0));      // multis live in bank 0 only
  EXPECT_TRUE(answers().empty());
  EXPECT_EQ(sim.received().size(), 7u);
}

TEST_F(SimulatorTest, StoresIncomingDumpsWhereTheyAreAddressed) {
  const Bytes edit = patternDump(392, 0x10, 5, 0x7F, 9, 1);
  const Bytes stored = patternDump(392, 0x10, 5, 2, 77, 2);
  const Bytes multiEdit = patternDump(425, 0x11, 5, 0x7F, 0, 3);
  const Bytes multiStored = patternDump(425, 0x11, 5, 0, 100, 4);
  for (const Bytes* dump : {&edit, &stored, &multiEdit, &multiStored}) send(*dump);

  EXPECT_TRUE(std::equal(edit.begin(), edit.end(), sim.soundEditBuffer(9).begin()));
  EXPECT_TRUE(std::equal(stored.begin(), stored.end(), sim.storedSound(2, 77).begin()));
  EXPECT_TRUE(std::equal(multiEdit.begin(), multiEdit.end(), sim.multiEditBuffer().begin()));
  EXPECT_TRUE(std::equal(multiStored.begin(), multiStored.end(), sim.storedMulti(100).begin()));

  // What was stored comes back on request, with the simulator's header.
  send(soundRequest(5, 2, 77));
  EXPECT_EQ(onlyAnswer(), stored);
}

TEST_F(SimulatorTest, RefusesDumpsThatAreDamagedOrForAnotherId) {
  const auto before = sim.soundEditBuffer(1);
  Bytes badSum = patternDump(392, 0x10, 5, 0x7F, 1, 1);
  badSum[390] ^= 1;
  Bytes highByte = patternDump(392, 0x10, 5, 0x7F, 1, 1);
  highByte[200] = 0x80;
  Bytes otherId = patternDump(392, 0x10, 6, 0x7F, 1, 1);
  Bytes shortDump = patternDump(391, 0x10, 5, 0x7F, 1, 1);
  for (const Bytes* dump : {&badSum, &highByte, &otherId, &shortDump}) send(*dump);
  EXPECT_EQ(sim.soundEditBuffer(1), before);
  Bytes placeholder = patternDump(392, 0x10, 5, 0x7F, 1, 1);
  placeholder[390] = 0x7F;
  send(placeholder);
  EXPECT_EQ(sim.soundEditBuffer(1)[390], 0x7F) << "the placeholder is taken";
}

TEST_F(SimulatorTest, DumpHeadersTooShortForBankAndProgramAreIgnored) {
  const auto sound = sim.soundEditBuffer(0);
  const auto multi = sim.multiEditBuffer();
  const auto global = sim.globalRecord();
  for (int type : {0x10, 0x11, 0x14}) {
    // Exactly six bytes, so that a read of the program byte would leave the message.
    const Bytes stub{0xF0, 0x3E, 0x13, 0x05, static_cast<unsigned char>(type), 0xF7};
    send(stub);
  }
  EXPECT_EQ(sim.soundEditBuffer(0), sound);
  EXPECT_EQ(sim.multiEditBuffer(), multi);
  EXPECT_EQ(sim.globalRecord(), global);
  EXPECT_EQ(sim.deviceId(), 5);
}

TEST_F(SimulatorTest, GlobalDumpIsStoredAndItsIdTakesEffect) {
  Bytes global = patternDump(80, 0x14, 5, 0x06, 0x01, 5);
  global[42] = 9;
  global[78] = 0x7F;  // Global dumps travel without a checksum
  send(global);
  EXPECT_EQ(sim.deviceId(), 9);
  send(globalRequest(5));
  EXPECT_TRUE(answers().empty());
  send(globalRequest(9));
  const Bytes answer = onlyAnswer();
  EXPECT_TRUE(std::equal(global.begin() + 5, global.begin() + 78, answer.begin() + 5));
}

TEST_F(SimulatorTest, AppliesParameterChangesAtTheirAddresses) {
  send(parameterChange(5, 0x20, 3, 1, 0, 0x22));     // sound address 128 → byte 135
  send(parameterChange(5, 0x20, 15, 0, 1, 0x30));    // sound address 1 → byte 8
  send(parameterChange(5, 0x21, 2, 0, 7, 0x0B));     // part 2's channel byte
  send(parameterChange(5, 0x24, 0, 6, 0, 0x41));     // Global transpose
  send(parameterChange(5, 0x21, 0, 1, 25, 0x3C));    // the Multi's tempo
  send(parameterChange(5, 0x24, 0, 0x7F, 0, 0x12));  // one before Global byte 40
  EXPECT_EQ(sim.soundEditBuffer(3)[135], 0x22);
  EXPECT_EQ(sim.soundEditBuffer(15)[8], 0x30);
  EXPECT_EQ(sim.multiEditBuffer()[39 + 48 + 7], 0x0B);
  EXPECT_EQ(sim.globalRecord()[46], 0x41);
  EXPECT_EQ(sim.multiEditBuffer()[25], 0x3C);
  EXPECT_EQ(sim.globalRecord()[39], 0x12);

  // The changed byte goes out with the next dump, under a fresh checksum.
  send(soundRequest(5, 0x7F, 3));
  const Bytes sound = onlyAnswer();
  EXPECT_EQ(sound[135], 0x22);
  EXPECT_EQ(sound[390], sysex::dumpChecksum(sound.data(), 392));
}

// The oscillators' CC bytes follow the controller in every part listening on its channel: part 2
// on channel 3 (its default), part 0 on the Global channel, part 1 on Omni.
TEST_F(SimulatorTest, ControllersSetTheOscillatorBytesOfTheListeningParts) {
  send(parameterChange(5, 0x21, 0, 0, 7, 0));  // part 0 follows the Global channel
  send(parameterChange(5, 0x21, 1, 0, 7, 1));  // part 1 hears every channel
  send(parameterChange(5, 0x24, 0, 1, 0, 3));  // the Global channel: 3
  const struct {
    int controller, offset;
  } table[] = {{27, 8}, {28, 9}, {31, 15}, {35, 24}, {36, 25}, {39, 31}, {42, 40}, {43, 41}};
  for (const auto& row : table) {
    const auto before = sim.soundEditBuffer(3);
    send({0xB2, static_cast<unsigned char>(row.controller), 0x2A});
    for (int part : {0, 1, 2})
      EXPECT_EQ(sim.soundEditBuffer(part)[row.offset], 0x2A) << row.controller;
    EXPECT_EQ(sim.soundEditBuffer(3), before) << "part 3 listens on channel 4";
  }
  const auto sound = sim.soundEditBuffer(2);
  send({0xB2, 74, 0x10});  // a controller without a sound byte
  send({0xB2, 27, 0x80});  // not a data byte
  send({0xB2, 27});        // short
  EXPECT_EQ(sim.soundEditBuffer(2), sound);
}

// A program change on a part's channel loads the sound stored under the bank its channel selected.
TEST_F(SimulatorTest, ProgramChangesLoadTheStoredSoundOfTheSelectedBank) {
  const Bytes stored = patternDump(392, 0x10, 5, 3, 9, 2);
  send(stored);
  send({0xB2, 0, 3});  // bank D on channel 3, where part 2 listens
  send({0xC2, 9});
  EXPECT_EQ(sim.soundEditBuffer(2)[100], stored[100]);
  EXPECT_NE(sim.soundEditBuffer(3)[100], stored[100]);
  const auto before = sim.soundEditBuffer(2);
  send({0xB2, 0, 8});  // no such bank
  send({0xC2, 9});
  send({0xC2, 0x80});  // not a program
  EXPECT_EQ(sim.soundEditBuffer(2), before);
}

TEST_F(SimulatorTest, ResetPutsTheEditBuffersBackButKeepsMemoryAndGlobal) {
  const Simulator fresh(5);
  send(parameterChange(5, 0x20, 3, 0, 1, 0x30));
  send(parameterChange(5, 0x21, 2, 0, 7, 0x0B));
  send(parameterChange(5, 0x24, 0, 6, 0, 0x41));
  send(patternDump(392, 0x10, 5, 2, 9, 1));
  sim.resetEditBuffers();
  EXPECT_EQ(sim.soundEditBuffer(3), fresh.soundEditBuffer(3));
  EXPECT_EQ(sim.multiEditBuffer(), fresh.multiEditBuffer());
  EXPECT_EQ(sim.globalRecord()[46], 0x41);
  EXPECT_EQ(sim.storedSound(2, 9)[7], patternDump(392, 0x10, 5, 2, 9, 1)[7]);
}

TEST_F(SimulatorTest, IgnoresParameterChangesOutsideItsRecords) {
  const auto sound = sim.soundEditBuffer(0);
  const auto multi = sim.multiEditBuffer();
  const auto global = sim.globalRecord();
  send(parameterChange(4, 0x20, 0, 0, 1, 0x11));     // another id
  send(parameterChange(5, 0x20, 16, 0, 1, 0x11));    // no part 16
  send(parameterChange(5, 0x20, 0, 3, 0, 0x11));     // past the name and category
  send(parameterChange(5, 0x21, 0, 0, 24, 0x11));    // past the part record
  send(parameterChange(5, 0x24, 0, 38, 0, 0x11));    // the Global checksum place
  send(parameterChange(5, 0x24, 0, 0x7E, 0, 0x11));  // two before Global byte 40
  send(parameterChange(5, 0x21, 0, 1, 6, 0x11));     // the Multi's header
  send(parameterChange(5, 0x21, 0, 1, 39, 0x11));    // part records by their own address
  send(parameterChange(5, 0x22, 0, 0, 1, 0x11));     // unknown type
  EXPECT_EQ(sim.soundEditBuffer(0), sound);
  EXPECT_EQ(sim.multiEditBuffer(), multi);
  EXPECT_EQ(sim.globalRecord(), global);
}

TEST_F(SimulatorTest, RecordsEverythingWithItsArrivalTime) {
  send({0xF8}, kT0);
  send({0xFA}, kT0 + 1ms);
  send({0x90, 0x40, 0x7F}, kT0 + 2ms);
  send(globalRequest(3), kT0 + 3ms);
  const std::vector<ReceivedMessage> log = sim.received();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].bytes, Bytes({0xF8}));
  EXPECT_EQ(log[1].bytes, Bytes({0xFA}));
  EXPECT_EQ(log[2].bytes, Bytes({0x90, 0x40, 0x7F}));
  EXPECT_EQ(log[3].bytes, globalRequest(3));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(log[i].time, kT0 + std::chrono::milliseconds(i));
  sim.clearReceived();
  EXPECT_TRUE(sim.received().empty());
}

TEST_F(SimulatorTest, FaultSilentAnswersNothingButStillStores) {
  sim.setFault({Fault::kSilent, 0});
  send(globalRequest(5));
  send(parameterChange(5, 0x20, 0, 0, 1, 0x12));
  EXPECT_TRUE(answers().empty());
  EXPECT_EQ(sim.soundEditBuffer(0)[8], 0x12);
  sim.setFault({});
  send(globalRequest(5));
  EXPECT_EQ(answers().size(), 1u);
}

TEST_F(SimulatorTest, FaultLateHoldsTheAnswerBack) {
  EXPECT_EQ(sim.nextDue(), Clock::time_point::max());
  sim.setFault({Fault::kLate, 400});
  send(globalRequest(5));
  EXPECT_EQ(sim.nextDue(), kT0 + 400ms);
  EXPECT_TRUE(sim.takeDue(kT0 + 399ms).empty());
  const std::vector<Bytes> due = sim.takeDue(kT0 + 400ms);
  ASSERT_EQ(due.size(), 1u);
  expectWellFormedDump(due[0], 80, 0x14, 5);
  EXPECT_TRUE(sim.takeDue(kT0 + 1h).empty());
}

TEST_F(SimulatorTest, FaultOtherIdAnswersOnlyThatId) {
  sim.setFault({Fault::kOtherId, 12});
  send(soundRequest(5, 0x7F, 0));
  EXPECT_TRUE(answers().empty());
  send(soundRequest(12, 0x7F, 0));
  expectWellFormedDump(onlyAnswer(), 392, 0x10, 5);
}

TEST_F(SimulatorTest, FaultTruncateCutsTheDumpAndClosesIt) {
  sim.setFault({Fault::kTruncate, 100});
  send(soundRequest(5, 0x7F, 0));
  Bytes cut = onlyAnswer();
  ASSERT_EQ(cut.size(), 100u);
  EXPECT_EQ(cut[0], 0xF0);
  EXPECT_EQ(cut[99], 0xF7);

  sim.setFault({Fault::kTruncate, 0});
  send(multiRequest(5, 0x7F, 0));
  cut = onlyAnswer();
  EXPECT_EQ(cut.size(), 212u);
  EXPECT_EQ(cut.back(), 0xF7);
}

TEST_F(SimulatorTest, FaultWrongTypeChangesOnlyTheTypeByte) {
  sim.setFault({Fault::kWrongType, 0});
  send(soundRequest(5, 0x7F, 0));
  send(multiRequest(5, 0x7F, 0));
  send(globalRequest(5));
  const std::vector<Bytes> due = answers();
  ASSERT_EQ(due.size(), 3u);
  EXPECT_EQ(due[0].size(), 392u);
  EXPECT_EQ(due[0][4], 0x11);
  EXPECT_EQ(due[1].size(), 425u);
  EXPECT_EQ(due[1][4], 0x14);
  EXPECT_EQ(due[2].size(), 80u);
  EXPECT_EQ(due[2][4], 0x10);
}

TEST_F(SimulatorTest, FaultBadChecksumIsOneOff) {
  sim.setFault({Fault::kBadChecksum, 0});
  send(soundRequest(5, 0x7F, 0));
  const Bytes dump = onlyAnswer();
  ASSERT_EQ(dump.size(), 392u);
  EXPECT_EQ(dump[390], (sysex::dumpChecksum(dump.data(), 392) + 1) & 0x7F);
  EXPECT_LT(dump[390], 0x80);
}

TEST(SimulatorThreads, ReceivesAndAnswersFromSeveralThreads) {
  Simulator sim(0);
  const Bytes request = globalRequest(0);
  std::thread writer([&] {
    for (int i = 0; i < 200; ++i) sim.receive(request.data(), request.size(), Clock::now());
  });
  std::size_t answered = 0;
  const Clock::time_point giveUp = Clock::now() + 10s;
  while (answered < 200 && Clock::now() < giveUp) answered += sim.takeDue(Clock::now() + 1h).size();
  writer.join();
  answered += sim.takeDue(Clock::now() + 1h).size();
  EXPECT_EQ(answered, 200u);
  EXPECT_EQ(sim.received().size(), 200u);
}

}  // namespace
}  // namespace corvane_sim
