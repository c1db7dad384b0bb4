#pragma once

#include <sstream>
#include <string>

// A call as the tests note it: "name(argument,argument) ", or "name " without arguments.
template <class... Args>
std::string callNote(const char* name, Args... args) {
  std::ostringstream out;
  out << name;
  int n = 0;
  ((out << (n++ ? "," : "(") << args), ...);
  if (n > 0) out << ")";
  return out.str() + " ";
}
