#include "stream_settings.h"

#include <algorithm>

namespace pa18 {

namespace {

// Output latency when the caller leaves buffering to the library. At one
// frame per callback the host still moves audio in periods sized from this
// latency, and the period decides both safety and cost. Measured with 10 s at
// 96 kHz into PulseAudio through ALSA's pulse plugin, both cores saturated by
// busy loops (bench_compare_tools with PA_MIN_LATENCY_MSEC over a 1 ms
// default): 1 ms underflowed 11,616 times; 10 ms and more played clean, while
// the process's CPU time fell from 0.23 s (10 ms) to 0.10 s (35 ms) and 0.06 s
// (100 ms), the host waking once per period. 100 ms is clean with a wide
// margin at the lowest cost, a start is still heard within about 40 ms, and a
// stop discards the queue, so the depth never delays silence.
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
