#pragma once

#include <string>

#include "src/protocol/ProtocolPlugin.h"

// The display texts and bank-view refreshes that jobs, collectors, parsers and menus ask for.
// The plug-in class forwards its operations of the same names here.
class PluginDisplays {
 public:
  explicit PluginDisplays(ProtocolPlugin& plugin) : mPlugin(plugin) {}

  // 0: redraw the view and refill the upper list; 1: the lower list; 2: both, upper first;
  // anything else does nothing.
  void updatePatchLibrarianView(int which);
  void setLibrarianViewDirty() { mPlugin.markLibrarianViewDirty(); }

  // The name, value and CC displays, in this order.
  void displayText(const std::string& name, const std::string& value, const std::string& cc);
  void displayCategoryName(const std::string& text);
  void displayPatchName(const std::string& text);
  void displayBuild(const std::string& text);
  // The status line: the name display, where every transfer reports. A text of one line: the
  // value display, an earlier edit's, clears.
  void showStatus(const std::string& text);

 private:
  ProtocolPlugin& mPlugin;
};
