#pragma once

#include <atomic>
#include <vector>

#include "src/config/ControlActionSysExMessage.h"
#include "src/config/LinkInfo.h"

class ControlLayer;
class IControl;

// What the plug-in sends when a parameter bound by an action changes (its message type).
enum ControlMessageType : int {
  kMessageNone = 0,      // nothing: the action only lists the controls to bring up to date
  kMessageCC = 1,        // a CC with the value, on the MIDI channel of the action's part
  kMessageCCOffOn = 2,   // a CC with the off value for 0, the on value for any other value
  kMessageNRPN = 3,      // nothing
  kMessageSysExOne = 5,  // the precomputed SysEx message of the value
  kMessageSysEx = 6,     // the precomputed SysEx message (or message list) of the value
};

// The MIDI binding of one parameter, shared by every control bound to it. The configuration
// manager makes and owns it while the layout is built; afterwards the plug-in only reads it,
// apart from `value`, which it writes when it sends and resets from the MIDI input thread.
struct ControlAction {
  explicit ControlAction(int type) : messageType(type) {}

  std::atomic<double> value{-1.0};  // the last value sent, as a whole number
  int linkGap = -1;                 // written by the link logic only
  // The part whose MIDI channel the CC kinds send on; set after the builder from the layout.
  int part = -1;
  int messageType;
  int ccNumber = -1;
  int nrpnNumber1 = -1;
  int nrpnNumber2 = -1;
  int nrpnNumber3 = -1;
  int channelKey = -1;              // first key of the CC and NRPN lookups
  int subKey = -1;                  // last key of the CC and NRPN lookups
  std::vector<IControl*> controls;  // in the order built; not owned
  LinkInfo link;
  ControlActionSysExMessage sysexMessages;
  int ccOffValue = -1;
  int ccOnValue = -1;
  // Layers of which the parameter's value picks the one shown (the child whose id is the
  // value); null for none. No layout element sets one.
  ControlLayer* layerGroup = nullptr;
};
