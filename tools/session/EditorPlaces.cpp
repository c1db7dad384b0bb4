#include "tools/session/EditorPlaces.h"

#include "src/config/ParameterIds.h"

namespace session {
namespace place {
namespace {

constexpr int kNoParam = -1;  // the librarian's menus, which the plug-in makes itself

enum Page { kMultiPage = 0, kLibrarianPage, kOscillatorPage, kFilterPage };

// The tab strip's six buttons and the sixteen part buttons.
constexpr int kTabLeft = 236, kTabStep = 112, kTabY = 36;
constexpr int kPartX = 40, kPartTop = 116, kPartStep = 40;

}  // namespace

Place tab(int page) {
  return {"page tab", kMainTab, page, kTabLeft + kTabStep * page, kTabY};
}

Place part(int part) {
  return {"part button", kQuickTab, kMultiPage, kPartX, kPartTop + kPartStep * part};
}

const Place kPortOut{"MIDI out port menu", kDeviceOutSelection, kMultiPage, 1112, 148};
const Place kPortIn{"MIDI in port menu", kDeviceInSelection, kMultiPage, 1112, 174};
const Place kGetMulti{"GET FROM SYNTH", kRequestTempData, kMultiPage, 252, 238};
const Place kSendMulti{"SEND TO SYNTH", kPushArrangement, kMultiPage, 114, 238};
const Place kLibrarianMenu{"librarian menu", kNoParam, kLibrarianPage, 877, 196};
const Place kTransferPause{"transfer pause menu", kLibSyncTimer, kLibrarianPage, 1400, 512};
const Place kDeviceId{"device id menu", kGlobalSysExID, kMultiPage, 580, 156};
const Place kVelocity{"velocity curve menu", kGlobalVelocityCurve, kMultiPage, 812, 156};
const Place kUpperBank{"edit bank menu", kNoParam, kLibrarianPage, 600, 197};
const Place kSemitone{"oscillator 1 semitone", kOscillator1Semitone, kOscillatorPage, 192, 172};
const Place kCutoff{"filter 1 cutoff", ::kFilter1Cutoff, kFilterPage, 350, 176};
const Place kResonance{"filter 1 resonance", ::kFilter1Resonance, kFilterPage, 422, 176};
const Place kAttack{"amplifier attack", ::kAmpEnvAttack, kFilterPage, 470, 634};

std::vector<Place> all() {
  std::vector<Place> places = {kPortOut,       kPortIn,    kGetMulti, kSendMulti, kLibrarianMenu,
                               kTransferPause, kDeviceId,  kVelocity, kUpperBank, kSemitone,
                               kCutoff,        kResonance, kAttack};
  for (int page = 0; page < 6; ++page) places.push_back(tab(page));
  for (int p = 0; p < 16; ++p) places.push_back(part(p));
  return places;
}

}  // namespace place
}  // namespace session
