#include "src/editor/ImageCacheStandIn.h"

#include "src/config/UIConfigManager.h"
#include "toolkit/log.h"
#include "toolkit/plugin/editor/IGraphics.h"

void ImageCacheStandIn::preloadImage(IGraphics* graphics, int id, const char* name,
                                     const char* file, int frames, bool framesHorizontal) {
  graphics->LoadIBitmap(id, file, mConfig.scale(), frames, false);
  mImages[name] = ImageInfo{id, frames, framesHorizontal};
}

IBitmap ImageCacheStandIn::getImageByName(IGraphics* graphics, const std::string& name) {
  const auto it = mImages.find(name);
  if (it != mImages.end())
    return graphics->getImageById(it->second.id, it->second.frames, it->second.framesHorizontal);
  TK_Log(mConfig.logSink(), "CONFIG READER: ", "Image " + name + " MISSING!");
  return IBitmap();
}
