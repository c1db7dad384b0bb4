// The hardware MIDI ports of the plug-in base: name lists, selection by name,
// input from the device and the sends to it.
#include <cstring>

#include "toolkit/plugin/base/IPluginBase.h"
#include "toolkit/plugin/midi/IMidiPortIn.h"
#include "toolkit/plugin/midi/IMidiPortOut.h"

namespace {

const char* const kOff = "OFF";

// Position of `name` in `names`, or -1.
int positionOf(const std::vector<std::string>& names, const char* name) {
  if (!name) return -1;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return (int)i;
  return -1;
}

// "OFF", then one entry per port; a name that cannot be read becomes
// `unreadable(names so far)` so that entry i + 1 stays port i.
template <class Port, class Unreadable>
void fillNames(Port* port, std::vector<std::string>& names, Unreadable unreadable) {
  names.push_back(kOff);
  if (!port) return;
  const unsigned count = port->portCount();
  for (unsigned i = 0; i < count; ++i) {
    std::string name;
    names.push_back(port->portName(i, name) ? name : unreadable(names));
  }
}

// What an unreadable name is listed as: the input lists an empty name, the
// output repeats the last name read.
std::string noName(const std::vector<std::string>&) {
  return std::string();
}
std::string lastName(const std::vector<std::string>& names) {
  return names.back() == kOff ? std::string() : names.back();
}

// The MIDI system's current number of the port listed as entry `position`
// of `names`: ports come and go after a list is built. -1 when it is gone.
template <class Port>
int currentPortNumber(Port& port, const std::vector<std::string>& names, int position,
                      TK_LogSink* log) {
  const std::string& wanted = names[position];
  std::string name;
  if (port.portName((unsigned)position - 1, name) && name == wanted) return position - 1;
  const unsigned count = port.portCount();
  for (unsigned i = 0; i < count; ++i)
    if (port.portName(i, name) && name == wanted) return (int)i;
  midiPortLog(log, "port \"" + wanted + "\" is gone");
  return -1;
}

// Rebuilds `names` from what `port` lists now, `chosen` kept after the ports when it is a port
// name no longer listed; the number of ports, or -1 when there is no MIDI system.
template <class Port, class Unreadable>
int refreshNames(Port& port, std::vector<std::string>& names, const std::string& chosen,
                 Unreadable unreadable) {
  const bool system = port.makeClient();
  names.clear();
  fillNames(&port, names, unreadable);
  const int ports = (int)names.size() - 1;
  if (!chosen.empty() && positionOf(names, chosen.c_str()) < 0) names.push_back(chosen);
  return system ? ports : -1;
}

IMidiPortOut* newOutPort(TK_LogSink* log) {
  return new IMidiPortOut("RtMidi Output Client", MidiBackend::current(), log);
}

IMidiPortIn* newInPort(TK_LogSink* log) {
  return new IMidiPortIn("RtMidi Input Client", 100, MidiBackend::current(), log);
}

}  // namespace

std::vector<std::string>& IPluginBase::getExternalMIDIOutNames() {
  if (!mMIDIOutNames.empty()) return mMIDIOutNames;
  mMIDIOutIndex = 0;
  if (!mMidiOut) mMidiOut = newOutPort(GetLog());
  fillNames(mMidiOut.load(), mMIDIOutNames, lastName);
  return mMIDIOutNames;
}

std::vector<std::string>& IPluginBase::getExternalMIDIInNames() {
  if (!mMIDIInNames.empty()) return mMIDIInNames;
  mMIDIInIndex = 0;
  if (!mMidiIn) mMidiIn.reset(newInPort(GetLog()));
  fillNames(mMidiIn.get(), mMIDIInNames, noName);
  return mMIDIInNames;
}

int IPluginBase::refreshExternalMIDIOutNames(const std::string& chosen) {
  if (!mMidiOut) mMidiOut = newOutPort(GetLog());
  return refreshNames(*mMidiOut.load(), mMIDIOutNames, chosen, lastName);
}

int IPluginBase::refreshExternalMIDIInNames(const std::string& chosen) {
  if (!mMidiIn) mMidiIn.reset(newInPort(GetLog()));
  return refreshNames(*mMidiIn, mMIDIInNames, chosen, noName);
}

