#pragma once

#include <cstdint>

// Read position of SineCallback in g_sineTable: reset by StartOutput before
// the stream opens, then the callback's alone until the stream closes.
extern std::uint32_t g_tableIndex;

// Render callback: copies the table cyclically into `output`, one float per
// frame. Runs on the audio library's thread up to 96,000 times a second, so
// it only copies and counts. On Windows it first fills the device's buffers
// on the thread that starts the stream, before the library's own thread
// exists. Always returns 0 (keep playing).
int SineCallback(void* input, void* output, std::uint32_t frameCount, double outTime, void* userData);
