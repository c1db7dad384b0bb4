#include "src/editor/ImageCache.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "src/editor/ImageTable.h"
#include "toolkit/log.h"
#include "toolkit/plugin/editor/IGraphics.h"

void ImageCache::log(const std::string& message) const {
  TK_Log(mLog, "CONFIG READER: ", message);
}

namespace {

// The most threads that decode at once, the calling one included.
constexpr unsigned kMaxDecoders = 4;

// Whether the row's picture is in the framework's cache now. A decoder that throws (in practice
// out of memory) leaves it out like an unreadable file: on a worker thread the exception would
// end the host.
bool loadOne(IGraphics* graphics, const ImageRow& row, double scale) {
  try {
    return graphics->LoadIBitmap(row.id, row.file, scale, row.frames, false).mData != nullptr;
  } catch (...) {
    return false;
  }
}

// Loads the rows' pictures at the scale into the framework's cache on worker threads of this
// call and on the calling one; whether each row's picture is there, by row. The workers are this
// call's own, so that one editor's start never waits for another's.
std::vector<char> loadAll(IGraphics* graphics, const std::vector<ImageRow>& rows, double scale) {
  std::vector<char> loaded(rows.size(), 0);
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i; (i = next++) < rows.size();) loaded[i] = loadOne(graphics, rows[i], scale);
  };
  const unsigned decoders = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxDecoders);
  std::vector<std::thread> workers;
  try {
    while (workers.size() + 1 < decoders) workers.emplace_back(work);
  } catch (const std::system_error&) {
    // No more threads: the ones there (this one at least) load the rest.
  }
  work();
  for (std::thread& worker : workers) worker.join();
  return loaded;
}

}  // namespace

void ImageCache::initImages(IGraphics* graphics) {
  mGraphics = graphics;
  if (!mClearing) mLoadedScale = mScale;
  log("Started to read image resources...");
  const ImageRows common = commonImageRows(), style = styleImageRows(mStyle);
  std::vector<ImageRow> rows(common.begin(), common.end());
  rows.insert(rows.end(), style.begin(), style.end());
  // Releasing would free pixels that live controls draw; the cache keeps them instead.
  const std::vector<char> loaded =
      mClearing || !graphics ? std::vector<char>() : loadAll(graphics, rows, mScale);
  for (size_t i = 0; i < loaded.size(); ++i) record(rows[i], loaded[i] != 0);
  if (!style.size()) log("GUI style " + std::to_string(mStyle) + " has no image set!");
  log("Completed!");
}

void ImageCache::preloadImage(IGraphics* graphics, int id, const char* name, const char* file,
                              int frames, bool framesHorizontal) {
  // Releasing would free pixels that live controls draw; the cache keeps them instead.
  if (mClearing || !graphics) return;
  const IBitmap bitmap = graphics->LoadIBitmap(id, file, mScale, frames, false);
  record(ImageRow{name, id, file, frames, framesHorizontal}, bitmap.mData != nullptr);
}

void ImageCache::record(const ImageRow& row, bool loaded) {
  if (!loaded)
    log(std::string("Image ") + row.name + " could not be read from " + row.file + "!");
  else
    mImages[row.name] = ImageInfo{row.id, row.frames, row.framesHorizontal};
}

IBitmap ImageCache::getImageByName(IGraphics* graphics, std::string name) {
  const auto found = mImages.find(name);
  if (found != mImages.end() && graphics) {
    const ImageInfo& info = found->second;
    const IBitmap bitmap = graphics->getImageById(info.resourceId, mLoadedScale, info.frameCount,
                                                  info.framesHorizontal);
    if (bitmap.mData) return bitmap;
  }
  log("Image " + name + " MISSING!");
  return IBitmap();
}

void ImageCache::ClearImageCache(bool reload) {
  mClearing = true;
  mImages.clear();
  initImages(mGraphics);
  mClearing = false;
  if (reload) initImages(mGraphics);
}
