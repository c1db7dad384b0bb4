#pragma once

#include <cstdint>

#include "src/librarian/LibrarianRecords.h"

// The init dumps that fill banks up to 128 slots.
namespace InitDumps {
extern const uint8_t initPatchCorvane[DumpLayout::kSoundSize];
extern const uint8_t initMultiData[DumpLayout::kMultiSize];
}  // namespace InitDumps
