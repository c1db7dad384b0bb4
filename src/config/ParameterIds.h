#pragma once

// The flat parameter index space and its identifiers. The identifiers name the first index of
// their stretch; per-part parameters are addressed as identifier + part.

enum EParamId : int {
#define KROMA_PARAM_ID(name, index, length) name = index,
#include "src/config/ParameterIdList.h"
#undef KROMA_PARAM_ID
};

constexpr int numParams = 8456;
// Per-part identifiers name 16 indices, one per part.
constexpr int partCount = 16;
constexpr bool isPartOf(int paramIdx, int identifier) {
  return paramIdx >= identifier && paramIdx < identifier + partCount;
}
// Keeps its place between kKeepSelectedBank and kMIDIFilterDAWCCPassThrough; nothing names it.
constexpr int reservedParamIndex = 7744;

struct ParamIdEntry {
  const char* name;
  int index;
  int length;  // indices up to the next named (or reserved) index
};

// Every identifier in index order; kNumAutomatedParams and kPatchFileDialog share 1648.
extern const ParamIdEntry paramIdTable[];
extern const int paramIdCount;
