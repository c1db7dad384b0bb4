#include "src/config/UIConfigManager.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "FileEncrypt/ConfigKey.h"
#include "FileEncrypt/tea.h"
#include "toolkit/log.h"

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;
using tinyxml2::XMLNode;

namespace {

constexpr int layoutResourceId = 100;
constexpr int sysexResourceId = 101;
const char* const layoutResource = "resources/uiconfig.tea";
const char* const sysexResource = "resources/sysex.tea";

// An element without text stands for one blank.
std::string valueText(const XMLElement* value) {
  const char* text = value->GetText();
  return text ? text : " ";
}

// The texts of the run of elements that starts at `first` (siblings of any name follow it).
Values readValueRun(const XMLElement* first) {
  Values values;
  for (const XMLElement* e = first; e; e = e->NextSiblingElement()) {
    std::string text = valueText(e);
    if (!text.empty()) values.entries.push_back(std::move(text));
  }
  return values;
}

SysExContainer readSysexEntry(const XMLElement* entry) {
  SysExContainer container;
  for (const XMLElement* group = entry->FirstChildElement("values"); group;
       group = group->NextSiblingElement()) {
    if (const XMLElement* value = group->FirstChildElement("value")) {
      container.values.push_back(readValueRun(value));
      continue;
    }
    std::vector<Values> lists;
    for (const XMLElement* multi = group->FirstChildElement("multivalue"); multi;
         multi = multi->NextSiblingElement())
      lists.push_back(readValueRun(multi->FirstChildElement("value")));
    container.hasMultiValues = true;
    container.multiValues.push_back(std::move(lists));
  }
  return container;
}

}  // namespace

UIConfigManager::UIConfigManager()
    : mLoader([](int, const char* name) { return Bundle::loadResource(name); }) {}

UIConfigManager::~UIConfigManager() = default;

void UIConfigManager::setResourceLoader(ResourceLoader loader) {
  mLoader = std::move(loader);
}

void UIConfigManager::log(const std::string& message) const {
  TK_Log(mLog, "CONFIG READER: ", message);
}

void UIConfigManager::readUIConfig(IGraphics* graphics, UIConfigPlugin* plugin,
                                   PatchLibrarian* librarian, int style, double scale) {
  mLibrarian = librarian;
  mGraphics = graphics;
  mPlugin = plugin;
  mStyle = style;
  mScale = scale;

  readSysexValues();
  initImages(graphics);
  initParams();

  XMLDocument document;
  std::string text;
  if (!loadDocument(layoutResourceId, layoutResource, "uiconfig", document, text)) return;
  readReasources(&document);
  processXMLElement(document.FirstChildElement("uiconfig")->FirstChild(), nullptr, -1);
}

bool UIConfigManager::loadDocument(int id, const char* name, const char* root,
                                   XMLDocument& document, std::string& text) const {
  const std::optional<Bundle::LoadedFile> file = mLoader ? mLoader(id, name) : std::nullopt;
  // A count beyond the bytes a loader hands over is not trusted.
  int size = 0;
  if (file) size = std::min(file->size, static_cast<int>(file->bytes.size()));
  if (size < 1) {
    log(std::string("resource ") + name + " is missing or empty!");
    return false;
  }
  decrypt(reinterpret_cast<const char*>(file->bytes.data()), size, text);
  if (document.Parse(text.c_str()) != tinyxml2::XML_SUCCESS) {
    log(std::string("resource ") + name + " is not well formed: " + document.ErrorStr());
    document.Clear();
    return false;
  }
  if (!document.FirstChildElement(root)) {
    log(std::string("resource ") + name + " has no element " + root + "!");
    return false;
  }
  return true;
}

void UIConfigManager::decrypt(const char* data, int length, std::string& out) {
  if (length < 1) return;
  unsigned int key[4];
  configKeyWords(key);
  const size_t blocks = (static_cast<size_t>(length) + 7) / 8;
  const size_t start = out.size();
  // The last block is padded with zero bytes, as the loader's buffer is, never read beyond length.
  out.resize(start + blocks * 8, '\0');
  std::memcpy(&out[start], data, static_cast<size_t>(length));
  Tea::decryptBlocks(reinterpret_cast<unsigned char*>(&out[start]), blocks, key);
}

void UIConfigManager::readSysexValues() {
  log("Started to read SysEx Data...");
  XMLDocument document;
  std::string text;
  if (loadDocument(sysexResourceId, sysexResource, "sysexlist", document, text)) {
    const XMLElement* list = document.FirstChildElement("sysexlist");
    for (const XMLElement* entry = list->FirstChildElement("sysex"); entry;
         entry = entry->NextSiblingElement())
      sysexList.push_back(readSysexEntry(entry));
  }
  log("Completed reading SysEx data!");
}

void UIConfigManager::readReasources(XMLDocument* document) {
  const XMLElement* root = document->FirstChildElement("uiconfig");
  const XMLElement* lists = root ? root->FirstChildElement("valueLists") : nullptr;
  if (!lists) return;
  for (const XMLElement* list = lists->FirstChildElement(); list;
       list = list->NextSiblingElement()) {
    if (std::strcmp(list->Value(), "list") != 0) continue;
    const char* name = list->Attribute("name");
    if (!name) {
      log("value list without a name skipped!");
      continue;
    }
    std::vector<std::string> texts;
    for (const XMLElement* value = list->FirstChildElement("value"); value;
         value = value->NextSiblingElement("value")) {
      const char* text = value->GetText();
      texts.push_back(text ? text : "");
    }
    valueLists[name] = std::move(texts);
  }
}

bool UIConfigManager::getSysexTemplate(int sysexIndex, std::string& text) const {
  if (sysexIndex >= 0 && sysexIndex < static_cast<int>(sysexList.size())) {
    const SysExContainer& entry = sysexList[static_cast<size_t>(sysexIndex)];
    if (!entry.values.empty() && !entry.values.front().entries.empty()) {
      text = entry.values.front().entries.front();
      return true;
    }
  }
  logSkipped("no SysEx template at index " + std::to_string(sysexIndex));
  return false;
}

const std::vector<std::string>& UIConfigManager::getValueList(const std::string& name) const {
  static const std::vector<std::string> none;
  const auto it = valueLists.find(name);
  return it == valueLists.end() ? none : it->second;
}

std::string UIConfigManager::getValueText(const std::string& name, int index) const {
  const std::vector<std::string>& list = getValueList(name);
  return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<size_t>(index)]
                                                             : std::string();
}
