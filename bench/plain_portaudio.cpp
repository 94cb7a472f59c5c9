// The baseline: a minimal PortAudio v19 sine player with every buffering
// choice left to the library. Default output device, paFloat32 mono,
// paFramesPerBufferUnspecified and the device's default low output latency
// (what Pa_OpenDefaultStream asks for), playing a precomputed one-second
// table for a fixed time and then stopping the ordinary way, with
// Pa_StopStream, which lets the queued audio play out.
//
// Usage: bench_plain_portaudio <seconds> <rate>   (plays 1000 Hz)
//
// The table is the generator's (step 2*pi*f/R in double, each sample rounded
// to float; the tests' reference, expected_table.h), so its recording can be
// checked sample for sample as well. Prints the latency PortAudio chose, then
// the underflow count and the moments of the start and stop calls
// (player_report.h) for bench_compare_tools.

#include "expected_table.h"
#include "player_report.h"

#include <portaudio.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Player {
    std::vector<float> table;
    std::size_t index = 0;
    std::atomic<unsigned long> underflows{0};
};

int Render(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
           PaStreamCallbackFlags flags, void* user)
{
    auto* p = static_cast<Player*>(user);
    if ((flags & paOutputUnderflow) != 0)
        p->underflows.fetch_add(1, std::memory_order_relaxed);
    auto* out = static_cast<float*>(output);
    const std::size_t n = p->table.size();
    for (unsigned long i = 0; i < frames; ++i) {
        out[i] = p->table[p->index];
        if (++p->index == n)
            p->index = 0;
    }
    return paContinue;
}

int Fail(const char* what, PaError err)
{
    std::fprintf(stderr, "%s: %s\n", what, Pa_GetErrorText(err));
    Pa_Terminate();
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = 0;
    long rate = 0;
    if (!bench::ReadPlayerArguments(argc, argv, seconds, rate))
        return 2;

    Player player;
    player.table = testsupport::ExpectedTable(1000, static_cast<std::uint32_t>(rate));
    PaStream* stream = nullptr;
    if (const PaError err = Pa_Initialize(); err != paNoError)
        return Fail("Pa_Initialize", err);
    if (const PaError err = Pa_OpenDefaultStream(&stream, 0, 1, paFloat32, static_cast<double>(rate),
                                                 paFramesPerBufferUnspecified, &Render, &player);
        err != paNoError)
        return Fail("Pa_OpenDefaultStream", err);
    const long long startNs = bench::MonotonicNs();
    if (const PaError err = Pa_StartStream(stream); err != paNoError)
        return Fail("Pa_StartStream", err);
    Pa_Sleep(static_cast<long>(seconds * 1000.0));
    const long long stopNs = bench::MonotonicNs();
    if (const PaError err = Pa_StopStream(stream); err != paNoError)
        return Fail("Pa_StopStream", err);
    const PaStreamInfo* info = Pa_GetStreamInfo(stream);
    std::printf("output latency chosen by PortAudio: %.1f ms\n", info != nullptr ? info->outputLatency * 1000.0 : 0.0);
    Pa_CloseStream(stream);
    Pa_Terminate();
    bench::PrintPlayerReport(player.underflows.load(), startNs, stopNs);
    return 0;
}
