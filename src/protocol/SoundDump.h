#pragma once

#include <bitset>
#include <string>
#include <vector>

#include "src/protocol/DumpTemplates.h"
#include "src/protocol/ParameterAccess.h"

// The sound dump: one sound in 392 bytes. Each data byte is written from, and read back into,
// the parameters of one part by the rule of its row in soundByteRules().
namespace sound_dump {

constexpr int kNameOffset = 370;
constexpr int kCategoryOffset = 386;
constexpr int kCategoryCount = 13;
// The positional effect bytes: parameter n (1..14) of effect 1 at 136 + n, of effect 2 at 152 + n.
constexpr int kEffect1ParamOffset = 137;
constexpr int kEffect2ParamOffset = 153;
constexpr int kEffectParams = 14;

// A part's sound falls into 40 sections, each with its lock parameter (kSectionLockOsc1 ..
// kSectionLockMod4, 16 apart); section i is guarded by kSectionLockOsc1 + 16 i.
constexpr int kSectionCount = 40;
using SectionLocks = std::bitset<kSectionCount>;
int sectionOf(int lockParam);

// How a byte relates to its parameters; `params` are identifiers, the part is added to each.
enum class Rule {
  kPlain,          // {p}: b = v
  kOffset,         // {p}: b = v + add
  kOctave,         // {p}: b = 12 v + 16
  kWave,           // {use sample, sample, shape, wavetable}
  kUnison,         // {unisono, mono/poly}: b = 16 unisono + mode
  kEnvelopeMode,   // {trigger, mode}: b = 32 trigger + mode
  kArpStep,        // {glide, accent, step}: b = (glide 1 → 8) + accent + 16 step
  kArpTiming,      // {timing, step length}: b = timing + 16 length
  kFilterRouting,  // {routing, serial, parallel}: b = routing; read back also sets the switches
};

struct ByteRule {
  int offset;
  Rule rule;
  int params[4];
  int add;
  int lock;  // the section lock parameter that guards the row against incoming dumps
  // Further parameters that take the byte's value when it is read: the effect-type views of
  // a positional effect byte. Ends at the first -1.
  int views[7];
};

// Every data byte from 8 to 365 that carries a parameter, in offset order.
const std::vector<ByteRule>& soundByteRules();

// The byte of one row from the parameters of `part`, limited to 0..127.
unsigned char encodeByte(const ByteRule& row, const ParameterAccess& params, int part);
// Sets the parameters of `part` that one row carries from its byte.
void applyByte(const ByteRule& row, unsigned char b, int part, ParameterAccess& params);

// The dump of `part`: device id from kGlobalSysExID, name from kPatchName's text, category
// from kCategoryName. Bank and program address it (7F and the part for the edit buffer).
// The checksum place holds 7F; the sending side writes the checksum.
sysex::SoundDumpBytes buildSoundDump(const ParameterAccess& params, int part, int bank,
                                     int program);

// Applies every parameter byte of a dump of `size` bytes (at most 392) to `part`, in offset
// order, so that a later byte setting the same parameter wins; rows of `locked` sections set
// nothing. Name and category are left to the caller (soundName, soundCategory). A part outside
// 0..15 sets nothing.
void applySoundData(const unsigned char* dump, int size, int part, ParameterAccess& params,
                    const SectionLocks& locked = {});

std::string soundName(const unsigned char* dump);  // the 16 bytes as they stand
int soundCategory(const unsigned char* dump);

// "Init", "Arp", ... "Seq" for 0..12; empty for anything else.
std::string categoryText(int category);

}  // namespace sound_dump
