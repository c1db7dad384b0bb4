#include "tests/resources/LayoutExpectations.h"

#include <iterator>
#include <sstream>

#include "src/config/ParameterIds.h"
#include "tools/layoutgen/tables/ImageSizes.h"

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

constexpr unsigned kAllTabs = 0x3F;
constexpr unsigned kLibrarianTab = 1u << 1;

}  // namespace

const int kOctaveCC[3] = {27, 35, 42};
const int kSemitoneCC[3] = {28, 36, 43};
const int kSampleCC[2] = {31, 39};

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

const std::vector<std::string>& requiredLists() {
  static const std::vector<std::string> names = words(
      "arpAccent arpClock arpDirection arpMode arpNoteLengthClock arpPattern arpSortOrder "
      "arpStepDisplay arpStepLength arpTiming arpVeloMode clockedDelayValues clockedValues "
      "controlList controllerReceive controllerSend envelopeMode envelopeTrigger filter1Type "
      "fmSources fx1Mode fx2Mode fxOverdriveCurve globalChannel globalClock globalPopupTime "
      "globalTuning keyList keyVelocityCurve keytrackValues lfoShape modifier2Sources "
      "modifierOperators modulationDestinations modulationSources oscillator12shape "
      "oscillator3shape oscillatorWavetable partStatus programChange reverbSize sampleRate "
      "startPhase tempoValues");
  return names;
}

std::vector<int> memberIds(const std::string& page) {
  if (page == "oscillators") return {10, 20, 30, 40, 50, 60, 70, 80, 90, 91, 100, 101};
  if (page == "filtersEnvelopes") {
    std::vector<int> ids;
    for (int decade = 10; decade <= 40; decade += 10)
      for (int mode = 0; mode < 5; ++mode) ids.push_back(decade + mode);
    return ids;
  }
  if (page == "lfoModMatrix") return {10, 20, 30};
  if (page == "effectsArp") return {10, 11, 12, 13, 14, 15};
  return {};
}

std::vector<CorePlace> corePlaces() {
  const layout_tables::ImageSize cancel = layout_tables::imageSize("BUTTON_LIB_CANCEL_ID");
  return {
      {"bank menu", 1142, 60, 1180, 84, kAllTabs},
      {"program menu", 1184, 60, 1229, 84, kAllTabs},
      {"cancel button", 740, 83, 740 + cancel.w, 83 + cancel.h, kAllTabs & ~kLibrarianTab},
      {"librarian cancel button", 835, 457, 835 + cancel.w, 457 + cancel.h, kLibrarianTab},
      {"upper bank menu", 394, 188, 810, 207, kLibrarianTab, "kPatchSelectionListUpper"},
      {"lower bank menu", 394, 461, 810, 480, kLibrarianTab, "kPatchSelectionListLower"},
      {"bank edit menu", 839, 187, 916, 205, kLibrarianTab},
  };
}

}  // namespace layout_check
