#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ConfigTestSupport.h"
#include "Iterations.h"
#include "src/config/ControlMaps.h"
#include "src/config/ParameterIds.h"

namespace {

using config_test::encipher;
using config_test::LoggedManager;

const std::string kSysexText = R"(<?xml version="1.0"?>
<sysexlist>
  <sysex><values><value>3E 13 00 20 00 00 00 00</value><value>Off</value><value>On</value></values></sysex>
  <sysex><values><multivalue><value>a</value><value/></multivalue><multivalue/></values>
    <values><value>3E 13 00 21 00 00 0A 00</value></values></sysex>
  <sysex/>
</sysexlist>)";

const std::string kLayoutText = R"(<uiconfig>
  <valueLists>
    <list name="partStatus"><value>On</value><value>Off</value></list>
    <list name="empty"/>
    <list><value>nameless</value></list>
    <other name="x"><value>y</value></other>
    <list name="blank"><value/><value>&amp;</value></list>
  </valueLists>
  <layer name="main"><knob name="kFilter1Cutoff" changingByte="8"/></layer>
</uiconfig>)";

// Damage to a text: flipped, removed, repeated and inserted characters, stray markup.
std::string mutateText(std::string text, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
  const char* const pieces[] = {"<",    ">",        "/>", "</values>", "<value>",       "<sysex>",
                                "&",    "&#0;",     "\"", "<!--",      "<list name=\"", "\xC3",
                                "\xFF", "<![CDATA["};
  for (int s = 0, steps = 1 + static_cast<int>(pick(5)); s < steps; ++s) {
    switch (pick(5)) {
      case 0:
        if (!text.empty()) text[pick(text.size())] = static_cast<char>(rng());
        break;
      case 1: {
        const size_t from = pick(text.size() + 1);
        text.erase(from, pick(40));
        break;
      }
      case 2: {
        const size_t from = pick(text.size() + 1);
        const std::string copy = text.substr(from, pick(80));
        text.insert(pick(text.size() + 1), copy);
        break;
      }
      case 3:
        text.insert(pick(text.size() + 1), pieces[pick(sizeof pieces / sizeof *pieces)]);
        break;
      default:
        text.resize(pick(text.size() + 1));
        break;
    }
  }
  return text;
}

// A resource as a loader may hand it over: enciphered damaged text, damaged cipher, any count.
std::optional<Bundle::LoadedFile> anyResource(const std::string& text, std::mt19937& rng) {
  if (rng() % 10 == 0) return std::nullopt;
  std::string bytes = encipher(rng() % 4 ? mutateText(text, rng) : text);
  if (rng() % 4 == 0 && !bytes.empty()) bytes[rng() % bytes.size()] ^= static_cast<char>(rng());
  if (rng() % 4 == 0) bytes.resize(rng() % (bytes.size() + 1));
  Bundle::LoadedFile file;
  file.bytes.assign(bytes.begin(), bytes.end());
  const int counts[] = {static_cast<int>(bytes.size()), 0, -1, INT_MAX, static_cast<int>(rng())};
  file.size = counts[rng() % 5];
  return file;
}

std::string anyTemplate(std::mt19937& rng) {
  const char* const tokens[] = {"3E", "13",  "00", "20", "7F", "FF", "0",
                                "a",  "100", "G1", "-1", "  ", "0x", "f"};
  std::string text;
  const int n = static_cast<int>(rng() % 12);
  for (int i = 0; i < n; ++i) {
    text += rng() % 4 ? tokens[rng() % 4] : tokens[rng() % (sizeof tokens / sizeof *tokens)];
    text += rng() % 5 ? " " : "  ";
  }
  return text;
}

int anyInt(std::mt19937& rng, int low, int high) {
  switch (rng() % 6) {
    case 0:
      return INT_MAX - static_cast<int>(rng() % 4);
    case 1:
      return INT_MIN + static_cast<int>(rng() % 4);
    default:
      return low + static_cast<int>(rng() % static_cast<unsigned>(high - low + 1));
  }
}

