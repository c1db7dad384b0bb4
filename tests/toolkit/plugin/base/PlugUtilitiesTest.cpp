#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

#include "tests/support/TempDir.h"
#include "toolkit/plugin/base/PlugUtilities.h"

namespace {

std::string zoneSuffix(const char* tz) {
  kroma_test::ScopedEnv zone("TZ", tz);
  const std::string text = CurrentTime();
  return text.substr(text.size() - 5);
}

TEST(PlugUtilities, CurrentTimeCarriesTheUtcOffset) {
  EXPECT_EQ(zoneSuffix("UTC0"), "+0000");
  EXPECT_EQ(zoneSuffix("XXX-1"), "+0100");
  EXPECT_EQ(zoneSuffix("XXX1:30"), "-0130");
  EXPECT_EQ(zoneSuffix("XXX-13:45"), "+1345");
  EXPECT_EQ(zoneSuffix("XXX11"), "-1100");

  kroma_test::ScopedEnv zone("TZ", "UTC0");
  const std::string text = CurrentTime();
  ASSERT_EQ(text.size(), std::strlen("20261205 23:05 +0000"));
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char date[16];
  std::strftime(date, sizeof(date), "%Y%m%d", &utc);
  EXPECT_EQ(text.substr(0, 8), date);
}

TEST(PlugUtilities, TextHelpers) {
  char lower[32];
  ToLower(lower, "ReaPER 6.x");
  EXPECT_STREQ(lower, "reaper 6.x");
  ToLower(lower, "");
  EXPECT_STREQ(lower, "");

  for (char c : {'\t', '\n', '\r', ' '}) EXPECT_TRUE(IsWhitespace(c));
  for (char c : {'\v', '\f', 'a', '\0'}) EXPECT_FALSE(IsWhitespace(c));

  TK_String stamp;
  CompileTimestamp("Dec  5 2026", "23:05:40", &stamp);
  EXPECT_STREQ(stamp.Get(), "[Dec 5 23:05]");
  CompileTimestamp("Dec 15 2026", "01:02:03", &stamp);
  EXPECT_STREQ(stamp.Get(), "[Dec15 01:02]");
  // The blank before the time is always there, also after a short date.
  CompileTimestamp("Dec 5", "23:05:40", &stamp);
  EXPECT_STREQ(stamp.Get(), "[Dec5 23:05:]");
  CompileTimestamp("", "", &stamp);
  EXPECT_STREQ(stamp.Get(), "[ ]");
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
