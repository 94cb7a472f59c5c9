#pragma once

// What a player that a comparison runs as a child (bench_play_tone,
// bench_plain_portaudio) prints as it ends, and the keys its parent finds
// the figures by in its log (bench::LogField). The moments are on
// CLOCK_MONOTONIC, which every process on the machine shares, so the parent
// can set them against its own steady clock and the sink's timeline.

#include <cstdio>
#include <ctime>

namespace bench {

inline constexpr const char* kUnderflowsKey = "output underflows: ";
inline constexpr const char* kStartCallKey = "start call at monotonic ns: ";
inline constexpr const char* kStopCallKey = "stop call at monotonic ns: ";

inline long long MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

inline void PrintPlayerReport(unsigned long underflows, long long startNs, long long stopNs)
{
    std::printf("%s%lu\n%s%lld\n%s%lld\n", kUnderflowsKey, underflows, kStartCallKey, startNs, kStopCallKey, stopNs);
}

} // namespace bench
