#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "toolkit/plugin/base/IParam.h"

namespace {

using Entries = std::vector<std::pair<int, std::string>>;

Entries entriesOf(const IParam& param) {
  Entries out;
  for (int i = 0; i < param.GetNDisplayTexts(); ++i) {
    int value = -1;
    const std::string text = param.GetDisplayTextAtIdx(i, &value);
    out.emplace_back(value, text);
  }
  return out;
}

}  // namespace

// Each value holds one text whatever order the values come in; a long list written in rising
// order (the bank lists) keeps every entry; texts are cut to the entry's size.
TEST(DisplayTexts, OneTextPerValueInAnyOrder) {
  const std::string longText(70, 'x');
  const struct {
    const char* what;
    Entries sets;
    Entries kept;
  } cases[] = {
      {"rising, then a value again",
       {{0, "a"}, {1, "b"}, {2, "c"}, {1, "B"}},
       {{0, "a"}, {1, "B"}, {2, "c"}}},
      {"falling, then rising past a value held",
       {{5, "e"}, {3, "c"}, {4, "d"}, {3, "C"}, {6, "f"}, {5, "E"}},
       {{5, "E"}, {3, "C"}, {4, "d"}, {6, "f"}}},
      {"the last value again", {{0, "a"}, {1, "b"}, {1, "b2"}}, {{0, "a"}, {1, "b2"}}},
      {"a long text and none", {{0, longText}, {1, ""}}, {{0, std::string(55, 'x')}, {1, ""}}},
  };
  for (const auto& c : cases) {
    IParam param;
    param.InitInt("List", 0, 0, 1);
    for (const auto& [value, text] : c.sets) param.SetDisplayText(value, text.c_str());
    EXPECT_EQ(entriesOf(param), c.kept) << c.what;
    // Both readers give each value's text, and none for a value without one.
    for (const auto& [value, text] : c.kept) {
      EXPECT_EQ(param.GetDisplayText(value), text) << c.what << " " << value;
      EXPECT_EQ(param.CopyDisplayText(value), text) << c.what << " " << value;
    }
    EXPECT_STREQ(param.GetDisplayText(99), "") << c.what;
    EXPECT_EQ(param.CopyDisplayText(99), "") << c.what;
  }

  IParam list;
  list.InitInt("Banks", 0, 0, 1);
  for (int round = 0; round < 2; ++round) {
    list.ResetDisplayTexts();
    for (int i = 0; i < 1000; ++i) list.SetDisplayText(i, std::to_string(i * 3 + round).c_str());
    list.SetDisplayText(500, "again");
    ASSERT_EQ(list.GetNDisplayTexts(), 1000) << round;
    EXPECT_STREQ(list.GetDisplayText(999), std::to_string(999 * 3 + round).c_str());
    EXPECT_STREQ(list.GetDisplayText(500), "again");
  }
}
