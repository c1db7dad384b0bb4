#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ConfigTestSupport.h"
#include "Iterations.h"

namespace {

using config_test::encipher;
using config_test::LoggedManager;

const std::string kSysexText = R"(<sysexlist>
  <sysex><values><value>3E 13 00 20 00 00 00 00</value><value>Off</value></values></sysex>
  <sysex><values><multivalue><value>a</value><value/></multivalue><multivalue/></values></sysex>
  <sysex/></sysexlist>)";

const std::string kLayoutText = R"(<uiconfig><valueLists>
    <list name="partStatus"><value>On</value><value>Off</value></list><list name="empty"/>
    <list><value>nameless</value></list><list name="blank"><value/><value>&amp;</value></list>
  </valueLists><layer name="main"><knob name="kFilter1Cutoff" changingByte="8"/></layer></uiconfig>)";

// Flipped, removed, repeated and inserted characters, stray markup, a cut.
std::string mutateText(std::string text, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  const char* const pieces[] = {"<", ">",    "/>",   "</values>", "<value>",
                                "&", "&#0;", "<!--", "\xFF"};
  for (int s = 0, steps = 1 + static_cast<int>(pick(5)); s < steps; ++s) {
    const size_t at = pick(text.size() + 1);
    switch (pick(5)) {
      case 0:
        if (at < text.size()) text[at] = static_cast<char>(rng());
        break;
      case 1:
        text.erase(at, pick(40));
        break;
      case 2:
        text.insert(pick(text.size() + 1), text.substr(at, pick(80)));
        break;
      case 3:
        text.insert(at, pieces[pick(sizeof pieces / sizeof *pieces)]);
        break;
      default:
        text.resize(at);
        break;
    }
  }
  return text;
}

// A resource as a loader may hand it over: damaged text or cipher, any count, or none.
std::optional<Bundle::LoadedFile> anyResource(const std::string& text, std::mt19937& rng) {
  if (rng() % 10 == 0) return std::nullopt;
  std::string bytes = encipher(rng() % 4 ? mutateText(text, rng) : text);
  if (rng() % 4 == 0 && !bytes.empty()) bytes[rng() % bytes.size()] ^= static_cast<char>(rng());
  Bundle::LoadedFile file;
  file.bytes.assign(bytes.begin(), bytes.end());
  const int counts[] = {static_cast<int>(bytes.size()), 0, -1, INT_MAX, static_cast<int>(rng())};
  file.size = counts[rng() % 5];
  return file;
}

// Whatever the resources hold, lookups answer only from what was read.
TEST(ConfigFuzz, DamagedResourcesAreReadSafely) {
  std::mt19937 rng(20261206);
  const int rounds = kroma_test::fuzzIterations(150);
  int readEntries = 0, readLists = 0;
  for (int round = 0; round < rounds; ++round) {
    LoggedManager m;
    m.manager.setResourceLoader([&](int, const char* name) {
      return anyResource(
          std::string(name).find("sysex") != std::string::npos ? kSysexText : kLayoutText, rng);
    });
    m.manager.readUIConfig(nullptr, nullptr, nullptr, 0, 1.0);
    const int entries = static_cast<int>(m.manager.getSysexList().size());
    std::string text;
    ASSERT_FALSE(m.manager.getSysexTemplate(entries, text)) << round;
    for (const char* list : {"partStatus", "blank", "empty", ""}) {
      const int count = static_cast<int>(m.manager.getValueList(list).size());
      for (int index : {count, -1, INT_MAX}) ASSERT_EQ(m.manager.getValueText(list, index), "");
    }
    readEntries += entries > 0;
    readLists += !m.manager.getValueList("partStatus").empty();

    // Deciphering reads exactly the bytes given, any count of them.
    const int length = static_cast<int>(rng() % 70) - 5;
    std::vector<char> data(static_cast<size_t>(std::max(length, 0)));
    for (char& c : data) c = static_cast<char>(rng());
    std::string out = "kept";
    UIConfigManager::decrypt(data.empty() ? nullptr : data.data(), length, out);
    ASSERT_EQ(out.size(), 4 + 8 * static_cast<size_t>(length > 0 ? (length + 7) / 8 : 0));
    ASSERT_EQ(out.substr(0, 4), "kept");
  }
  // Many damaged resources still parse, so the readers' deeper paths were taken.
  EXPECT_GT(readEntries, rounds / 30);
  EXPECT_GT(readLists, rounds / 30);
}

}  // namespace
