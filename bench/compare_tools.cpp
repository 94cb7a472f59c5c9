// What it costs to play a 10 s, 1000 Hz tone with this generator's output
// path (bench_play_tone) and with sox through ALSA, both into the same
// private stack of the chosen route (see sound_route.h): wall time, CPU time
// and peak memory of each child process, plus a recording at the sink so
// that a tool that ran but played nothing cannot pass for a cheap one.
// Each tool also plays a 2 s tone, so that the cost of a second of tone can
// be told apart from the cost of starting: the difference of the two CPU
// times over the 8 s between them.
//
// Usage: bench_compare_tools [runs-per-tool [route [rate]]]
//        (default 3 pulseaudio 96000)

#include "child_run.h"
#include "player_report.h"
#include "sound_route.h"

#include "child_process.h"
#include "recording_check.h"

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
using bench::Median;

struct Tool {
    const char* name;
    int seconds;
    std::vector<std::string> argv; // argv[0] is a path, or a name looked up in PATH
};

struct Run {
    double wallS = 0;
    double cpuS = 0;
    long peakRssKb = 0;
    std::size_t nonZero = 0;  // non-zero samples the sink received
    std::size_t dropouts = 0; // silent stretches inside the tone
    // PortAudio's own count, from bench_play_tone, beside the dropouts the
    // sink shows; -1 when unknown.
    long underflows = -1;
    bool exitedCleanly = false;
    double launchToSoundMs = NAN; // fork to the first non-zero sample at the sink
    double callToSoundMs = NAN;   // the child's own start call to that sample
};

void Analyse(const std::vector<float>& rec, Run& run)
{
    run.nonZero = static_cast<std::size_t>(std::count_if(rec.begin(), rec.end(), [](float s) { return s != 0.0f; }));
    run.dropouts = testsupport::FindTone(rec).gaps;
}

