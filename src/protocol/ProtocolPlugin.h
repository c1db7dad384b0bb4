#pragma once

#include <string>

#include "src/protocol/ParameterAccess.h"

// What the protocol engine needs of the plug-in class. Jobs call it from the lanes and the
// request collectors from the MIDI input thread while the host and the editor use the plug-in,
// so every operation must be safe from any thread: values and flags atomic, texts handed over
// under a lock, layers and the overlay changed on the editor thread when it comes to them.
class ProtocolPlugin : public ParameterAccess {
 public:
  // Writes a parameter's stored value, held to its range; no control, host or change handler
  // hears of it.
  virtual void setStoredValue(int index, double value) = 0;

  // --- MIDI towards the synthesizer ---
  // Sends a SysEx to the synthesizer's port; F0 and F7 are added when the first byte is not F0.
  virtual void SendMidiSysex(const unsigned char* data, int length) = 0;
  // With the MIDI ports chosen: writes the checksum of a dump of 201 bytes or more and sends.
  // Without: sends nothing and shows "Set MIDI I/O First!".
  virtual void checksumCheckAndSend(unsigned char* data, int length) = 0;
  // The plug-in's own SysEx input (its filters, then MIDIMessageManager::ProcessSysEx). Jobs hand
  // dumps to it as if the synthesizer had sent them.
  virtual void ProcessSysEx(const unsigned char* data, int length, bool fromDevice) = 0;

  // --- What the user sees ---
  // Requests the transfer overlay shown or hidden. Hiding also clears the transfer-busy and
  // multi-send flags and the manager's dump routing at once.
  virtual void DisplayProcessingIndicator(bool show) = 0;
  // Replaces the text of the display control bound to `displayParam` (kControlDisplayName ...).
  virtual void setTextDisplay(int displayParam, const std::string& text) = 0;
  // Requests a layer hidden or shown, or the controls of a parameter greyed out or restored.
  virtual void requestLayerHidden(const std::string& layer, bool hidden) = 0;
  virtual void requestGrayOut(int param, bool grayed) = 0;
  // The bank view: redraw it; refill list 0 (upper) or 1 (lower) from the librarian.
  virtual void markLibrarianViewDirty() = 0;
  virtual void refillLibrarianList(int list) = 0;
  // The names that travel in the project (the patch manager's name slots).
  virtual void setNameSlot(int slot, const std::string& text) = 0;

  // --- State ---
  virtual int currentPart() const = 0;
  virtual int deviceId() const = 0;
  // The librarian works on Multis.
  virtual bool multiMode() const = 0;
  // A Multi is being sent with its parts' sounds.
  virtual bool sendPartSounds() const = 0;
};
