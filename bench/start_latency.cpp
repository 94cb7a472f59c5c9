// How long a start takes, as the user would notice it: until StartOutput
// returns, until the audio library first asks for a frame, and until the
// sound server actually receives a non-zero sample. Plays into a private
// stack of the chosen route (see sound_route.h) so the figures do not depend
// on the desktop. Every run but the first re-initialises the audio library,
// as every start after a stop does.
//
// The first callback is where our own part ends: the library initialised,
// the stream opened and started, and the pcm starting on the samples that
// callback writes. What follows, to the first sample at the sink, is the
// route's: the server, and the sink's block (PulseAudio's pipe sink writes
// 1024 samples at a time) or PipeWire's graph cycle. A sink that writes in
// blocks hears a start at its next block, so the starts are spread over a
// block's length at random rather than left in step with the sink.
//
// Usage: bench_start_latency [runs [route [rate]]]   (default 20 pulseaudio 96000)

#include "median.h"
#include "offscreen_dialog.h"
#include "sine_callback.h"
#include "sound_route.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kTimeout = std::chrono::seconds(3);

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The callback advances g_tableIndex past 0 when it copies its first frame,
// so the index leaving 0 is how we see the first callback without wrapping
// or instrumenting the application's callback. It is really the moment the
// first frame has been copied, a few nanoseconds after the call began. The
// atomic view only keeps the compiler from hoisting the load out of the spin
// loop; the audio thread's plain store is untouched.
bool FirstFrameCopied()
{
    return std::atomic_ref<std::uint32_t>(g_tableIndex).load(std::memory_order_relaxed) != 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const std::string routeName = argc > 2 ? argv[2] : "pulseaudio";
    const auto rate = static_cast<std::uint32_t>(argc > 3 ? std::atol(argv[3]) : 96000);

    bench::SoundRoute route;
    if (!route.Start(routeName, rate))
        return 1;
    testsupport::SinkRecorder& server = route.Sink();
    bench::OffscreenDialog dialog(argc, argv, rate, 1000);

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> pause(0, 128);
    std::vector<double> toReturn, toCallback, toSound, callbackToSound;
    int callbackBeforeReturn = 0;
    for (int i = 0; i < runs; ++i) {
        server.StartRecording();

        const auto t0 = Clock::now();
        const bool started = dialog.Start();
        const auto tReturn = Clock::now();
        if (!started) {
            std::fprintf(stderr, "run %d: StartOutput did not start the stream\n", i + 1);
            server.StopRecording();
            return 1;
        }

        // Polled here rather than from a helper thread so that nothing but
        // the audio and server threads competes for the CPU during the start;
        // the price is that a first callback made inside StartOutput is only
        // seen at its return.
        if (FirstFrameCopied())
            ++callbackBeforeReturn;
        while (!FirstFrameCopied() && Clock::now() - t0 < kTimeout) {
        }
        const auto tCallback = Clock::now();
        const bool called = FirstFrameCopied();

        const bool heard = server.WaitForSound(std::chrono::duration_cast<std::chrono::milliseconds>(kTimeout));
        const auto tSound = Clock::now();

        dialog.Stop();
        server.StopRecording();

        if (!called || !heard) {
            std::fprintf(stderr, "run %d: %s within %lld s\n", i + 1, !called ? "no callback" : "no sound at the sink",
                         static_cast<long long>(kTimeout.count()));
            return 1;
        }
        toReturn.push_back(Ms(tReturn - t0));
        toCallback.push_back(Ms(tCallback - t0));
        toSound.push_back(Ms(tSound - t0));
        callbackToSound.push_back(Ms(tSound - tCallback));

        // Lets whatever the sink still held of this run play out, so the
        // next run's first non-zero sample is its own; then a pause of up to
        // a block at the lowest rate (1024 samples at 8000 Hz).
        std::this_thread::sleep_for(std::chrono::milliseconds(300 + pause(random)));
    }

    std::printf("StartOutput latency at %u Hz, 1000 Hz tone, %d runs, route %s\n", rate, runs, routeName.c_str());
    std::printf("%-34s %10s %10s %10s\n", "from the StartOutput call to", "median ms", "min ms", "max ms");
    const auto row = [](const char* what, const std::vector<double>& v) {
        const auto [min, max] = std::minmax_element(v.begin(), v.end());
        std::printf("%-34s %10.2f %10.2f %10.2f\n", what, bench::Median(v, [](double x) { return x; }), *min, *max);
    };
    row("return", toReturn);
    row("first callback (first frame copied)", toCallback);
    row("first non-zero sample at the sink", toSound);
    std::printf("%-34s %10s %10s %10s\n", "from the first callback to", "", "", "");
    row("first non-zero sample at the sink", callbackToSound);
    std::printf("first callback already made when StartOutput returned: %d of %d runs\n", callbackBeforeReturn, runs);
    return 0;
}
