#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "platform/bundle/Bundle.h"
#include "tests/support/TempDir.h"

namespace {

// Runs `child` in a forked process whose standard output is a pipe (fully buffered), and answers
// what it wrote and whether it exited with 0.
struct ChildRun {
  std::string out;
  bool exitedWithZero = false;
};
ChildRun runChild(const std::function<void()>& child) {
  ChildRun run;
  int fds[2];
  if (pipe(fds) != 0) return run;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    child();
    _exit(127);
  }
  close(fds[1]);
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) run.out.append(buf, (size_t)n);
  close(fds[0]);
  int status = 0;
  run.exitedWithZero =
      pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

class BundleTest : public testing::Test {
 protected:
  BundleTest() : env("KROMA_BUNDLE_DIR", dir.path().c_str()) {
    mkdir(dir.file("resources").c_str(), 0755);
  }
  void write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir.file("resources/" + name), std::ios::binary) << bytes;
  }
  kroma_test::TempDir dir;
  kroma_test::ScopedEnv env;
};

TEST_F(BundleTest, OnlyTheLastPathComponentNamesTheResource) {
  EXPECT_EQ(Bundle::directory(), dir.path());
  EXPECT_EQ(Bundle::resourcePath("resources/uiconfig.tea"), dir.file("resources/uiconfig.tea"));
  EXPECT_EQ(Bundle::resourcePath("a/b/uiconfig.tea"), Bundle::resourcePath("uiconfig.tea"));
  EXPECT_EQ(Bundle::imagePath("resources/img/knob.png"), dir.file("resources/img/knob.png"));
}

TEST_F(BundleTest, LoadsTheBytesZeroPaddedToWholeBlocks) {
  write("sysex.tea", "0123456789abc");
  const auto loaded = Bundle::loadResource("resources/sysex.tea");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->size, 13);
  ASSERT_EQ(loaded->bytes.size(), 16u);
  EXPECT_EQ(std::string(loaded->bytes.begin(), loaded->bytes.begin() + 13), "0123456789abc");
  EXPECT_EQ(std::string(loaded->bytes.begin() + 13, loaded->bytes.end()), std::string(3, '\0'));

  write("empty.tea", "");
  const auto empty = Bundle::loadResource("empty.tea");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->size, 0);
  EXPECT_TRUE(empty->bytes.empty());

  write("big.tea", std::string(Bundle::maxResourceSize + 100, 'x'));  // cut at the limit
  const auto big = Bundle::loadResource("big.tea");
  ASSERT_TRUE(big);
  EXPECT_EQ(big->size, Bundle::maxResourceSize);
  EXPECT_EQ(big->bytes.size(), static_cast<size_t>(Bundle::maxResourceSize));
}

