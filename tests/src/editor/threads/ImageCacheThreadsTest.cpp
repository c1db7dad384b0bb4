#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "src/editor/ImageCache.h"
#include "src/editor/ImageTable.h"
#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "toolkit/log.h"
#include "toolkit/plugin/editor/BitmapStorage.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

namespace {

using Plug = StandInPlugin;

class SilentLog : public TK_LogSink {
 public:
  bool IsOn() const override { return false; }
  void Write(const char*, const std::string&) override {}
};

// One editor's graphics and image cache at the light style, on the built bundle.
struct Editor {
  explicit Editor(double scale) : graphics(&plug, 1500, 757) {
    graphics.SetBundleID(kBundleID);
    cache.setLog(&log);
    cache.setScale(scale);
  }
  Plug plug;
  IGraphicsMac graphics;
  SilentLog log;
  ImageCache cache;
};

// Two editors of a process start at once, each decoding on workers of its own: both record every
// picture, and both draw the one copy the process-wide cache holds of each.
TEST(ImageCacheThreads, TwoEditorsStartingAtOnceShareEveryPicture) {
  setenv("KROMA_BUNDLE_DIR", BUILT_BUNDLE, 1);
  for (double scale : {0.85, 1.15}) {
    Editor first(scale), second(scale);
    const int held = BitmapStorage::Instance().Count();
    std::thread other([&] { second.cache.initImages(&second.graphics); });
    first.cache.initImages(&first.graphics);
    other.join();
    const size_t rows = commonImageRows().size() + styleImageRows(0).size();
    ASSERT_EQ(first.cache.images().size(), rows);
    ASSERT_EQ(second.cache.images().size(), first.cache.images().size());
    std::set<int> ids;
    for (const auto& [name, info] : first.cache.images()) ids.insert(info.resourceId);
    EXPECT_EQ(BitmapStorage::Instance().Count() - held, (int)ids.size()) << "one copy each";
    for (const auto& [name, info] : first.cache.images()) {
      const IBitmap mine = first.cache.getImageByName(&first.graphics, name);
      const IBitmap theirs = second.cache.getImageByName(&second.graphics, name);
      ASSERT_NE(mine.mData, nullptr) << name;
      EXPECT_EQ(mine.mData, theirs.mData) << name << " at " << scale;
    }
  }
}

}  // namespace
