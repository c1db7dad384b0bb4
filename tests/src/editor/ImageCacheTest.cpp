#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "src/editor/ImageCache.h"
#include "src/editor/ImageTable.h"
#include "tests/support/TempDir.h"
#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "toolkit/gfx/Png.h"
#include "toolkit/log.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

namespace {

using Plug = StandInPlugin;

class RecordingLog : public TK_LogSink {
 public:
  bool IsOn() const override { return on; }
  void Write(const char* tag, const std::string& message) override {
    lines.push_back(tag + message);
  }
  bool has(const std::string& line) const {
    return std::find(lines.begin(), lines.end(), "CONFIG READER: " + line) != lines.end();
  }
  bool on = true;
  std::vector<std::string> lines;
};

struct Size {
  int w, h;
};

// The pixel size of a table file in the built bundle; 0 x 0 when it cannot be read.
Size sizeOf(const ImageRow& row) {
  std::unique_ptr<GFX_IBitmap> bitmap(
      GFX_LoadPNG((std::string(BUILT_BUNDLE) + "/" + row.file).c_str(), nullptr));
  return bitmap ? Size{bitmap->getWidth(), bitmap->getHeight()} : Size{0, 0};
}

std::vector<ImageRow> everyRow() {
  std::vector<ImageRow> rows;
  for (ImageRows set : {commonImageRows(), styleImageRows(0), styleImageRows(1)})
    rows.insert(rows.end(), set.begin(), set.end());
  return rows;
}

const ImageRow& rowNamed(int style, const std::string& name) {
  for (ImageRows set : {styleImageRows(style), commonImageRows()})
    for (const ImageRow& row : set)
      if (name == row.name) return row;
  throw std::out_of_range(name);
}

// An editor's graphics object and its image cache at one style and scale, on the built bundle.
struct Editor {
  Editor(int style, double scale)
      : env("KROMA_BUNDLE_DIR", BUILT_BUNDLE), graphics(&plug, 1500, 757) {
    graphics.SetBundleID(kBundleID);  // as the plug-in does: lookups go to this bundle
    cache.setStyle(style);
    cache.setScale(scale);
    cache.setLog(&log);
    cache.initImages(&graphics);
  }
  IBitmap image(const char* name) { return cache.getImageByName(&graphics, name); }
  kroma_test::ScopedEnv env;
  Plug plug;
  IGraphicsMac graphics;
  RecordingLog log;
  ImageCache cache;
};

// A graphics object whose decoder runs out of memory on one file.
class FailingDecoder : public IGraphicsMac {
 public:
  FailingDecoder(IPluginBase* plug, std::string failing)
      : IGraphicsMac(plug, 1500, 757), mFailing(std::move(failing)) {}
  GFX_IBitmap* OSLoadBitmap(int id, const char* name) override {
    if (mFailing == name) throw std::bad_alloc();
    return IGraphicsMac::OSLoadBitmap(id, name);
  }

 private:
  const std::string mFailing;
};

bool isEmpty(const IBitmap& bitmap) {
  return !bitmap.mData && bitmap.W == 0 && bitmap.H == 0 && bitmap.N == 1 &&
         !bitmap.mFramesAreHorizontal;
}

}  // namespace

// The framework caches pictures by id: two files under one id would draw one for the other.
TEST(ImageTableTest, EveryFileHasAnIdOfItsOwn) {
  std::map<int, std::string> fileOfId;
  for (const ImageRow& row : everyRow()) {
    const auto [entry, added] = fileOfId.emplace(row.id, row.file);
    EXPECT_EQ(entry->second, row.file) << "id " << row.id;
  }
  EXPECT_EQ(fileOfId.size(), 140u);
}

// The core loads these pictures by number: the table files them under the same numbers.
TEST(ImageTableTest, PicturesLoadedByNumberHaveTheirNumbers) {
  const struct {
    int style;
    const char* name;
    int id;
  } cases[] = {{0, "MAIN_BG_FRAME_ID", kEditorBackgroundId},
               {1, "MAIN_BG_FRAME_ID", kEditorBackgroundId},
               {0, "PROGRESS_INDICATOR_ID", kProgressOverlayIdLight},
               {1, "PROGRESS_INDICATOR_ID", kProgressOverlayIdDark}};
  for (const auto& c : cases) EXPECT_EQ(rowNamed(c.style, c.name).id, c.id) << c.name << c.style;
}

// A background is drawn whole behind its layer: one frame, in both styles.
TEST(ImageTableTest, BackgroundsAreOneFrame) {
  int backgrounds = 0;
  for (const ImageRow& row : everyRow()) {
    if (std::string(row.name).find("BG") == std::string::npos) continue;
    ++backgrounds;
    EXPECT_EQ(row.frames, 1) << row.name << " " << row.file;
  }
  EXPECT_GE(backgrounds, 30);
}

