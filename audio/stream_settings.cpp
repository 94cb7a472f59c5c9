#include "stream_settings.h"

#include <algorithm>

namespace pa18 {

namespace {

// The output latency when the caller leaves the buffering to the library,
// and how many periods the ALSA host makes of it. Neither sets the start
// any more: both hosts fill the whole buffer from the callback and start on
// it. What they set is the cost, the safety margin and, on PipeWire, the
// length of the graph's cycle. Figures from bench_compare_tools and
// bench_start_latency (docs/benchmarks.md), on this project's 2-core
// machine:
// - The cost is one wake-up of the audio thread per period, on PipeWire one
//   more per graph cycle: mostly context switches. Against sox, CPU per
//   second of tone at 22050 Hz was 1.1-1.7x with 25 ms periods, 0.6-1.1x
//   with 50 ms and 0.2-0.8x with 100 ms, on PulseAudio, PipeWire's ALSA
//   plugin and bare ALSA; at 96000 Hz it was below 0.8x with all three.
//   Hence 100 ms periods: 200 ms in two.
// - The thread wakes when a period has played, with 200 ms still queued.
//   With a quarter of that, 10 s at 96 kHz into PulseAudio played clean
//   with both cores saturated by busy loops; 1 ms underflowed 11,616 times.
// - PipeWire's ALSA plugin asks the graph for a cycle of one period (rounded
//   down to a power of two, at most 2048 frames of the graph's rate), and a
//   tone is heard in whole cycles, so a timed tone may end up to a cycle
//   late: 43 ms at the usual 48 kHz graph, 93 ms with the graph at 22050 Hz.
//   Cycles short enough for 20 ms would cost the CPU of 25 ms periods.
// - PipeWire's PulseAudio server takes its cycle from the buffer: with the
//   buffer three periods deep its first sample came 46 ms after our first
//   callback at 22050 Hz, with four periods 92 ms.
// - A deeper buffer does not delay a stop, which discards what is queued.
constexpr double kDefaultOutputLatency = 0.200;

} // namespace

const int kAlsaPeriods = 2;

std::optional<unsigned long> ParseWholeNumber(const char* text)
{
    if (text == nullptr || *text == '\0')
        return std::nullopt;
    unsigned long value = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9')
            return std::nullopt;
        const unsigned digit = static_cast<unsigned>(*p - '0');
        if (value > (0x7FFFFFFFul - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

double ChooseOutputLatency(unsigned long numberOfBuffers, unsigned long framesPerBuffer, double sampleRate,
                           const char* minLatencyMsec)
{
    double latency = kDefaultOutputLatency;
    if (numberOfBuffers > 0 && sampleRate > 0)
        latency = static_cast<double>(numberOfBuffers) * static_cast<double>(framesPerBuffer) / sampleRate;
    if (const auto ms = ParseWholeNumber(minLatencyMsec); ms && *ms > 0)
        latency = std::max(latency, static_cast<double>(*ms) / 1000.0);
    return latency;
}

} // namespace pa18