int IPluginBase::setExternalMIDIOut(int& index, const char* name) {
  IMidiPortOut* port = mMidiOut;
  if (mMIDIOutIndex > 0 && port) port->close();
  mMIDIOutIndex = index;
  if (index == 0 || mMIDIOutNames.empty()) {
    if (port) port->close();
    return 0;
  }
  const int position = positionOf(mMIDIOutNames, name);
  index = position < 0 ? 0 : position;
  if (position <= 0 || !port) return 0;
  const int number = currentPortNumber(*port, mMIDIOutNames, position, GetLog());
  return number >= 0 && port->open((unsigned)number, "RtMidi Output") ? position : 0;
}

int IPluginBase::setExternalMIDIIn(int& index, const char* name) {
  if (mMidiIn && mMidiIn->isOpen()) {
    // Closing waits for the MIDI input thread, which may be waiting for the lock the caller holds.
    TK_MutexReleased unlocked(mMutex);
    mMidiIn->close();
  }
  mMIDIInIndex = index;
  if (index == 0) return 0;
  const int position = positionOf(mMIDIInNames, name);
  index = position < 0 ? 0 : position;
  if (position <= 0 || !mMidiIn) return 0;
  mMidiIn->setCallback(&IPluginBase::MIDICallback, this);
  const int number = currentPortNumber(*mMidiIn, mMIDIInNames, position, GetLog());
  return number >= 0 && mMidiIn->open((unsigned)number, "RtMidi Input") ? position : 0;
}

int IPluginBase::getExternalMIDIOutDevice(const char* name) {
  return positionOf(mMIDIOutNames, name);
}

int IPluginBase::getExternalMIDIInDevice(const char* name) {
  return positionOf(mMIDIInNames, name);
}

void IPluginBase::MIDICallback(double timeStamp, std::vector<unsigned char>* message, void* user) {
  if (user) static_cast<IPluginBase*>(user)->processMIDIInput(timeStamp, message, user);
}

void IPluginBase::processMIDIInput(double, std::vector<unsigned char>* message, void*) {
  if (!message || message->empty()) return;
  const std::vector<unsigned char>& bytes = *message;
  if (bytes.size() <= 3) {
    IMidiMsg msg(0, bytes[0], bytes.size() > 1 ? bytes[1] : 0, bytes.size() > 2 ? bytes[2] : 0);
    ProcessMidiMsg(&msg, true);
    return;
  }
  // The message is the input thread's own copy; the receiver copies what it keeps.
  ISysEx sysex(0, bytes.data(), (int)bytes.size());
  ProcessSysEx(&sysex, true);
}

// The output client is kept rather than replaced: other threads may be
// sending through it.
bool IPluginBase::initializeVirtualOutput(std::string name) {
  if (!mMidiOut) mMidiOut = newOutPort(GetLog());
  return mMidiOut.load()->openVirtual("From " + name);
}

int IPluginBase::GetMIDIInPortNumber(const char* name) {
  if (!name) return -1;
  if (!std::strcmp(name, kOff)) return 0;
  if (!std::strcmp(name, "virtual input")) return 1;
  if (!mMidiIn || mMidiIn->portCount() == 0) return -1;
  std::vector<std::string> names;
  fillNames(mMidiIn.get(), names, noName);
  return positionOf(names, name);
}

int IPluginBase::GetMIDIOutPortNumber(const char* name) {
  if (!name) return -1;
  if (!std::strcmp(name, kOff)) return 0;
  if (!std::strcmp(name, "virtual output")) return 1;
  std::vector<std::string> names;
  fillNames(mMidiOut.load(), names, noName);
  return positionOf(names, name);
}

bool IPluginBase::sendMidiMsgToDevice(const IMidiMsg* msg) {
  if (!msg) return false;
  const IMidiMsg::EStatusMsg kind = msg->StatusMsg();
  const bool twoBytes = kind == IMidiMsg::kProgramChange || kind == IMidiMsg::kChannelAftertouch;
  const unsigned char bytes[3] = {msg->mStatus, msg->mData1, msg->mData2};
  return sendBytesToDevice(bytes, twoBytes ? 2 : 3);
}

bool IPluginBase::sendMidiSysexToDevice(const unsigned char* data, int size) {
  if (!data || size <= 0) return false;
  if (data[0] == 0xF0) return sendBytesToDevice(data, size);
  std::vector<unsigned char> framed;
  framed.reserve((size_t)size + 2);
  framed.push_back(0xF0);
  framed.insert(framed.end(), data, data + size);
  framed.push_back(0xF7);
  return sendBytesToDevice(framed.data(), (int)framed.size());
}

bool IPluginBase::sendBytesToDevice(const unsigned char* data, int size) {
  IMidiPortOut* port = mMidiOut;
  return port && data && size > 0 && port->send(data, (size_t)size);
}