// Whatever the resources and the layout's values hold, lookups answer only from what was read
// and message tables hold only whole bytes.
TEST(ConfigFuzz, DamagedResourcesAndLayoutValuesAreReadSafely) {
  std::mt19937 rng(20261206);
  const int rounds = kroma_test::fuzzIterations(150);
  int readLists = 0, readEntries = 0;
  for (int round = 0; round < rounds; ++round) {
    LoggedManager m;
    m.manager.setResourceLoader([&](int, const char* name) {
      return anyResource(
          std::string(name).find("sysex") != std::string::npos ? kSysexText : kLayoutText, rng);
    });
    m.manager.readUIConfig(nullptr, nullptr, nullptr, 0, 1.0);
    const int entries = static_cast<int>(m.manager.getSysexList().size());
    for (int i = -1; i <= entries; ++i) {
      std::string text;
      ASSERT_TRUE(!m.manager.getSysexTemplate(i, text) || (i >= 0 && i < entries)) << round;
    }
    for (const char* list : {"partStatus", "blank", "empty", "x", ""}) {
      const int count = static_cast<int>(m.manager.getValueList(list).size());
      for (int index : {count, -1, INT_MAX}) ASSERT_EQ(m.manager.getValueText(list, index), "");
    }
    ASSERT_EQ(m.manager.getValueList("no such list").size(), 0u);
    readEntries += entries > 0;
    readLists += !m.manager.getValueList("partStatus").empty();

    // Deciphering reads exactly the bytes given, any count of them.
    const int length = static_cast<int>(rng() % 70) - 5;
    std::vector<char> data(static_cast<size_t>(std::max(length, 0)));
    for (char& c : data) c = static_cast<char>(rng());
    std::string out(rng() % 5, 'k');
    const size_t before = out.size();
    UIConfigManager::decrypt(data.empty() ? nullptr : data.data(), length, out);
    ASSERT_EQ(out.size(), before + 8 * static_cast<size_t>(length > 0 ? (length + 7) / 8 : 0));
    ASSERT_EQ(out.substr(0, before), std::string(before, 'k'));

    for (int k = 0; k < 10; ++k) {
      const std::string text = anyTemplate(rng);
      const int changingByte = anyInt(rng, -2, 14);
      const int count = anyInt(rng, -3, 300) % 100000;
      const int start = rng() % 3 ? anyInt(rng, -2, 300) : -1;
      const int part = anyInt(rng, -2, 17);
      ControlActionSysExMessage table;
      ASSERT_TRUE(m.manager.calculateSysexWithChangingByte("1 2", 1, 1, &table, 0, 0));
      if (!m.manager.calculateSysexWithChangingByte(text, changingByte, count, &table, start,
                                                    part)) {
        ASSERT_TRUE(table.messages.empty()) << text;
        continue;
      }
      std::vector<std::string> tokens;
      UIConfigManager::Tokenize(text, tokens, " ");
      ASSERT_EQ(table.messages.size(), static_cast<size_t>(std::max(count, start == -1 ? 1 : 0)))
          << text;
      for (size_t n = 0; n < table.messages.size(); ++n) {
        const std::vector<int> message = table.messages[n];
        ASSERT_EQ(message.size(), tokens.size()) << text;
        for (size_t e = 0; e < message.size(); ++e) {
          if (e == static_cast<size_t>(changingByte - 1) || (part > 0 && e == 4)) continue;
          ASSERT_TRUE(message[e] >= 0 && message[e] <= 0xFF) << text;
        }
      }
    }

    int values[4] = {-7, -7, -7, -7};
    std::string csv;
    for (int n = static_cast<int>(rng() % 8); n > 0; --n)
      csv += std::to_string(static_cast<int>(rng()) >> (rng() % 31)) + (rng() % 3 ? "," : ",x,");
    UIConfigManager::getCSValues(mutateText(csv, rng), values, static_cast<int>(rng() % 5));

    const char* const names[] = {"kFilter1Cutoff", "kFilterLinkSwitch", "kNoSuchName", "", "3"};
    std::string linkText = std::string(names[rng() % 5]) + "," + names[rng() % 5];
    if (rng() % 2) linkText += "," + std::to_string(static_cast<int>(rng()));
    int link[3] = {9, 9, 9};
    const int part = anyInt(rng, -2, 17);
    m.manager.getBiDirectLinkValues(mutateText(linkText, rng), link, part);
    for (int i = 0; i < 2; ++i)
      ASSERT_TRUE(link[i] == -1 || (link[i] >= 0 && link[i] - std::max(part, 0) < numParams))
          << linkText << part;
  }
  // Many damaged resources still parse, so the readers' deeper paths were taken.
  EXPECT_GT(readEntries, rounds / 30);
  EXPECT_GT(readLists, rounds / 30);
}

