// A run of the generator's real output path (the dialog's
// InitOutput/StartOutput/StopOutput, PortAudio, the render callback) into a
// private PulseAudio sink at the same rate, so nothing converts it on the
// way, recorded in full and followed through the table from sample 0 to the
// last sample: every gap, skip or repeat is counted and placed, next to
// PortAudio's own underflow count. Given a file, it plays half a second more
// and writes the first `seconds` (a whole number) of the tone, exactly as
// the sink received it, from the table's sample 0, as raw float32 for
// bench/analyse_tone.py.
//
// Usage: bench_soak [seconds] [rate] [frequency] [out.f32]   (default 600 96000 997)
//
// 997 Hz by default because it shares no factor with any of the eight rates:
// the table then never repeats within its second, so a lost or doubled
// stretch of any length short of a whole second changes the samples. At
// 1000 Hz and 96000 Hz the table repeats every 96 samples and a slip of a
// multiple of 96 could pass unseen. Whole-second slips show up in the tone's
// length, printed against the time it played.
//
// The recording is held in memory: 10 minutes at 96 kHz is 230 MB of floats.

#include "offscreen_dialog.h"
#include "sound_route.h"
#include "underflow_counter.h"

#include "child_process.h"
#include "expected_table.h"
#include "recording_check.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

using Clock = std::chrono::steady_clock;
using testsupport::TableEvent;

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 600.0;
    const long rate = argc > 2 ? std::atol(argv[2]) : 96000;
    const long frequency = argc > 3 ? std::atol(argv[3]) : 997;
    const char* outPath = argc > 4 ? argv[4] : nullptr;
    if (seconds <= 0 || rate <= 0 || frequency <= 0 || frequency >= rate / 2) {
        std::fprintf(stderr, "usage: %s [seconds] [rate] [frequency below rate/2] [out.f32]\n", argv[0]);
        return 2;
    }

    bench::SoundRoute route;
    if (!route.Start("pulseaudio", static_cast<unsigned>(rate)))
        return 1;
    testsupport::SinkRecorder& server = route.Sink();
    bench::OffscreenDialog dialog(argc, argv, static_cast<std::uint32_t>(rate), static_cast<std::uint32_t>(frequency));

    std::printf("soak: %g s of %ld Hz at %ld Hz through CToneGenDlg::StartOutput into a private PulseAudio sink\n",
                seconds, frequency, rate);
    std::fflush(stdout);

    server.StartRecording();
    // Some silence first, so the tone's sample 0 is visibly preceded by none.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double cpu0 = testsupport::CpuSeconds();
    const auto t0 = Clock::now();
    if (!dialog.Start()) {
        std::fprintf(stderr, "the output did not start\n");
        return 1;
    }
    // Written out, the start and the stop both fall outside the stretch kept.
    const auto deadline =
        t0 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds + (outPath ? 0.5 : 0)));
    for (auto next = t0 + std::chrono::seconds(60); next < deadline; next += std::chrono::seconds(60)) {
        std::this_thread::sleep_until(next);
        std::printf("  %4.0f s: %zu samples recorded, %lu underflows so far\n",
                    std::chrono::duration<double>(Clock::now() - t0).count(), server.RecordedCount(),
                    OutputUnderflows());
        std::fflush(stdout);
    }
    std::this_thread::sleep_until(deadline);
    const auto tStop = Clock::now();
    dialog.Stop();
    const double cpu = testsupport::CpuSeconds() - cpu0;
    const double played = std::chrono::duration<double>(tStop - t0).count();

    // The sink still holds the tail of the tone when the stream closes.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::vector<float> rec = server.StopRecording();

    const auto f = testsupport::FollowTable(
        rec, testsupport::ExpectedTable(static_cast<std::uint32_t>(frequency), static_cast<std::uint32_t>(rate)));
    const std::size_t length = f.tone.end - f.tone.begin;
    std::printf("recorded %zu samples (%.3f s); StartOutput to StopOutput %.3f s = %.0f samples\n", rec.size(),
                static_cast<double>(rec.size()) / static_cast<double>(rate), played,
                played * static_cast<double>(rate));
    if (!f.tone.found) {
        std::printf("no tone in the recording\n");
        return 1;
    }
    std::size_t count[4] = {};
    for (const auto& e : f.events)
        ++count[e.kind];
    std::printf("tone: %zu samples (%.3f s), starts at table sample 0: %s, samples matching the table: %zu\n", length,
                static_cast<double>(length) / static_cast<double>(rate),
                f.events.empty() || f.events[0].at != 0 ? "yes" : "NO", f.matched);
    std::printf("events: %zu silence gaps, %zu skips, %zu repeats, %zu foreign stretches\n", count[0], count[1],
                count[2], count[3]);
    constexpr const char* kKinds[] = {"silence", "skip", "repeat", "foreign"};
    for (std::size_t j = 0; j < f.events.size() && j < 20; ++j)
        std::printf("  %-8s at tone sample %zu (%.4f s), %zu samples\n", kKinds[f.events[j].kind], f.events[j].at,
                    static_cast<double>(f.events[j].at) / static_cast<double>(rate), f.events[j].length);
    if (f.events.size() > 20)
        std::printf("  ...\n");
    std::printf("output underflows (PortAudio): %lu\n", OutputUnderflows());
    std::printf("process CPU while playing: %.2f s (%.3f s per minute; includes the recorder thread)\n", cpu,
                cpu / (played / 60.0));
    const bool clean = f.events.empty() && f.matched == length;
    std::printf("result: %s\n", clean ? "sample-exact throughout, no gaps, skips or repeats" : "NOT sample-exact");

    if (outPath != nullptr) {
        const auto want = static_cast<std::size_t>(seconds) * static_cast<std::size_t>(rate);
        std::FILE* out = length < want ? nullptr : std::fopen(outPath, "wb");
        if (out == nullptr || std::fwrite(rec.data() + f.tone.begin, sizeof(float), want, out) != want ||
            std::fclose(out) != 0) {
            std::fprintf(stderr, "%s: not written, less than %zu samples of tone or no room\n", outPath, want);
            return 1;
        }
        std::printf("wrote %zu samples to %s\n", want, outPath);
    }
    return clean ? 0 : 1;
}
