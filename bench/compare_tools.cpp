// Players side by side, each a separate child process playing 1000 Hz into
// the same private stack of one route (see sound_route.h): this generator's
// output path (bench_play_tone) and sox, and with --all also ALSA's
// speaker-test and a plain PortAudio program that leaves all buffering to
// the library (bench_plain_portaudio). The tools take turns; each plays a
// long and a short tone in every round, so that the cost of a second of tone
// can be told apart from the cost of starting. For each tool, medians over
// the rounds and ratios against tonegen:
//
// - CPU per second of tone: the child's CPU time (wait4) for the long tone
//   less that for the short one, over the difference of their lengths at
//   the sink;
// - peak resident memory, over the long tones;
// - launch to the first sample at the sink, from fork, so with the tool's
//   own start-up; and from the start call inside the child, for the two that
//   report one on CLOCK_MONOTONIC (tonegen, plain PortAudio);
// - stop to the sink's last sample: the child's own stop call (StopOutput,
//   Pa_StopStream), or for sox and speaker-test the SIGINT (as from Ctrl-C)
//   sent once the sink has heard them for the tone's length, their own
//   length being set well past that;
// - silent stretches inside the tone, and for the two that play the
//   generator's table every departure from it and PortAudio's underflow
//   count. A tool that played nothing cannot pass for a cheap one.
//
// Times at the sink: the first sample is timed when the recorder receives
// it; the last is placed on the same clock by counting samples on from the
// first, since the sink plays in real time. Both are good to about one sink
// block (see docs/benchmarks.md).
//
// Usage: bench_compare_tools [--all] [runs [route [rate [seconds]]]]
//        (default: 3 pulseaudio 96000 10; the short tone is 2 s)

#include "median.h"
#include "player_report.h"
#include "sound_route.h"

#include "child_process.h"
#include "expected_table.h"
#include "recording_check.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kShortSeconds = 2;

struct Tool {
    const char* name;
    bool stopsItself; // or is sent SIGINT once the sink has heard it for the tone's length
    bool playsTable;  // the generator's table, so its recording can be followed sample for sample
    // "$B/" stands for the folder of this program, "$S" for the tone's seconds, "$R" for the rate.
    const char* command;
};

const Tool kTools[] = {
    {"tonegen", true, true, "$B/bench_play_tone $S $R"},
    {"sox", false, false, "sox -n -t alsa default rate $R synth 3600 sine 1000"},
    {"speaker-test", false, false, "speaker-test -D default -c 1 -r $R -F FLOAT_LE -t sine -f 1000 -l 0"},
    {"portaudio", true, true, "$B/bench_plain_portaudio $S $R"},
};

struct Run {
    bool ok = false;
    double cpuS = 0;
    double toneS = 0;
    double peakRssKb = 0;
    double launchToSoundMs = NAN;
    double callToSoundMs = NAN;
    double stopToSilenceMs = NAN;
    std::size_t dropouts = 0;
    long tableEvents = -1; // -1 when the tool does not play the table
    long underflows = -1;  // -1 when the tool does not report them
};

// The number printed right after `key` in a child's log; -1 when absent.
long long LogField(const std::string& log, const char* key)
{
    const auto at = log.find(key);
    return at == std::string::npos ? -1 : std::atoll(log.c_str() + at + std::strlen(key));
}

Run RunOnce(bench::SoundRoute& route, const Tool& tool, const std::string& beside, double seconds, unsigned rate,
            int index)
{
    testsupport::SinkRecorder& sink = route.Sink();
    char secondsText[32];
    std::snprintf(secondsText, sizeof secondsText, "%g", seconds);
    std::vector<std::string> command;
    std::istringstream words(tool.command);
    for (std::string w; words >> w;)
        command.push_back(w == "$S"              ? secondsText
                          : w == "$R"            ? std::to_string(rate)
                          : w.starts_with("$B/") ? beside + w.substr(2)
                                                 : w);
    testsupport::ChildProcess child;

    Run run;
    sink.StartRecording();
    // A little silence first, so that every tone starts inside the recording.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const long long launchNs = bench::MonotonicNs();
    std::string error;
    const std::string logPath = route.Dir() + "/" + tool.name + "-" + secondsText + "-" + std::to_string(index);
    if (!child.Start(command, testsupport::Environment(), logPath, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        sink.StopRecording();
        return run;
    }
    const bool heard = sink.WaitForSound(std::chrono::seconds(10));
    const long long heardNs = bench::MonotonicNs();
    long long stopNs = -1;
    if (!tool.stopsItself) {
        if (heard)
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        stopNs = bench::MonotonicNs();
        kill(child.Pid(), SIGINT);
    }
    const int ended = child.Wait();
    run.cpuS = testsupport::CpuSeconds(child.Usage());
    run.peakRssKb = static_cast<double>(child.Usage().ru_maxrss);
    const bool exited =
        (WIFEXITED(ended) && WEXITSTATUS(ended) == 0) || (WIFSIGNALED(ended) && WTERMSIG(ended) == SIGINT);

    // The sink still holds the tail when the child exits.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::vector<float> rec = sink.StopRecording();
    const std::string log = child.Output();
    run.underflows = static_cast<long>(LogField(log, bench::kUnderflowsKey));

    const testsupport::ToneSpan tone = testsupport::FindTone(rec);
    if (!heard || !tone.found || !exited) {
        std::fprintf(stderr, "--- %s, %g s, run %d: %s; its output ---\n%s\n---\n", tool.name, seconds, index,
                     !exited ? "did not exit cleanly" : "no sound at the sink", log.c_str());
        return run;
    }
    run.toneS = static_cast<double>(tone.end - tone.begin) / rate;
    run.dropouts = tone.gaps;
    if (tool.playsTable)
        run.tableEvents =
            static_cast<long>(testsupport::FollowTable(rec, testsupport::ExpectedTable(1000, rate)).events.size());

    run.launchToSoundMs = static_cast<double>(heardNs - launchNs) / 1e6;
    if (const long long startCall = LogField(log, bench::kStartCallKey); startCall > 0)
        run.callToSoundMs = static_cast<double>(heardNs - startCall) / 1e6;
    if (tool.stopsItself)
        stopNs = LogField(log, bench::kStopCallKey);
    if (stopNs > 0)
        run.stopToSilenceMs = (static_cast<double>(heardNs) + run.toneS * 1e9 - static_cast<double>(stopNs)) / 1e6;
    run.ok = true;
    return run;
}

struct Figures {
    double cpuPerSecond, rssKb, launchMs, callMs, stopMs;
};

// A run that failed or played nothing has no figures worth a median.
Figures Summarise(const std::vector<Run>& longRuns, const std::vector<Run>& shortRuns)
{
    const auto median = [](const std::vector<Run>& runs, double Run::*field) {
        return bench::Median(runs, [field](const Run& r) { return r.ok ? r.*field : NAN; });
    };
    return {(median(longRuns, &Run::cpuS) - median(shortRuns, &Run::cpuS)) /
                (median(longRuns, &Run::toneS) - median(shortRuns, &Run::toneS)),
            median(longRuns, &Run::peakRssKb), median(longRuns, &Run::launchToSoundMs),
            median(longRuns, &Run::callToSoundMs), median(longRuns, &Run::stopToSilenceMs)};
}

} // namespace

