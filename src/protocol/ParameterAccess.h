#pragma once

#include <string>

// What the dump codecs need of the plug-in's parameters, by flat index.
class ParameterAccess {
 public:
  virtual ~ParameterAccess() = default;

  // The plain value the parameter holds, read without notification.
  // [any thread; atomic value]
  virtual double getValue(int index) const = 0;
  // Sets a plain value from the plug-in side: held to the parameter's range and step and shown
  // by its controls; no change handler runs, nothing is sent and the host is not told.
  // [any thread; atomic values, redrawn at the editor timer]
  virtual void setParameterFromPlug(int index, double value) = 0;
  // The display text of value 0, where the name parameters keep their text.
  // [MIDI input thread, job lanes; copied under the parameter's text lock]
  virtual std::string getDisplayText(int index) const = 0;
  // Records the display text of value 0; a zero byte ends the text.
  // [MIDI input thread, job lanes; takes the parameter's text lock]
  virtual void setDisplayText(int index, const std::string& text) = 0;
};
