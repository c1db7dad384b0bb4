#pragma once

#include "src/config/LinkInfo.h"

class Kroma;
struct KromaParts;
struct MidiRouting;
struct ControlAction;

// The filter link: while a part's link switch is on, a change of a filter 1 parameter is
// repeated on its filter 2 twin and the other way round, keeping the distance the two had while
// the link was off. Parameters outside the paired filter blocks follow the link their layout
// element gave. Holds no state; runs inside either dispatch, under the plug-in lock.
class LinkManager {
 public:
  // `action` and `link` (a copy of its link) belong to the edited parameter paramIdx, now at
  // `value` (cut toward zero). The linked parameter takes value -+ the kept distance, held to
  // 0..127, through its own control action, and its controls follow. rawValue plays no part.
  void controlLinker(Kroma* plug, MidiRouting& routing, const KromaParts& parts,
                     ControlAction* action, LinkInfo link, int paramIdx, int value,
                     double rawValue);
};
