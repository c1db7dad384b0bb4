#include <gtest/gtest.h>

#include <atomic>
#include <climits>
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

TEST(Param, RangesStepsAndShapes) {
  IParam inverted;
  inverted.InitInt("Level", 5, 10, 3);
  double lo = 0, hi = 0;
  inverted.GetBounds(&lo, &hi);
  EXPECT_EQ(std::vector<double>({lo, hi, inverted.Value(), inverted.GetStep()}),
            std::vector<double>({10.0, 11.0, 5.0, 1.0}));
  const std::pair<double, int> steps[] = {{0.25, 2}, {1.0, 0}, {1e-7, 6}};
  for (const auto& [step, precision] : steps) {
    IParam param;
    param.InitDouble("Cutoff", 0.0, 0.0, 10.0, step);
    EXPECT_EQ(param.GetDisplayPrecision(), precision) << "step " << step;
  }
  IParam shaped;
  shaped.InitDouble("Shaped", 0.0, 0.0, 100.0, 0.01);
  shaped.SetShape(2.0);
  shaped.SetShape(0.0);
  EXPECT_EQ(shaped.GetShape(), 2.0) << "a shape of 0 is refused";
  shaped.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(shaped.Value(), 25.0);
  IParam gain;
  gain.InitDouble("Gain", -6.0, -60.0, 6.0, 0.1);
  EXPECT_NEAR(gain.DBToAmp(), 0.501187, 1e-6);
}

// Plain values to 0..1 and back, held to the range, with the shape undone on the way back.
TEST(Param, NormalisingBothWaysIsHeldToTheRange) {
  IParam level, shaped;
  level.InitInt("Level", 0, 0, 127);
  shaped.InitDouble("Shaped", 0.0, 0.0, 100.0, 0.01);
  shaped.SetShape(2.0);
  const struct {
    const IParam* param;
    double plain, normalized;
  } toNormalized[] = {{&level, 64.0, 64.0 / 127.0}, {&level, 200.0, 1.0}, {&level, -5.0, 0.0},
                      {&level, NAN, 0.0},           {&shaped, 25.0, 0.5}, {&shaped, 100.0, 1.0}};
  for (const auto& c : toNormalized)
    EXPECT_DOUBLE_EQ(c.param->GetNormalized(c.plain), c.normalized) << c.plain;
  const std::pair<double, double> fromNormalized[] = {{-1.0, 0.0},  {NAN, 0.0},   {2.0, 127.0},
                                                      {1.0, 127.0}, {0.004, 1.0}, {0.003, 0.0}};
  for (const auto& [normalized, plain] : fromNormalized) {
    level.SetNormalized(normalized);
    EXPECT_EQ(level.Value(), plain) << normalized;
  }
  const std::pair<double, int> precisions[] = {
      {0.1, 1}, {0.001, 3}, {0.00001, 5}, {0.000001, 6}, {2.5, 1}};
  for (const auto& [step, precision] : precisions) {
    IParam param;
    param.InitDouble("p", 0.0, 0.0, 10.0, step);
    EXPECT_EQ(param.GetDisplayPrecision(), precision) << step;
  }
}

// Whole numbers saturate at the int range; the host's label is left out where a text says it all.
TEST(Param, WholeValuesAndHostLabels) {
  IParam wide;
  wide.InitDouble("Wide", 0.0, -1e13, 1e13, 1.0);
  const std::pair<double, int> wholes[] = {
      {1e12, INT_MAX}, {-1e12, INT_MIN}, {-2.7, -2}, {2.7, 2}, {NAN, 0}};
  for (const auto& [value, whole] : wholes) {
    wide.Set(value);
    EXPECT_EQ(wide.Int(), whole) << value;
  }
  IParam gain;
  gain.InitInt("Gain", 0, -10, 10, "dB");
  gain.SetDisplayText(10, "full");
  EXPECT_STREQ(gain.GetLabelForHost(), "dB");
  gain.Set(10.0);
  EXPECT_STREQ(gain.GetLabelForHost(), "");
  EXPECT_EQ(display(gain, 1.0, true), "full") << "1 normalised is the maximum";
  EXPECT_EQ(display(gain, 0.75, true, false), "5");
  EXPECT_STREQ(gain.SetDisplayText(3, nullptr), "") << "no text is an empty one";
  IParam unnamed;
  unnamed.InitInt(nullptr, 0, 0, 10, nullptr, nullptr);
  EXPECT_STREQ(unnamed.GetNameForHost(), "");
  EXPECT_STREQ(unnamed.GetLabelForHost(), "");
}

