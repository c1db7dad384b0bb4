#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "BankLoading.h"
#include "TempDir.h"
#include "platform/datafolder/DataFolder.h"

// A data folder of its own with a "Patches" folder; the librarian's log lines are collected.
class ScanFixture : public ::testing::Test, public TK_LogSink {
 protected:
  ScanFixture() : env("KROMA_DATA_DIR", dir.path().c_str()) {
    ::mkdir(patches().c_str(), 0755);
    librarian.setLog(this);
  }
  void Write(const char* tag, const std::string& message) override { mLog += tag + message + "\n"; }

  std::string patches() const { return dir.file("Patches"); }
  std::string inPatches(const std::string& relative) const { return patches() + "/" + relative; }
  void folder(const std::string& relative) const { ::mkdir(inPatches(relative).c_str(), 0755); }
  void bank(const std::string& relative, const fixtures::Bytes& bytes) const {
    fixtures::writeFile(inPatches(relative), bytes);
  }
  void scan() { librarian.loadPatchesFromFilesystem(DataFolder::patchesFolder()); }
  bool logged(const std::string& text) const { return mLog.find(text) != std::string::npos; }
  using Names = std::vector<std::string>;
  static Names names(const PatchFileList& files) { return fixtures::fileNames(files); }

  std::string mLog;
  kroma_test::TempDir dir;
  kroma_test::ScopedEnv env;
  PatchLibrarian librarian;
};
