#include "platform/view/TextField.h"

#include <cstdlib>

bool VIEW_TextField::accepts(const std::string& candidate) const {
  if (!filtered) return true;
  if (candidate.find_first_not_of(acceptable) != std::string::npos) return false;
  if (maxLength && (int)candidate.size() > maxLength) return false;
  if (maxValue && std::atoi(candidate.c_str()) > maxValue) return false;
  return true;
}

void VIEW_TextField::type(const std::string& typed) {
  for (char c : typed) {
    const std::string candidate = text + c;
    if (accepts(candidate)) text = candidate;
  }
}
