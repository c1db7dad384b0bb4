#pragma once

namespace kroma_test {

// How many rounds a randomized test runs: KROMA_FUZZ_ITERATIONS when set (large
// on demand), else the small default that keeps CI quick.
int fuzzIterations(int ciDefault);

}  // namespace kroma_test
