#pragma once

#include <string>

namespace kroma_test {

// A configuration resource as the build makes it: the text zero-padded to whole blocks and
// enciphered under the configuration key.
std::string encipher(const std::string& text);

}  // namespace kroma_test
