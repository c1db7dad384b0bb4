// What the end-to-end tests take from the simulator: its answers, what it stores, its faults,
// its log; written from the synthesizer's documented messages.
#include "tools/corvane-sim/Simulator.h"

#include <gtest/gtest.h>

#include <thread>

#include "src/protocol/SysExFormat.h"

namespace corvane_sim {
namespace {

using namespace std::chrono_literals;

const Clock::time_point kT0 = Clock::time_point() + 1h;

Bytes message(std::initializer_list<int> body) {
  Bytes m{0xF0, 0x3E, 0x13};
  for (int b : body) m.push_back(static_cast<unsigned char>(b));
  m.push_back(0xF7);
  return m;
}

// A dump with a pattern in its data bytes and a correct checksum.
Bytes patternDump(int size, int type, int id, int bank, int program, int seed) {
  Bytes dump = message({id, type, bank, program});
  dump.resize(size);
  for (int i = 7; i < size - 2; ++i) dump[i] = static_cast<unsigned char>((i * 7 + seed) & 0x7F);
  dump[size - 2] = sysex::dumpChecksum(dump.data(), size);
  dump[size - 1] = 0xF7;
  return dump;
}

template <std::size_t N>
Bytes bytesOf(const std::array<unsigned char, N>& dump) {
  return Bytes(dump.begin(), dump.end());
}

class SimulatorTest : public ::testing::Test {
 protected:
  void send(const Bytes& m, Clock::time_point when = kT0) { sim.receive(m.data(), m.size(), when); }
  std::vector<Bytes> answers() { return sim.takeDue(kT0); }
  // Every record, to see that something changed none of them.
  std::vector<Bytes> records() {
    return {bytesOf(sim.soundEditBuffer(0)), bytesOf(sim.storedSound(2, 77)),
            bytesOf(sim.multiEditBuffer()), bytesOf(sim.storedMulti(100)),
            bytesOf(sim.globalRecord())};
  }

  Simulator sim{5};
};

TEST_F(SimulatorTest, AnswersRequestsToItsIdWithTheirDumpUnderAFreshChecksum) {
  struct Case {
    Bytes request;
    size_t size;
    int type, bank, program;
  };
  const Case cases[] = {{message({5, 0x00, 0x7F, 11}), 392, 0x10, 0x7F, 11},
                        {message({5, 0x00, 7, 127}), 392, 0x10, 7, 127},
                        {message({5, 0x01, 0x7F, 0}), 425, 0x11, 0x7F, 0},
                        {message({5, 0x01, 0, 42}), 425, 0x11, 0, 42},
                        {message({5, 0x04}), 80, 0x14, 0x06, 0x01}};  // the record's own bytes
  for (const Case& c : cases) {
    send(c.request);
    const std::vector<Bytes> due = answers();
    ASSERT_EQ(due.size(), 1u);
    const Bytes& dump = due[0];
    ASSERT_EQ(dump.size(), c.size);
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 7),
              Bytes({0xF0, 0x3E, 0x13, 5, (unsigned char)c.type, (unsigned char)c.bank,
                     (unsigned char)c.program}));
    EXPECT_EQ(dump[c.size - 2], sysex::dumpChecksum(dump.data(), int(c.size)));
    EXPECT_EQ(dump.back(), 0xF7);
  }
  EXPECT_EQ(sim.globalRecord()[42], 5) << "the Global record holds the id";
  for (const Bytes& ignored :
       {message({4, 0x00, 0x7F, 0}), message({0, 0x01, 0x7F, 0}), message({127, 0x04}),
        Bytes{0xF0, 0x3E, 0x13, 5, 0x04}, message({5, 0x00, 0x7F, 16}), message({5, 0x00, 8, 0}),
        message({5, 0x01, 1, 0})})
    send(ignored);
  EXPECT_TRUE(answers().empty());
  EXPECT_EQ(sim.received().size(), 12u) << "logged all the same";
}

