#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "src/core/LibrarianMenus.h"
#include "toolkit/log.h"

namespace {

class Lines : public TK_LogSink {
 public:
  void Write(const char* tag, const std::string& message) override {
    lines.push_back(tag + message);
  }
  std::vector<std::string> lines;
};

TEST(BankDisplayNames, LongNamesShortenWithACountPerRunOfEqualPrefixes) {
  const std::string p47(47, 'a'), q47(47, 'b');
  const std::vector<std::string> names = {p47 + "123456.KRO",   p47 + "7890123.syx",
                                          q47 + "xxxxxx.mid",   p47 + "abcdef.Kro",
                                          std::string(52, 'c'), p47 + "nodotatall"};
  Lines log;
  const std::vector<std::string> shown = bankDisplayNames(names, &log);
  EXPECT_EQ(shown,
            (std::vector<std::string>{p47 + "~1.kro", p47 + "~2.syx", q47 + "~1.mid",
                                      p47 + "~1.kro", names[4], p47 + "~2." + p47 + "nodotatall"}));
  ASSERT_EQ(log.lines.size(), 5u);
  EXPECT_EQ(log.lines[0], "PATCH LIBRARIAN: Filename " + names[0] + " RENAMED TO " + shown[0] +
                              " Because the filename was too long to fit in plug-in display!");
}

}  // namespace
