#pragma once

#include <string>

// Every path inside the plug-in's data folder comes from here, so that tests
// and installations can move the whole folder with one variable.
//
// The folder is $KROMA_DATA_DIR when that is set, else
// $XDG_DATA_HOME/Quillon Bay Sound/Tessmar Kroma Editor/ (XDG_DATA_HOME
// defaulting to ~/.local/share). The plug-in never creates the folder or
// anything in it; the installation does.
class DataFolder {
 public:
  // The effect name that starts the names of the plug-in's own files.
  static constexpr const char* kEffectName = "Kroma Editor";

  // The folder itself, always with a closing "/".
  static std::string path();
  // The bank files' folder: path() + "Patches", without a closing "/".
  static std::string patchesFolder();
  // The debug log; logging is on only while this file exists at start-up.
  static std::string logFile();
  // The three-line UI settings file (colour scheme, GUI size, first run).
  static std::string uiSettingsFile();
  // The synthesizer's sample names, one per line.
  static std::string samplesFile();
  // The user manual that the installation puts into the folder.
  static std::string userManual();
};
