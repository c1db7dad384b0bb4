#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "tools/layoutgen/detail/Element.h"
#include "tools/layoutgen/detail/tables/Controls.h"

namespace {

TEST(LayoutElement, EscapesAndKeepsTextChainsOnOneLine) {
  layout::Element doc("list");
  doc.attr("name", "a \"b\" & <c>").attr("bounds", {1, -2, 3});
  doc.add(layout::Element("value").text("S&H <x>"));
  doc.add(layout::Element::comment("note"));
  doc.add(layout::Element("sysex").add(
      layout::Element("values").add(layout::Element("value").text("3E"))));
  doc.add(layout::Element("empty"));
  std::ostringstream out;
  doc.write(out);
  EXPECT_EQ(out.str(),
            "<list name=\"a &quot;b&quot; &amp; &lt;c&gt;\" bounds=\"1,-2,3\">\n"
            "  <value>S&amp;H &lt;x&gt;</value>\n"
            "  <!-- note -->\n"
            "  <sysex><values><value>3E</value></values></sysex>\n"
            "  <empty/>\n"
            "</list>\n");
  EXPECT_EQ(doc.get("bounds"), "1,-2,3");
  EXPECT_EQ(doc.get("missing"), "");
}

// A knob's frames must fall evenly on its values: an exact strip, else the smallest whose
// frame steps the values divide.
TEST(KnobStrips, ChosenByTheNumberOfValues) {
  const std::pair<int, const char*> cases[] = {
      {128, "IKNOBROTATERCONTROL_ID2"}, {97, "IKNOBROTATERCONTROL_ID97"},
      {9, "IKNOBROTATERCONTROL_ID9"},   {25, "IKNOBROTATERCONTROL_ID25"},
      {2, "IKNOBROTATERCONTROL_ID5"},   {3, "IKNOBROTATERCONTROL_ID5"},
      {4, "IKNOBROTATERCONTROL_ID25"},  {13, "IKNOBROTATERCONTROL_ID25"},
      {17, "IKNOBROTATERCONTROL_ID49"}};
  for (const auto& c : cases) EXPECT_EQ(layout_tables::knobImage(c.first), c.second) << c.first;
  EXPECT_THROW(layout_tables::knobImage(16), std::logic_error);
  EXPECT_THROW(layout_tables::knobImage(1), std::logic_error);
}

TEST(LayoutTables, IdentifiersResolveWithTheirOffsets) {
  EXPECT_EQ(layout_tables::paramIndex("kOscillator1Octave"), 0);
  EXPECT_EQ(layout_tables::paramIndex("kMultiPartMIDICh+4"), 6437);
  EXPECT_EQ(layout_tables::paramIndex("kNoSuchParameter"), -1);
}

}  // namespace
