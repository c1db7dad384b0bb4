#pragma once

#include <map>
#include <string>

#include "toolkit/plugin/editor/IDrawTypes.h"

class IGraphics;
class UIConfigManager;

// Seam: stands in for the image cache until it lands, behind the same four operations. It holds
// no image table: only what is preloaded by name is found.
class ImageCacheStandIn {
 public:
  explicit ImageCacheStandIn(const UIConfigManager& config) : mConfig(config) {}

  void initImages(IGraphics*) {}
  // Loads the bitmap at the GUI scale and records it under `name`.
  void preloadImage(IGraphics* graphics, int id, const char* name, const char* file, int frames,
                    bool framesHorizontal);
  // The bitmap recorded under `name`; the empty bitmap, and a log line, when there is none.
  IBitmap getImageByName(IGraphics* graphics, const std::string& name);
  void ClearImageCache(bool) { mImages.clear(); }

 private:
  struct ImageInfo {
    int id;
    int frames;
    bool framesHorizontal;
  };

  const UIConfigManager& mConfig;
  std::map<std::string, ImageInfo> mImages;
};
