#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "PluginTestDoubles.h"
#include "tests/support/TempDir.h"

namespace {

using plugin_test::FakeGraphics;
using plugin_test::TestPlugin;
using Bytes = std::vector<uint8_t>;

Bytes readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

void putBE32(Bytes& bytes, size_t at, uint32_t value) {
  if (at + 4 > bytes.size()) return;
  for (int k = 0; k < 4; ++k) bytes[at + static_cast<size_t>(k)] = uint8_t(value >> (24 - 8 * k));
}

// A plug-in with an editor whose file panel answers `path`, and parameters of three kinds.
struct FilePlug {
  FilePlug(bool chunks, const std::string& path) : plug(3, 3, "2-2", 3, chunks) {
    plug.GetParam(0)->InitDouble("level", 0.25, -1.0, 1.0, 0.01);
    plug.GetParam(1)->InitInt("steps", 3, 0, 10);
    plug.GetParam(2)->InitBool("switch", true);
    graphics = new FakeGraphics();
    plug.AttachGraphics(graphics);
    graphics->mAnswer = path;
    for (const char* name : {"one", "two", "three"}) plug.MakeDefaultPreset(name, 1);
  }
  bool valuesInRange() {
    for (int i = 0; i < plug.NParams(); ++i) {
      IParam* p = plug.GetParam(i);
      if (!std::isfinite(p->Value()) || p->Value() < p->GetMin() || p->Value() > p->GetMax())
        return false;
    }
    return true;
  }
  TestPlugin plug;
  FakeGraphics* graphics;
};

// The damage files get: flipped bytes, cuts, extensions, header and length words of any size,
// parameter words that are NaN or infinite.
Bytes mutate(Bytes file, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  const uint32_t words[] = {0,           1,           0x7FFFFFFFu, 0x80000000u,
                            0xFFFFFFFFu, 0x7FC00000u, 0x7F800000u, 0xFF800000u};
  for (int s = 0, steps = 1 + static_cast<int>(pick(3)); s < steps; ++s) {
    switch (pick(6)) {
      case 0:
        if (!file.empty()) file[pick(file.size())] ^= uint8_t(1u << pick(8));
        break;
      case 1:
        file.resize(pick(file.size() + 1));
        break;
      case 2:
        file.insert(file.end(), 1 + pick(64), uint8_t(rng()));
        break;
      case 3:  // a header word: record size, count, chunk size
        putBE32(file, 4 * pick(8), words[pick(8)]);
        break;
      case 4:  // any word inside, often a parameter value or an inner size
        if (file.size() >= 4) putBE32(file, 4 * pick(file.size() / 4), words[pick(8)]);
        break;
      default:
        if (!file.empty()) file[pick(file.size())] = uint8_t(rng());
        break;
    }
  }
  return file;
}

TEST(PluginFilesFuzz, RandomAndMutatedInputsAreSafe) {
  kroma_test::TempDir dir;
  const std::string path = dir.file("file.fxb");
  std::vector<Bytes> valid;
  for (bool chunks : {true, false}) {
    FilePlug source(chunks, path);
    source.plug.GetParam(0)->Set(-0.5);
    ASSERT_TRUE(source.plug.SaveProgramAsFXP());
    valid.push_back(readAll(path));
    ASSERT_TRUE(source.plug.SaveBankAsFXB());
    valid.push_back(readAll(path));
  }

  std::mt19937 rng(20261206);
  FilePlug chunked(true, path), plain(false, path);
  int loaded = 0;
  for (int round = 0; round < 1500; ++round) {
    Bytes file;
    if (round % 10 == 0) {
      file.resize(rng() % 200);
      for (uint8_t& b : file) b = uint8_t(rng());
    } else {
      file = mutate(valid[static_cast<size_t>(round) % valid.size()], rng);
    }
    writeAll(path, file);
    for (FilePlug* target : {&chunked, &plain}) {
      const bool program = target->plug.LoadProgramFromFXP();
      ASSERT_TRUE(target->valuesInRange()) << "round " << round;
      const bool bank = target->plug.LoadBankFromFXB();
      ASSERT_TRUE(target->valuesInRange()) << "round " << round;
      loaded += program + bank;
      // What was read is written again and read back whole.
      if (round % 100 == 0) {
        ASSERT_TRUE(target->plug.SaveBankAsFXB());
        ASSERT_TRUE(target->plug.LoadBankFromFXB());
        ASSERT_TRUE(target->valuesInRange());
      }
      for (int i = 0; i < 3; ++i) ASSERT_LT(std::strlen(target->plug.GetPresetName(i)), 256u);
    }
  }
  // Most damage that leaves the framing intact still reads.
  EXPECT_GT(loaded, 200);
}

}  // namespace
