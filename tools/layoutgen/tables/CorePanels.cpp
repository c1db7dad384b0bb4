#include "tools/layoutgen/detail/tables/Pages.h"

namespace layout_tables {
namespace {

// The MIDI filter dialog: a host and a synthesizer column of switches by the rows its picture
// prints, then the output options with the host buffer's offset and the output timing.
std::vector<Element> midiFilters() {
  constexpr At dialog{430, 170};
  const char* const kinds[7] = {"Note", "CC", "PC", "PA", "CA", "PP", "SE"};
  const char* const names[7] = {"Notes",         "Controllers",      "Program Changes",
                                "Poly Pressure", "Channel Pressure", "Pitch Bend",
                                "SysEx"};
  // As the plug-in starts: program changes blocked both ways, SysEx from the host blocked.
  const int hostPasses[7] = {1, 1, 0, 1, 1, 1, 0};
  const int synthPasses[7] = {1, 1, 0, 1, 1, 1, 1};
  std::vector<Element> out = {background("BG_ID_MIDI_FILTERS", dialog)};
  for (int k = 0; k < 7; ++k) {
    const int y = dialog.y + 78 + 30 * k;
    out.push_back(onOff({std::string("kMIDIFilterDAW") + kinds[k] + "PassThrough",
                         std::string("Host ") + names[k], names[k]},
                        {dialog.x + 401, y}, "BTN_CHECKBOX_ID", hostPasses[k], LabelSide::kNone));
    out.push_back(onOff({std::string("kMIDIFilterHW") + kinds[k] + "PassThrough",
                         std::string("Synth ") + names[k], names[k]},
                        {dialog.x + 521, y}, "BTN_CHECKBOX_ID", synthPasses[k], LabelSide::kNone));
  }
  const Param options[3] = {{"kMIDIFilterDirectToHardware", "Direct To Hardware", "SEND DIRECTLY"},
                            {"kMIDIFilterToDAWBuffer", "Through Host Buffer", "THROUGH HOST"},
                            {"kMIDIFilterTrackIncomingMIDI", "Track Incoming MIDI", "FOLLOW MIDI"}};
  for (int k = 0; k < 3; ++k)
    out.push_back(onOff(options[k], {dialog.x + 581, dialog.y + 308 + 34 * k}, "BTN_CHECKBOX_ID",
                        k == 1 ? 0 : 1, LabelSide::kNone));
  // The host buffer's offset: the blocks of queued output are this many samples longer, twice.
  out.push_back(noValueKnob({"kAdjustDAWOffset", "Host Buffer Offset", "OFFSET"},
                            {dialog.x + 470, dialog.y + 326}, 128, 0, LabelSide::kRight));
  out.push_back(display("kControlDisplayMIDIOutDelay", "OUTPUT TIMING",
                        {dialog.x + 30, dialog.y + 396}, 340, 18));
  // The gear that opened the dialog stays a switch: this one turns it off.
  out.push_back(onOff({"kViewMIDIFilterSettings", "MIDI Filters", "CLOSE"},
                      {dialog.x + 536, dialog.y + 4}, "BTN_EXIT_ABOUT_ID", 0, LabelSide::kNone));
  return out;
}

}  // namespace

std::vector<Element> corePanelLayers() {
  std::vector<Element> out = librarianLayers();
  const std::vector<Element> panels = {
      overlayLayer("patchRename", 0,
                   {background("BG_RENAME_ID", {540, 300}),
                    nameField({"kPatchRename", "Rename", "NEW NAME"}, {624, 361}, 312, 20, 16,
                              LabelSide::kNone)}),
      overlayLayer("midiFilterSettings", 0, midiFilters()),
      overlayLayer("aboutWindow", 0,
                   {background("BG_ABOUT_ID", {450, 188}),
                    display("kControlDisplayBuild", "VERSION", {654, 382}, 272, 20),
                    momentary({"kExitAboutWindow", "Close About", "CLOSE"}, {702, 518},
                              "BTN_EXIT_ABOUT_ID", LabelSide::kNone)}),
      overlayLayer("firstRunNotification", 0,
                   {background("BG_FIRST_RUN_ID", {450, 208}),
                    momentary({"kFirstRunExit", "Close Notice", "OK"}, {702, 504},
                              "BTN_EXIT_FIRST_RUN_ID", LabelSide::kNone)}),
      overlayLayer("bankPatchConflictWindow", 0,
                   {background("BG_PATCH_CONFLICT_ID", {490, 268}),
                    momentary({"kFirstRunExit", "Close Notice", "OK"}, {702, 444},
                              "BTN_EXIT_FIRST_RUN_ID", LabelSide::kNone)}),
  };
  out.insert(out.end(), panels.begin(), panels.end());
  return out;
}

}  // namespace layout_tables
