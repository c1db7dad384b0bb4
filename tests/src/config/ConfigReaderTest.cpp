#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <optional>
#include <string>

#include "ConfigTestSupport.h"

namespace {

using config_test::encipher;
using config_test::LoggedManager;
using config_test::TestBundle;
using Texts = std::vector<std::string>;

class Reader : public testing::Test {
 protected:
  TestBundle bundle;
  LoggedManager m;
};

TEST_F(Reader, SysExEntriesKeepTheirPositionsAndForms) {
  bundle.writeEnciphered("sysex.tea", R"(<sysexlist>
  <sysex><values><value>3E 13 00 20 00 00 00 00</value><value/><other>x &amp; y</other></values></sysex>
  <sysex/>
  <sysex><values><multivalue><value>a</value><value>b</value></multivalue><multivalue/></values>
    <values></values><values><value>  spaced  </value></values></sysex>
</sysexlist>)");
  m.manager.readSysexValues();
  const std::vector<SysExContainer>& list = m.manager.getSysexList();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].values.at(0).entries, (Texts{"3E 13 00 20 00 00 00 00", " ", "x & y"}));
  EXPECT_FALSE(list[0].hasMultiValues);
  EXPECT_TRUE(list[1].values.empty() && list[1].multiValues.empty());
  EXPECT_TRUE(list[2].hasMultiValues);
  ASSERT_EQ(list[2].multiValues.size(), 2u);
  EXPECT_EQ(list[2].multiValues[0].at(0).entries, (Texts{"a", "b"}));
  EXPECT_TRUE(list[2].multiValues[0].at(1).entries.empty());
  EXPECT_TRUE(list[2].multiValues[1].empty());
  EXPECT_EQ(list[2].values.at(0).entries, (Texts{"  spaced  "}));
  // Templates are found only where they exist.
  std::string text;
  EXPECT_TRUE(m.manager.getSysexTemplate(0, text));
  EXPECT_EQ(text, "3E 13 00 20 00 00 00 00");
  for (int index : {-1, 1, 3}) EXPECT_FALSE(m.manager.getSysexTemplate(index, text)) << index;
  EXPECT_TRUE(m.logged("no SysEx template at index 3"));
}

// A resource that is missing, empty, damaged or of another kind is logged once and reads nothing.
TEST_F(Reader, UnreadableResourcesAreLoggedAndReadNothing) {
  const std::string list = "<sysexlist><sysex/><sysex/></sysexlist>";
  const struct {
    const char* what;
    std::optional<std::string> text;
    int size;  // -1: the enciphered text's own
    const char* logged;
    size_t entries;
  } cases[] = {
      {"missing", std::nullopt, -1, "resource resources/sysex.tea is missing or empty!", 0},
      {"empty", "", 0, "resource resources/sysex.tea is missing or empty!", 0},
      {"no bytes counted", list, 0, "resource resources/sysex.tea is missing or empty!", 0},
      {"unclosed", "<sysexlist><sysex/>", -1,
       "resource resources/sysex.tea is not well formed: ", 0},
      {"another root", "<uiconfig><sysex/></uiconfig>", -1,
       "resource resources/sysex.tea has no element sysexlist!", 0},
      {"counted beyond its bytes", list, 4096, nullptr, 2},
      {"whole", list, -1, nullptr, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LoggedManager reader;
    reader.manager.setResourceLoader([&](int, const char*) -> std::optional<Bundle::LoadedFile> {
      if (!c.text) return std::nullopt;
      const std::string bytes = c.text->empty() ? "" : encipher(*c.text);
      Bundle::LoadedFile file;
      file.bytes.assign(bytes.begin(), bytes.end());
      file.size = c.size < 0 ? static_cast<int>(bytes.size()) : c.size;
      return file;
    });
    reader.manager.readSysexValues();
    EXPECT_EQ(reader.manager.getSysexList().size(), c.entries);
    const std::string tag = "CONFIG READER: ";
    ASSERT_EQ(reader.lines.size(), c.logged ? 3u : 2u);
    EXPECT_EQ(reader.lines.front(), tag + "Started to read SysEx Data...");
    EXPECT_EQ(reader.lines.back(), tag + "Completed reading SysEx data!");
    if (c.logged) {
      EXPECT_EQ(reader.lines[1].rfind(tag + c.logged, 0), 0u) << reader.lines[1];
    }
  }
}

TEST_F(Reader, ValueListsByNameTheLaterOfTwoStands) {
  tinyxml2::XMLDocument document;
  document.Parse(R"(<uiconfig><valueLists>
      <list name="arpMode"><value>Off</value></list><junk name="arpMode"><value>no</value></junk>
      <list><value>nameless</value></list><list name="arpMode"><value>Down</value><value/></list>
    </valueLists></uiconfig>)");
  m.manager.readReasources(&document);
  EXPECT_EQ(m.manager.getValueList("arpMode"), (Texts{"Down", ""}));
  EXPECT_EQ(m.manager.getValueText("arpMode", 0), "Down");
  EXPECT_EQ(m.manager.getValueText("arpMode", 2), "");
  EXPECT_EQ(m.manager.getValueText("unknown", 0), "");
  EXPECT_TRUE(m.logged("value list without a name"));
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
  m.manager.readUIConfig(nullptr, nullptr, nullptr, 1, 1.5);
  EXPECT_EQ(sysexEntriesAtImages, 2u);
  EXPECT_EQ(paramAtImages, -1);  // identifiers come after the images
  // The walk comes last: identifiers and value lists are known to it.
  EXPECT_EQ(m.manager.tree(), "root#0{}");
  EXPECT_EQ(m.manager.calls,
            (Texts{"initImages", "ccMenu(0,0,,8450,0,0,0,13,0,0,127,-1,-1,{On},-1,root,)"}));
  EXPECT_EQ(m.manager.scale(), 1.5);
}

// Each resource is asked for by its number and its file name: a loader may go by either.
TEST_F(Reader, ResourcesAreAskedForByNumberAndName) {
  Texts asked;
  m.manager.setResourceLoader([&](int id, const char* name) -> std::optional<Bundle::LoadedFile> {
    asked.push_back(std::to_string(id) + " " + name);
    const char* text = id == 101   ? "<sysexlist><sysex/><sysex/></sysexlist>"
                       : id == 100 ? "<uiconfig><layer name=\"root\"/></uiconfig>"
                                   : nullptr;
    if (!text) return std::nullopt;
    const std::string bytes = encipher(text);
    Bundle::LoadedFile file;
    file.bytes.assign(bytes.begin(), bytes.end());
    file.size = static_cast<int>(bytes.size());
    return file;
  });
  m.manager.readUIConfig(nullptr, nullptr, nullptr, 0, 1.0);
  EXPECT_EQ(asked, (Texts{"101 resources/sysex.tea", "100 resources/uiconfig.tea"}));
  EXPECT_EQ(m.manager.getSysexList().size(), 2u);
  EXPECT_EQ(m.manager.tree(), "root#0{}");
}

}  // namespace
