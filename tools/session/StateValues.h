#pragma once

#include <string>
#include <vector>

#include "src/protocol/ParameterAccess.h"

namespace session {

// The parameter values of a state the plug-in saved, as the dump codecs read parameters: what a
// sound dump of a part holds by them.
class StateValues : public ParameterAccess {
 public:
  explicit StateValues(std::vector<double> values) : mValues(std::move(values)) {}

  const std::vector<double>& values() const { return mValues; }
  // The data bytes of `part`'s sound (offsets 8 to 365) where `dump`, a sound dump the
  // synthesizer holds, differs from what these values give.
  std::vector<int> soundBytesDiffering(const std::vector<unsigned char>& dump, int part) const;

  double getValue(int index) const override;
  void setParameterFromPlug(int, double) override {}
  std::string getDisplayText(int) const override { return ""; }
  void setDisplayText(int, const std::string&) override {}

 private:
  std::vector<double> mValues;
};

}  // namespace session
