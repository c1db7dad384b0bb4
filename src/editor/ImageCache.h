#pragma once

#include <map>
#include <string>

#include "toolkit/plugin/editor/IDrawTypes.h"

class IGraphics;
class TK_LogSink;
struct ImageRow;

// Where a named picture lives in the framework's bitmap cache, and how its frames lie.
struct ImageInfo {
  int resourceId = 0;
  int frameCount = 1;
  bool framesHorizontal = false;
};

// The editor's pictures by name. initImages loads the image table for the GUI style at the GUI
// scale into the framework's process-wide cache (keyed by id and scale) and records each name;
// builders then ask for pictures by name only. Holds no pixels. Every operation runs on the
// thread that builds the editor; initImages decodes on worker threads of its own as well and
// returns when they are done.
//
// Every picture is at the GUI scale, the progress overlay and the editor background included:
// the plug-in core takes the overlay as getImageByName("PROGRESS_INDICATOR_ID") (or loads id 122
// or 995 at scale()), so that it is trunc(1500 x scale) x trunc(757 x scale), exactly the
// editor, and finds the copy loaded here.
class ImageCache {
 public:
  ImageCache() = default;

  // Set before initImages; a change takes effect at ClearImageCache(true).
  void setStyle(int style) { mStyle = style; }
  void setScale(double scale) { mScale = scale; }
  // The debug log: lines are written only while it is on. Null writes to standard error.
  void setLog(TK_LogSink* log) { mLog = log; }
  int style() const { return mStyle; }
  double scale() const { return mScale; }

  // Loads the common rows and the rows of the GUI style (none for a style other than 0 and 1)
  // and records their names.
  void initImages(IGraphics* graphics);
  // Loads one picture at the GUI scale and records it under the name. A file that is missing or
  // cannot be decoded records nothing and is logged; building goes on.
  void preloadImage(IGraphics* graphics, int id, const char* name, const char* file, int frames,
                    bool framesHorizontal);
  // The picture recorded under the name; the empty bitmap (0 x 0, 1 frame), logged, when there
  // is none.
  IBitmap getImageByName(IGraphics* graphics, std::string name);
  // Forgets every name; with reload, loads the table again for the style and scale held now.
  // Pictures stay in the framework's cache: controls built before may still draw them, and
  // another editor of the process may share them. A scale or style that was loaded before is
  // found there again without decoding.
  void ClearImageCache(bool reload);

  const std::map<std::string, ImageInfo>& images() const { return mImages; }

 private:
  void log(const std::string& message) const;
  // Records the row's name when its picture loaded, else logs the failure.
  void record(const ImageRow& row, bool loaded);

  std::map<std::string, ImageInfo> mImages;
  // Set during the pass of ClearImageCache that would release the table.
  bool mClearing = false;
  int mStyle = 0;
  double mScale = 1.0;
  // The scale the recorded names were loaded at.
  double mLoadedScale = 1.0;
  TK_LogSink* mLog = nullptr;
  IGraphics* mGraphics = nullptr;
};
