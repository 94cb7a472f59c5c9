// Records a whole number of seconds of the generator's tone, exactly as the
// sink received it, from the table's sample 0, into a raw float32 file for
// bench/analyse_tone.py. The tone goes through the real output path
// (CToneGenDlg::StartOutput, PortAudio, the render callback) into a private
// PulseAudio sink at the same rate, so nothing converts it on the way.
//
// Usage: bench_record_tone <rate> <frequency> <seconds> <out.f32>

#include "offscreen_dialog.h"
#include "sound_route.h"
#include "table_follow.h"
#include "underflow_counter.h"

#include "expected_table.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <rate> <frequency> <seconds> <out.f32>\n", argv[0]);
        return 2;
    }
    const long rate = std::atol(argv[1]);
    const long frequency = std::atol(argv[2]);
    const long seconds = std::atol(argv[3]);
    if (rate <= 0 || frequency <= 0 || seconds <= 0) {
        std::fprintf(stderr, "%s: rate, frequency and seconds must be positive whole numbers\n", argv[0]);
        return 2;
    }

    bench::SoundRoute route;
    if (!route.Start("pulseaudio", static_cast<unsigned>(rate)))
        return 1;
    testsupport::SinkRecorder& server = route.Sink();
    bench::OffscreenDialog dialog(argc, argv, static_cast<std::uint32_t>(rate), static_cast<std::uint32_t>(frequency));

    server.StartRecording();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!dialog.Start()) {
        std::fprintf(stderr, "the output did not start\n");
        return 1;
    }
    // Half a second more than is kept: the start and the stop both fall
    // outside the stretch written out.
    std::this_thread::sleep_for(std::chrono::milliseconds(seconds * 1000 + 500));
    dialog.Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::vector<float> rec = server.StopRecording();

    const auto table =
        testsupport::ExpectedTable(static_cast<std::uint32_t>(frequency), static_cast<std::uint32_t>(rate));
    const TableFollow f = FollowTable(rec, table);
    const std::size_t want = static_cast<std::size_t>(seconds * rate);
    if (!f.found || f.end - f.begin < want) {
        std::fprintf(stderr, "the sink received less than %ld s of tone\n", seconds);
        return 1;
    }
    std::FILE* out = std::fopen(argv[4], "wb");
    if (out == nullptr || std::fwrite(rec.data() + f.begin, sizeof(float), want, out) != want ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[4]);
        return 1;
    }
    std::printf("%ld Hz at %ld Hz: wrote %zu samples to %s; %s; underflows %lu\n", frequency, rate, want, argv[4],
                f.startsAtZero && f.events.empty() ? "sample-exact" : "NOT sample-exact", OutputUnderflows());
    return 0;
}
