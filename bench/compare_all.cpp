// Four ways to play a 1000 Hz tone into the same private PulseAudio sink,
// side by side in one run: this generator's output path (bench_play_tone),
// sox, ALSA's speaker-test, and a plain PortAudio program with the library's
// default buffering (bench_plain_portaudio). For each, as a separate child
// process: CPU time per minute of tone, peak resident memory, the time from
// launching it to its first sample at the sink, and the time from its stop
// to the sink falling silent; medians over several runs, and ratios against
// the generator.
//
// Usage: bench_compare_all [seconds] [rate] [runs-per-tool]   (default 10 96000 3)
//
// How each one stops: bench_play_tone and bench_plain_portaudio stop
// themselves after the given time (StopOutput, Pa_StopStream) and print the
// CLOCK_MONOTONIC moment of that call. sox and speaker-test have no such
// moment to report, so they get SIGINT, as from Ctrl-C in a terminal, once
// the sink has heard them for the given time; sox's own length is set well
// past that so its natural end never comes first.
//
// Times at the sink: the first non-zero sample is timed when the recorder
// receives it. The sink writes on the system clock, so the last non-zero
// sample is placed on the same clock by counting samples from the first.
// Both are therefore good to about one sink write (4 kB, 11 ms at 96 kHz).

#include "child_run.h"
#include "player_report.h"
#include "sound_route.h"
#include "table_follow.h"

#include "child_process.h"
#include "expected_table.h"
#include "recording_check.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

enum class Stop { Self, Sigint };

struct Tool {
    const char* name;
    std::vector<std::string> argv; // argv[0] is a path, or a name looked up in PATH
    Stop stop;
    bool playsTable; // plays the generator's table, so its recording can be followed sample for sample
};

struct Run {
    bool ok = false;
    double cpuS = 0;
    double toneS = 0;
    long peakRssKb = 0;
    double launchToSoundMs = NAN;
    double callToSoundMs = NAN; // from the start call inside the child, where it reports one
    double stopToSilenceMs = NAN;
    std::size_t dropouts = 0; // silent stretches inside the tone
    long tableEvents = -1;    // gaps, skips, repeats against the table; -1 when not applicable
    long underflows = -1;     // as the child reports them; -1 when unknown
};

long long NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

Run RunOnce(bench::SoundRoute& route, const Tool& tool, int index, double seconds, unsigned rate,
            const std::vector<float>& table)
{
    testsupport::SinkRecorder& server = route.Sink();
    const std::string logPath = bench::ChildLogPath(route.Dir(), tool.name, index);
    testsupport::ChildProcess child;

    Run run;
    server.StartRecording();
    // A little silence first, so every tone starts inside the recording.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const long long launchNs = NowNs();
    std::string error;
    if (!child.Start(tool.argv, testsupport::Environment(), logPath, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        server.StopRecording();
        return run;
    }

    const bool heard = server.WaitForSound(std::chrono::seconds(10));
    const long long heardNs = NowNs();
    long long signalNs = -1;
    if (tool.stop == Stop::Sigint) {
        if (heard)
            std::this_thread::sleep_until(
                Clock::time_point(std::chrono::nanoseconds(heardNs)) +
                std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)));
        signalNs = NowNs();
        kill(child.Pid(), SIGINT);
    }
    const int ended = child.Wait();
    run.cpuS = testsupport::CpuSeconds(child.Usage());
    run.peakRssKb = child.Usage().ru_maxrss;
    const bool exited = WIFEXITED(ended) || (WIFSIGNALED(ended) && WTERMSIG(ended) == SIGINT);

    // The sink still holds the tail when the child exits.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::vector<float> rec = server.StopRecording();
    const std::string log = child.Output();
    run.underflows = static_cast<long>(bench::LogField(log, bench::kUnderflowsKey));

    const testsupport::ToneSpan tone = testsupport::FindTone(rec);
    if (!heard || !tone.found || !exited) {
        std::fprintf(stderr, "--- %s run %d: %s; its output ---\n%s\n---\n", tool.name, index,
                     !exited ? "did not exit cleanly" : "no sound at the sink", log.c_str());
        return run;
    }
    run.toneS = static_cast<double>(tone.end - tone.begin) / rate;
    run.dropouts = tone.gaps;
    if (tool.playsTable)
        run.tableEvents = static_cast<long>(FollowTable(rec, table).events.size());

    const double silenceNs = static_cast<double>(heardNs) + run.toneS * 1e9;
    run.launchToSoundMs = static_cast<double>(heardNs - launchNs) / 1e6;
    if (const long long startCall = bench::LogField(log, bench::kStartCallKey); startCall > 0)
        run.callToSoundMs = static_cast<double>(heardNs - startCall) / 1e6;
    const long long stopNs = tool.stop == Stop::Sigint ? signalNs : bench::LogField(log, bench::kStopCallKey);
    if (stopNs > 0)
        run.stopToSilenceMs = (silenceNs - static_cast<double>(stopNs)) / 1e6;
    run.ok = true;
    return run;
}

