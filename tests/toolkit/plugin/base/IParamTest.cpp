#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "toolkit/plugin/base/IParam.h"

namespace {

std::string display(const IParam& param, double value, bool normalized = false,
                    bool useTexts = true) {
  char buffer[IParam::kDisplayTextSize];
  param.GetDisplayForHost(value, normalized, buffer, useTexts);
  return buffer;
}

TEST(Param, InitRangesAndKinds) {
  IParam fresh;
  EXPECT_EQ(fresh.Type(), IParam::kTypeNone);
  EXPECT_EQ(std::vector<double>({fresh.GetMax(), fresh.GetStep(), fresh.GetShape()}),
            std::vector<double>({1.0, 1.0, 1.0}));

  IParam oneEntry;
  oneEntry.InitEnum("Mode", 0, 1, "", "", -1, -1);
  EXPECT_EQ(oneEntry.Type(), IParam::kTypeEnum);
  EXPECT_EQ(oneEntry.GetMax(), 1.0);
  EXPECT_EQ(oneEntry.GetExtra1(), -1);

  IParam inverted;
  inverted.InitInt("Level", 5, 10, 3);
  EXPECT_EQ(std::vector<double>(
                {inverted.GetMin(), inverted.GetMax(), inverted.Value(), inverted.GetDefault()}),
            std::vector<double>({10.0, 11.0, 5.0, 5.0}));

  IParam text;
  text.InitText();
  text.InitInt("Name", 0, 0, 10);
  EXPECT_EQ(text.Type(), IParam::kTypeText) << "a kind set before is kept";

  const std::pair<double, int> steps[] = {{0.25, 2}, {0.1, 1}, {1.0, 0}, {1e-7, 6}, {0.001, 3}};
  for (const auto& [step, precision] : steps) {
    IParam param;
    param.InitDouble("Cutoff", 0.0, 0.0, 10.0, step);
    EXPECT_EQ(param.GetDisplayPrecision(), precision) << "step " << step;
  }
  IParam narrow;
  narrow.InitDouble("Fine", 2.0, 2.0, 1.0, 0.5);
  EXPECT_EQ(narrow.GetMax(), 2.5);

  IParam longName;
  const std::string name(80, 'n');
  longName.InitBool(name.c_str(), true, name.c_str(), name.c_str());
  EXPECT_EQ(std::string(longName.GetNameForHost()), name.substr(0, 54));
  EXPECT_EQ(std::string(longName.GetParamGroupForHost()), name.substr(0, 54));
}

TEST(Param, NormalisedMappingStepsAndShapes) {
  IParam integer;
  integer.InitInt("Int", 0, 0, 127);
  integer.SetNormalized(0.5);
  EXPECT_EQ(integer.Value(), 64.0) << "63.5 rounds up";
  EXPECT_DOUBLE_EQ(integer.GetNormalized(), 64.0 / 127.0);
  integer.SetNormalized(2.0);
  EXPECT_EQ(integer.Value(), 127.0);
  EXPECT_EQ(integer.GetNormalized(1000.0), 1.0);
  EXPECT_EQ(integer.GetNormalized(-5.0), 0.0);

  IParam real;
  real.InitDouble("Real", 0.0, 0.0, 127.0, 0.5);
  real.SetNormalized(0.5);
  EXPECT_EQ(real.Value(), 63.5);
  real.SetNormalized(0.3);
  EXPECT_DOUBLE_EQ(real.Value(), 38.1) << "doubles are not stepped";

  IParam shaped;
  shaped.InitDouble("Shaped", 0.0, 0.0, 100.0, 0.01);
  shaped.SetShape(2.0);
  shaped.SetShape(0.0);
  EXPECT_EQ(shaped.GetShape(), 2.0);
  shaped.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(shaped.Value(), 25.0);
  EXPECT_DOUBLE_EQ(shaped.GetNormalized(), 0.5);

  IParam stepped;
  stepped.InitInt("Offset", 0, 3, 10);
  stepped.SetNormalized(0.0);
  EXPECT_EQ(stepped.Value(), 3.0) << "rounding counts from 0";

  IParam flat;
  flat.InitInt("Flat", 4, 4, 5);
  flat.SetDisplayText(0, "a");
  flat.SetDisplayText(4, "b");  // the maximum becomes 4: a zero range
  EXPECT_EQ(flat.GetMax(), 4.0);
  EXPECT_EQ(flat.GetNormalized(), 0.0);
  EXPECT_FALSE(std::isnan(flat.GetNormalized(4.0)));
  flat.SetNormalized(std::nan(""));
  EXPECT_FALSE(std::isnan(flat.Value()));

  IParam gain;
  gain.InitDouble("Gain", -6.0, -60.0, 6.0, 0.1);
  EXPECT_NEAR(gain.DBToAmp(), 0.501187, 1e-6);

  IParam clamped;
  clamped.InitInt("Clamped", 0, 0, 127);
  clamped.SetClamped(1000.0);
  EXPECT_EQ(clamped.Value(), 127.0);
  clamped.SetClamped(-3.0);
  EXPECT_EQ(clamped.Value(), 0.0);
}

TEST(Param, DisplayTextsGrowInValueOrder) {
  IParam param;
  param.InitEnum("Wave", 0, 1);
  EXPECT_STREQ(param.SetDisplayText(0, "Saw"), "Saw");
  param.SetDisplayText(1, "Square");
  param.SetDisplayText(2, "Triangle");
  EXPECT_EQ(param.GetMax(), 2.0);
  EXPECT_EQ(param.GetNDisplayTexts(), 3);
  EXPECT_EQ(display(param, 1.0), "Square");
  int value = -1;
  EXPECT_TRUE(param.MapDisplayText("Triangle", &value));
  EXPECT_EQ(value, 2);
  EXPECT_FALSE(param.MapDisplayText("Sine", &value));
  EXPECT_EQ(value, 2);

  param.SetDisplayText(1, "Pulse");
  EXPECT_EQ(param.GetNDisplayTexts(), 3) << "an existing entry is replaced";
  EXPECT_STREQ(param.GetDisplayText(1), "Pulse");
  EXPECT_STREQ(param.GetDisplayText(7), "");

  // A value past the end grows the table by one entry, not to the value.
  param.SetDisplayText(9, "Noise");
  EXPECT_EQ(param.GetNDisplayTexts(), 4);
  EXPECT_EQ(param.GetMax(), 9.0);
  value = 0;
  EXPECT_STREQ(param.GetDisplayTextAtIdx(3, &value), "Noise");
  EXPECT_EQ(value, 9);
  EXPECT_STREQ(param.GetDisplayTextAtIdx(4, &value), "");
  EXPECT_STREQ(param.GetDisplayTextAtIdx(-1, &value), "");
  EXPECT_EQ(value, 9);

  const std::string longText(70, 't');
  EXPECT_EQ(std::string(param.SetDisplayText(4, longText.c_str())), longText.substr(0, 55));
  param.ResetDisplayTexts();
  EXPECT_EQ(param.GetNDisplayTexts(), 0);
}

TEST(Param, HostTexts) {
  IParam toggle;
  toggle.InitBool("Sync", false, "sw");
  EXPECT_EQ(display(toggle, 0.0), "off");
  EXPECT_EQ(display(toggle, 1.0), "on");
  EXPECT_STREQ(toggle.GetLabelForHost(), "");
  toggle.Set(1.0);
  EXPECT_STREQ(toggle.GetLabelForHost(), "");

  IParam level;
  level.InitDouble("Level", 0.0, 0.0, 10.0, 1.0, "dB");
  EXPECT_STREQ(level.GetLabelForHost(), "dB");
  EXPECT_EQ(display(level, 2.7), "2") << "precision 0 truncates";
  IParam fine;
  fine.InitDouble("Fine", 0.0, 0.0, 10.0, 0.01);
  EXPECT_EQ(display(fine, 2.7), "2.70");
  EXPECT_EQ(display(fine, 0.5, true), "5.00");
  EXPECT_EQ(display(level, -3.9), "-3");
  EXPECT_EQ(display(level, 1e300), "2147483647") << "no overflow on huge values";

  fine.SetDisplayText(0, "zero");
  EXPECT_EQ(display(fine, 0.2), "zero");
  EXPECT_EQ(display(fine, 0.2, false, false), "0.20");

  char small[4];
  fine.GetDisplayForHost(1234.5678, false, small, false, sizeof(small));
  EXPECT_STREQ(small, "123");
}

// Values from the synthesizer are set on the MIDI input thread while the
// sender's threads read them for dumps.
TEST(Param, ValueSetOnOneThreadReadsWholeOnAnother) {
  IParam param;
  param.InitInt("Cutoff", 0, 0, 127);
  std::atomic<bool> done{false};
  std::thread input([&] {
    for (int i = 0; i < 20000; ++i) param.SetNormalized((i % 128) / 127.0);
    done = true;
  });
  int reads = 0;
  while (!done || reads == 0) {
    const double value = param.Value();
    ASSERT_TRUE(value >= 0.0 && value <= 127.0 && value == std::floor(value)) << value;
    ++reads;
  }
  input.join();
  EXPECT_EQ(param.Value(), 19999 % 128) << "the last value set stays";
}

// A sound dump from the synthesizer replaces a name display's text on the
// MIDI input thread while the host or the editor copies it out.
TEST(Param, DisplayTextReplacedOnOneThreadIsCopiedWhole) {
  IParam name;
  name.InitText();
  name.SetDisplayText(0, "INIT");
  const std::string texts[] = {"INIT", "Warm Pad", std::string(55, 'L')};
  std::atomic<bool> done{false};
  std::thread input([&] {
    for (int i = 0; i < 20000; ++i) name.SetDisplayText(0, texts[1 + i % 2].c_str());
    done = true;
  });
  int reads = 0;
  while (!done || reads == 0) {
    const std::string shown = display(name, 0.0);
    ASSERT_TRUE(shown == texts[0] || shown == texts[1] || shown == texts[2]) << shown;
    ++reads;
  }
  input.join();
  EXPECT_EQ(name.GetNDisplayTexts(), 1);
}

}  // namespace
