#pragma once

#include <cstdio>

#include "toolkit/plugin/base/ByteChunk.h"

// One preset: a name and, once initialised, the state stored for it.
struct IPreset {
  static const int kNameSize = 256;

  bool mInitialized = false;
  char mName[kNameSize] = "empty";
  ByteChunk mChunk;

  void SetName(const char* name) { std::snprintf(mName, sizeof(mName), "%s", name ? name : ""); }
};
