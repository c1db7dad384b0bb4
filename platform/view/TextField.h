#pragma once

#include <cstdint>
#include <string>

// A one-line text field over the editor, with the input filter of its
// formatter: an optional set of acceptable characters, a maximum length and a
// maximum integer value (0: no limit).
struct VIEW_TextField {
  enum Align { kLeft = 0, kCentre, kRight };

  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::string text;
  int fontSize = 0;
  int align = kLeft;
  bool filtered = false;  // without a filter any text is accepted
  std::string acceptable;
  int maxLength = 0;
  int maxValue = 0;
  uint32_t textColour = 0;
  uint32_t backgroundColour = 0;

  // Whether an edit that leaves candidate in the field is allowed.
  bool accepts(const std::string& candidate) const;
  // Types text character by character; refused characters are dropped.
  void type(const std::string& typed);
};