int main(int argc, char** argv)
{
    const bool all = argc > 1 && std::strcmp(argv[1], "--all") == 0;
    const auto arg = [&](int i) { return argc > all + 1 + i ? argv[all + 1 + i] : nullptr; };
    const int runs = arg(0) ? std::max(1, std::atoi(arg(0))) : 3;
    const std::string routeName = arg(1) ? arg(1) : "pulseaudio";
    const unsigned rate = arg(2) ? static_cast<unsigned>(std::atol(arg(2))) : 96000u;
    const double seconds = arg(3) ? std::atof(arg(3)) : 10.0;
    if (rate == 0 || seconds <= kShortSeconds) {
        std::fprintf(stderr, "usage: %s [--all] [runs [route [rate [seconds > %g]]]]\n", argv[0], kShortSeconds);
        return 2;
    }

    const std::string beside = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    for (const char* player : {"/bench_play_tone", "/bench_plain_portaudio"})
        if (access((beside + player).c_str(), X_OK) != 0) {
            std::fprintf(stderr, "%s%s not found; build it first\n", beside.c_str(), player);
            return 1;
        }

    bench::SoundRoute route;
    if (!route.Start(routeName, rate))
        return 1;
    const std::size_t toolCount = all ? std::size(kTools) : 2;

    std::printf("%g s and %g s of 1000 Hz at %u Hz, route %s, %d rounds, tools taking turns\n\n", seconds,
                kShortSeconds, rate, routeName.c_str(), runs);
    std::printf("%-12s %5s %3s %7s %7s %9s %9s %9s %9s %6s %6s %6s\n", "tool", "s", "run", "tone s", "cpu s", "RSS kB",
                "launch ms", "call ms", "stop ms", "drops", "table", "underf");
    std::vector<std::vector<Run>> longRuns(toolCount), shortRuns(toolCount);
    int status = 0;
    for (int i = 0; i < runs; ++i)
        for (std::size_t t = 0; t < toolCount; ++t)
            for (const double length : {seconds, kShortSeconds}) {
                const Run r = RunOnce(route, kTools[t], beside, length, rate, i + 1);
                (length == seconds ? longRuns : shortRuns)[t].push_back(r);
                const auto opt = [](long v) { return v < 0 ? std::string("-") : std::to_string(v); };
                std::printf("%-12s %5g %3d %7.2f %7.3f %9.0f %9.1f %9.1f %9.1f %6zu %6s %6s%s\n", kTools[t].name,
                            length, i + 1, r.toneS, r.cpuS, r.peakRssKb, r.launchToSoundMs, r.callToSoundMs,
                            r.stopToSilenceMs, r.dropouts, opt(r.tableEvents).c_str(), opt(r.underflows).c_str(),
                            r.ok ? "" : "  FAILED");
                std::fflush(stdout);
                status |= r.ok ? 0 : 1;
            }

    std::printf("\nmedians (ratio = tool / tonegen)\n");
    std::printf("%-12s %20s %18s %18s %12s %18s\n", "tool", "cpu ms per s of tone", "peak RSS MB", "launch->sound ms",
                "call->sound", "stop->silence ms");
    const Figures ours = Summarise(longRuns[0], shortRuns[0]);
    for (std::size_t t = 0; t < toolCount; ++t) {
        const Figures f = Summarise(longRuns[t], shortRuns[t]);
        std::printf("%-12s %11.2f (%5.2fx) %9.1f (%5.2fx) %9.1f (%5.2fx) %12.1f %9.1f (%5.2fx)\n", kTools[t].name,
                    f.cpuPerSecond * 1000, f.cpuPerSecond / ours.cpuPerSecond, f.rssKb / 1024.0, f.rssKb / ours.rssKb,
                    f.launchMs, f.launchMs / ours.launchMs, f.callMs, f.stopMs, f.stopMs / ours.stopMs);
    }
    const Figures sox = Summarise(longRuns[1], shortRuns[1]);
    std::printf("\ntonegen / sox, CPU per second of tone: %.2fx\n", ours.cpuPerSecond / sox.cpuPerSecond);
    if (status != 0)
        std::fprintf(stderr, "warning: some runs failed or played nothing; see above\n");
    return status;
}
