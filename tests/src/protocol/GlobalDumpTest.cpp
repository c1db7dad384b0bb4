#include "src/protocol/GlobalDump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/src/protocol/FakeParameters.h"

namespace global_dump {
namespace {

using protocol_test::FakeParameters;

// Offset, index and offset added, numbered independently of the identifier table.
struct Field {
  int offset, index, add;
};
const Field kFields[] = {{39, 7764, 0},  {41, 6591, 0}, {42, 6592, 0}, {45, 6602, 54},
                         {46, 6603, 52}, {49, 6594, 0}, {50, 6595, 0}, {51, 6601, 0},
                         {53, 6593, 0},  {55, 6589, 0}, {56, 6596, 0}, {57, 6597, 0},
                         {58, 6598, 0},  {59, 6599, 0}, {62, 6590, 0}};

// Every parameter at the value whose byte is the template's own.
FakeParameters templateValues() {
  FakeParameters params;
  for (const Field& f : kFields)
    params.values[f.index] = sysex::globalDumpTemplate()[f.offset] - f.add;
  return params;
}

TEST(GlobalDumpWriter, TemplateValuesGiveTheTemplate) {
  const FakeParameters params = templateValues();
  const sysex::GlobalDumpBytes dump = buildGlobalDump(params, 5);
  for (int i = 0; i < 80; ++i) {
    if (i == 3) {
      EXPECT_EQ(dump[i], 0x05);
    } else if (i == 60) {
      EXPECT_EQ(dump[i], 0x7F);
    } else {
      EXPECT_EQ(dump[i], sysex::globalDumpTemplate()[i]) << "byte " << i;
    }
  }
  EXPECT_EQ(dump[78], 0x7F);
  EXPECT_EQ(dump[79], 0xF7);
}

TEST(GlobalDumpWriter, OffsetsTruncationAndLimits) {
  FakeParameters params = templateValues();
  params.values[kGlobalTuning] = 10;
  params.values[kGlobalTranspose] = 12;
  params.values[kGlobalClock] = 3.9;
  params.values[kGlobalControlW] = 250;
  const sysex::GlobalDumpBytes dump = buildGlobalDump(params, 300);
  EXPECT_EQ(dump[45], 0x40);
  EXPECT_EQ(dump[46], 0x40);
  EXPECT_EQ(dump[53], 3);
  EXPECT_EQ(dump[56], 0x7F);
  EXPECT_EQ(dump[3], 44);                            // the low 8 bits of the id
  EXPECT_EQ(buildGlobalDump(params, 200)[3], 0x7F);  // never a status byte
}

TEST(GlobalDumpCodec, RoundTrip) {
  FakeParameters source;
  for (int n = 0; n < 15; ++n) source.values[kFields[n].index] = 3 * n + 1;
  source.values[kGlobalTuning] = -20;
  source.values[kGlobalTranspose] = 24;
  const sysex::GlobalDumpBytes dump = buildGlobalDump(source, 9);
  FakeParameters target;
  bool localControl = false;
  ASSERT_TRUE(parseGlobalDump(dump.data(), 80, target, localControl));
  for (const Field& f : kFields)
    EXPECT_EQ(target.values[f.index], source.values[f.index]) << f.offset;
  EXPECT_TRUE(localControl);
}

TEST(GlobalDumpReader, TakesOnlyExactGlobalDumps) {
  std::vector<unsigned char> dump(sysex::globalDumpTemplate().begin(),
                                  sysex::globalDumpTemplate().end());
  FakeParameters params;
  bool localControl = true;
  dump.push_back(0xF7);
  EXPECT_FALSE(parseGlobalDump(dump.data(), 81, params, localControl));
  dump.pop_back();
  dump[4] = 0x11;
  EXPECT_FALSE(parseGlobalDump(dump.data(), 80, params, localControl));
  EXPECT_TRUE(params.setOrder.empty());
  EXPECT_TRUE(localControl);

  dump[4] = 0x14;
  dump[42] = 5;
  dump[62] = 0;
  dump[45] = 0x40;
  ASSERT_TRUE(parseGlobalDump(dump.data(), 80, params, localControl));
  EXPECT_EQ(params.values[kGlobalSysExID], 5);
  EXPECT_EQ(params.values[kGlobalTuning], 10);
  EXPECT_EQ(params.values[kGlobalLocalControl], 0);
  EXPECT_FALSE(localControl);
  // Offsets walked in increasing order.
  EXPECT_EQ(params.setOrder.front(), kMultiPatch);
  EXPECT_EQ(params.setOrder.back(), kGlobalLocalControl);
}

class RecordingServices : public TransferServices {
 public:
  void DisplayProcessingIndicator(bool show) override { calls.push_back(show ? "show" : "hide"); }
  void checksumCheckAndSend(unsigned char* data, int length) override {
    calls.push_back("send");
    sent.assign(data, data + length);
  }
  void pause(int milliseconds) override {
    calls.push_back("pause " + std::to_string(milliseconds));
  }
  void clearSoundSendBusy() override { calls.push_back("idle"); }

  std::vector<std::string> calls;
  std::vector<unsigned char> sent;
};

TEST(GlobalDumpSender, SendsPausesAndClearsBusyLast) {
  FakeParameters params = templateValues();
  RecordingServices services;
  sendGlobalToDevice(services, params, 7);
  EXPECT_EQ(services.calls,
            (std::vector<std::string>{"show", "send", "pause 1000", "hide", "idle"}));
  ASSERT_EQ(services.sent.size(), 80u);
  EXPECT_EQ(services.sent[3], 7);
  EXPECT_EQ(services.sent[78], 0x7F);
}

}  // namespace
}  // namespace global_dump
