#pragma once

#include <cstdint>

// The row combiners behind every drawing call (arithmetic in Modes.h). Internal to the engine.
namespace gfx_internal {

// Combines n source pixels into dst; srcStep 1 walks the source, 0 repeats one colour.
typedef void (*RowCombiner)(uint32_t* dst, const uint32_t* src, int n, int srcStep, int weight);

RowCombiner rowCombiner(int mode);

// round(alpha * 256), alpha held to 0..1.
int weightOf(float alpha);

}  // namespace gfx_internal
