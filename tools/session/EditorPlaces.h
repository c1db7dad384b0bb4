#pragma once

#include <vector>

// Where a session clicks on the editor, in the editor's pixels at the normal size, and on which
// page (main tab) the place shows. The shipped layout puts the controls there; a test holds this
// table to it.
namespace session {

struct Place {
  const char* name;
  int param;  // the parameter of the control at the place; -1 for one without
  int page;
  int x, y;
};

namespace place {

// The page tabs along the top and the part buttons down the left edge.
Place tab(int page);
Place part(int part);

extern const Place kPortOut;
extern const Place kPortIn;
extern const Place kGetMulti;  // the Multi page's "GET FROM SYNTH"
extern const Place kSendMulti;
extern const Place kLibrarianMenu;  // the librarian's main menu
extern const Place kTransferPause;
extern const Place kDeviceId;   // the Global settings' DEVICE ID
extern const Place kVelocity;   // the Global settings' VELOCITY curve
extern const Place kUpperBank;  // the librarian's edit bank
// A few sound controls of part 1 that a demonstration turns: SysEx knobs and a CC knob.
extern const Place kSemitone;
extern const Place kCutoff;
extern const Place kResonance;
extern const Place kAttack;

// Every place of the table above, the tabs and parts included.
std::vector<Place> all();

}  // namespace place

}  // namespace session
