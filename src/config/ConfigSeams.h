#pragma once

#include <functional>
#include <string>

#include "src/config/LinkInfo.h"

class ControlAction;
class ControlLayer;
class IGraphics;
namespace tinyxml2 {
class XMLNode;
}

// Receives the configuration reader's debug messages. The plug-in sets it only while its debug
// switch is on; unset, nothing is logged.
using ConfigLog = std::function<void(const std::string& message)>;

// The steps of the reading sequence that the editor construction supplies.
class LayoutBuilder {
 public:
  virtual ~LayoutBuilder() = default;
  // Preloads the editor's bitmaps before any control is built.
  virtual void initImages(IGraphics* graphics) = 0;
  // Builds the layout from `node` and its following siblings.
  virtual void processXMLElement(tinyxml2::XMLNode* node, ControlLayer* layer, int part) = 0;
};

// The MIDI bindings of the parameters, as far as links need them.
class ControlLinkStore {
 public:
  virtual ~ControlLinkStore() = default;
  // The binding of a parameter; a placeholder binding (SysEx type, empty table) is attached when
  // it has none. Null when no parameter has that index.
  virtual ControlAction* actionOf(int paramIdx) = 0;
  virtual void setLink(ControlAction* action, const LinkInfo& link) = 0;
};
