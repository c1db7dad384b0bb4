// The MIDI ports the musician chose, followed: a port that is not there is shown by its name,
// marked absent, and opened again once it is listed; the idle call looks every few seconds.
#include <algorithm>
#include <chrono>

#include "src/config/ParameterIds.h"
#include "src/core/Kroma.h"
#include "src/editor/EditorConfigManager.h"
#include "toolkit/plugin/editor/IControl.h"
#include "toolkit/plugin/midi/IMidiPortIn.h"
#include "toolkit/plugin/midi/IMidiPortOut.h"

namespace {

// Listing the ports asks the MIDI system for every name: not at every idle call.
constexpr auto kPortLookEvery = std::chrono::seconds(2);
// Port names are stored cut to this many bytes.
constexpr size_t kStoredPortName = 32;
// First, so that a caption too narrow for a long port name still shows it.
const char* const kAbsentMark = "absent: ";

int selectionParam(bool input) {
  return input ? kDeviceInSelection : kDeviceOutSelection;
}

// The absent port's entry in its menu.
std::string markedAbsent(const std::string& name) {
  return kAbsentMark + name;
}

// The port of the first `ports` listed that a name stands for, compared as the project stores
// names; null for an empty name or one no port has.
const char* listedPortName(const std::vector<std::string>& names, int ports,
                           const std::string& stored) {
  if (stored.empty()) return nullptr;
  for (int i = 1; i <= ports && i < static_cast<int>(names.size()); ++i)
    if (names[i].compare(0, kStoredPortName, stored) == 0) return names[i].c_str();
  return nullptr;
}

}  // namespace

void Kroma::refreshPortMenu(bool input) {
  TK_MutexLock lock(mMutex);
  const PortsListed listed = listPorts(input);
  connectAgain(listed);
  if (listed.ports < 0)
    showStatus("No MIDI server running!");
  else if (listed.ports == 0)
    showStatus("No MIDI ports found!");
  else if (!listed.reopened)
    showPortsAbsent();
}

void Kroma::showPortsAbsent() {
  const bool in = !mRouting.mAbsentPortNames[0].empty(),
             out = !mRouting.mAbsentPortNames[1].empty();
  if (in || out)
    showStatus(in && out ? "MIDI I/O ports ABSENT!"
                         : (in ? "MIDI In port ABSENT!" : "MIDI Out port ABSENT!"));
}

std::string Kroma::chosenPortName(bool input) const {
  const std::string& absent = mRouting.mAbsentPortNames[input ? 0 : 1];
  if (!absent.empty()) return absent;
  const std::vector<std::string>& names = input ? mMIDIInNames : mMIDIOutNames;
  const int chosen = GetParam(selectionParam(input))->Int();
  return chosen > 0 && chosen < static_cast<int>(names.size()) ? names[chosen] : "";
}

Kroma::PortsListed Kroma::listPorts(bool input) {
  PortsListed listed;
  std::string& absent = mRouting.mAbsentPortNames[input ? 0 : 1];
  if (absent.empty() && portLinkLost(input)) {
    absent = chosenPortName(input);
    closePort(input);
    listed.lost = true;
  }
  std::vector<std::string>& names = input ? mMIDIInNames : mMIDIOutNames;
  const std::vector<std::string> before = names;
  std::string chosen = chosenPortName(input);
  listed.ports = input ? refreshExternalMIDIInNames(chosen) : refreshExternalMIDIOutNames(chosen);
  if (const char* back = listedPortName(names, listed.ports, absent)) {
    const std::string name = back;
    int index = 1;
    if ((input ? setExternalMIDIIn(index, name.c_str()) : setExternalMIDIOut(index, name.c_str())) >
        0) {
      absent.clear();
      listed.reopened = true;
      if (!input) mRouting.mMIDIOutSet = true;
      // The stored name, cut, no longer stands after the ports.
      chosen = name;
      input ? refreshExternalMIDIInNames(chosen) : refreshExternalMIDIOutNames(chosen);
    }
  }
  const int position = std::max(0, input ? getExternalMIDIInDevice(chosen.c_str())
                                         : getExternalMIDIOutDevice(chosen.c_str()));
  (input ? mRouting.mMIDIInPortIndex : mRouting.mMIDIOutPortIndex) = portOpen(input) ? position : 0;
  const IParam* param = GetParam(selectionParam(input));
  const std::string shown = absent.empty() ? names[position] : markedAbsent(absent);
  if (names != before || param->Int() != position ||
      param->CopyDisplayText(position) != shown.substr(0, IParam::kDisplayTextSize - 1))
    showPortChoice(input, position);
  return listed;
}

void Kroma::showPortChoice(bool input, int position) {
  IParam* param = GetParam(selectionParam(input));
  const std::string& absent = mRouting.mAbsentPortNames[input ? 0 : 1];
  EditorConfigManager::setPortMenuEntries(*param, input ? mMIDIInNames : mMIDIOutNames);
  if (!absent.empty() && position > 0)
    param->SetDisplayText(position, markedAbsent(absent).c_str());
  param->Set(position);
  if (IControl* menu = input ? mWidgets.mDeviceInControl : mWidgets.mDeviceOutControl)
    menu->SetValueFromPlug(param->GetNormalized());
}

bool Kroma::portOpen(bool input) const {
  return input ? inputPortOpen() : outputPortOpen();
}

bool Kroma::portLinkLost(bool input) {
  if (input) return mMidiIn && mMidiIn->linkLost();
  IMidiPortOut* port = mMidiOut;
  return port && port->linkLost();
}

void Kroma::closePort(bool input) {
  int off = 0;
  if (input) {
    setExternalMIDIIn(off, nullptr);
  } else {
    setExternalMIDIOut(off, nullptr);
    mRouting.mMIDIOutSet = false;
  }
}

void Kroma::connectAgain(const PortsListed& listed) {
  if (listed.lost && !mRouting.mLossTold.exchange(false)) showPortsAbsent();
  if (listed.reopened && mRouting.mMIDIOutSet && outputPortOpen() && inputPortOpen()) {
    linkIsBack();
    sendSysExInitialization();
  }
}

void Kroma::lookAtPorts() {
  const auto now = std::chrono::steady_clock::now();
  if (now < mRouting.mNextPortLook) return;
  mRouting.mNextPortLook = now + kPortLookEvery;
  TK_MutexLock lock(mMutex);
  // A transfer keeps its ports; nothing chosen, nothing to follow.
  if (transferRunning() ||
      (GetParam(kDeviceInSelection)->Int() == 0 && GetParam(kDeviceOutSelection)->Int() == 0))
    return;
  PortsListed both = listPorts(true);
  const PortsListed out = listPorts(false);
  both.lost = both.lost || out.lost;
  both.reopened = both.reopened || out.reopened;
  connectAgain(both);
}