Run RunOnce(testsupport::SinkRecorder& server, const std::string& logDir, const Tool& tool, int index)
{
    // The child's chatter (sox's progress meter, Qt's warnings) goes to a log
    // in the route's temp dir, shown only when the run goes wrong.
    const std::string logPath = bench::ChildLogPath(logDir, tool.name, index);
    testsupport::ChildProcess child;

    Run run;
    server.StartRecording();
    const auto t0 = Clock::now();
    std::string error;
    if (!child.Start(tool.argv, testsupport::Environment(), logPath, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        server.StopRecording();
        return run;
    }
    const bool heard = server.WaitForSound(std::chrono::seconds(5));
    const auto tHeard = Clock::now();
    const int ended = child.Wait();
    run.wallS = std::chrono::duration<double>(Clock::now() - t0).count();
    run.cpuS = testsupport::CpuSeconds(child.Usage());
    run.peakRssKb = child.Usage().ru_maxrss;
    run.exitedCleanly = WIFEXITED(ended) && WEXITSTATUS(ended) == 0;

    // The sink still holds a little of the tail when the child exits.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Analyse(server.StopRecording(), run);

    const std::string log = child.Output();
    run.underflows = static_cast<long>(bench::LogField(log, bench::kUnderflowsKey));
    if (heard) {
        run.launchToSoundMs = std::chrono::duration<double, std::milli>(tHeard - t0).count();
        // The child reports its start call on CLOCK_MONOTONIC, which is the
        // steady clock here.
        if (const long long startCall = bench::LogField(log, bench::kStartCallKey); startCall > 0)
            run.callToSoundMs = static_cast<double>(tHeard.time_since_epoch().count() - startCall) / 1e6;
    }
    if (!run.exitedCleanly || run.nonZero == 0)
        std::fprintf(stderr, "--- output of %s run %d ---\n%s\n---\n", tool.name, index, log.c_str());
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    const int runsPerTool = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    const std::string playTone = bench::ProgramBeside("bench_play_tone", "build the bench_play_tone target");
    if (playTone.empty())
        return 1;

    const std::string routeName = argc > 2 ? argv[2] : "pulseaudio";
    const unsigned rate = static_cast<unsigned>(argc > 3 ? std::atol(argv[3]) : 96000);
    bench::SoundRoute route;
    if (!route.Start(routeName, rate))
        return 1;
    testsupport::SinkRecorder& server = route.Sink();

    const std::string rateText = std::to_string(rate);
    const auto sox = [&](const char* seconds) {
        return std::vector<std::string>{"sox",    "-n",    "-t",    "alsa", "default", "rate",
                                        rateText, "synth", seconds, "sine", "1000"};
    };
    const std::vector<Tool> tools = {
        {"tonegen", 10, {playTone, "10", rateText}},
        {"sox", 10, sox("10")},
        {"tonegen", 2, {playTone, "2", rateText}},
        {"sox", 2, sox("2")},
    };

    std::vector<std::vector<Run>> results(tools.size());
    std::printf("10 s and 2 s of 1000 Hz at %u Hz, route %s, %d runs per tool\n\n", rate, routeName.c_str(),
                runsPerTool);
    std::printf("%-8s %4s %4s %8s %8s %10s %12s %9s %11s %5s\n", "tool", "s", "run", "wall s", "cpu s", "peak RSS",
                "non-zero", "dropouts", "underflows", "exit");
    for (std::size_t t = 0; t < tools.size(); ++t) {
        for (int i = 0; i < runsPerTool; ++i) {
            const Run r = RunOnce(server, route.Dir(), tools[t], i + 1);
            results[t].push_back(r);
            const std::string underflows = r.underflows < 0 ? "-" : std::to_string(r.underflows);
            std::printf("%-8s %4d %4d %8.2f %8.2f %7ld kB %12zu %9zu %11s %5s\n", tools[t].name, tools[t].seconds,
                        i + 1, r.wallS, r.cpuS, r.peakRssKb, r.nonZero, r.dropouts, underflows.c_str(),
                        r.exitedCleanly ? "ok" : "FAIL");
            std::fflush(stdout);
        }
    }

    std::printf("\nmedians\n");
    std::printf("%-8s %4s %8s %8s %10s %12s %9s %13s %13s\n", "tool", "s", "wall s", "cpu s", "peak RSS", "non-zero",
                "dropouts", "launch>sound", "call>sound");
    for (std::size_t t = 0; t < tools.size(); ++t) {
        const auto& runs = results[t];
        std::printf(
            "%-8s %4d %8.2f %8.2f %7.0f kB %12.0f %9.0f %10.1f ms %10.1f ms\n", tools[t].name, tools[t].seconds,
            Median(runs, [](const Run& x) { return x.wallS; }), Median(runs, [](const Run& x) { return x.cpuS; }),
            Median(runs, [](const Run& x) { return x.peakRssKb; }),
            Median(runs, [](const Run& x) { return x.nonZero; }), Median(runs, [](const Run& x) { return x.dropouts; }),
            Median(runs, [](const Run& x) { return x.launchToSoundMs; }),
            Median(runs, [](const Run& x) { return x.callToSoundMs; }));
    }
    const auto perSecond = [&](std::size_t longRun, std::size_t shortRun) {
        return (Median(results[longRun], [](const Run& x) { return x.cpuS; }) -
                Median(results[shortRun], [](const Run& x) { return x.cpuS; })) /
               (tools[longRun].seconds - tools[shortRun].seconds);
    };
    const double secondOurs = perSecond(0, 2);
    const double secondSox = perSecond(1, 3);
    std::printf("\ncpu ms per second of tone, start-up excluded: tonegen %.2f, sox %.2f (%.2fx)\n", secondOurs * 1000,
                secondSox * 1000, secondSox > 0 ? secondOurs / secondSox : 0.0);
    const double cpuOurs = Median(results[0], [](const Run& x) { return x.cpuS; });
    const double cpuSox = Median(results[1], [](const Run& x) { return x.cpuS; });
    const double rssOurs = Median(results[0], [](const Run& x) { return x.peakRssKb; });
    const double rssSox = Median(results[1], [](const Run& x) { return x.peakRssKb; });
    std::printf("ratio tonegen/sox over the 10 s runs, start-up included: cpu %.2fx, peak RSS %.2fx\n",
                cpuSox > 0 ? cpuOurs / cpuSox : 0.0, rssSox > 0 ? rssOurs / rssSox : 0.0);

    // A tool that played nothing would look cheap; say so loudly.
    int status = 0;
    for (std::size_t t = 0; t < tools.size(); ++t)
        for (const auto& run : results[t])
            if (run.nonZero == 0 || !run.exitedCleanly) {
                std::fprintf(stderr, "warning: a %s run %s\n", tools[t].name,
                             run.exitedCleanly ? "produced no sound at the sink" : "failed");
                status = 1;
            }
    return status;
}
