#pragma once

#include <cstdint>

// Milliseconds since the first call; wraps after 2^32 ms.
uint32_t GetTickCount();

// Blocks the calling thread for ms milliseconds; 0 or less yields for 100 microseconds.
void Sleep(int ms);

// Moves the tick count forward by delta milliseconds, so that a soak or a test can
// bring the wrap near.
void WSYS_AdvanceTickCount(uint32_t delta);

// Holds the tick count where it stands (true), or lets it run on from there (false), so that a
// test steps time by hand with WSYS_AdvanceTickCount whatever the machine's load.
void WSYS_HoldTickCount(bool hold);
