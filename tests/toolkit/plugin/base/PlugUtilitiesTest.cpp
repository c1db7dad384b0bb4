#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

#include "tests/support/TempDir.h"
#include "toolkit/plugin/base/detail/PlugUtilities.h"

namespace {

std::string zoneSuffix(const char* tz) {
  kroma_test::ScopedEnv zone("TZ", tz);
  const std::string text = CurrentTime();
  return text.substr(text.size() - 5);
}

// At any hour one of the two farthest zones lies on another day than UTC; zones almost a day
// away lie on the day before or after at nearly every minute.
TEST(PlugUtilities, CurrentTimeCarriesTheUtcOffset) {
  const std::pair<const char*, const char*> zones[] = {
      {"UTC0", "+0000"},   {"XXX1:30", "-0130"}, {"XXX-13:45", "+1345"}, {"XXX11", "-1100"},
      {"XXX-14", "+1400"}, {"XXX12", "-1200"},   {"XXX23:59", "-2359"},  {"XXX-23:59", "+2359"}};
  for (const auto& [zone, suffix] : zones) EXPECT_EQ(zoneSuffix(zone), suffix) << zone;
  kroma_test::ScopedEnv zone("TZ", "UTC0");
  const std::string text = CurrentTime();
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char date[16];
  std::strftime(date, sizeof(date), "%Y%m%d ", &utc);
  EXPECT_EQ(text.substr(0, 9), date);
  EXPECT_EQ(text.size(), std::strlen("20261205 23:05 +0000"));
}

TEST(PlugUtilities, TextHelpers) {
  char lower[32];
  ToLower(lower, "ReaPER 6.x");
  EXPECT_STREQ(lower, "reaper 6.x");
  for (char c : {'\t', '\n', '\r', ' '}) EXPECT_TRUE(IsWhitespace(c));
  for (char c : {'\v', 'a'}) EXPECT_FALSE(IsWhitespace(c));
  const char* const stamps[][3] = {{"Dec  5 2026", "23:05:40", "[Dec 5 23:05]"},
                                   {"Dec 15 2026", "01:02:03", "[Dec15 01:02]"},
                                   {"Dec 5", "23:05:40", "[Dec5 23:05:]"},
                                   {"", "", "[ ]"}};
  TK_String stamp;
  for (const auto& row : stamps) {
    CompileTimestamp(row[0], row[1], &stamp);
    EXPECT_STREQ(stamp.Get(), row[2]) << row[0];
  }
  EXPECT_STREQ(AppendTimestamp("Dec  5 2026", "23:05:40", "Kroma"), "Kroma [Dec 5 23:05]");
  EXPECT_STREQ(VSTOpcodeStr(3), "");
}

TEST(PlugUtilities, TimerFiresOncePerPeriod) {
  Timer timer;
  EXPECT_FALSE(timer.Every(10.0));
  const std::clock_t start = std::clock();
  while (std::clock() - start < CLOCKS_PER_SEC / 100) {
  }
  EXPECT_TRUE(timer.Every(0.001));
  EXPECT_FALSE(timer.Every(10.0)) << "restarted by the last firing";
}

}  // namespace
