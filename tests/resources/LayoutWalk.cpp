#include "tests/resources/LayoutWalk.h"

#include <tinyxml2.h>

#include <cstring>
#include <iterator>
#include <set>
#include <sstream>

#include "platform/bundle/Bundle.h"
#include "src/config/ParameterIds.h"
#include "tests/support/TempDir.h"
#include "tools/layoutgen/tables/ImageSizes.h"

namespace layout_check {
namespace {

constexpr int kMenuHeight = 13;

const std::set<std::string> kLayerTags = {"layer",         "fxlayer",          "multifxlayer",
                                          "envelopelayer", "oscillator1layer", "oscillator2layer",
                                          "modlayer",      "banklayer"};
const std::set<std::string> kControlTags = {
    "patchBrowser", "background", "display",     "switch",        "autooff",     "dropMenu",
    "multiFx",      "radio",      "knobcontrol", "buttoncontrol", "menucontrol", "slidercontrol"};

int stretchLength(int base) {
  for (int i = 0; i < paramIdCount; ++i)
    if (paramIdTable[i].index == base) return paramIdTable[i].length;
  return 0;
}

Rect frameRect(const std::string& image, int x, int y) {
  const layout_tables::ImageSize s = layout_tables::imageSize(image);
  return {x, y, x + s.w, y + s.h};
}

Rect boundsRect(const std::vector<int>& b) {
  return b.size() < 4 ? Rect{} : Rect{b[0], b[1], b[0] + b[2], b[1] + b[3]};
}

// The rectangle each builder gives its control at scale 1.0.
Rect rectOf(const Control& c) {
  const std::vector<int> pos = c.list("position");
  const int x = pos.size() > 0 ? pos[0] : 0, y = pos.size() > 1 ? pos[1] : 0;
  const std::string image = c.attr("imageId");
  if (c.tag == "display" || c.tag == "dropMenu" || c.tag == "patchBrowser")
    return boundsRect(c.list("bounds"));
  if (c.type == "seMenu" || c.type == "ccMenu")
    return {x, y, x + (pos.size() > 2 ? pos[2] : 0), y + kMenuHeight};
  if (c.tag == "multiFx" && c.type == "Menu") return boundsRect(pos);
  if (c.type == "seSliderHor" || c.type == "ccSliderHor") {
    const Rect handle = frameRect(image, x, y);
    return {x, y, x + c.intAttr("length"), handle.b};
  }
  if (c.type == "seSliderVer" || c.type == "ccSliderVer") {
    const Rect handle = frameRect(image, x, y);
    return {x, y, handle.r, y + c.intAttr("length")};
  }
  return frameRect(image, x, y);
}

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

}  // namespace

std::string Control::attr(const char* name) const {
  const char* value = element->Attribute(name);
  return value ? value : "";
}

int Control::intAttr(const char* name, int fallback) const {
  element->QueryIntAttribute(name, &fallback);
  return fallback;
}

std::vector<int> Control::list(const char* name) const {
  std::vector<std::string> tokens;
  UIConfigManager::Tokenize(attr(name), tokens, ",");
  std::vector<int> values(tokens.size(), 0);
  if (!values.empty())
    UIConfigManager::getCSValues(attr(name), values.data(), static_cast<int>(values.size()));
  return values;
}

std::string Control::where() const {
  std::string name = attr("name").empty() ? attr("paramId") : attr("name");
  if (name.empty()) name = attr("imageId");
  return tag + (type.empty() ? "" : "/" + type) + " '" + name + "' part " + std::to_string(part) +
         " at line " + std::to_string(line);
}

Layout::Layout() : mDocument(std::make_unique<tinyxml2::XMLDocument>()) {
  mConfig.setLog(&mLog);
}

Layout::~Layout() = default;

std::unique_ptr<Layout> Layout::shipped(const std::string& bundleDir) {
  kroma_test::ScopedEnv env("KROMA_BUNDLE_DIR", bundleDir.c_str());
  std::unique_ptr<Layout> layout(new Layout());
  layout->mConfig.readSysexValues();
  layout->mConfig.initParams();
  const std::optional<Bundle::LoadedFile> file = Bundle::loadResource("uiconfig.tea");
  if (!file) {
    layout->mProblems.push_back("no uiconfig.tea in " + bundleDir);
    return layout;
  }
  UIConfigManager::decrypt(reinterpret_cast<const char*>(file->bytes.data()), file->size,
                           layout->mText);
  layout->mDocument->Parse(layout->mText.c_str());
  if (layout->mDocument->Error()) {
    layout->mProblems.push_back(std::string("uiconfig.tea: ") + layout->mDocument->ErrorStr());
    return layout;
  }
  layout->mConfig.readReasources(layout->mDocument.get());
  const tinyxml2::XMLElement* root = layout->mDocument->FirstChildElement("uiconfig");
  if (root) layout->walk(root->FirstChildElement(), nullptr, -1, false);
  return layout;
}

Layer* Layout::addLayer(const std::string& name, bool copy, bool inCopy) {
  mLayers.push_back(Layer{name, copy, inCopy});
  return &mLayers.back();
}

int Layout::indexOf(const std::string& paramId, int part, int line) {
  if (paramId.empty()) return -1;
  std::vector<std::string> pieces;
  UIConfigManager::Tokenize(paramId, pieces, "+");
  const int base = pieces.empty() ? -1 : mConfig.getParamByName(pieces[0]);
  if (base < 0) {
    mProblems.push_back("unknown identifier " + paramId + " at line " + std::to_string(line));
    return -1;
  }
  const int offset = std::max(part, 0) + (pieces.size() > 1 ? std::atoi(pieces[1].c_str()) : 0);
  if (offset < 0 || offset >= stretchLength(base) || base + offset >= numParams) {
    mProblems.push_back(paramId + " with part " + std::to_string(part) +
                        " leaves its identifier's indices at line " + std::to_string(line));
    return -1;
  }
  return base + offset;
}

void Layout::addControl(const tinyxml2::XMLElement* e, Layer* layer, int part) {
  Control c;
  c.element = e;
  c.tag = e->Name();
  c.type = c.attr("type");
  c.part = part;
  c.line = e->GetLineNum();
  c.layer = layer;
  c.decoration = c.tag == "background";
  c.index = indexOf(c.attr("paramId"), part, c.line);
  c.rect = rectOf(c);
  const std::vector<int> label = c.list("labelBounds");
  c.hasLabelBox = label.size() == 4;
  if (c.hasLabelBox) c.labelBox = boundsRect(label);
  if (c.index >= 0) mByIndex.emplace(c.index, mControls.size());
  mControls.push_back(c);
}

void Layout::walk(const tinyxml2::XMLElement* e, Layer* layer, int part, bool inCopy) {
  for (; e; e = e->NextSiblingElement()) {
    const char* name = e->Name();
    if (kLayerTags.count(name)) {
      Layer* child = addLayer(e->Attribute("name") ? e->Attribute("name") : "", false, inCopy);
      walk(e->FirstChildElement(), child, part, inCopy);
    } else if (std::strcmp(name, "multilayer") == 0) {
      const std::string base = e->Attribute("name") ? e->Attribute("name") : "";
      for (int i = 0; i < e->IntAttribute("create", 0); ++i) {
        Layer* copy = addLayer(base + std::to_string(i), true, true);
        walk(e->FirstChildElement(), copy, i, true);
      }
    } else if (kControlTags.count(name)) {
      addControl(e, layer, part);
    }
  }
}

std::vector<const Control*> Layout::controlsOf(int index) const {
  std::vector<const Control*> out;
  const auto range = mByIndex.equal_range(index);
  for (auto it = range.first; it != range.second; ++it) out.push_back(&mControls[it->second]);
  return out;
}

const Layout& shippedLayout() {
  static const std::unique_ptr<Layout> layout = Layout::shipped(BUILT_BUNDLE);
  return *layout;
}

BuiltLayout::BuiltLayout(const std::string& bundleDir, int style, double scale)
    : HostlessPlugin(numParams, "2-2", 0, "Kroma Editor", "", "Quillon Bay Sound", 0x00010203, 1, 2,
                     0, true, true, true, kAPIVST2) {
  initialize(0, numParams, "2-2", 0, "Kroma Editor", "", "Quillon Bay Sound", 0x00010203, 1, 2, 0,
             true, true, true);
  graphics = new IGraphicsMac(this, static_cast<int>(1500 * scale), static_cast<int>(757 * scale));
  graphics->SetBundleID(kBundleID);
  AttachGraphics(graphics);
  config.setLog(this);
  kroma_test::ScopedEnv bundle("KROMA_BUNDLE_DIR", bundleDir.c_str());
  config.readUIConfig(graphics, this, nullptr, style, scale);
}

BuiltLayout& builtLayout() {
  static const std::unique_ptr<BuiltLayout> layout =
      std::make_unique<BuiltLayout>(BUILT_BUNDLE, 0, 1.0);
  return *layout;
}

const int kOctaveCC[3] = {27, 35, 42};
const int kSemitoneCC[3] = {28, 36, 43};

const std::vector<std::string>& lookedUpLayers() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out = words(
        "root oscillators filtersEnvelopes lfoModMatrix effectsArp miniMixer patchLibrarian "
        "multiModeSettingsPage1 filter1LP filter1BP filter1HP filter1Notch filter1CombMinus "
        "filter1CombPlus filter2LP filter2BP filter2HP filter2Notch filter2CombMinus "
        "filter2CombPlus bankAndProgramMulti saveChangesLayer discardChangesLayerRight "
        "keepBankOpenLayer aboutWindow firstRunNotification bankPatchConflictWindow "
        "midiFilterSettings Bypass Chorus Flanger Phaser Overdrive TripleFX Delay DelayClocked "
        "Reverb patchRename categoryLimit searchField");
    for (int n = 1; n <= 16; ++n)
      for (const char* name : {"bankAndProgram", "multiSettingsPart"})
        out.push_back(name + std::string(n < 10 ? "0" : "") + std::to_string(n));
    return out;
  }();
  return names;
}