TEST(ConfigFuzz, DeeplyNestedResourcesAreRefused) {
  std::string nested;
  for (int i = 0; i < 100000; ++i) nested += "<values>";
  for (const std::string& text :
       {"<sysexlist><sysex>" + nested, "<uiconfig><valueLists><list name=\"a\">" + nested}) {
    LoggedManager m;
    m.manager.setResourceLoader([&](int, const char*) {
      const std::string bytes = encipher(text);
      Bundle::LoadedFile file;
      file.bytes.assign(bytes.begin(), bytes.end());
      file.size = static_cast<int>(bytes.size());
      return std::optional<Bundle::LoadedFile>(file);
    });
    m.manager.readUIConfig(nullptr, nullptr, nullptr, 0, 1.0);
    EXPECT_TRUE(m.manager.getSysexList().empty());
    EXPECT_TRUE(m.logged("not well formed"));
  }
}

TEST(ConfigFuzz, WireMessagesOfAnyLengthFindOnlyRegisteredControls) {
  std::mt19937 rng(11);
  int controls[3];
  IControl* const registered[3] = {reinterpret_cast<IControl*>(&controls[0]),
                                   reinterpret_cast<IControl*>(&controls[1]),
                                   reinterpret_cast<IControl*>(&controls[2])};
  SysExControlContainer sysexMap;
  CCControlContainer ccMap;
  const unsigned char keys[3][4] = {{0, 0x20, 0, 10}, {0, 0x21, 3, 7}, {0x7F, 0xFF, 0x80, 0}};
  for (int i = 0; i < 3; ++i) {
    sysexMap.addToControlMap(keys[i], static_cast<unsigned char>(i), registered[i]);
    ccMap.addToControlMap(i, 7 + i, 0, registered[i]);
  }
  for (int round = 0, rounds = kroma_test::fuzzIterations(2000); round < rounds; ++round) {
    std::vector<int> message(rng() % 12);
    for (int& v : message) v = rng() % 4 ? static_cast<int>(rng() % 256) : static_cast<int>(rng());
    if (message.size() >= 7 && rng() % 2) {
      const int which = static_cast<int>(rng() % 3);
      for (int k = 0; k < 4; ++k) message[static_cast<size_t>(3 + k)] = keys[which][k];
    }
    const int changingByte = rng() % 3 ? 8 : static_cast<int>(rng() % 20) - 5;
    unsigned char address[4] = {1, 2, 3, 4};
    if (!SysExControlContainer::addressOf(message, changingByte, address)) {
      ASSERT_LT(message.size(), changingByte == 7 ? 6u : 7u);
      continue;
    }
    const int variant = static_cast<int>(rng() % 4) - 1;
    IControl* found = sysexMap.findControl(address[0], address[1], address[2], address[3], variant);
    bool expected = false;
    for (int i = 0; i < 3; ++i)
      expected |= variant == i && std::equal(address, address + 4, keys[i]);
    ASSERT_EQ(found != nullptr, expected);
    if (found) {
      ASSERT_EQ(found, registered[variant]);
    }
    const int channel = static_cast<int>(rng() % 5) - 1;
    IControl* cc = ccMap.findControl(channel, message.empty() ? 0 : message[0], 0);
    ASSERT_TRUE(cc == nullptr || (channel >= 0 && channel < 3 && cc == registered[channel]));
  }
  // Lookups never inserted: the absent keys are still absent.
  EXPECT_EQ(sysexMap.findControl(1, 1, 1, 1, 1), nullptr);
  EXPECT_EQ(sysexMap.findControl(0, 0x20, 0, 10, 0), registered[0]);
}

}  // namespace
