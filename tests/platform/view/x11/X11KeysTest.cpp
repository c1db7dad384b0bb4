#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <sstream>

#include "platform/view/x11/detail/X11Keys.h"

namespace {

// Every key symbol types the character that other X clients (libxkbcommon) type for it, the
// keypad's and the old non-Latin ones included; control characters and symbols that name none
// type nothing; a key of the kit's own stands only where they type no other character.
TEST(X11Keys, EveryKeySymbolTypesTheCharacterOtherClientsType) {
  const auto typed = [](uint32_t character) {
    if (character == ' ') return (int)VIEW_KEY_SPACE;
    const bool control = character < 0x20 || (character >= 0x7F && character < 0xA0);
    return control || (character >= 0xD800 && character <= 0xDFFF) ? 0 : (int)character;
  };
  // Below 0x10000 the named symbols, then Unicode's range and beyond it, then vendors' symbols.
  const struct {
    uint32_t from, to;
  } ranges[] = {{0, 0x10000}, {0x1000000, 0x1110100}, {0x10000000, 0x10010000}};
  int wrong = 0;
  std::ostringstream shown;
  for (const auto& range : ranges)
    for (uint32_t symbol = range.from; symbol < range.to; ++symbol) {
      const int expected = typed(xkb_keysym_to_utf32(symbol));
      const int key = X11KitKey(symbol);
      const bool ownKey = key > VIEW_KEY_SPACE && (expected == 0 || expected == VIEW_KEY_SPACE);
      if (key == expected || ownKey) continue;
      if (++wrong <= 10)
        shown << std::hex << " 0x" << symbol << ": 0x" << key << " not 0x" << expected;
    }
  EXPECT_EQ(wrong, 0) << shown.str();
}

}  // namespace
