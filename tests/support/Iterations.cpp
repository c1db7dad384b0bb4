#include "Iterations.h"

#include <cstdlib>

namespace kroma_test {

int fuzzIterations(int ciDefault) {
  const char* text = std::getenv("KROMA_FUZZ_ITERATIONS");
  if (!text) return ciDefault;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  return (end != text && *end == '\0' && value > 0 && value < 1000000000L) ? static_cast<int>(value)
                                                                           : ciDefault;
}

}  // namespace kroma_test
