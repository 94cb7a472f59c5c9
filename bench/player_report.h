#pragma once

// What the players share: their arguments, and what one that a comparison
// runs as a child (bench_play_tone, bench_plain_portaudio) prints as it
// ends, with the keys its parent finds the figures by in its log. The
// moments are on the steady clock, CLOCK_MONOTONIC, which every process on
// the machine shares, so the parent can set them against its own and the
// sink's timeline.

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace bench {

inline constexpr const char* kUnderflowsKey = "output underflows: ";
inline constexpr const char* kStartCallKey = "start call at monotonic ns: ";
inline constexpr const char* kStopCallKey = "stop call at monotonic ns: ";

inline long long MonotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A player's arguments, <seconds> <rate>, both positive; false, with the
// usage printed, when they are not.
inline bool ReadPlayerArguments(int argc, char** argv, double& seconds, long& rate)
{
    seconds = argc == 3 ? std::atof(argv[1]) : 0;
    rate = argc == 3 ? std::atol(argv[2]) : 0;
    if (seconds <= 0 || rate <= 0)
        std::fprintf(stderr, "usage: %s <seconds> <rate>, both positive\n", argv[0]);
    return seconds > 0 && rate > 0;
}

inline void PrintPlayerReport(unsigned long underflows, long long startNs, long long stopNs)
{
    std::printf("%s%lu\n%s%lld\n%s%lld\n", kUnderflowsKey, underflows, kStartCallKey, startNs, kStopCallKey, stopNs);
}

} // namespace bench
