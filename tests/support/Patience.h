#pragma once

#include <chrono>

namespace kroma_test {

// How long a test waits for what it expects before it fails: far above any run on a slow, loaded
// machine under a sanitizer, and below ctest's limit of 600 s for the whole test.
inline constexpr std::chrono::seconds kWaitCap{240};

}  // namespace kroma_test
