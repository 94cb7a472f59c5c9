#pragma once

#include <cstdint>

// Read position of SineCallback in g_sineTable: reset by StartOutput before
// the stream opens, then owned by the audio thread until the stream closes.
extern std::uint32_t g_tableIndex;

// Render callback: copies the table cyclically into `output`, one float per
// frame. Runs on the audio library's thread up to 96,000 times a second, so
// it only copies and counts. Always returns 0 (keep playing).
int SineCallback(void* input, void* output, std::uint32_t frameCount, double outTime, void* userData);
