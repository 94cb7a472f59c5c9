// What it costs to play a 10 s, 1000 Hz tone at 96 kHz with this generator's
// output path (bench_play_tone) and with sox through ALSA, both into the same
// private PulseAudio daemon: wall time, CPU time and peak memory of each
// child process, plus a recording at the sink so that a tool that ran but
// played nothing cannot pass for a cheap one.
//
// Usage: bench_compare_tools [runs-per-tool]   (default 3)

#include "child_run.h"
#include "private_server.h"

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using bench::Median;

constexpr unsigned kRate = 96000;

struct Tool {
    const char* name;
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
};

void Analyse(const std::vector<float>& rec, Run& run)
{
    run.nonZero = static_cast<std::size_t>(std::count_if(rec.begin(), rec.end(), [](float s) { return s != 0.0f; }));
    run.dropouts = bench::FindTone(rec).dropouts;
}

Run RunOnce(testsupport::PulseServer& server, const Tool& tool, int index)
{
    // The child's chatter (sox's progress meter, Qt's warnings) goes to a log
    // in the server's temp dir, shown only when the run goes wrong.
    const std::string logPath = bench::ChildLogPath(server.Dir(), tool.name, index);
    bench::Child child(tool.argv, logPath);

    Run run;
    server.StartRecording();
    const auto t0 = Clock::now();
    if (!child.Launch()) {
        server.StopRecording();
        return run;
    }
    const bench::ChildExit ended = child.Wait();
    run.wallS = std::chrono::duration<double>(Clock::now() - t0).count();
    run.cpuS = ended.CpuSeconds();
    run.peakRssKb = ended.PeakRssKb();
    run.exitedCleanly = WIFEXITED(ended.status) && WEXITSTATUS(ended.status) == 0;

    // The sink still holds a little of the tail when the child exits.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Analyse(server.StopRecording(), run);

    const std::string log = bench::ReadAll(logPath);
    run.underflows = static_cast<long>(bench::LogField(log, "output underflows: "));
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

    testsupport::PulseServer server;
    if (!bench::StartPrivateServer(server, kRate))
        return 1;

    const std::vector<Tool> tools = {
        {"tonegen", {playTone, "10", "96000"}},
        {"sox", {"sox", "-n", "-t", "alsa", "default", "rate", "96000", "synth", "10", "sine", "1000"}},
    };

    std::vector<std::vector<Run>> results(tools.size());
    std::printf("10 s of 1000 Hz at %u Hz into a private PulseAudio daemon, %d runs per tool\n\n", kRate, runsPerTool);
    std::printf("%-8s %4s %8s %8s %10s %12s %9s %11s %5s\n", "tool", "run", "wall s", "cpu s", "peak RSS", "non-zero",
                "dropouts", "underflows", "exit");
    for (std::size_t t = 0; t < tools.size(); ++t) {
        for (int i = 0; i < runsPerTool; ++i) {
            const Run r = RunOnce(server, tools[t], i + 1);
            results[t].push_back(r);
            const std::string underflows = r.underflows < 0 ? "-" : std::to_string(r.underflows);
            std::printf("%-8s %4d %8.2f %8.2f %7ld kB %12zu %9zu %11s %5s\n", tools[t].name, i + 1, r.wallS, r.cpuS,
                        r.peakRssKb, r.nonZero, r.dropouts, underflows.c_str(), r.exitedCleanly ? "ok" : "FAIL");
            std::fflush(stdout);
        }
    }

    std::printf("\nmedians\n");
    std::printf("%-8s %8s %8s %10s %12s %9s\n", "tool", "wall s", "cpu s", "peak RSS", "non-zero", "dropouts");
    for (std::size_t t = 0; t < tools.size(); ++t) {
        const auto& r = results[t];
        std::printf(
            "%-8s %8.2f %8.2f %7.0f kB %12.0f %9.0f\n", tools[t].name, Median(r, [](const Run& x) { return x.wallS; }),
            Median(r, [](const Run& x) { return x.cpuS; }), Median(r, [](const Run& x) { return x.peakRssKb; }),
            Median(r, [](const Run& x) { return x.nonZero; }), Median(r, [](const Run& x) { return x.dropouts; }));
    }
    const double cpuOurs = Median(results[0], [](const Run& x) { return x.cpuS; });
    const double cpuSox = Median(results[1], [](const Run& x) { return x.cpuS; });
    const double rssOurs = Median(results[0], [](const Run& x) { return x.peakRssKb; });
    const double rssSox = Median(results[1], [](const Run& x) { return x.peakRssKb; });
    std::printf("\nratio tonegen/sox: cpu %.2fx, peak RSS %.2fx\n", cpuSox > 0 ? cpuOurs / cpuSox : 0.0,
                rssSox > 0 ? rssOurs / rssSox : 0.0);

    // A tool that played nothing would look cheap; say so loudly.
    int status = 0;
    for (std::size_t t = 0; t < tools.size(); ++t)
        for (const auto& r : results[t])
            if (r.nonZero == 0 || !r.exitedCleanly) {
                std::fprintf(stderr, "warning: a %s run %s\n", tools[t].name,
                             r.exitedCleanly ? "produced no sound at the sink" : "failed");
                status = 1;
            }
    return status;
}