// A run that failed or played nothing has no figures worth a median.
template <typename F> double Median(const std::vector<Run>& runs, F field)
{
    return bench::Median(runs, field, [](const Run& r) { return r.ok; });
}

double CpuPerMinute(const Run& r)
{
    return r.toneS > 0 ? r.cpuS / (r.toneS / 60.0) : NAN;
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    const unsigned rate = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 96000u;
    const int runsPerTool = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    if (seconds <= 0 || rate == 0) {
        std::fprintf(stderr, "usage: %s [seconds] [rate] [runs-per-tool]\n", argv[0]);
        return 2;
    }

    const std::string playTone = bench::ProgramBeside("bench_play_tone", "build it first");
    if (playTone.empty())
        return 1;
    const std::string plain = bench::ProgramBeside("bench_plain_portaudio", "build it first");
    if (plain.empty())
        return 1;

    bench::SoundRoute route;
    if (!route.Start("pulseaudio", rate))
        return 1;

    char secs[32], rateText[32], soxLength[32];
    std::snprintf(secs, sizeof secs, "%g", seconds);
    std::snprintf(rateText, sizeof rateText, "%u", rate);
    std::snprintf(soxLength, sizeof soxLength, "%g", seconds + 60);
    const std::vector<Tool> tools = {
        {"tonegen", {playTone, secs, rateText}, Stop::Self, true},
        {"sox",
         {"sox", "-n", "-t", "alsa", "default", "rate", rateText, "synth", soxLength, "sine", "1000"},
         Stop::Sigint,
         false},
        {"speaker-test",
         {"speaker-test", "-D", "default", "-c", "1", "-r", rateText, "-F", "FLOAT_LE", "-t", "sine", "-f", "1000",
          "-l", "0"},
         Stop::Sigint,
         false},
        {"portaudio", {plain, secs, rateText}, Stop::Self, true},
    };
    const auto table = testsupport::ExpectedTable(1000, rate);

    std::printf("%s s of 1000 Hz at %u Hz into a private PulseAudio daemon, %d runs per tool, tools taking turns\n",
                secs, rate, runsPerTool);
    std::printf("%-12s %3s %7s %7s %9s %9s %9s %9s %6s %6s %6s\n", "tool", "run", "tone s", "cpu s", "RSS kB",
                "launch ms", "call ms", "stop ms", "drops", "table", "underf");
    std::vector<std::vector<Run>> results(tools.size());
    for (int i = 0; i < runsPerTool; ++i)
        for (std::size_t t = 0; t < tools.size(); ++t) {
            const Run r = RunOnce(route, tools[t], i + 1, seconds, rate, table);
            results[t].push_back(r);
            const auto opt = [](long v) { return v < 0 ? std::string("-") : std::to_string(v); };
            std::printf("%-12s %3d %7.2f %7.3f %9ld %9.1f %9.1f %9.1f %6zu %6s %6s%s\n", tools[t].name, i + 1, r.toneS,
                        r.cpuS, r.peakRssKb, r.launchToSoundMs, r.callToSoundMs, r.stopToSilenceMs, r.dropouts,
                        opt(r.tableEvents).c_str(), opt(r.underflows).c_str(), r.ok ? "" : "  FAILED");
            std::fflush(stdout);
        }

    std::printf("\nmedians (ratio = tool / tonegen)\n");
    std::printf("%-12s %16s %16s %18s %12s %18s\n", "tool", "cpu s per min", "peak RSS MB", "launch->sound ms",
                "call->sound", "stop->silence ms");
    const double cpu0 = Median(results[0], CpuPerMinute);
    const double rss0 = Median(results[0], [](const Run& r) { return r.peakRssKb; });
    const double launch0 = Median(results[0], [](const Run& r) { return r.launchToSoundMs; });
    const double stop0 = Median(results[0], [](const Run& r) { return r.stopToSilenceMs; });
    for (std::size_t t = 0; t < tools.size(); ++t) {
        const auto& r = results[t];
        const double cpu = Median(r, CpuPerMinute);
        const double rss = Median(r, [](const Run& x) { return x.peakRssKb; });
        const double launch = Median(r, [](const Run& x) { return x.launchToSoundMs; });
        const double call = Median(r, [](const Run& x) { return x.callToSoundMs; });
        const double stop = Median(r, [](const Run& x) { return x.stopToSilenceMs; });
        std::printf("%-12s %7.3f (%5.2fx) %7.1f (%5.2fx) %8.1f (%5.2fx) %12.1f %8.1f (%5.2fx)   stop: %s\n",
                    tools[t].name, cpu, cpu / cpu0, rss / 1024.0, rss / rss0, launch, launch / launch0, call, stop,
                    stop / stop0, tools[t].stop == Stop::Self ? "its own call" : "SIGINT");
    }

    int status = 0;
    for (std::size_t t = 0; t < tools.size(); ++t)
        for (const auto& r : results[t])
            if (!r.ok) {
                std::fprintf(stderr, "warning: a %s run failed or played nothing\n", tools[t].name);
                status = 1;
            }
    return status;
}
