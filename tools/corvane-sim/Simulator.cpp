#include "tools/corvane-sim/Simulator.h"

#include <algorithm>
#include <string>

#include "src/librarian/InitDumps.h"
#include "src/protocol/SoundDump.h"

namespace corvane_sim {
namespace {

using namespace sysex;

constexpr int kGlobalIdOffset = 42;
constexpr int kGlobalAddressBase = 40;
constexpr int kMultiRecordBase = 39;
constexpr int kMultiRecordSize = 24;
constexpr int kMultiCommonHigh = 1;
constexpr int kMultiNameOffset = 7;
constexpr int kSoundDataBase = 7;
constexpr unsigned char kChecksumPlaceholder = 0x7F;
constexpr int kPartChannelOffset = 7;  // in a Multi part record
constexpr int kGlobalChannelOffset = 41;
constexpr unsigned char kControlChange = 0xB0;
constexpr unsigned char kProgramChange = 0xC0;
constexpr int kBankSelect = 0;

// Multi part channel settings: 0 follows the Global channel, 1 is Omni, 2..17 channels 1..16.
// The Global channel: 0 Omni, 1..16 channels 1..16.
constexpr int kFollowGlobal = 0;
constexpr int kPartOmni = 1;
constexpr int kFirstPartChannel = 2;

struct SoundController {
  int controller;
  int offset;
};

// The sound bytes the synthesizer lets controllers set; the value lands as it comes.
constexpr SoundController kSoundControllers[] = {
    {27, 8},  {28, 9},  {31, 15},  // oscillator 1: octave, semitone, wave
    {35, 24}, {36, 25}, {39, 31},  // oscillator 2
    {42, 40}, {43, 41},            // oscillator 3: octave, semitone
};

template <std::size_t N>
void setName(std::array<unsigned char, N>& dump, int offset, const std::string& name) {
  writeNameField(dump.data() + offset, name);
}

bool isFramed(const unsigned char* data, std::size_t size) {
  if (size < 6 || data[0] != kStart || data[size - 1] != kEnd) return false;
  if (data[1] != kManufacturer || data[2] != kModel) return false;
  return std::all_of(data + 1, data + size - 1, [](unsigned char b) { return b < 0x80; });
}

// The right sum, or the placeholder 7F that the editor's init dumps and stored copies carry.
bool checksumHolds(const unsigned char* data, std::size_t size) {
  const int n = static_cast<int>(size);
  return data[n - 2] == dumpChecksum(data, n) || data[n - 2] == kChecksumPlaceholder;
}

unsigned char otherDumpType(unsigned char type) {
  switch (type) {
    case kSoundDump:
      return kMultiDump;
    case kMultiDump:
      return kGlobalDump;
    default:
      return kSoundDump;
  }
}

template <std::size_t N>
Bytes toBytes(const std::array<unsigned char, N>& dump) {
  return Bytes(dump.begin(), dump.end());
}

template <std::size_t N>
void copyInto(std::array<unsigned char, N>& dump, const unsigned char* data) {
  std::copy(data, data + N, dump.begin());
}

}  // namespace

Simulator::Simulator(int deviceId)
    : mDeviceId(deviceId & 0x7F),
      mStoredSounds(kStoredSoundBanks * kProgramsPerBank),
      mStoredMultis(kProgramsPerBank) {
  // The init sound the editor ships, under the name the synthesizer gives it; the bytes that
  // carry no parameter as the editor writes them, so that a sound the editor pushes back comes
  // out the same.
  SoundDumpBytes initSound = soundDumpTemplate();
  for (const sound_dump::ByteRule& row : sound_dump::soundByteRules())
    initSound[row.offset] = InitDumps::initPatchCorvane[row.offset];
  setName(initSound, 370, "Init");
  for (SoundDumpBytes& sound : mSoundEdit) sound = initSound;
  std::fill(mStoredSounds.begin(), mStoredSounds.end(), initSound);
  mMultiEdit = multiSendTemplate();
  setName(mMultiEdit, 7, "Init Multi");
  std::fill(mStoredMultis.begin(), mStoredMultis.end(), mMultiEdit);
  mGlobal = globalDumpTemplate();
  mGlobal[kGlobalIdOffset] = static_cast<unsigned char>(mDeviceId);
}

void Simulator::resetEditBuffers() {
  const Simulator fresh(0);
  std::lock_guard<std::mutex> lock(mLock);
  std::copy(std::begin(fresh.mSoundEdit), std::end(fresh.mSoundEdit), std::begin(mSoundEdit));
  mMultiEdit = fresh.mMultiEdit;
}

bool Simulator::setMultiByte(int offset, int value) {
  if (offset < kFirstSummedByte || offset > kMultiDumpSize - 3 || value < 0 || value > 0x7F)
    return false;
  std::lock_guard<std::mutex> lock(mLock);
  mMultiEdit[offset] = static_cast<unsigned char>(value);
  return true;
}

void Simulator::turnPartAfter(int answers, int part, int program) {
  std::lock_guard<std::mutex> lock(mLock);
  mPanelTurn = {answers, part & 0x0F, program & 0x7F};
}

void Simulator::setDeviceId(int id) {
  std::lock_guard<std::mutex> lock(mLock);
  mDeviceId = id & 0x7F;
  mGlobal[kGlobalIdOffset] = static_cast<unsigned char>(mDeviceId);
}

int Simulator::deviceId() const {
  std::lock_guard<std::mutex> lock(mLock);
  return mDeviceId;
}

void Simulator::setFault(FaultSetting fault) {
  std::lock_guard<std::mutex> lock(mLock);
  mFault = fault;
}

void Simulator::receive(const unsigned char* data, std::size_t size, Clock::time_point when) {
  if (data == nullptr || size == 0) return;
  std::lock_guard<std::mutex> lock(mLock);
  mReceived.push_back({when, Bytes(data, data + size)});
  handle(data, size, when);
}

void Simulator::handle(const unsigned char* data, std::size_t size, Clock::time_point when) {
  if (size == 3 && (data[0] & 0xF0) == kControlChange && data[1] < 0x80 && data[2] < 0x80) {
    applyControlChange(data[0] & 0x0F, data[1], data[2]);
    return;
  }
  if (size == 2 && (data[0] & 0xF0) == kProgramChange && data[1] < 0x80) {
    applyProgramChange(data[0] & 0x0F, data[1]);
    return;
  }
  if (!isFramed(data, size)) return;
  switch (data[kTypeOffset]) {
    case kSoundRequest:
    case kMultiRequest:
    case kGlobalRequest:
      answerRequest(data, size, when);
      break;
    case kSoundDump:
    case kMultiDump:
    case kGlobalDump:
      if (data[kDeviceIdOffset] == activeId()) storeDump(data, size);
      break;
    case kSoundParameter:
    case kMultiParameter:
    case kGlobalParameter:
      if (size == kParameterChangeSize && data[kDeviceIdOffset] == activeId())
        applyParameterChange(data);
      break;
    default:
      break;
  }
}

int Simulator::activeId() const {
  return mFault.kind == Fault::kOtherId ? mFault.amount & 0x7F : mDeviceId;
}

void Simulator::answerRequest(const unsigned char* data, std::size_t size, Clock::time_point when) {
  if (data[kDeviceIdOffset] != activeId()) return;
  const unsigned char type = data[kTypeOffset];
  if (type == kGlobalRequest) {
    Bytes global = toBytes(mGlobal);
    global[kGlobalIdOffset] = static_cast<unsigned char>(activeId());
    if (size == kGlobalRequestSize) queueAnswer(std::move(global), -1, -1, when);
    return;
  }
  if (size != kBankedRequestSize) return;
  const int bank = data[kBankOffset];
  const int program = data[kProgramOffset];
  if (type == kSoundRequest) {
    if (bank == kEditBufferBank && program < kParts)
      queueAnswer(toBytes(mSoundEdit[program]), bank, program, when);
    else if (bank < kStoredSoundBanks)
      queueAnswer(toBytes(mStoredSounds[bank * kProgramsPerBank + program]), bank, program, when);
  } else if (bank == kEditBufferBank && program == 0) {
    queueAnswer(toBytes(mMultiEdit), bank, program, when);
  } else if (bank == 0) {
    queueAnswer(toBytes(mStoredMultis[program]), bank, program, when);
  }
}

Bytes Simulator::asSent(Bytes record, int deviceId, int bank, int program) {
  record[kDeviceIdOffset] = static_cast<unsigned char>(deviceId & 0x7F);
  if (bank >= 0) {
    record[kBankOffset] = static_cast<unsigned char>(bank);
    record[kProgramOffset] = static_cast<unsigned char>(program);
  }
  const int size = static_cast<int>(record.size());
  record[size - 2] = dumpChecksum(record.data(), size);
  return record;
}

void Simulator::queueAnswer(Bytes dump, int bank, int program, Clock::time_point when) {
  if (mFault.kind == Fault::kSilent) return;
  dump = asSent(std::move(dump), activeId(), bank, program);
  Clock::time_point due = when;
  if (mFault.kind == Fault::kLate) due += std::chrono::milliseconds(std::max(0, mFault.amount));
  mOutbox.push_back({due, withFault(dump)});
  if (mFault.kind == Fault::kEcho)
    mOutbox.push_back({due, asSent(std::move(dump), mFault.amount, bank, program)});
  if (mPanelTurn.answers > 0 && --mPanelTurn.answers == 0) turnPart(due);
}

void Simulator::turnPart(Clock::time_point due) {
  const int part = mPanelTurn.part, program = mPanelTurn.program;
  unsigned char* record = &mMultiEdit[kMultiRecordBase + kMultiRecordSize * part];
  record[1] = static_cast<unsigned char>(program);
  if (record[0] < kStoredSoundBanks)
    mSoundEdit[part] = mStoredSounds[record[0] * kProgramsPerBank + program];
  const unsigned char id = static_cast<unsigned char>(activeId());
  mOutbox.push_back(
      {due,
       {kStart, kManufacturer, kModel, id, kMultiParameter, static_cast<unsigned char>(part), 0, 1,
        static_cast<unsigned char>(program), kEnd}});
}

Bytes Simulator::withFault(Bytes dump) const {
  const int size = static_cast<int>(dump.size());
  switch (mFault.kind) {
    case Fault::kTruncate: {
      int keep = (mFault.amount > 1 && mFault.amount < size) ? mFault.amount : size / 2;
      dump.resize(keep);
      dump.back() = kEnd;
      break;
    }
    case Fault::kWrongType:
      dump[kTypeOffset] = otherDumpType(dump[kTypeOffset]);
      break;
    case Fault::kBadChecksum:
      dump[size - 2] = static_cast<unsigned char>((dump[size - 2] + 1) & 0x7F);
      break;
    default:
      break;
  }
  return dump;
}

void Simulator::storeDump(const unsigned char* data, std::size_t size) {
  const unsigned char type = data[kTypeOffset];
  const int expected = type == kSoundDump   ? kSoundDumpSize
                       : type == kMultiDump ? kMultiDumpSize
                                            : kGlobalDumpSize;
  // A short message holds no bank or program to read.
  if (size != static_cast<std::size_t>(expected)) return;
  const int bank = data[kBankOffset];
  const int program = data[kProgramOffset];
  switch (type) {
    case kSoundDump:
      if (!checksumHolds(data, size)) return;
      if (bank == kEditBufferBank && program < kParts)
        copyInto(mSoundEdit[program], data);
      else if (bank < kStoredSoundBanks)
        copyInto(mStoredSounds[bank * kProgramsPerBank + program], data);
      break;
    case kMultiDump:
      if (!checksumHolds(data, size)) return;
      if (bank == kEditBufferBank)
        copyInto(mMultiEdit, data);
      else if (bank == 0)
        copyInto(mStoredMultis[program], data);
      break;
    default:  // Global: no checksum travels with it
      copyInto(mGlobal, data);
      mDeviceId = mGlobal[kGlobalIdOffset];
      break;
  }
}

void Simulator::applyParameterChange(const unsigned char* data) {
  const int location = data[5];
  const int address = data[6] * 128 + data[7];
  const unsigned char value = data[8];
  switch (data[kTypeOffset]) {
    case kSoundParameter:
      if (location < kParts && kSoundDataBase + address < kSoundDumpSize - 2)
        mSoundEdit[location][kSoundDataBase + address] = value;
      break;
    case kMultiParameter:
      if (location < kParts && address < kMultiRecordSize)
        mMultiEdit[kMultiRecordBase + kMultiRecordSize * location + address] = value;
      else if (data[6] == kMultiCommonHigh && data[7] >= kMultiNameOffset &&
               data[7] < kMultiRecordBase)
        mMultiEdit[data[7]] = value;
      break;
    default: {  // Global: addressed by the high byte alone, a signed distance
      const int offset = kGlobalAddressBase + (data[6] >= 64 ? data[6] - 128 : data[6]);
      if (offset < kGlobalAddressBase - 1 || offset >= kGlobalDumpSize - 2) return;
      mGlobal[offset] = value;
      if (offset == kGlobalIdOffset) mDeviceId = value;
      break;
    }
  }
}

bool Simulator::partListens(int part, int channel) const {
  const int setting = mMultiEdit[kMultiRecordBase + kMultiRecordSize * part + kPartChannelOffset];
  if (setting == kPartOmni) return true;
  if (setting != kFollowGlobal) return setting - kFirstPartChannel == channel;
  const int global = mGlobal[kGlobalChannelOffset];
  return global == 0 || global - 1 == channel;
}

void Simulator::applyControlChange(int channel, int controller, unsigned char value) {
  if (controller == kBankSelect) mBankSelect[channel] = value;
  for (const SoundController& c : kSoundControllers) {
    if (c.controller != controller) continue;
    for (int part = 0; part < kParts; ++part)
      if (partListens(part, channel)) mSoundEdit[part][c.offset] = value;
  }
}

void Simulator::applyProgramChange(int channel, int program) {
  const int bank = mBankSelect[channel];
  if (bank >= kStoredSoundBanks) return;
  for (int part = 0; part < kParts; ++part)
    if (partListens(part, channel))
      mSoundEdit[part] = mStoredSounds[bank * kProgramsPerBank + program];
}

std::vector<Bytes> Simulator::takeDue(Clock::time_point now) {
  std::lock_guard<std::mutex> lock(mLock);
  std::vector<Bytes> due;
  auto keep = std::stable_partition(mOutbox.begin(), mOutbox.end(),
                                    [now](const Pending& p) { return p.due > now; });
  for (auto it = keep; it != mOutbox.end(); ++it) due.push_back(std::move(it->bytes));
  mOutbox.erase(keep, mOutbox.end());
  return due;
}

Clock::time_point Simulator::nextDue() const {
  std::lock_guard<std::mutex> lock(mLock);
  Clock::time_point next = Clock::time_point::max();
  for (const Pending& p : mOutbox) next = std::min(next, p.due);
  return next;
}

std::vector<ReceivedMessage> Simulator::received() const {
  std::lock_guard<std::mutex> lock(mLock);
  return mReceived;
}

void Simulator::clearReceived() {
  std::lock_guard<std::mutex> lock(mLock);
  mReceived.clear();
}

SoundDumpBytes Simulator::soundEditBuffer(int part) const {
  std::lock_guard<std::mutex> lock(mLock);
  return mSoundEdit[part & 0x0F];
}

SoundDumpBytes Simulator::storedSound(int bank, int program) const {
  std::lock_guard<std::mutex> lock(mLock);
  return mStoredSounds[(bank & 7) * kProgramsPerBank + (program & 0x7F)];
}

MultiDumpBytes Simulator::multiEditBuffer() const {
  std::lock_guard<std::mutex> lock(mLock);
  return mMultiEdit;
}

MultiDumpBytes Simulator::storedMulti(int number) const {
  std::lock_guard<std::mutex> lock(mLock);
  return mStoredMultis[number & 0x7F];
}

GlobalDumpBytes Simulator::globalRecord() const {
  std::lock_guard<std::mutex> lock(mLock);
  return mGlobal;
}

}  // namespace corvane_sim