TEST_F(SimulatorTest, StoresWholeDumpsWhereTheyAreAddressedAndNothingElse) {
  const std::vector<Bytes> before = records();
  Bytes badSum = patternDump(392, 0x10, 5, 2, 77, 1), highByte = badSum;
  badSum[390] ^= 1;
  highByte[200] = 0x80;
  for (const Bytes& refused :
       {badSum, highByte, patternDump(392, 0x10, 6, 2, 77, 1), patternDump(391, 0x10, 5, 2, 77, 1),
        patternDump(424, 0x11, 5, 0, 100, 1), message({5, 0x10}), message({5, 0x11}),
        message({5, 0x14})})  // six bytes: no bank or program to read
    send(refused);
  EXPECT_EQ(records(), before);
  EXPECT_EQ(sim.deviceId(), 5);

  const Bytes edit = patternDump(392, 0x10, 5, 0x7F, 0, 1),
              multi = patternDump(425, 0x11, 5, 0, 100, 3);
  Bytes stored = patternDump(392, 0x10, 5, 2, 77, 2),
        multiEdit = patternDump(425, 0x11, 5, 0x7F, 0, 4);
  multiEdit[423] = 0x7F;  // the placeholder the editor's init dumps carry
  for (const Bytes& dump : {edit, stored, multiEdit, multi}) send(dump);
  EXPECT_EQ(records(), std::vector<Bytes>({edit, stored, multiEdit, multi, before[4]}));
  send(message({5, 0x00, 2, 77}));
  EXPECT_EQ(answers(), std::vector<Bytes>({stored}));

  Bytes global = patternDump(80, 0x14, 5, 0x06, 0x01, 5);
  global[42] = 9;
  global[78] = 0x7F;  // no checksum travels with it
  send(global);
  EXPECT_EQ(sim.deviceId(), 9);
  send(message({5, 0x04}));
  EXPECT_TRUE(answers().empty());
  send(message({9, 0x04}));
  const std::vector<Bytes> due = answers();
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(Bytes(due[0].begin() + 5, due[0].begin() + 78),
            Bytes(global.begin() + 5, global.begin() + 78));
}

TEST_F(SimulatorTest, ParameterChangesLandAtTheirAddresses) {
  const std::vector<Bytes> before = records();
  for (const Bytes& ignored :
       {message({4, 0x20, 0, 0, 1, 0x11}),      // another id
        message({5, 0x20, 16, 0, 1, 0x11}),     // no part 16
        message({5, 0x20, 0, 3, 0, 0x11}),      // past the name and category
        message({5, 0x21, 0, 0, 24, 0x11}),     // past the part record
        message({5, 0x24, 0, 38, 0, 0x11}),     // the Global checksum place
        message({5, 0x24, 0, 0x7E, 0, 0x11}),   // two before Global byte 40
        message({5, 0x21, 0, 1, 6, 0x11}),      // the Multi's header
        message({5, 0x21, 0, 1, 39, 0x11}),     // part records by their own address
        message({5, 0x22, 0, 0, 1, 0x11}),      // unknown type
        message({5, 0x20, 0, 0, 1, 0x11, 0})})  // eleven bytes
    send(ignored);
  EXPECT_EQ(records(), before);

  send(message({5, 0x20, 3, 1, 0, 0x22}));     // sound address 128: byte 135
  send(message({5, 0x20, 15, 0, 1, 0x30}));    // sound address 1: byte 8
  send(message({5, 0x21, 2, 0, 7, 0x0B}));     // part 2's channel
  send(message({5, 0x24, 0, 6, 0, 0x41}));     // Global transpose
  send(message({5, 0x21, 0, 1, 25, 0x3C}));    // the Multi's tempo
  send(message({5, 0x24, 0, 0x7F, 0, 0x12}));  // one before Global byte 40
  EXPECT_EQ(sim.soundEditBuffer(3)[135], 0x22);
  EXPECT_EQ(sim.soundEditBuffer(15)[8], 0x30);
  EXPECT_EQ(sim.multiEditBuffer()[39 + 48 + 7], 0x0B);
  EXPECT_EQ(sim.globalRecord()[46], 0x41);
  EXPECT_EQ(sim.multiEditBuffer()[25], 0x3C);
  EXPECT_EQ(sim.globalRecord()[39], 0x12);
  send(message({5, 0x24, 0, 2, 0, 0x0A}));  // the id, taken at once
  EXPECT_EQ(sim.deviceId(), 10);
}

