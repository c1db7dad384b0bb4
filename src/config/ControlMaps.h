#pragma once

#include <cstddef>
#include <map>
#include <vector>

class IControl;
struct ControlAction;

// The nested levels of the control lookup maps. Each holds one ordered map; the maps point at
// controls and own none.
struct ccControlMap {
  std::map<int, IControl*> map;
};
struct controlID3 {
  std::map<int, ccControlMap> map;
};
struct controlID2 {
  std::map<int, controlID3> map;
};
struct controlID1 {
  std::map<int, controlID2> map;
};

// A lookup map under five keys. Filled while the layout is built, only read afterwards (from the
// MIDI threads, without a lock).
class FiveKeyControlMap {
 public:
  // Replaces a control already registered under the same five keys.
  void add(int k1, int k2, int k3, int k4, int k5, IControl* control);
  // Never inserts; null when any key is absent.
  IControl* findControl(int k1, int k2, int k3, int k4, int k5) const;

 private:
  std::map<int, controlID1> mMap;
};

// Controls by the four address bytes of their SysEx parameter change and an effect variant.
class SysExControlContainer : public FiveKeyControlMap {
 public:
  void addToControlMap(const unsigned char* fourBytes, unsigned char variant, IControl* control);

  // The address of a first precomputed message: entries 2 to 5 when the changing byte is 7,
  // else 3 to 6, each cut to 8 bits. False when the message is too short to hold it.
  static bool addressOf(const std::vector<int>& message, int changingByte,
                        unsigned char* fourBytes);
};

// Controls by the channel key, the three NRPN numbers and the sub-key of their binding (the
// binding's CC number is no key).
class NRPNControlContainer : public FiveKeyControlMap {
 public:
  void addToControlMap(const ControlAction* action, IControl* control);
};

// Controls by channel key, CC number and sub-key.
class CCControlContainer {
 public:
  void addToControlMap(int channelKey, int ccNumber, int subKey, IControl* control);
  IControl* findControl(int channelKey, int ccNumber, int subKey) const;

 private:
  std::map<int, controlID3> mMap;
};

// Ints by three int keys: the program-by-parts map.
class ProgramByPartsMap {
 public:
  // Never inserts; 0 when any key is absent.
  int get(int a, int b, int c) const;
  // Makes the levels it needs; overwrites a value already there.
  void set(int a, int b, int c, int value) { mMap[a][b][c] = value; }

 private:
  std::map<int, std::map<int, std::map<int, int>>> mMap;
};

// The variant a SysEx knob of this parameter registers under: the effect parameters share
// their addresses between effect types (1 chorus .. 7 reverb); 0 for every other parameter.
int sysexEffectVariant(int paramIdx);