// The bundle's pictures are read without their checksums: every one gives the pixels the checking
// reader gives.
TEST(ImageTableTest, EveryPictureReadsTheSameUnchecked) {
  for (const ImageRow& row : everyRow()) {
    const std::string path = std::string(BUILT_BUNDLE) + "/" + row.file;
    std::unique_ptr<GFX_IBitmap> checked(GFX_LoadPNG(path.c_str(), nullptr));
    std::unique_ptr<GFX_IBitmap> unchecked(GFX_LoadPNG(path.c_str(), nullptr, false));
    ASSERT_TRUE(checked && unchecked) << row.file;
    ASSERT_EQ(unchecked->getWidth(), checked->getWidth()) << row.file;
    ASSERT_EQ(unchecked->getHeight(), checked->getHeight()) << row.file;
    const size_t words = (size_t)checked->getRowSpan() * checked->getHeight();
    EXPECT_TRUE(std::equal(checked->getBits(), checked->getBits() + words, unchecked->getBits()))
        << row.file;
  }
}

// Every picture built, at the GUI scale, cut toward zero, with frames that divide it.
TEST(ImageCacheTest, PicturesComeAtTheGuiScaleTruncatedWithTheirFrames) {
  for (const auto& [style, scale] : {std::pair{0, 0.85}, std::pair{1, 1.15}}) {
    Editor editor(style, scale);
    ASSERT_EQ(editor.cache.images().size(), 105u);
    for (const auto& [name, info] : editor.cache.images()) {
      SCOPED_TRACE(name + " at " + std::to_string(scale));
      const ImageRow& row = rowNamed(style, name);
      const Size file = sizeOf(row);
      ASSERT_GT(file.w * file.h, 0);
      EXPECT_EQ((row.framesHorizontal ? file.w : file.h) % row.frames, 0);
      const IBitmap bitmap = editor.image(name.c_str());
      EXPECT_EQ(bitmap.W, (int)(file.w * scale));
      EXPECT_EQ(bitmap.H, (int)(file.h * scale));
      EXPECT_EQ(bitmap.N, row.frames);
      EXPECT_EQ(bitmap.mFramesAreHorizontal, row.framesHorizontal);
    }
    EXPECT_EQ(editor.log.lines.size(), 2u);  // started and completed
  }
}

TEST(ImageCacheTest, AnUnknownStyleLoadsTheCommonPicturesOnly) {
  Editor editor(2, 1.0);
  EXPECT_EQ(editor.cache.images().size(), 69u);
  EXPECT_TRUE(editor.log.has("GUI style 2 has no image set!"));
  EXPECT_TRUE(isEmpty(editor.image("MAIN_BG_ID")));
  EXPECT_TRUE(editor.log.has("Image MAIN_BG_ID MISSING!"));
  editor.log.on = false;
  editor.log.lines.clear();
  EXPECT_TRUE(isEmpty(editor.image("NO_SUCH_ID")));
  EXPECT_TRUE(editor.log.lines.empty());
}

TEST(ImageCacheTest, ClearingKeepsWhatControlsDrawAndReloadsAtTheNewScale) {
  Editor editor(0, 1.0);
  const IBitmap drawn = editor.image("IKNOBROTATERCONTROL_ID5");  // as a control keeps it
  const unsigned int last = drawn.mData->getBits()[drawn.mData->getRowSpan() * drawn.H - 1];
  editor.cache.ClearImageCache(false);
  EXPECT_TRUE(editor.cache.images().empty());
  EXPECT_TRUE(isEmpty(editor.image("IKNOBROTATERCONTROL_ID5")));
  EXPECT_TRUE(editor.log.has("Image IKNOBROTATERCONTROL_ID5 MISSING!"));
  editor.cache.setScale(1.15);
  editor.cache.ClearImageCache(true);
  EXPECT_EQ(editor.cache.images().size(), 105u);
  EXPECT_EQ(editor.image("IKNOBROTATERCONTROL_ID5").W, 64);
  // The pixels the control draws are still there (AddressSanitizer reads them).
  EXPECT_EQ(drawn.mData->getBits()[drawn.mData->getRowSpan() * drawn.H - 1], last);
  editor.cache.setScale(1.0);
  editor.cache.ClearImageCache(true);
  EXPECT_EQ(editor.image("IKNOBROTATERCONTROL_ID5").mData, drawn.mData);
}

// A picture whose decoding throws, on whichever thread decodes it, is one that did not load: it is
// logged and missing, every other picture is there, and the host goes on.
TEST(ImageCacheTest, APictureWhoseDecodingThrowsIsMissingAndTheRestLoad) {
  kroma_test::ScopedEnv env("KROMA_BUNDLE_DIR", BUILT_BUNDLE);
  Plug plug;
  const ImageRow& knob = rowNamed(0, "IKNOBROTATERCONTROL_ID5");
  FailingDecoder graphics(&plug, knob.file);
  graphics.SetBundleID(kBundleID);
  RecordingLog log;
  ImageCache cache;
  cache.setScale(0.9);  // a scale no other test loads, so that every picture is decoded
  cache.setLog(&log);
  cache.initImages(&graphics);
  EXPECT_EQ(cache.images().size(), 104u);
  EXPECT_EQ(cache.images().count(knob.name), 0u);
  EXPECT_TRUE(log.has(std::string("Image IKNOBROTATERCONTROL_ID5 could not be read from ") +
                      knob.file + "!"));
}
