#include <string>
#include <vector>

#include "BuilderTestSupport.h"
#include "FakeDisplayHost.h"
#include "src/config/ParameterIds.h"

namespace {

using builder_test::Builders;
using Texts = std::vector<std::string>;

TEST_F(Builders, MenusShowTheListElseTheNumbersElseNothing) {
  FakeDisplayHost host;
  host.samples = {"Saw", "Sine"};
  config.setDisplayHost(&host);
  read(1.0);
  const Texts three{"a", "b", "c"};
  const struct {
    char kind;  // c: CC menu, s: SysEx menu, n: multi-effect menu
    int paramIdx;
    Texts list;
    int first, last;
    bool samplesRead;
    const char* texts;  // null: no menu made
  } cases[] = {
      // values 2 to 6: four entries
      {'c', kFilter1Type + 1, three, 1, 16, false, "1|2|3|4"},
      {'s', kFilter1Type + 3, three, 5, 9, false, "5|6|7|8"},
      {'s', kFilter1Type + 4, three, 3, 3, false, nullptr},
      {'n', kOscillator1Sample + 2, {}, 1, 4, true, "Saw|Sine||"},  // a short samples file
      {'n', kOscillator2Sample + 15, {}, 1, 4, false, "Sample A1|Sample A2|Sample A3|Sample A4"},
      {'n', kMultiPartPatch + 1, {}, 98, 99, false, "098|099|100|101"},
  };
  for (const auto& c : cases) {
    host.samplesRead = c.samplesRead;
    const int before = plug.graphics->NControls();
    if (c.kind == 'c')
      config.createMultiSelectionCCControl(7, 1, "M", c.paramIdx, 0, 0, 50, 13, 0, 2, 6, c.first,
                                           c.last, c.list, 0, nullptr, "");
    else if (c.kind == 's')
      config.createMultiSelectionSysExControl("M", c.paramIdx, 0, 0, 50, 13, 0, 2, 6, c.first,
                                              c.last, c.list, 0, 0, 0, 8, 5, nullptr, "", false);
    else
      config.createNoValDropDown("M", c.paramIdx, 0, 0, 50, 13, 0, 2, 6, c.first, c.last, 1, c.list,
                                 -1, nullptr, "", false);
    EXPECT_EQ(plug.graphics->NControls() - before, c.texts ? 1 : 0) << c.paramIdx;
    EXPECT_EQ(builder_test::textsOf(param(c.paramIdx)), c.texts ? c.texts : "") << c.paramIdx;
    EXPECT_EQ(config.getControlAction(c.paramIdx) != nullptr, c.texts && c.kind != 'n');
  }
  // The SysEx menu has a message more than values; its first value sends its minimum.
  const ControlActionSysExMessage& sysex = action(kFilter1Type + 3).sysexMessages;
  std::vector<int> message;
  EXPECT_EQ(sysex.messages.size(), 5u);
  ASSERT_TRUE(sysex.messageFor(0, message));
  EXPECT_EQ(message, (std::vector<int>{0x3E, 0x13, 0, 0x20, 5, 1, 0x0A, 2}));
}

}  // namespace
