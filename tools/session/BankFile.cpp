#include "tools/session/BankFile.h"

#include <algorithm>
#include <fstream>

#include "src/protocol/DumpTemplates.h"
#include "src/protocol/SoundDump.h"
#include "src/protocol/SysExFormat.h"

namespace session {
namespace {

constexpr int kSoundData = 7;  // the first byte after a dump's header

}  // namespace

bool writeBank(const std::string& file, const std::string& prefix) {
  std::ofstream out(file, std::ios::binary);
  for (int program = 0; program < sysex::kProgramsPerBank; ++program) {
    sysex::SoundDumpBytes sound = sysex::soundDumpTemplate();
    sysex::writeNameField(sound.data() + sound_dump::kNameOffset,
                          prefix + " " + std::to_string(program + 1));
    sound[sound.size() - 2] = sysex::dumpChecksum(sound.data(), sysex::kSoundDumpSize);
    out.write(reinterpret_cast<const char*>(sound.data()), sound.size());
  }
  return static_cast<bool>(out);
}

Bytes dumpInFile(const std::string& file, int program) {
  std::ifstream in(file, std::ios::binary);
  Bytes sound(sysex::kSoundDumpSize);
  in.seekg(static_cast<std::streamoff>(program) * sysex::kSoundDumpSize);
  in.read(reinterpret_cast<char*>(sound.data()), sound.size());
  return in ? sound : Bytes();
}

bool sameData(const Bytes& a, const Bytes& b) {
  return a.size() == b.size() && a.size() > kSoundData + 2 &&
         std::equal(a.begin() + kSoundData, a.end() - 2, b.begin() + kSoundData);
}

}  // namespace session
