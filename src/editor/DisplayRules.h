#pragma once

#include <string>

// How the value display turns a parameter's value into text. The rule follows from the parameter
// index alone; most rules serve whole per-part blocks of 16 indices.
enum class DisplayRuleKind : unsigned char {
  fallback,       // the bare number
  excluded,       // never shown: both lines keep their texts
  signedOffset,   // the distance from a centre value
  octaveFootage,  // the oscillators' octave in feet
  pulseWidth,
  filterBalance,  // the share sent to filter 1 and filter 2
  panning,
  valueList,  // an entry of a named value list, at the parameter's stored value
  sampleName,
  lfoSpeed,      // a clocked word, or the bare number while the LFO runs free
  fixedTexts,    // one text for each value from 0
  feedback,      // a percentage of 0..127
  midiChannel,   // a part's channel: "Global", "Omni" or the channel number
  countFromOne,  // the value plus one
};

struct DisplayRule {
  DisplayRuleKind kind = DisplayRuleKind::fallback;
  // valueList and lfoSpeed: the list's name.
  std::string list;
  // signedOffset: the centre, the text shown for it and the highest value shown.
  int centre = 0;
  const char* centreText = "";
  int top = 0;
  // fixedTexts: the texts of the values 0 to textCount - 1.
  const char* const* texts = nullptr;
  int textCount = 0;
};

// The rule of a flat parameter index; an index outside the parameter table is excluded.
const DisplayRule& displayRuleOf(int paramIdx);
