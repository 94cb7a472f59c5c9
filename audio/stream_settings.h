#pragma once

// How the adapter reads its two environment variables and sizes the output
// buffer: pure functions, so that the rules can be checked without a device.

#include <optional>

namespace pa18 {

// A whole number written with decimal digits only, at most 0x7FFFFFFF;
// anything else (null, empty, signs, blanks, other characters) is nullopt.
std::optional<unsigned long> ParseWholeNumber(const char* text);

// How many periods the ALSA host makes of the output latency; its buffer
// holds the latency and one period more. Why this many: stream_settings.cpp.
extern const int kAlsaPeriods;

// The output latency, in seconds, to ask of the library: the classic
// buffers-times-frames when numberOfBuffers is given, our own default when it
// is 0, and never less than `minLatencyMsec` when that is a positive whole
// number of milliseconds.
double ChooseOutputLatency(unsigned long numberOfBuffers, unsigned long framesPerBuffer, double sampleRate,
                           const char* minLatencyMsec);

} // namespace pa18
