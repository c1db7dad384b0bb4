#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "src/config/ParameterIds.h"

namespace {

// Distinct control addresses; the maps never look behind them.
class Controls {
 public:
  IControl* operator[](size_t i) { return reinterpret_cast<IControl*>(&mSlots[i]); }

 private:
  int mSlots[8] = {};
};

TEST(SysExControlMap, AWireMessageFindsTheControlOfItsPartAndVariant) {
  // Template to message table to registration, then the bytes 4 to 7 of the 10-byte message.
  config_test::LoggedManager m;
  SysExControlContainer& map = m.manager.sysexControls();
  Controls c;
  for (int part = 0; part < 3; ++part) {
    ControlActionSysExMessage table;
    ASSERT_TRUE(m.manager.calculateSysexWithChangingByte("3E 13 00 20 00 01 0A 00", 8, 128, &table,
                                                         0, part));
    unsigned char address[4];
    ASSERT_TRUE(SysExControlContainer::addressOf(table.messages[0], 8, address));
    map.addToControlMap(address, 0, c[static_cast<size_t>(part)]);
  }
  const unsigned char wire[10] = {0xF0, 0x3E, 0x13, 0x7F, 0x20, 0x02, 0x01, 0x0A, 0x40, 0xF7};
  EXPECT_EQ(map.findControl(wire[4], wire[5], wire[6], wire[7], 0), c[2]);
  EXPECT_EQ(map.findControl(0x20, 0x00, 0x01, 0x0A, 0), c[0]);  // part 0 keeps the template's 0
  EXPECT_EQ(map.findControl(0x20, 0x03, 0x01, 0x0A, 0), nullptr);
  EXPECT_EQ(map.findControl(0x20, 0x02, 0x01, 0x0A, 5), nullptr);  // a variant never registered

  // Effect parameters share an address, apart by their variant.
  const unsigned char fx[4] = {0x20, 0x00, 0x01, 0x12};
  map.addToControlMap(fx, static_cast<unsigned char>(sysexEffectVariant(kFX1FlangerDepht)), c[3]);
  map.addToControlMap(fx, static_cast<unsigned char>(sysexEffectVariant(kFX2ReverbDamping)), c[4]);
  EXPECT_EQ(map.findControl(0x20, 0, 1, 0x12, 2), c[3]);
  EXPECT_EQ(map.findControl(0x20, 0, 1, 0x12, 7), c[4]);
  EXPECT_EQ(map.findControl(0x20, 0, 1, 0x12, 0), nullptr);
  EXPECT_EQ(sysexEffectVariant(kOscillator1Octave), 0);

  // The address is bytes 4 to 7 before a value in byte 8, 3 to 6 before one in byte 7.
  unsigned char a[4];
  const std::vector<int> eight{0x3E, 0x13, 0x00, 0x20, 0x05, 0x01, 0x0A, 0x00};
  ASSERT_TRUE(SysExControlContainer::addressOf(eight, 7, a));
  EXPECT_EQ(std::vector<int>(a, a + 4), (std::vector<int>{0x00, 0x20, 0x05, 0x01}));
  EXPECT_TRUE(SysExControlContainer::addressOf({0x3E, 0x13, 0x00, 0x20, 0x05, 0x01}, 7, a));
  EXPECT_TRUE(SysExControlContainer::addressOf({0x3E, 0x13, 0x00, 0x20, 0x06, 0x01, 0x0A}, 8, a));
  EXPECT_EQ(std::vector<int>(a, a + 4), (std::vector<int>{0x20, 0x06, 0x01, 0x0A}));
  EXPECT_FALSE(SysExControlContainer::addressOf({0x3E, 0x13, 0x00, 0x20, 0x05, 0x01}, 8, a));
  EXPECT_FALSE(SysExControlContainer::addressOf({0x3E, 0x13, 0x00, 0x20, 0x05}, 7, a));
}

TEST(NRPNAndCCControlMaps, EveryKeyOfTheBindingCountsAndTheLastRegistrationStands) {
  NRPNControlContainer nrpn;
  CCControlContainer cc;
  Controls c;
  // The binding's CC number is no key.
  ControlAction first(kMessageNRPN), second(kMessageNRPN);
  auto bind = [](ControlAction& action, int cc, int third) {
    action.ccNumber = cc;
    action.channelKey = 2;
    action.nrpnNumber1 = 0;
    action.nrpnNumber2 = 99;
    action.nrpnNumber3 = third;
    action.subKey = 0;
  };
  bind(first, 7, 12);
  bind(second, 8, 13);
  nrpn.addToControlMap(&first, c[0]);
  nrpn.addToControlMap(&second, c[1]);
  EXPECT_EQ(nrpn.findControl(2, 0, 99, 12, 0), c[0]);
  EXPECT_EQ(nrpn.findControl(2, 0, 99, 13, 0), c[1]);
  for (const auto& miss : {std::vector<int>{2, 0, 99, 12, 1}, {3, 0, 99, 12, 0}, {2, 1, 99, 12, 0}})
    EXPECT_EQ(nrpn.findControl(miss[0], miss[1], miss[2], miss[3], miss[4]), nullptr);

  cc.addToControlMap(3, 74, 1, c[0]);  // a knob outside every part
  cc.addToControlMap(3, 75, 0, c[1]);  // a slider in the same place
  cc.addToControlMap(5, 74, 0, c[2]);
  cc.addToControlMap(5, 74, 0, c[3]);
  EXPECT_EQ(cc.findControl(3, 74, 1), c[0]);
  EXPECT_EQ(cc.findControl(3, 74, 0), nullptr);
  EXPECT_EQ(cc.findControl(3, 75, 0), c[1]);
  EXPECT_EQ(cc.findControl(5, 74, 0), c[3]);
  EXPECT_EQ(cc.findControl(4, 74, 0), nullptr);
}

}  // namespace