const std::vector<std::string>& lookedUpControls() {
  static const std::vector<std::string> names = [] {
    // Besides the controls the plug-in core keeps, the parameters its dispatch acts on when the
    // user changes them, and every section lock of every part.
    std::vector<std::string> out = words(
        "kRandomize kDatatype kPatchSearch kControlProgBank kQuickTab kMainTab "
        "kPatchSelectionListUpper kPatchSelectionListLower kDeviceOutSelection kDeviceInSelection "
        "kPatchRename kControlDisplayName kControlDisplayValue kControlDisplayCategory "
        "kControlDisplayPatch kControlDisplayCC kControlDisplayBuild kControlDisplayMIDIOutDelay "
        "kControlLibrary kKeepSelectedBank kOverrideTempo kMIDIFilterTrackIncomingMIDI "
        "kMIDIFilterDirectToHardware kMIDIFilterToDAWBuffer kSendMIDIClockPointer "
        "kSendMIDIClockInfo kMasterKeyboard kUserInterfaceSize kUserInterfaceStyle kFirstRunExit "
        "kViewMIDIFilterSettings kDisplayAboutWindow kExitAboutWindow kDiscardBankData "
        "kOverwriteBank kCategorySelection kPatchSearchString kAdjustDAWOffset "
        "kLibUpperPreviousBank kLibUpperNextBank kLibLowerPreviousBank kLibLowerNextBank "
        "kPushArrangement kRequestTempData kRequestFromBank kLibSyncTimer kMultiName kEffect1Mode "
        "kEffect2Mode kSectionLockGlobal");
    std::vector<std::string> perPart =
        words("kMultiPartMIDICh kPatchName kPatchUp kPatchDown kMultiPartSettings kPartLock");
    for (int i = 0; i < paramIdCount; ++i)
      if (std::string(paramIdTable[i].name).rfind("kSectionLock", 0) == 0 &&
          paramIdTable[i].length == 16)
        perPart.push_back(paramIdTable[i].name);
    for (const std::string& id : perPart)
      for (int part = 0; part < 16; ++part)
        out.push_back(id + (part ? "+" + std::to_string(part) : ""));
    for (const char* side : {"DAW", "HW"})
      for (const char* kind : {"CC", "PC", "Note", "PP", "PA", "CA", "SE"})
        out.push_back(std::string("kMIDIFilter") + side + kind + "PassThrough");
    return out;
  }();
  return names;
}

}  // namespace layout_check
