#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cstring>
#include <random>

#include "ConfigTestSupport.h"
#include "src/config/ParameterIds.h"

namespace {

using config_test::encipher;
using config_test::LoggedManager;
using config_test::TestBundle;

std::string decrypted(const std::string& bytes, int length) {
  std::string out;
  UIConfigManager::decrypt(bytes.data(), length, out);
  return out;
}

TEST(Decrypt, AppendsWholeBlocksAndZeroPadsAPartialLastBlock) {
  const std::string cipher = encipher("0123456789abcdef");
  EXPECT_EQ(decrypted(cipher, 0), "");
  EXPECT_EQ(decrypted(cipher, -8), "");
  EXPECT_EQ(decrypted(cipher, 16), "0123456789abcdef");
  std::string out = "kept";
  UIConfigManager::decrypt(cipher.data(), 8, out);
  EXPECT_EQ(out, "kept01234567");
  // 13 bytes: the second block takes the 5 remaining bytes and three zero bytes, exactly as it
  // would from the loader's zero-filled buffer.
  const std::string partial = decrypted(cipher, 13);
  EXPECT_EQ(partial, decrypted(cipher.substr(0, 13) + std::string(3, '\0'), 16));
  EXPECT_EQ(partial.substr(0, 8), "01234567");
}

class Reader : public testing::Test {
 protected:
  TestBundle bundle;
  LoggedManager m;
};

TEST_F(Reader, SysExEntriesKeepTheirPositionsAndForms) {
  bundle.writeEnciphered("sysex.tea", R"(<?xml version="1.0"?>
<sysexlist>
  <sysex><values><value>3E 13 00 20 00 00 00 00</value><value/><other>x &amp; y</other></values></sysex>
  <!-- a comment between entries -->
  <sysex/>
  <sysex>
    <values><multivalue><value>a</value><value>b</value></multivalue><multivalue/></values>
    <values></values>
    <values><value>  spaced  </value></values>
  </sysex>
  <notSysex><values><value>read as well</value></values></notSysex>
</sysexlist>)");
  m.manager.readSysexValues();
  const std::vector<SysExContainer>& list = m.manager.getSysexList();
  ASSERT_EQ(list.size(), 4u);

  ASSERT_EQ(list[0].values.size(), 1u);
  EXPECT_EQ(list[0].values[0].entries,
            (std::vector<std::string>{"3E 13 00 20 00 00 00 00", " ", "x & y"}));
  EXPECT_FALSE(list[0].hasMultiValues);

  EXPECT_TRUE(list[1].values.empty());
  EXPECT_TRUE(list[1].multiValues.empty());

  EXPECT_TRUE(list[2].hasMultiValues);
  ASSERT_EQ(list[2].multiValues.size(), 2u);
  ASSERT_EQ(list[2].multiValues[0].size(), 2u);
  EXPECT_EQ(list[2].multiValues[0][0].entries, (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(list[2].multiValues[0][1].entries.empty());
  EXPECT_TRUE(list[2].multiValues[1].empty());
  ASSERT_EQ(list[2].values.size(), 1u);
  EXPECT_EQ(list[2].values[0].entries, (std::vector<std::string>{"  spaced  "}));

  EXPECT_EQ(list[3].values[0].entries, (std::vector<std::string>{"read as well"}));
  EXPECT_EQ(m.lines, (std::vector<std::string>{"CONFIG READER: Started to read SysEx Data...",
                                               "CONFIG READER: Completed reading SysEx data!"}));

  // Templates are found only where they exist.
  std::string text;
  EXPECT_TRUE(m.manager.getSysexTemplate(0, text));
  EXPECT_EQ(text, "3E 13 00 20 00 00 00 00");
  for (int index : {-1, 1, 4}) {
    text = "unchanged";
    EXPECT_FALSE(m.manager.getSysexTemplate(index, text));
    EXPECT_EQ(text, "unchanged");
  }
  EXPECT_TRUE(m.logged("no SysEx template at index 4"));
}

TEST_F(Reader, ValueListsByNameWithoutInserting) {
  tinyxml2::XMLDocument document;
  document.Parse(R"(<uiconfig><layer/><valueLists>
      <list name="arpMode"><value>Off</value><value>Up</value></list>
      <junk name="arpMode"><value>no</value></junk>
      <list><value>nameless</value></list>
      <list name="tempoValues"><value>120 bpm</value><other/><value></value></list>
      <list name="arpMode"><value>Down</value></list>
    </valueLists><valueLists><list name="second"/></valueLists></uiconfig>)");
  m.manager.readReasources(&document);
  EXPECT_EQ(m.manager.getValueList("arpMode"), (std::vector<std::string>{"Down"}));
  EXPECT_EQ(m.manager.getValueList("tempoValues"), (std::vector<std::string>{"120 bpm", ""}));
  EXPECT_TRUE(m.manager.getValueList("second").empty());
  EXPECT_TRUE(m.manager.getValueList("unknown").empty());
  EXPECT_EQ(m.manager.getValueText("tempoValues", 0), "120 bpm");
  EXPECT_EQ(m.manager.getValueText("tempoValues", 2), "");
  EXPECT_EQ(m.manager.getValueText("tempoValues", -1), "");
  EXPECT_EQ(m.manager.getValueText("unknown", 0), "");
  EXPECT_TRUE(m.logged("value list without a name"));

  tinyxml2::XMLDocument bare;
  bare.Parse("<uiconfig><layer/></uiconfig>");
  LoggedManager empty;
  empty.manager.readReasources(&bare);
  EXPECT_TRUE(empty.manager.getValueList("arpMode").empty());
}

TEST_F(Reader, ReadingSequenceRunsInOrder) {
  bundle.writeEnciphered("sysex.tea", "<sysexlist><sysex/><sysex/></sysexlist>");
  bundle.writeEnciphered(
      "uiconfig.tea",
      "<uiconfig><!--first--><valueLists><list name=\"partStatus\"><value>On</value>"
      "</list></valueLists><layer name=\"root\"><menucontrol type=\"ccMenu\" "
      "paramId=\"kMainTab\" valueList=\"partStatus\"/></layer></uiconfig>");
  size_t sysexEntriesAtImages = 0;
  int paramAtImages = 0;
  m.manager.atInitImages = [&] {
    sysexEntriesAtImages = m.manager.getSysexList().size();
    paramAtImages = m.manager.getParamByName("kMainTab");
  };
  int graphicsStandIn = 0;
  IGraphics* graphics = reinterpret_cast<IGraphics*>(&graphicsStandIn);
  m.manager.readUIConfig(graphics, nullptr, nullptr, 1, 1.5);

  EXPECT_EQ(sysexEntriesAtImages, 2u);
  EXPECT_EQ(paramAtImages, -1);  // identifiers come after the images
  // The walk comes last: identifiers and value lists are known to it.
  EXPECT_EQ(m.manager.tree(), "root#0{}");
  EXPECT_EQ(m.manager.calls,
            (std::vector<std::string>{"initImages",
                                      "ccMenu(0,0,,8450,0,0,0,13,0,0,127,-1,-1,{On},-1,root,)"}));
  EXPECT_EQ(m.manager.graphics(), graphics);
  EXPECT_EQ(m.manager.style(), 1);
  EXPECT_EQ(m.manager.scale(), 1.5);
}

// Each bad resource gives empty lists and a log line, and no layout walk.
void expectRejected(TestBundle& bundle, const std::string& uiconfigBytes, const char* logPart) {
  LoggedManager m;
  bundle.writeRaw("uiconfig.tea", uiconfigBytes);
  m.manager.readUIConfig(nullptr, nullptr, nullptr, 0, 1.0);
  EXPECT_TRUE(m.manager.getValueList("partStatus").empty()) << logPart;
  EXPECT_EQ(m.manager.calls, std::vector<std::string>{"initImages"}) << logPart;
  EXPECT_TRUE(m.logged(logPart)) << logPart;
  EXPECT_EQ(m.manager.paramCount(), 639u);
}

TEST_F(Reader, BadResourcesGiveEmptyListsAndALogLine) {
  const std::string good =
      "<uiconfig><valueLists><list name=\"partStatus\"><value>On</value></list></valueLists>"
      "</uiconfig>";
  expectRejected(bundle, encipher(good).substr(0, 37), "not well formed");  // truncated
  expectRejected(bundle, "", "missing or empty");
  expectRejected(bundle, encipher("<uiconfig><valueLists><list name='a'>"), "not well formed");
  expectRejected(bundle, encipher("<layout><valueLists/></layout>"), "has no element uiconfig");
  expectRejected(bundle, good, "not well formed");  // plain, not enciphered
  std::mt19937 random(3);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  expectRejected(bundle, noise, "not well formed");
}

TEST_F(Reader, MissingOrBadSysExResourcesLeaveTheListEmptyAndZeroBytesEndTheText) {
  m.manager.readUIConfig(nullptr, nullptr, nullptr, 0, 1.0);
  EXPECT_TRUE(m.manager.getSysexList().empty());
  EXPECT_TRUE(m.logged("resources/sysex.tea is missing or empty"));
  EXPECT_TRUE(m.logged("resources/uiconfig.tea is missing or empty"));
  EXPECT_EQ(m.manager.calls, std::vector<std::string>{"initImages"});

  bundle.writeEnciphered("sysex.tea", "<sysexlist><sysex><values><value>3E</values></sysex>");
  m.manager.readSysexValues();
  EXPECT_TRUE(m.manager.getSysexList().empty());
  EXPECT_TRUE(m.logged("resources/sysex.tea is not well formed"));
  EXPECT_TRUE(m.logged("Completed reading SysEx data!"));

  m.lines.clear();
  bundle.writeEnciphered("sysex.tea",
                         std::string("<sysexlist><sysex/></sysexlist>\0<sysex/>trailing", 48));
  m.manager.readSysexValues();
  EXPECT_EQ(m.manager.getSysexList().size(), 1u);
  EXPECT_FALSE(m.logged("not well formed"));
}

TEST(ResourceLoader, ACountBeyondTheBytesIsNotTrusted) {
  for (int bytes : {1, 0}) {
    LoggedManager m;
    m.manager.setResourceLoader([&](int, const char*) {
      const std::string cipher = encipher("<sysexlist><sysex/><sysex/></sysexlist>");
      Bundle::LoadedFile file;
      if (bytes) file.bytes.assign(cipher.begin(), cipher.end());
      file.size = static_cast<int>(file.bytes.size()) + 4096;
      return std::optional<Bundle::LoadedFile>(file);
    });
    m.manager.readSysexValues();
    EXPECT_EQ(m.manager.getSysexList().size(), bytes ? 2u : 0u);
    EXPECT_EQ(m.logged("resources/sysex.tea is missing or empty"), !bytes);
  }
}

TEST(ShippedResources, DecipherParseAndHoldValidTemplates) {
  kroma_test::ScopedEnv env("KROMA_BUNDLE_DIR", BUILT_BUNDLE);
  LoggedManager m;
  m.manager.readUIConfig(nullptr, nullptr, nullptr, 0, 1.0);
  EXPECT_FALSE(m.logged("missing")) << (m.lines.empty() ? "" : m.lines.back());
  EXPECT_FALSE(m.logged("not well formed"));
  ASSERT_FALSE(m.manager.getSysexList().empty());
  EXPECT_FALSE(m.manager.getValueList("partStatus").empty());
  for (int i = 0; i < static_cast<int>(m.manager.getSysexList().size()); ++i) {
    std::string text;
    ASSERT_TRUE(m.manager.getSysexTemplate(i, text));
    ControlActionSysExMessage table;
    EXPECT_TRUE(m.manager.calculateSysexWithChangingByte(text, 8, 2, &table, 0, 1)) << text;
  }
}

}  // namespace
