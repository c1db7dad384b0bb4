#include "src/config/ParameterIds.h"
#include "src/protocol/GlobalDump.h"
#include "src/protocol/MultiDump.h"
#include "src/protocol/detail/IncomingSysEx.h"

namespace {

using PartSound = ProtocolPlugin::PartSound;

// The patch manager's name slots: the Multi's name, then per part its sound's name and its
// category's text.
constexpr int kMultiNameSlot = 0;
constexpr int kPatchNameSlot = 1;
constexpr int kCategorySlot = 19;

std::string orSetName(const std::string& text) {
  return text.empty() ? "Set Name" : text;
}

const char* kindOf(unsigned char type) {
  switch (type) {
    case sysex::kSoundDump:
      return "sound";
    case sysex::kMultiDump:
      return "multi";
    default:
      return "Global";
  }
}

}  // namespace

bool IncomingSysEx::acceptDump(const unsigned char* data, int size, unsigned char type, int minSize,
                               bool exact) {
  if (!sysex::hasDumpHeader(data, size, sysex::kTypeOffset + 1, type)) return false;
  const std::string kind = kindOf(type);
  if (size < minSize || (exact && size != minSize)) {
    TK_Log(mLog,
           "MIDI MESSAGE MANAGER: ", kind + " dump of " + std::to_string(size) + " bytes ignored");
    return false;
  }
  if (!sysex::hasCleanBody(data, size)) {
    TK_Log(mLog, "MIDI MESSAGE MANAGER: ", kind + " dump with a byte above 7F ignored");
    return false;
  }
  return true;
}

void IncomingSysEx::sysexPatchParse(const unsigned char* data, int size) {
  if (!acceptDump(data, size, sysex::kSoundDump, sysex::kSoundDumpSize - 2, false)) return;
  // A stored program's number is no part: its indices would land in other families.
  const int part = data[sysex::kProgramOffset];
  if (part >= sysex::kParts) {
    TK_Log(mLog,
           "MIDI MESSAGE MANAGER: ", "sound dump for program " + std::to_string(part) + " ignored");
    return;
  }
  mManager.dumpComplete = false;
  sound_dump::SectionLocks locked;
  for (int section = 0; section < sound_dump::kSectionCount; ++section)
    locked[section] = mPlugin.getValue(kSectionLockOsc1 + 16 * section + part) == 1.0;

  PluginDisplays& displays = mManager.displays();
  const std::string name = sound_dump::soundName(data);
  mPlugin.setDisplayText(kPatchName + part, name);
  mPlugin.setNameSlot(kPatchNameSlot + part, name);
  displays.setLibrarianViewDirty();
  displays.displayPatchName(mPlugin.getDisplayText(kPatchName + mPlugin.currentPart()));

  sound_dump::applySoundData(data, size, part, mPlugin, locked);

  const int category = sound_dump::soundCategory(data);
  const std::string text = sound_dump::categoryText(category);
  mPlugin.setStoredValue(kCategoryName + part, category);
  mPlugin.setNameSlot(kCategorySlot + part, orSetName(text));
  displays.setLibrarianViewDirty();
  displays.displayCategoryName(text);
  mManager.dumpComplete = true;
}

void IncomingSysEx::sysexMultiParse(const unsigned char* data, int size) {
  if (!acceptDump(data, size, sysex::kMultiDump, sysex::kMultiDumpSize, false)) return;
  mManager.dumpComplete = false;
  multi_dump::ParsedMulti multi;
  multi_dump::parseMultiDump(data, size, mPlugin, multi);
  mPlugin.setNameSlot(kMultiNameSlot, multi.name);
  mManager.displays().setLibrarianViewDirty();
  for (int part = 0; part < sysex::kParts; ++part) {
    mPlugin.setPartSound(part, PartSound::kBank, multi.sounds.banks[part]);
    mPlugin.setPartSound(part, PartSound::kProgram, multi.sounds.programs[part]);
  }
  mManager.dumpComplete = true;
}

void IncomingSysEx::sysexSettingsParse(const unsigned char* data, int size) {
  if (acceptDump(data, size, sysex::kGlobalDump, sysex::kGlobalDumpSize, true)) {
    mManager.dumpComplete = false;
    if (!mPlugin.projectPushPending()) {
      bool localControl = false;
      global_dump::parseGlobalDump(data, size, mPlugin, localControl);
      mPlugin.setLocalControl(localControl);
    }
    mManager.dumpComplete = true;
  }
  mManager.dumpRouting = false;
}
