#pragma once

#include <map>
#include <string>
#include <vector>

#include "src/config/ParameterIds.h"
#include "src/protocol/ParameterAccess.h"

namespace protocol_test {

// Every parameter as a plain double, unbounded; remembers each value set from the plug-in side.
class FakeParameters : public ParameterAccess {
 public:
  double getValue(int index) const override { return values.at(index); }
  void setParameterFromPlug(int index, double value) override {
    values.at(index) = value;
    setOrder.push_back(index);
  }
  std::string getDisplayText(int index) const override {
    auto it = texts.find(index);
    return it == texts.end() ? std::string() : it->second;
  }
  void setDisplayText(int index, const std::string& text) override { texts[index] = text; }

  std::vector<double> values = std::vector<double>(numParams, 0.0);
  std::map<int, std::string> texts;
  std::vector<int> setOrder;
};

}  // namespace protocol_test
