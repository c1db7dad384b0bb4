// What every bundle file looks like: its frame size and painter. Both styles' files of a name
// share one entry; the palette of the style tells them apart.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "tools/genimages/detail/Panels.h"
#include "tools/genimages/detail/Widgets.h"

namespace {

struct Entry {
  const char* stem;
  Art art;
};

const Entry kEntries[] = {
    // Editor, pages and dialogs.
    {"main-bg-frame", {1500, 757, paintFrame}},
    {"main-bg-white", {1500, 96, paintHeader}},
    {"main-bg-black", {1500, 96, paintHeader}},
    {"kroma-progress-overlay", {1500, 757, paintOverlay}},
    {"kroma-progress-overlay-b", {1500, 757, paintOverlay}},
    // Pages fill the window right of the part rail and below the header (96 high); the quick
    // mixer takes the bottom band of the sound and librarian pages. The bank view holds its two
    // lists of 16 rows and the strip between them.
    {"kroma-oscillator-bg", {1420, 616, paintPage}},
    {"kroma-filter-envelopes", {1420, 616, paintPage}},
    {"kroma-lfo-modmatrix", {1420, 616, paintPage}},
    {"kroma-effects-arp-bg", {1420, 616, paintPage}},
    {"kroma-multi-settings-bg", {1420, 170, paintPage}},
    {"kroma-multimode-mixer-bg", {1420, 491, paintPage}},
    {"kroma-quick-mixer-bg", {1420, 45, paintPage}},
    {"manager-bg", {1420, 616, paintPage}},
    {"bg-browser", {1040, 498, paintBrowser}},
    {"bg-about", {600, 380, paintDialog, kDialogAbout}},
    {"bg-first-run", {600, 340, paintDialog, kDialogFirstRun}},
    {"bg-rename", {420, 150, paintDialog, kDialogRename}},
    {"bg-patch-conflict", {520, 220, paintDialog, kDialogConflict}},
    {"bg-midi-filters", {640, 420, paintDialog, kDialogMidiFilters}},
    {"bg-category-filter", {300, 56, paintField, 0, "CATEGORY"}},
    {"bg-search-field", {300, 56, paintField, 0, "SEARCH"}},
    {"bg-indicator-protector", {160, 28, paintBlank}},
    {"bg-single-protector", {420, 180, paintBlank, 0, "MULTI MODE ONLY"}},
    {"btn-multimode-led-protect", {20, 20, paintBlank}},
    // Sub-panels of the pages.
    {"multi-part-additional-settings", {164, 78, paintBlank}},
    {"osc-bg-brilliance", {210, 28, paintSubPanel, 0, "BRILLIANCE"}},
    {"osc-bg-pw", {210, 28, paintSubPanel, 0, "PULSE WIDTH"}},
    {"osc-bg-limitwt", {210, 28, paintSubPanel, 0, "WAVETABLE LIMIT"}},
    // The two variants of the wave: each band holds the menus it labels.
    {"osc-shape-gb", {210, 52, paintSubPanel, 0, "SHAPE"}},
    {"osc-sample-gb", {210, 52, paintSubPanel, 0, "SAMPLE"}},
    {"01-bypassed", {556, 40, paintSubPanel, 0, "BYPASSED"}},
    {"02-chorus", {556, 40, paintSubPanel, 0, "CHORUS"}},
    {"03-flanger", {556, 40, paintSubPanel, 0, "FLANGER"}},
    {"04-phaser", {556, 40, paintSubPanel, 0, "PHASER"}},
    {"05-overdrive", {556, 40, paintSubPanel, 0, "OVERDRIVE"}},
    {"06-triplefx", {556, 40, paintSubPanel, 0, "TRIPLE FX"}},
    {"08-delay", {556, 40, paintSubPanel, 0, "DELAY"}},
    {"09-reverb", {556, 40, paintSubPanel, 0, "REVERB"}},
    {"bg-lowpass-filter", {200, 72, paintFilterCurve, kLowpass}},
    {"bg-bandpass-filter", {200, 72, paintFilterCurve, kBandpass}},
    {"bg-highpass-filter", {200, 72, paintFilterCurve, kHighpass}},
    {"bg-notch-filter", {200, 72, paintFilterCurve, kNotch}},
    {"bg-comb-filter-minus", {200, 72, paintFilterCurve, kCombMinus}},
    {"bg-comb-filter-plus", {200, 72, paintFilterCurve, kCombPlus}},
    {"kroma-adsr-env", {250, 100, paintEnvelope, kAdsr}},
    {"kroma-adsd2s2r-env", {250, 100, paintEnvelope, kAdsd2s2r}},
    {"kroma-oneshot-env", {250, 100, paintEnvelope, kOneShot}},
    {"kroma-loops1s2-env", {250, 100, paintEnvelope, kLoopS1S2}},
    {"kroma-loopall-env", {250, 100, paintEnvelope, kLoopAll}},
    // Controls.
    {"knob-kroma-normal", {56, 56, paintKnob}},
    {"knob-kroma-normal-fc", {68, 68, paintBigKnob}},
    {"knob-kroma-small", {40, 40, paintKnob}},
    {"main-tab-selector", {672, 40, paintTabStrip}},
    {"main-part-selector", {64, 640, paintPartStrip}},
    {"slider-pysty", {28, 14, paintFaderVertical}},
    {"slider-vaaka", {14, 28, paintFaderHorizontal}},
    {"btn-arp-power", {40, 28, paintArpPower}},
    {"btn-lib-datatype", {180, 28, paintDataType}},
    {"led-mixer-midi", {14, 14, paintMidiLed}},
    {"led-mixer-midi-inv", {14, 14, paintMidiLedInverse}},
    {"led-mixer-midi-large", {20, 20, paintMidiLed}},
    {"btn-small", {24, 16, paintKey}},
    {"btn-bank-recall", {80, 26, paintKey, 0, "RECALL"}},
    {"btn-part-mute", {56, 24, paintMute}},
    {"btn-patch-up", {24, 20, paintPatchUp}},
    {"btn-patch-down", {24, 20, paintPatchDown}},
    {"btn-lock-white", {22, 22, paintLockWhite}},
    {"btn-lock-black", {22, 22, paintLockBlack}},
    {"gears-icon", {34, 34, paintGears}},
    {"btn-offon", {40, 20, paintOffOn}},
    {"btn-checkbox", {18, 18, paintCheckbox}},
    {"btn-small-led-sm", {20, 20, paintSmallLedKey}},
    {"btn-bank-search", {28, 26, paintSearch}},
    {"btn-18x18", {18, 18, paintDotKey}},
    {"btn-127x18", {127, 18, paintKey}},
    {"btn-exit-about", {96, 28, paintKey, 0, "CLOSE"}},
    {"btn-see-about", {96, 28, paintKey, 0, "WEBSITE"}},
    {"btn-lib-discard", {96, 28, paintKey, 0, "DISCARD"}},
    {"btn-lib-cancel", {120, 30, paintKey, 0, "CANCEL"}},
    {"btn-trigger", {80, 26, paintKey, 0, "TRIGGER"}},
    {"btn-randomize", {110, 28, paintKey, 0, "RANDOMIZE"}},
    {"btn-exit-first-run", {96, 28, paintKey, 0, "GOT IT"}},
    {"btn-bank-overwrite", {110, 28, paintKey, 0, "OVERWRITE"}},
};

// A stem without its style word: "-gray" and "-orange" panels, "-white" filter pictures.
std::string baseOf(std::string stem) {
  for (const char* suffix : {"-gray", "-orange", "-white"}) {
    const size_t n = std::strlen(suffix);
    if (stem.size() > n && stem.compare(stem.size() - n, n, suffix) == 0 &&
        stem.rfind("main-bg", 0) != 0 && stem.rfind("btn-lock", 0) != 0)
      return stem.substr(0, stem.size() - n);
  }
  return stem;
}

}  // namespace

const Art* artFor(const char* stem) {
  static const std::map<std::string, Art> kArt = [] {
    std::map<std::string, Art> art;
    for (const Entry& e : kEntries) art[e.stem] = e.art;
    for (int part = 1; part <= 16; ++part) {
      char stem[32];
      std::snprintf(stem, sizeof stem, "btn-mixer-mute-%02d", part);
      art[stem] = Art{40, 24, paintMute, part};
    }
    return art;
  }();
  const auto found = kArt.find(baseOf(stem));
  if (found != kArt.end()) return &found->second;
  // Knob strips of other frame counts share the normal knob's art.
  if (std::strncmp(stem, "knob-kroma-normal-", 18) == 0) return &kArt.at("knob-kroma-normal");
  return nullptr;
}
