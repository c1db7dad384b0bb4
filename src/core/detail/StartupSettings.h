#pragma once

#include <string>
#include <vector>

// The two text files the plug-in reads from its data folder when it starts: the UI settings
// (colour scheme, GUI size, first-run notice) and the synthesizer's sample names.

// Reads up to maxLines lines, each up to its line feed, with every trailing blank, line feed,
// carriage return and tab removed (leading characters stay). Stops at the first line that cannot
// be read; the lines read so far stay. False, with no lines, when the file does not open.
bool readTrimmedLines(const std::string& path, size_t maxLines, std::vector<std::string>* lines);

// What the three lines of the UI settings file select. The texts are compared exactly.
struct UISettings {
  std::string colorSchemeLine;  // "white" or "black"; "normal" reads as white
  std::string sizeLine;         // "small", "normal" or "large"
  std::string firstRunLine;     // "no" while the first-run notice has not been dismissed

  // Missing lines stay empty.
  static UISettings read(const std::string& path);

  // The scale the editor is built at: 0.85, 1.0 or 1.15; 1.0 for any other text.
  double guiScale() const;
  // 1 for "black", otherwise 0 (the grey and white pictures).
  int colorScheme() const;
  // The values of kUserInterfaceStyle and kUserInterfaceSize the lines name; -1 for a line
  // that names none ("normal" moves no style control).
  int styleValue() const;
  int sizeValue() const;
  bool firstRunNoticeDue() const { return firstRunLine == "no"; }
};

// The synthesizer's sample names: entry n names sample n; empty past the file's last line.
struct SampleNames {
  static constexpr size_t kCount = 128;
  std::vector<std::string> names = std::vector<std::string>(kCount);
  bool fileRead = false;

  static SampleNames read(const std::string& path);
};
