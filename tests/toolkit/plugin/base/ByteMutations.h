#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace plugin_test {

using Bytes = std::vector<uint8_t>;

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

// The damage stored state gets: replaced bytes, cuts, extensions, and length, count
// or value words (either byte order) that are negative, huge, NaN or infinite, often where a
// header keeps its sizes. Now and then the bytes are replaced by noise.
inline Bytes mutate(Bytes bytes, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  const uint32_t words[] = {0,           1,           0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu,
                            0x7FC00000u, 0x7F800000u, 0xFF800000u, 0x00010000u};
  if (pick(10) == 0) {
    bytes.resize(pick(200));
    for (uint8_t& b : bytes) b = uint8_t(rng());
    return bytes;
  }
  for (int s = 0, steps = 1 + static_cast<int>(pick(3)); s < steps; ++s) {
    switch (pick(4)) {
      case 0:
        bytes.resize(pick(bytes.size() + 1));
        break;
      case 1:
        bytes.insert(bytes.end(), 1 + pick(64), uint8_t(rng()));
        break;
      case 2: {
        const size_t at = rng() % 2 ? 4 * pick(16) : pick(bytes.size());
        const uint32_t word = words[pick(9)];
        const bool bigEndian = rng() % 2;
        for (size_t k = 0; k < 4 && at + 4 <= bytes.size(); ++k)
          bytes[at + k] = uint8_t(word >> (bigEndian ? 24 - 8 * k : 8 * k));
        break;
      }
      default:
        if (!bytes.empty()) bytes[pick(bytes.size())] = uint8_t(rng());
        break;
    }
  }
  return bytes;
}

}  // namespace plugin_test
