#pragma once

#include <string>

class DisplayHost;
class ITextControl;

// The central display: the edited parameter's name on the name line and its value as text on the
// value display. The rule that makes the text follows from the parameter index (DisplayRules.h).
class ControlDisplay {
 public:
  // Shows the parameter at paramIdx with `value`, its current value or that value truncated.
  // Both lines keep their texts for an excluded parameter, before start-up completes, for
  // kControlLibrary while the host's program changes pass through, and, while the host's transport
  // runs, for a parameter of another part than the current one. Runs inside the plug-in's
  // parameter-change handlers, under the plug-in's lock.
  void controlDisplay(DisplayHost* plugin, int paramIdx, double value, bool transportRunning);

  // `value` as a whole number: the nearest, a half to the even neighbour ("%.0f").
  static std::string getValueString(double value);

 private:
  // Logs, once, the display controls that the layout did not build; they are never written.
  void reportMissingControls(const DisplayHost& plugin, const ITextControl* nameLine,
                             const ITextControl* valueDisplay);

  bool mMissingReported = false;  // under the plug-in's lock
};
