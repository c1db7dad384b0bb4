#pragma once

#include <cstdint>

// Milliseconds since an arbitrary start; wraps after 2^32 ms.
uint32_t GetTickCount();

// Blocks the calling thread for ms milliseconds; 0 or less yields for 100 microseconds.
void Sleep(int ms);

// Moves the tick count forward by delta milliseconds, so that a soak or a test can
// bring the wrap near.
void WSYS_AdvanceTickCount(uint32_t delta);
