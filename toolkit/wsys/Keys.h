#pragma once

// Key and mouse-button state. The window back end records presses and releases; any thread
// (the audio thread too) reads them without a display call.

// Non-zero (0x8000) while the key is down; keys outside 0..255 are never down.
short GetAsyncKeyState(int key);

// Called by the window back end on every press and release.
void WSYS_SetKeyState(int key, bool down);
