#pragma once

// What the configuration manager reaches of the floors above it. Config includes nothing from
// there: the plug-in class implements the interface below, and the framework types appear only
// as declarations, completed by the editor side that builds the controls.

class IPluginBase;

// The framework's slider direction (vertical 0, horizontal 1), declared without its header.
enum EDirection : int;
constexpr EDirection kSliderVertical = static_cast<EDirection>(0);
constexpr EDirection kSliderHorizontal = static_cast<EDirection>(1);

// The plug-in as the configuration manager and its control builders use it (`Kroma` implements
// it). The builders take the parameters from it and make their controls for it.
class UIConfigPlugin {
 public:
  virtual ~UIConfigPlugin() = default;
  // The plug-in's parameter table (indices 0 to 8455) and the owner of the controls.
  virtual IPluginBase* configPluginBase() = 0;
};

// The patch librarian: the manager only keeps its pointer for the librarian view it makes, and
// calls nothing on it.
class PatchLibrarian;