// Every kind keeps its name, label and group (cut to the field), its two extra numbers, its range,
// its default and its step; the first kind given sticks.
TEST(Param, EachKindKeepsItsTextsExtrasAndRange) {
  const std::string name(60, 'n'), label(60, 'l'), group(60, 'g');
  const struct {
    const char* kind;
    void (*init)(IParam&, const char*, const char*, const char*);
    IParam::EParamType type;
    double min, max, defaultValue, step;
    int precision;
  } kinds[] = {
      {"bool",
       [](IParam& p, const char* n, const char* l, const char* g) {
         p.InitBool(n, true, l, g, 3, 4);
       },
       IParam::kTypeBool, 0.0, 1.0, 1.0, 1.0, 0},
      {"enum",
       [](IParam& p, const char* n, const char* l, const char* g) {
         p.InitEnum(n, 2, 5, l, g, 3, 4);
       },
       IParam::kTypeEnum, 0.0, 4.0, 2.0, 1.0, 0},
      {"int",
       [](IParam& p, const char* n, const char* l, const char* g) {
         p.InitInt(n, -2, -5, 7, l, g, 3, 4);
       },
       IParam::kTypeInt, -5.0, 7.0, -2.0, 1.0, 0},
      {"double",
       [](IParam& p, const char* n, const char* l, const char* g) {
         p.InitDouble(n, 0.5, -1.0, 2.0, 0.25, l, g, 3, 4);
       },
       IParam::kTypeDouble, -1.0, 2.0, 0.5, 0.25, 2},
  };
  const size_t kept = IParam::kTextSize - 1;
  for (const auto& k : kinds) {
    IParam param;
    k.init(param, name.c_str(), label.c_str(), group.c_str());
    EXPECT_EQ(param.Type(), k.type) << k.kind;
    EXPECT_EQ(param.GetNameForHost(), name.substr(0, kept)) << k.kind;
    EXPECT_EQ(param.GetParamGroupForHost(), group.substr(0, kept)) << k.kind;
    EXPECT_EQ(std::vector<int>({param.GetExtra1(), param.GetExtra2()}), std::vector<int>({3, 4}))
        << k.kind;
    EXPECT_EQ(std::vector<double>({param.GetMin(), param.GetMax(), param.GetDefault(),
                                   param.Value(), param.GetStep()}),
              std::vector<double>({k.min, k.max, k.defaultValue, k.defaultValue, k.step}))
        << k.kind;
    EXPECT_EQ(param.GetDisplayPrecision(), k.precision) << k.kind;
    param.InitInt("Other", 0, 0, 1);
    EXPECT_EQ(param.Type(), k.type) << k.kind << ": the first kind sticks";
  }
  IParam bare;
  bare.InitInt("Bare", 0, 0, 1, "u");
  EXPECT_STREQ(bare.GetLabelForHost(), "u");
  IParam longLabel;
  longLabel.InitInt("Long", 0, 0, 1, label.c_str());
  EXPECT_EQ(longLabel.GetLabelForHost(), label.substr(0, kept));
  EXPECT_STREQ(bare.GetParamGroupForHost(), "");
}

// Switch texts, a one-entry list growing with its texts, rounding to the step, and decimals.
TEST(Param, SwitchTextsListsRoundingAndDecimals) {
  IParam toggle;
  toggle.SetDisplayText(0, "mute");
  toggle.InitBool("Mute", true);
  double lo = -1, hi = -1;
  toggle.GetBounds(&lo, &hi);
  EXPECT_EQ(std::vector<std::string>({display(toggle, 0), display(toggle, 1)}),
            std::vector<std::string>({"off", "on"}));
  EXPECT_EQ(std::vector<double>({lo, hi, toggle.Value()}), std::vector<double>({0, 1, 1}));

  IParam list;
  list.InitEnum("Wave", 0, 1);
  list.GetBounds(&lo, &hi);
  EXPECT_EQ(hi, 1.0) << "at least one step";
  for (const char* text : {"saw", "square", "noise"})
    list.SetDisplayText(list.GetNDisplayTexts(), text);
  list.GetBounds(&lo, &hi);
  EXPECT_EQ(hi, 2.0);
  EXPECT_EQ(display(list, 1.0), "square");
  int value = -1;
  EXPECT_TRUE(list.MapDisplayText("noise", &value));
  EXPECT_EQ(value, 2);

  IParam level, fine;
  level.InitInt("Level", 0, 0, 127);
  fine.InitDouble("Fine", 0.0, 0.0, 127.0, 0.5);
  level.SetNormalized(0.5);
  fine.SetNormalized(0.5);
  EXPECT_EQ(std::make_pair(level.Value(), fine.Value()), std::make_pair(64.0, 63.5));

  IParam whole, cents;
  whole.InitDouble("Whole", 0.0, 0.0, 10.0, 1.0);
  cents.InitDouble("Cents", 0.0, 0.0, 10.0, 0.01);
  EXPECT_EQ(display(whole, 2.7, false, false), "2");
  EXPECT_EQ(display(cents, 2.7, false, false), "2.70");
}

