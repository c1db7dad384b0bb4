#pragma once

#include <cstdint>

// A short MIDI message with the sample offset at which it belongs in the
// current audio block.
struct IMidiMsg {
  // The message kind: the status byte's high nibble.
  enum EStatusMsg : int {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  // A controller number 0-127; the names are the ones the framework uses.
  enum EControlChangeMsg : int { kBankSelectMSB = 0, kBankSelectLSB = 32 };

  int mOffset = 0;
  uint8_t mStatus = 0;
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;

  IMidiMsg() = default;
  IMidiMsg(int offset, uint8_t status, uint8_t data1, uint8_t data2)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2) {}

  // Each maker overwrites all four fields. The channel is ORed in unmasked.
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0, int velocity = 0);
  // value -1.0 .. 1.0, centre 0.0.
  void MakePitchWheelMsg(double value, int channel = 0);
  // program and value are normalised: n / 127.0 gives back n.
  void MakeProgramChangeMsg(double program, int channel = 0);
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);

  EStatusMsg StatusMsg() const;
  int Channel() const { return mStatus & 0x0F; }
  // The whole status byte.
  int MidiChannelIdx() const { return mStatus; }
  int NoteNumber() const;
  int Velocity() const;
  int Program() const;
  double PitchWheel() const;
  int ControlChangeIdx() const { return mData1; }
  // The controller's normalised value when this changes controller idx, else -1.0.
  double ControlChange(EControlChangeMsg idx) const;
  void Clear() { *this = IMidiMsg(); }
  void LogMsg() const {}

  static const char* StatusMsgStr(EStatusMsg msg);

 private:
  int HighNibble() const { return mStatus >> 4; }
  void Set(int offset, int status, int data1, int data2);
};

// A view of a SysEx message; the bytes belong to whoever made the record.
struct ISysEx {
  int mOffset = 0;
  int mSize = 0;
  const uint8_t* mData = nullptr;

  ISysEx() = default;
  ISysEx(int offset, const uint8_t* data, int size) : mOffset(offset), mSize(size), mData(data) {}

  void Clear() { *this = ISysEx(); }
  void LogMsg() const {}
};

// Writes the bytes as upper-case hex pairs separated by blanks, at most
// maxLength / 3 of them, and returns str.
char* SysExStr(char* str, int maxLength, const uint8_t* data, int size);
