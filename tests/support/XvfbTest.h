#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TempDir.h"
#include "XvfbServer.h"

// A test on an X server of its suite's own, which DISPLAY names while the
// test runs; skipped when no server could be started. A fixture that sets up
// more calls this SetUp first and stops when the test IsSkipped().
class XvfbTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sServer = new XvfbServer; }
  // For a suite whose SetUpTestSuite asks for another screen size.
  static void StartServer(const std::string& screen) { sServer = new XvfbServer(screen); }
  static void TearDownTestSuite() {
    delete sServer;
    sServer = nullptr;
  }
  void SetUp() override {
    if (sServer->display().empty()) GTEST_SKIP() << "no X server could be started";
    mDisplay = std::make_unique<kroma_test::ScopedEnv>("DISPLAY", sServer->display().c_str());
  }

 private:
  inline static XvfbServer* sServer = nullptr;
  std::unique_ptr<kroma_test::ScopedEnv> mDisplay;
};
