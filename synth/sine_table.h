#pragma once

#include <cstdint>

// Process-wide tone state, read by the audio thread's render callback and
// shared with it without locks. That is safe by ordering alone: the UI
// thread writes g_sampleRate and g_sineTable only while no stream is open,
// opening the stream publishes them to the audio thread, and closing it
// returns only once the audio thread has stopped reading them.

// 2*asin(1): the double nearest to pi, fixed during static initialisation.
extern double g_pi;

// Selected sample rate in hertz; one of the eight rates the dialog offers.
extern std::uint32_t g_sampleRate;

// One second of sine at g_sampleRate, owned by the running output.
extern float* g_sineTable;

// Builds a fresh table of g_sampleRate samples holding `frequency` whole
// cycles and stores it in g_sineTable. Any earlier table must already have
// been released with FreeSineTable. Throws std::bad_alloc when memory runs
// out, leaving g_sineTable untouched.
void BuildSineTable(std::uint32_t frequency);

// Releases g_sineTable (if set) and clears it.
void FreeSineTable();