TEST_F(SimulatorTest, LogsEveryMessageWithItsArrivalTime) {
  const Bytes messages[] = {{0xF8}, {0xFA}, {0x90, 0x40, 0x7F}, message({3, 0x04})};
  for (int i = 0; i < 4; ++i) send(messages[i], kT0 + std::chrono::milliseconds(i));
  const std::vector<ReceivedMessage> log = sim.received();
  ASSERT_EQ(log.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(log[i].bytes, messages[i]);
    EXPECT_EQ(log[i].time, kT0 + std::chrono::milliseconds(i));
  }
  sim.clearReceived();
  EXPECT_TRUE(sim.received().empty());
}

TEST_F(SimulatorTest, FaultsChangeTheAnswersAsNamed) {
  sim.setFault({Fault::kSilent, 0});
  send(message({5, 0x04}));
  send(message({5, 0x20, 0, 0, 1, 0x12}));
  EXPECT_TRUE(answers().empty());
  EXPECT_EQ(sim.soundEditBuffer(0)[8], 0x12) << "silent, but it still stores";

  EXPECT_EQ(sim.nextDue(), Clock::time_point::max());
  sim.setFault({Fault::kLate, 400});
  send(message({5, 0x04}));
  EXPECT_EQ(sim.nextDue(), kT0 + 400ms);
  EXPECT_TRUE(sim.takeDue(kT0 + 399ms).empty());
  EXPECT_EQ(sim.takeDue(kT0 + 400ms).size(), 1u);

  sim.setFault({Fault::kOtherId, 12});
  send(message({5, 0x00, 0x7F, 0}));
  EXPECT_TRUE(answers().empty());
  send(message({12, 0x00, 0x7F, 0}));
  std::vector<Bytes> due = answers();
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0][3], 5) << "with its own id";

  sim.setFault({Fault::kTruncate, 100});
  send(message({5, 0x00, 0x7F, 0}));
  sim.setFault({Fault::kTruncate, 0});
  send(message({5, 0x01, 0x7F, 0}));
  due = answers();
  ASSERT_EQ(due.size(), 2u);
  EXPECT_EQ(std::make_pair(due[0].size(), due[0].back()),
            std::make_pair(size_t(100), (unsigned char)0xF7));
  EXPECT_EQ(std::make_pair(due[1].size(), due[1].back()),
            std::make_pair(size_t(212), (unsigned char)0xF7));

  sim.setFault({Fault::kWrongType, 0});
  for (const Bytes& request :
       {message({5, 0x00, 0x7F, 0}), message({5, 0x01, 0x7F, 0}), message({5, 0x04})})
    send(request);
  due = answers();
  ASSERT_EQ(due.size(), 3u);
  EXPECT_EQ(Bytes({due[0][4], due[1][4], due[2][4]}), Bytes({0x11, 0x14, 0x10}));
  EXPECT_EQ(due[2].size(), 80u);

  sim.setFault({Fault::kBadChecksum, 0});
  send(message({5, 0x00, 0x7F, 0}));
  due = answers();
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0][390], (sysex::dumpChecksum(due[0].data(), 392) + 1) & 0x7F);
}

TEST(SimulatorThreads, ReceivesAndAnswersFromSeveralThreads) {
  Simulator sim(0);
  const Bytes request = message({0, 0x04});
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
