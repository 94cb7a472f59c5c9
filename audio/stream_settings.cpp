#include "stream_settings.h"

#include <algorithm>

namespace pa18 {

namespace {

// Output latency when the caller leaves buffering to the library. At one
// frame per callback the host still moves audio in periods sized from this
// latency (a quarter of it), and the period decides both safety and cost.
// Measured with 10 s at 96 kHz into PulseAudio through ALSA's pulse plugin,
// both cores saturated by busy loops: 1 ms underflowed 11,616 times, 10 ms
// and more played clean. The cost is one wake-up per period: against sox on
// the same route (bench_compare_tools, CPU per second of tone, start-up
// excluded), 20 ms took 27-29 ms a second to sox's 11-13 on the PulseAudio
// and PipeWire routes, 100 ms took 4-7 ms, below sox on every route. The
// depth does not delay a start, since only one period is primed with
// silence, nor a stop, which discards the queue.
constexpr double kDefaultOutputLatency = 0.100;

} // namespace

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
