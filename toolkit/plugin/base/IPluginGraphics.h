#pragma once

#include <utility>
#include <vector>

#include "toolkit/tkstring.h"

enum EFileAction { kFileOpen = 0, kFileSave = 1 };

// What the plug-in base asks of its editor's graphics object. The graphics
// object (IGraphics) implements it; the base owns the object once attached.
class IPluginGraphics {
 public:
  virtual ~IPluginGraphics() = default;

  // Shows a parameter's value on every control bound to it.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // Shows the values of several parameters, each named once, as SetParameterFromPlug would one
  // by one.
  virtual void SetParametersFromPlug(const std::vector<std::pair<int, double>>& values,
                                     bool normalized) {
    for (const auto& [paramIdx, value] : values) SetParameterFromPlug(paramIdx, value, normalized);
  }
  // Makes the back buffer; called when the object is attached.
  virtual void PrepDraw() = 0;
  // Asks the user for a file. fileName holds the proposed name and receives
  // the chosen path, or stays empty when nothing was chosen; folder is where
  // the panel starts and receives the chosen file's folder. extensions are
  // separated by blanks.
  virtual void PromptForFile(TK_String* fileName, EFileAction action, TK_String* folder,
                             const char* extensions) = 0;
};
