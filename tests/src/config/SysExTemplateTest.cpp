#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <tuple>

#include "ConfigTestSupport.h"
#include "src/config/ParameterIds.h"

namespace {

using config_test::LoggedManager;
using Messages = std::vector<std::vector<int>>;

Messages table(UIConfigManager& c, const std::string& text, int changingByte, int count, int start,
               int part) {
  ControlActionSysExMessage t;
  EXPECT_TRUE(c.calculateSysexWithChangingByte(text, changingByte, count, &t, start, part));
  EXPECT_FALSE(t.multiMessage);
  EXPECT_TRUE(t.messageLists.empty());
  Messages messages;
  for (size_t i = 0; i < t.messages.size(); ++i) messages.push_back(t.messages[i]);
  return messages;
}

const std::string eight = "3E 13 00 20 07 01 0A 55";

// One message per value; the part, when there is one, in byte 5; every other byte the template's.
TEST(MessageTable, OneMessagePerValueWithThePartInPlace) {
  LoggedManager logged;
  UIConfigManager& c = logged.manager;
  const std::vector<int> bytes = UIConfigManager::convertStringSysextoVector(eight);
  const struct {
    int changingByte, count, start, part;
    std::vector<int> values;
    int partByte;
  } cases[] = {
      {8, 3, 0, 0, {0, 1, 2}, 7},
      {8, 3, 0, -1, {0, 1, 2}, 7},
      {7, 2, 10, 15, {10, 11}, 15},
      {8, 4, 126, 0, {126, 127, 0, 1}, 7},  // 128 folds to 0
      {8, 3, 129, 0, {129, 130, 131}, 7},
      {8, 3, -1, 2, {0x55, 0x55, 0x56}, 2},  // template's first
      {8, 0, 0, 1, {}, 0},
      {8, 0, -1, 0, {0x55}, 7},
  };
  for (const auto& r : cases) {
    const Messages m = table(c, eight, r.changingByte, r.count, r.start, r.part);
    ASSERT_EQ(m.size(), r.values.size()) << r.start;
    for (size_t n = 0; n < m.size(); ++n) {
      std::vector<int> expected = bytes;
      expected[static_cast<size_t>(r.changingByte - 1)] = r.values[n];
      expected[4] = r.partByte;
      EXPECT_EQ(m[n], expected) << r.start << " " << r.part << " message " << n;
    }
  }

  // A parameter value finds its message from the table's first value on, and only there.
  ControlActionSysExMessage t;
  ASSERT_TRUE(c.calculateSysexWithChangingByte(eight, 8, 3, &t, 0, 0));
  t.firstValue = 5;
  std::vector<int> message;
  for (double value : {4.0, 8.0, std::nan("")}) EXPECT_FALSE(t.messageFor(value, message));
  ASSERT_TRUE(t.messageFor(5.9, message));
  EXPECT_EQ(message[7], 0);
  ASSERT_TRUE(t.messageFor(7, message));
  EXPECT_EQ(message[7], 2);
  // The table holds the template once and one value per message.
  EXPECT_EQ(t.messages.storageBytes(), (8 + 3) * sizeof(int));
}

TEST(MessageTable, BadTemplatesAndValuesPastTheLargestNumberAreRejectedAndLogged) {
  LoggedManager m;
  ControlActionSysExMessage kept;
  ASSERT_TRUE(m.manager.calculateSysexWithChangingByte(eight, 8, 2, &kept, 0, 1));
  const struct {
    std::string text;
    int changingByte, count, start, part;
    const char* log;
  } cases[] = {
      {"3E 13 00 2G 00 00 00 00", 8, 4, 0, 0, "not a hex byte"},
      {eight, 0, 4, 0, 0, "changing byte"},
      {eight, 9, 4, 0, 0, "changing byte"},
      {"3E 13 00 20", 4, 4, 0, 1, "too short"},
      {eight, 8, 2, INT_MAX, 0, "run past the largest number"},
      {eight, 8, 70000, 0, 0, "more messages than any parameter has values"},
  };
  for (const auto& bad : cases) {
    ControlActionSysExMessage t;
    ASSERT_TRUE(m.manager.calculateSysexWithChangingByte(eight, 8, 1, &t, 0, 0));
    m.lines.clear();
    EXPECT_FALSE(m.manager.calculateSysexWithChangingByte(bad.text, bad.changingByte, bad.count, &t,
                                                          bad.start, bad.part))
        << bad.text;
    EXPECT_TRUE(t.messages.empty());
    ASSERT_EQ(m.lines.size(), 1u);
    EXPECT_NE(m.lines[0].find(bad.log), std::string::npos) << m.lines[0];
  }
  EXPECT_EQ(kept.messages.size(), 2u);
  // A short template is fine where no part is written; the last value that fits is kept.
  ControlActionSysExMessage t;
  EXPECT_TRUE(m.manager.calculateSysexWithChangingByte("3E 13 00 20", 4, 1, &t, 0, 0));
  ASSERT_TRUE(m.manager.calculateSysexWithChangingByte(eight, 8, 2, &t, INT_MAX - 1, 0));
  EXPECT_EQ(t.messages[1][7], INT_MAX);
  ASSERT_TRUE(m.manager.calculateSysexWithChangingByte(eight, 8, 65536, &t, -1, 0));
  EXPECT_EQ(t.messages.size(), 65536u);
}

TEST(CommaLists, FillFromEntryZeroAndKeepDefaults) {
  int v[3] = {-7, -8, -9};
  UIConfigManager::getCSValues("4,5", v, 3);
  EXPECT_EQ(std::vector<int>(v, v + 3), (std::vector<int>{4, 5, -9}));
  UIConfigManager::getCSValues(",,1, 2,3", v, 2);
  EXPECT_EQ(std::vector<int>(v, v + 3), (std::vector<int>{1, 2, -9}));
  UIConfigManager::getCSValues("x,-3px, 99999999999", v, 3);
  EXPECT_EQ(std::vector<int>(v, v + 3), (std::vector<int>{1, -3, 2147483647}));
}

class Links : public testing::Test {
 protected:
  Links() { m.manager.initParams(); }
  std::vector<int> link(const std::string& text, int part) {
    int l[3] = {9, 9, 9};
    m.manager.getBiDirectLinkValues(text, l, part);
    return std::vector<int>(l, l + 3);
  }
  LoggedManager m;
};

TEST_F(Links, ResolveWithTheClampedPartAndUnknownNamesStayUnknown) {
  const int cut = kFilter1Cutoff, sw = kFilterLinkSwitch;
  const struct {
    const char* text;
    int part;
    std::vector<int> link;
  } cases[] = {
      {"kFilter1Cutoff", 3, {-1, -1, -1}},
      {"kFilter1Cutoff,kFilterLinkSwitch,3", 4, {cut + 4, sw + 4, 3}},
      {"kFilter1Cutoff,kFilterLinkSwitch,3,4", 0, {cut, sw, -1}},
      // Only the first two are names; a third name is no switch value.
      {"kFilter1Cutoff,kFilterLinkSwitch,kFilter2Cutoff,4", 1, {cut + 1, sw + 1, -1}},
      {"kFilter1Cutoff,kFilterLinkSwitch", 2, {cut + 2, sw + 2, -1}},
      {"kNoSuchName,kFilterLinkSwitch,2", 4, {-1, sw + 4, 2}},
      // A part past the largest number names no parameter.
      {"kFilter1Cutoff,kFilterLinkSwitch,2", INT_MAX, {-1, -1, 2}},
  };
  for (const auto& c : cases) EXPECT_EQ(link(c.text, c.part), c.link) << c.text << " " << c.part;
  EXPECT_TRUE(m.logged("parameter kNoSuchName NOT FOUND!"));
  EXPECT_EQ(link("kFilter1Cutoff,kFilterLinkSwitch", INT_MAX - cut)[0], INT_MAX);
}

// The group a host shows a parameter in: its part counted from 1, then the layout's group.
TEST(ParamGroups, NameThePartFromOneAndTheGroup) {
  LoggedManager m;
  const std::tuple<int, const char*, const char*> groups[] = {
      {0, "Osc", "Part 1:Osc"}, {15, "", "Part 16"}, {-1, "Global", "Global"}, {-1, "", ""}};
  for (const auto& [part, group, shown] : groups)
    EXPECT_STREQ(m.manager.getParamGroup(part, group), shown) << part << " " << group;
}

// A partner without a binding gets a SysEx placeholder that holds only the way back; one with a
// binding keeps its message type; parameter 0 is a partner like any other.
TEST(ControlLinks, BothPartnersPointAtEachOther) {
  LoggedManager m;
  ControlAction& own = m.manager.bindControlAction(100, kMessageCC);
  m.manager.bindControlAction(300, kMessageCCOffOn);
  m.manager.setControlLink(&own, 100, LinkInfo{200, 300, 4}, 2);
  EXPECT_EQ(own.link, (LinkInfo{200, 300, 4}));
  ASSERT_NE(m.manager.getControlAction(200), nullptr);
  EXPECT_EQ(m.manager.getControlAction(200)->link, (LinkInfo{100, 300, -1}));
  EXPECT_EQ(m.manager.getControlAction(200)->messageType, kMessageSysEx);
  m.manager.setControlLink(&own, 100, LinkInfo{300, 301, -1}, 0);
  EXPECT_EQ(m.manager.getControlAction(300)->messageType, kMessageCCOffOn);
  EXPECT_EQ(m.manager.getControlAction(300)->link, (LinkInfo{100, 301, -1}));
  m.manager.setControlLink(&own, 100, LinkInfo{0, 301, 2}, 0);
  ASSERT_NE(m.manager.getControlAction(0), nullptr);
  EXPECT_EQ(m.manager.getControlAction(0)->link, (LinkInfo{100, 301, -1}));
  // The last parameter is a partner and a switch like any other.
  m.manager.setControlLink(&own, 100, LinkInfo{numParams - 1, numParams - 1, 2}, 0);
  EXPECT_EQ(own.link, (LinkInfo{numParams - 1, numParams - 1, 2}));
  ASSERT_NE(m.manager.getControlAction(numParams - 1), nullptr);
  EXPECT_EQ(m.manager.getControlAction(numParams - 1)->link, (LinkInfo{100, numParams - 1, -1}));
  EXPECT_TRUE(m.lines.empty());
}

TEST(ControlLinks, LinksThatNameNoParameterLinkNothing) {
  const struct {
    LinkInfo link;
    const char* log;  // null: nothing logged
  } cases[] = {
      {{-1, 300, 4}, nullptr},
      {{200, -1, 4}, nullptr},
      {{numParams, 300, 4}, "to parameter 8456 has no partner; link skipped"},
      // A single identifier plus a part can pass the last parameter.
      {{200, kDebugParts + 3, 4}, "has no switch parameter 8458; link skipped"},
      {{200, numParams, 4}, "has no switch parameter 8456; link skipped"},
  };
  for (const auto& c : cases) {
    LoggedManager m;
    ControlAction& own = m.manager.bindControlAction(100, kMessageCC);
    m.manager.setControlLink(&own, 100, c.link, 3);
    EXPECT_EQ(own.link, LinkInfo{}) << c.link.linked;
    EXPECT_EQ(m.manager.getControlAction(200), nullptr);
    if (c.log) {
      EXPECT_TRUE(m.logged(c.log)) << c.log;
    } else {
      EXPECT_TRUE(m.lines.empty());
    }
  }
}

}  // namespace