TEST_F(BundleTest, MissingIsSilentUnreadableIsReported) {
  testing::internal::CaptureStdout();
  EXPECT_FALSE(Bundle::loadResource("missing.tea"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  mkdir(dir.file("resources/folder.tea").c_str(), 0755);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(Bundle::loadResource("folder.tea"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "failed to open file");
}

// The report is out at once: a host that dies right after it (no stdio flush at exit) still shows
// it.
TEST_F(BundleTest, TheReportIsOutBeforeTheLoadReturns) {
  mkdir(dir.file("resources/folder.tea").c_str(), 0755);
  const ChildRun run = runChild([] { _exit(Bundle::loadResource("folder.tea") ? 1 : 0); });
  EXPECT_TRUE(run.exitedWithZero);
  EXPECT_EQ(run.out, "failed to open file");
}

// Every size rounds up to whole blocks of eight, up to the limit, which is read whole.
TEST_F(BundleTest, SizesRoundUpToBlocksOfEightUpToTheLimit) {
  const struct {
    int size, read;
    size_t held;
  } cases[] = {
      {1, 1, 8},
      {7, 7, 8},
      {8, 8, 8},
      {9, 9, 16},
      {Bundle::maxResourceSize - 1, Bundle::maxResourceSize - 1, (size_t)Bundle::maxResourceSize},
      {Bundle::maxResourceSize, Bundle::maxResourceSize, (size_t)Bundle::maxResourceSize},
      {Bundle::maxResourceSize + 1, Bundle::maxResourceSize, (size_t)Bundle::maxResourceSize}};
  for (const auto& c : cases) {
    write("sized.tea", std::string((size_t)c.size, 'y'));
    const auto loaded = Bundle::loadResource("sized.tea");
    ASSERT_TRUE(loaded) << c.size;
    EXPECT_EQ(loaded->size, c.read) << c.size;
    EXPECT_EQ(loaded->bytes.size(), c.held) << c.size;
    EXPECT_EQ(loaded->bytes[(size_t)c.read - 1], 'y') << c.size;
  }
  EXPECT_EQ(Bundle::resourcePath("plain.tea"), dir.file("resources/plain.tea"));
  EXPECT_EQ(Bundle::imagePath("knob.png"), dir.file("resources/img/knob.png"));
}

// An empty override counts as none.
TEST(BundleWithoutOverride, AnEmptyOverrideIsNone) {
  kroma_test::ScopedEnv empty("KROMA_BUNDLE_DIR", "");
  char self[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  const std::string exe(self);
  EXPECT_EQ(Bundle::executable(), exe);
  EXPECT_EQ(Bundle::directory(), exe.substr(0, exe.find_last_of('/')));
}

TEST(BundleWithoutOverride, IsTheFolderOfTheLoadedObject) {
  kroma_test::ScopedEnv unset("KROMA_BUNDLE_DIR", nullptr);
  char self[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  const std::string exe(self);
  EXPECT_EQ(Bundle::directory(), exe.substr(0, exe.find_last_of('/')));
}

// Run through a link, the program still finds its own folder: the loader names the link.
TEST(BundleThroughALink, NamesTheRealFile) {
  if (std::getenv("KROMA_TEST_PRINT_EXECUTABLE")) {  // the run through the link
    std::printf("executable: %s\n", Bundle::executable().c_str());
    std::printf("directory: %s\n", Bundle::directory().c_str());
    return;
  }
  char self[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  kroma_test::TempDir dir;
  const std::string link = dir.file("linked-test");
  ASSERT_EQ(symlink(self, link.c_str()), 0);
  const ChildRun run = runChild([&link] {
    setenv("KROMA_TEST_PRINT_EXECUTABLE", "1", 1);
    setenv("KROMA_BUNDLE_DIR", "", 1);
    execl(link.c_str(), link.c_str(), "--gtest_filter=BundleThroughALink.*", nullptr);
  });
  EXPECT_TRUE(run.exitedWithZero) << run.out;
  EXPECT_NE(run.out.find("executable: " + std::string(self) + "\n"), std::string::npos) << run.out;
}

// A program name that leads nowhere is taken as given, and its folder is the bundle.
TEST(BundleThroughALink, AProgramNameThatLeadsNowhereIsTakenAsGiven) {
  char self[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  const std::pair<const char*, const char*> names[] = {
      {"kroma-nowhere/kroma", "kroma-nowhere"},
      {"/kroma-nowhere", "/"},
      {"/kroma-nowhere/a/kroma", "/kroma-nowhere/a"},
      {"kroma-nowhere", "."},
  };
  for (const auto& [name, folder] : names) {
    const ChildRun run = runChild([&self, name = name] {
      setenv("KROMA_TEST_PRINT_EXECUTABLE", "1", 1);
      setenv("KROMA_BUNDLE_DIR", "", 1);
      execl(self, name, "--gtest_filter=BundleThroughALink.NamesTheRealFile", nullptr);
    });
    EXPECT_TRUE(run.exitedWithZero) << run.out;
    EXPECT_NE(run.out.find("executable: " + std::string(name) + "\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("directory: " + std::string(folder) + "\n"), std::string::npos)
        << run.out;
  }
}

}  // namespace