// Setting a text answers the text stored: a new entry's, or the replaced one's, cut to its field
// on a character boundary.
TEST(Param, SettingATextAnswersTheTextStored) {
  IParam list;
  list.InitEnum("List", 0, 1);
  const std::string longText(80, 'x');
  const std::string fill(IParam::kDisplayTextSize - 2, 'x');
  const struct {
    int value;
    std::string text, stored;
  } cases[] = {{0, "Sine", "Sine"},
               {1, "Square", "Square"},
               {0, "Saw", "Saw"},
               {2, longText, std::string(IParam::kDisplayTextSize - 1, 'x')},
               {3, fill + "\xC3\xA9", fill},                          // é would end past the field
               {4, fill.substr(1) + "\xE2\x82\xAC", fill.substr(1)},  // and €, a byte earlier
               {5, fill.substr(1) + "\xC3\xA9!", fill.substr(1) + "\xC3\xA9"}};
  for (const auto& c : cases) {
    const char* stored = list.SetDisplayText(c.value, c.text.c_str());
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(std::string(stored), c.stored) << c.value;
    EXPECT_EQ(std::string(list.GetDisplayText(c.value)), c.stored) << c.value;
  }
  EXPECT_EQ(list.GetNDisplayTexts(), 6);
  list.ResetDisplayTexts();
  EXPECT_EQ(list.GetNDisplayTexts(), 0);
  EXPECT_STREQ(list.GetDisplayText(0), "");
  EXPECT_STREQ(list.SetDisplayText(5, "Five"), "Five");
  EXPECT_EQ(list.GetNDisplayTexts(), 1) << "a new list after the reset";
}

// A sound dump from the synthesizer sets values and replaces a name's text on the MIDI input
// thread while the host, the editor and the sender's threads read them.
TEST(Param, ValuesAndTextsSetOnOneThreadReadWholeOnAnother) {
  IParam param, name;
  param.InitInt("Cutoff", 0, 0, 127);
  name.InitText();
  name.SetDisplayText(0, "INIT");
  const std::string texts[] = {"INIT", "Warm Pad", std::string(55, 'L')};
  std::atomic<bool> done{false};
  std::thread input([&] {
    for (int i = 0; i < 20000; ++i) {
      param.SetNormalized((i % 128) / 127.0);
      name.SetDisplayText(0, texts[1 + i % 2].c_str());
    }
    done = true;
  });
  int reads = 0;
  while (!done || reads == 0) {
    const double value = param.Value();
    ASSERT_TRUE(value >= 0.0 && value <= 127.0 && value == std::floor(value)) << value;
    const std::string shown = display(name, 0.0);
    ASSERT_TRUE(shown == texts[0] || shown == texts[1] || shown == texts[2]) << shown;
    ASSERT_STREQ(name.GetLabelForHost(), "") << "a name field's caption asks for it too";
    ++reads;
  }
  input.join();
  EXPECT_EQ(param.Value(), 19999 % 128) << "the last value set stays";
}

// A value's text is replaced wherever its entry lies, whatever order the values came in; a menu's
// texts set in one go are the same entries.
TEST(Param, DisplayTextsReplaceTheirValuesEntryInAnyOrder) {
  IParam param;
  param.InitEnum("Menu", 0, 8);
  for (int value : {5, 3, 7, 5, 3, 9, 7})
    param.SetDisplayText(value, std::to_string(value * 10).c_str());
  EXPECT_EQ(param.GetNDisplayTexts(), 4);
  int value = -1;
  EXPECT_STREQ(param.GetDisplayTextAtIdx(3, &value), "90");
  EXPECT_EQ(value, 9);
  param.SetDisplayTexts(6, [](int i) { return "T" + std::to_string(i); });
  EXPECT_EQ(param.GetNDisplayTexts(), 8) << "0, 1, 2 and 4 are new";
  for (int v = 0; v < 6; ++v)
    EXPECT_EQ(std::string(param.GetDisplayText(v)), "T" + std::to_string(v));
  EXPECT_STREQ(param.GetDisplayText(7), "70");
  param.ResetDisplayTexts();
  param.SetDisplayTexts(3, [](int i) { return std::string(1, (char)('a' + i)); });
  param.SetDisplayText(1, "B");
  EXPECT_EQ(param.GetNDisplayTexts(), 3);
  EXPECT_STREQ(param.GetDisplayText(1), "B");
}
}  // namespace
