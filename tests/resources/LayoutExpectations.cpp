#include "tests/resources/LayoutExpectations.h"

#include <iterator>
#include <sstream>

#include "src/config/ParameterIds.h"

namespace layout_check {
namespace {

// The name with 01..count after it.
std::vector<std::string> numbered(const std::string& name, int count) {
  std::vector<std::string> out;
  for (int n = 1; n <= count; ++n) out.push_back(name + (n < 10 ? "0" : "") + std::to_string(n));
  return out;
}

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

std::vector<std::string> joined(std::vector<std::vector<std::string>> groups) {
  std::vector<std::string> out;
  for (auto& g : groups) out.insert(out.end(), g.begin(), g.end());
  return out;
}

}  // namespace

const int kOctaveCC[3] = {27, 35, 42};
const int kSemitoneCC[3] = {28, 36, 43};

const std::vector<std::string>& lookedUpLayers() {
  static const std::vector<std::string> names = joined({
      words("root oscillators filtersEnvelopes lfoModMatrix effectsArp miniMixer patchLibrarian "
            "multiModeSettingsPage1 filter1LP filter1BP filter1HP filter1Notch filter1CombMinus "
            "filter1CombPlus filter2LP filter2BP filter2HP filter2Notch filter2CombMinus "
            "filter2CombPlus bankAndProgramMulti saveChangesLayer discardChangesLayerRight "
            "keepBankOpenLayer aboutWindow firstRunNotification bankPatchConflictWindow "
            "midiFilterSettings Bypass Chorus Flanger Phaser Overdrive TripleFX Delay DelayClocked "
            "Reverb patchRename categoryLimit searchField"),
      numbered("bankAndProgram", 16),
      numbered("multiSettingsPart", 16),
  });
  return names;
}

const std::vector<std::string>& lookedUpControls() {
  static const std::vector<std::string> names = [] {
    // Besides the controls the plug-in core keeps, the parameters its dispatch acts on when the
    // user changes them, and every section lock of every part.
    std::vector<std::string> out = words(
        "kRandomize kDatatype kPatchSearch kControlProgBank kQuickTab kMainTab "
        "kPatchSelectionListUpper kPatchSelectionListLower kDeviceOutSelection kDeviceInSelection "
        "kPatchRename kControlDisplayName kControlDisplayValue kControlDisplayCategory "
        "kControlDisplayPatch kControlDisplayCC kControlDisplayBuild kControlDisplayMIDIOutDelay "
        "kControlLibrary kKeepSelectedBank kOverrideTempo kMIDIFilterTrackIncomingMIDI "
        "kMIDIFilterDirectToHardware kMIDIFilterToDAWBuffer kSendMIDIClockPointer "
        "kSendMIDIClockInfo kMasterKeyboard kUserInterfaceSize kUserInterfaceStyle kFirstRunExit "
        "kViewMIDIFilterSettings kDisplayAboutWindow kExitAboutWindow kDiscardBankData "
        "kOverwriteBank kCategorySelection kPatchSearchString kAdjustDAWOffset "
        "kLibUpperPreviousBank kLibUpperNextBank kLibLowerPreviousBank kLibLowerNextBank "
        "kPushArrangement kRequestTempData kRequestFromBank kLibSyncTimer kMultiName kEffect1Mode "
        "kEffect2Mode kSectionLockGlobal");
    std::vector<std::string> perPart =
        words("kMultiPartMIDICh kPatchName kPatchUp kPatchDown kMultiPartSettings kPartLock");
    for (int i = 0; i < paramIdCount; ++i)
      if (std::string(paramIdTable[i].name).rfind("kSectionLock", 0) == 0 &&
          paramIdTable[i].length == 16)
        perPart.push_back(paramIdTable[i].name);
    for (const std::string& id : perPart)
      for (int part = 0; part < 16; ++part)
        out.push_back(id + (part ? "+" + std::to_string(part) : ""));
    for (const char* side : {"DAW", "HW"})
      for (const char* kind : {"CC", "PC", "Note", "PP", "PA", "CA", "SE"})
        out.push_back(std::string("kMIDIFilter") + side + kind + "PassThrough");
    return out;
  }();
  return names;
}

}  // namespace layout_check
