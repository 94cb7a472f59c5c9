// Plays the generator's real output path (table, PortAudio stream, render
// callback) for a fixed time and exits, so another process can measure what
// playing a tone costs. Uses whatever sound server PULSE_SERVER names.
//
// Usage: bench_play_tone <seconds> <rate>
//
// On exit it prints how many callbacks PortAudio flagged with an output
// underflow (see underflow_counter.h), and the moments of its StartOutput
// and StopOutput calls (player_report.h), from which bench_compare_tools
// measures how long the sink takes to hear the start and to fall silent
// after the stop.

#include "offscreen_dialog.h"
#include "player_report.h"
#include "underflow_counter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    double seconds = 0;
    long rate = 0;
    if (!bench::ReadPlayerArguments(argc, argv, seconds, rate))
        return 2;

    bench::OffscreenDialog dialog(argc, argv, static_cast<std::uint32_t>(rate), 1000);
    const long long startNs = bench::MonotonicNs();
    if (!dialog.Start()) {
        std::fprintf(stderr, "%s: the output did not start\n", argv[0]);
        return 1;
    }
    // The audio thread does all the work; the UI thread has nothing to do.
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const long long stopNs = bench::MonotonicNs();
    dialog.Stop();
    bench::PrintPlayerReport(OutputUnderflows(), startNs, stopNs);
    return 0;
}
