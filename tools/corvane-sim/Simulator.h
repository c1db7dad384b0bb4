#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <vector>

#include "src/protocol/DumpTemplates.h"

namespace corvane_sim {

using Bytes = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;

// Misbehaviour on demand, for testing the editor's waits, scans and checks.
enum class Fault {
  kNone,
  kSilent,       // answers nothing
  kLate,         // answers `amount` ms late
  kOtherId,      // set to device id `amount`: takes, answers and signs as that id
  kTruncate,     // answers dumps cut to `amount` bytes (half when 0), closed by F7
  kWrongType,    // answers with the type byte of another dump
  kBadChecksum,  // answers with a checksum one off
  kEcho,         // answers, then sends each answer again signed as device id `amount`, as another
                 // device on the same line would
};

struct FaultSetting {
  Fault kind = Fault::kNone;
  int amount = 0;
};

struct ReceivedMessage {
  Clock::time_point time;
  Bytes bytes;
};

// The synthesizer's SysEx side: its records, its answers to requests, what it stores from
// dumps and parameter changes, and a log of everything it receives (clock bytes included).
//
// Parameter changes (F0 3E 13 id type location high low value F7) land at:
//   type 20 (sound): edit-buffer sound of part `location`, byte 7 + high * 128 + low;
//   type 21 (multi): multi edit buffer, byte 39 + 24 * location + high * 128 + low of the
//                    part record (record offsets 0..23); with high 1, the Multi's own settings
//                    at dump byte low (7..38: name, master volume, tempo);
//   type 24 (Global): Global record, byte 40 + high, high read as a signed seven-bit number
//                     (7F is byte 39, the Multi program).
// Control changes set the sound bytes the editor edits by CC (octave, semitone and wave of the
// oscillators, CC 27/28/31, 35/36/39, 42/43) to the controller's value, in every part that
// listens on the message's channel by its Multi record (Global channel, Omni or a channel). A
// program change loads the stored sound of the bank last selected on its channel (controller 0)
// into those parts. Dumps are stored only when framed, sized and (sound, multi) checksummed
// correctly, or with the placeholder 7F in the checksum place, and addressed to the simulator's id.
// Thread-safe: every call takes one lock.
class Simulator {
 public:
  explicit Simulator(int deviceId = 0);

  void setDeviceId(int id);
  int deviceId() const;
  void setFault(FaultSetting fault);
  // The edit buffers (part sounds and Multi) as at power-on; memory and Global stay.
  void resetEditBuffers();
  // A Multi setting changed on the panel, which sends nothing: byte `offset` of the Multi edit
  // buffer, a data byte between the header and the checksum, becomes `value` (0 to 127). False,
  // and nothing changed, for any other offset or value.
  bool setMultiByte(int offset, int value);
  // The musician turns `part` to `program` of its bank on the panel right after the next
  // `answers` answers have been made: the part plays that stored sound, and the change goes out
  // behind the last of those answers as the Multi parameter change of the part's program.
  void turnPartAfter(int answers, int part, int program);

  // Handles one incoming message that arrived at `when`; answers go to the outbox.
  void receive(const unsigned char* data, std::size_t size, Clock::time_point when);
  // Answers whose time has come, in the order they were made.
  std::vector<Bytes> takeDue(Clock::time_point now);
  // When the next answer falls due; Clock::time_point::max() with none waiting.
  Clock::time_point nextDue() const;

  // A record as the synthesizer sends it: addressed from `deviceId` (and from `bank` and
  // `program` unless negative), under its checksum.
  static Bytes asSent(Bytes record, int deviceId, int bank, int program);

  std::vector<ReceivedMessage> received() const;
  void clearReceived();

  sysex::SoundDumpBytes soundEditBuffer(int part) const;
  sysex::SoundDumpBytes storedSound(int bank, int program) const;
  sysex::MultiDumpBytes multiEditBuffer() const;
  sysex::MultiDumpBytes storedMulti(int number) const;
  sysex::GlobalDumpBytes globalRecord() const;

 private:
  struct Pending {
    Clock::time_point due;
    Bytes bytes;
  };

  void handle(const unsigned char* data, std::size_t size, Clock::time_point when);
  void answerRequest(const unsigned char* data, std::size_t size, Clock::time_point when);
  void storeDump(const unsigned char* data, std::size_t size);
  void applyParameterChange(const unsigned char* data);
  void applyControlChange(int channel, int controller, unsigned char value);
  void applyProgramChange(int channel, int program);
  bool partListens(int part, int channel) const;
  // The device id it takes, answers and signs messages as.
  int activeId() const;
  void queueAnswer(Bytes dump, int bank, int program, Clock::time_point when);
  Bytes withFault(Bytes dump) const;
  void turnPart(Clock::time_point due);

  mutable std::mutex mLock;
  int mDeviceId;
  FaultSetting mFault;
  sysex::SoundDumpBytes mSoundEdit[sysex::kParts];
  std::vector<sysex::SoundDumpBytes> mStoredSounds;  // bank * 128 + program
  sysex::MultiDumpBytes mMultiEdit;
  std::vector<sysex::MultiDumpBytes> mStoredMultis;
  sysex::GlobalDumpBytes mGlobal;
  std::vector<ReceivedMessage> mReceived;
  std::vector<Pending> mOutbox;
  unsigned char mBankSelect[16] = {};
  struct PanelTurn {
    int answers = 0;  // 0: none waiting
    int part = 0;
    int program = 0;
  } mPanelTurn;
};

}  // namespace corvane_sim
