#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "src/editor/EditorConfigManager.h"
#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "toolkit/log.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

// The shipped layout read the way the layout interpreter reads it: layers, per-part copies,
// parameter indices, and each control's rectangle at scale 1.0. The checks of the layout tests
// work on this.
namespace layout_check {

struct Rect {
  int l = 0, t = 0, r = 0, b = 0;
  bool empty() const { return r <= l || b <= t; }
  bool overlaps(const Rect& o) const { return l < o.r && o.l < r && t < o.b && o.t < b; }
  bool within(const Rect& o) const { return l >= o.l && t >= o.t && r <= o.r && b <= o.b; }
};

struct Layer {
  std::string name;
  bool copy = false;    // made by a multilayer
  bool inCopy = false;  // a copy or inside one
};

struct Control {
  const tinyxml2::XMLElement* element = nullptr;
  std::string tag;
  std::string type;
  int index = -1;  // parameter index; -1 without paramId or unresolved
  int part = -1;
  int line = 0;
  const Layer* layer = nullptr;
  bool decoration = false;  // a background picture
  Rect rect;
  bool hasLabelBox = false;
  Rect labelBox;

  std::string attr(const char* name) const;
  int intAttr(const char* name, int fallback = 0) const;
  // The comma-separated integers of a list attribute, as many as it holds.
  std::vector<int> list(const char* name) const;
  std::string where() const;  // tag, name and line, for messages
};

// The reader's log, dropped: the built layout's log is the one checked.
class NoLog : public TK_LogSink {
  void Write(const char*, const std::string&) override {}
};

class Layout {
 public:
  // Deciphers and walks the two configuration resources of a built bundle folder.
  static std::unique_ptr<Layout> shipped(const std::string& bundleDir);
  ~Layout();

  const std::vector<Control>& controls() const { return mControls; }
  const std::deque<Layer>& layers() const { return mLayers; }
  const UIConfigManager& config() const { return mConfig; }
  // Problems met on the way: unresolved identifiers, indices out of their stretch.
  const std::vector<std::string>& problems() const { return mProblems; }

  // Every control bound to a parameter index.
  std::vector<const Control*> controlsOf(int index) const;

 private:
  Layout();
  void walk(const tinyxml2::XMLElement* first, Layer* layer, int part, bool inCopy);
  void addControl(const tinyxml2::XMLElement* e, Layer* layer, int part);
  Layer* addLayer(const std::string& name, bool copy, bool inCopy);
  int indexOf(const std::string& paramId, int part, int line);

  NoLog mLog;
  EditorConfigManager mConfig;  // the reader alone: no layout is built
  std::unique_ptr<tinyxml2::XMLDocument> mDocument;
  std::string mText;
  std::deque<Layer> mLayers;
  std::vector<Control> mControls;
  std::multimap<int, size_t> mByIndex;
  std::vector<std::string> mProblems;
};

// The built bundle's layout, walked once for the whole test program.
const Layout& shippedLayout();

// The shipped layout built by the real configuration manager and builders, with the bundle's
// pictures, on a plug-in of the full parameter table and a graphics object without a window.
class BuiltLayout : public HostlessPlugin, public UIConfigPlugin, public TK_LogSink {
 public:
  BuiltLayout(const std::string& bundleDir, int style, double scale);

  IPluginBase* configPluginBase() override { return this; }
  void Write(const char* tag, const std::string& message) override {
    lines.push_back(tag + message);
  }

  IGraphicsMac* graphics;
  EditorConfigManager config;
  std::vector<std::string> lines;  // what the reader logged
};

// The built bundle's layout as the builders make it (light style, scale 1.0), once for the test
// program.
BuiltLayout& builtLayout();

// What the rest of the plug-in expects of its layout, written down from the places that rely
// on it.
// Layers taken from the layer map by name.
const std::vector<std::string>& lookedUpLayers();
// Parameters whose first control (or binding) the plug-in core keeps, and those whose changes by
// the user its dispatch acts on.
const std::vector<std::string>& lookedUpControls();

// Controller numbers of the oscillators' octave and semitone.
extern const int kOctaveCC[3];
extern const int kSemitoneCC[3];

}  // namespace layout_check
