#include "tools/session/StateValues.h"

#include "src/protocol/SoundDump.h"

namespace session {

double StateValues::getValue(int index) const {
  return index >= 0 && index < static_cast<int>(mValues.size()) ? mValues[index] : 0.0;
}

std::vector<int> StateValues::soundBytesDiffering(const std::vector<unsigned char>& dump,
                                                  int part) const {
  std::vector<int> offsets;
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules())
    if (row.offset >= static_cast<int>(dump.size()) ||
        dump[row.offset] != sound_dump::encodeByte(row, *this, part))
      offsets.push_back(row.offset);
  return offsets;
}

}  // namespace session
