#include "src/editor/ImageCache.h"

#include "src/editor/ImageTable.h"
#include "toolkit/log.h"
#include "toolkit/plugin/editor/IGraphics.h"

void ImageCache::log(const std::string& message) const {
  TK_Log(mLog, "CONFIG READER: ", message);
}

void ImageCache::initImages(IGraphics* graphics) {
  mGraphics = graphics;
  if (!mClearing) mLoadedScale = mScale;
  log("Started to read image resources...");
  for (const ImageRow& row : commonImageRows())
    preloadImage(graphics, row.id, row.name, row.file, row.frames, row.framesHorizontal);
  const ImageRows styleRows = styleImageRows(mStyle);
  if (!styleRows.size()) log("GUI style " + std::to_string(mStyle) + " has no image set!");
  for (const ImageRow& row : styleRows)
    preloadImage(graphics, row.id, row.name, row.file, row.frames, row.framesHorizontal);
  log("Completed!");
}

void ImageCache::preloadImage(IGraphics* graphics, int id, const char* name, const char* file,
                              int frames, bool framesHorizontal) {
  // Releasing would free pixels that live controls draw; the cache keeps them instead.
  if (mClearing || !graphics) return;
  const IBitmap bitmap = graphics->LoadIBitmap(id, file, mScale, frames, false);
  if (!bitmap.mData) {
    log(std::string("Image ") + name + " could not be read from " + file + "!");
    return;
  }
  mImages[name] = ImageInfo{id, frames, framesHorizontal};
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
