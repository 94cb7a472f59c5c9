// What it costs to play a 10 s, 1000 Hz tone at 96 kHz with this generator's
// output path (bench_play_tone) and with sox through ALSA, both into the same
// private PulseAudio daemon: wall time, CPU time and peak memory of each
// child process, plus a recording at the sink so that a tool that ran but
// played nothing cannot pass for a cheap one.
//
// Usage: bench_compare_tools [runs-per-tool]   (default 3)

#include "pulse_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kRate = 96000;

struct Tool {
    const char* name;
    std::vector<std::string> argv; // argv[0] is a path, or a name looked up in PATH
};

struct Run {
    double wallS = 0;
    double cpuS = 0;
    long peakRssKb = 0;
    std::size_t nonZero = 0; // non-zero samples the sink received
    std::size_t dropouts = 0; // silent stretches inside the tone
    long underflows = -1; // as bench_play_tone reports them; -1 when unknown
    bool exitedCleanly = false;
};

double Seconds(const timeval& tv)
{
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
}

// A sine at these rates never holds exactly 0 for more than one sample, so a
// run of zeros between the first and last non-zero samples means the sink
// was starved: the stream underflowed somewhere on its way there. The
// "underflows" column is PortAudio's own count, from bench_play_tone.
constexpr std::size_t kDropoutSamples = 4;

void Analyse(const std::vector<float>& rec, Run& run)
{
    run.nonZero = static_cast<std::size_t>(std::count_if(rec.begin(), rec.end(), [](float s) { return s != 0.0f; }));
    const auto first = std::find_if(rec.begin(), rec.end(), [](float s) { return s != 0.0f; });
    if (first == rec.end())
        return;
    const auto last = std::find_if(rec.rbegin(), rec.rend(), [](float s) { return s != 0.0f; }).base();
    std::size_t zeros = 0;
    for (auto it = first; it != last; ++it) {
        if (*it == 0.0f) {
            ++zeros;
        } else {
            if (zeros >= kDropoutSamples)
                ++run.dropouts;
            zeros = 0;
        }
    }
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Run RunOnce(testsupport::PulseServer& server, const Tool& tool, int index)
{
    // The child's chatter (sox's progress meter, Qt's warnings) goes to a log
    // in the server's temp dir, shown only when the run goes wrong.
    const std::string logPath = server.Dir() + "/" + tool.name + "-" + std::to_string(index) + ".log";
    const int logFd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);

    // Everything the child needs is built before fork: the drainer thread
    // may hold the allocator's lock at that moment.
    std::vector<char*> argv;
    for (const auto& a : tool.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    Run run;
    server.StartRecording();
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        // Never outlives this program, and inherits its environment, which
        // is what points it at the private daemon.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (logFd >= 0) {
            dup2(logFd, 1);
            dup2(logFd, 2);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (logFd >= 0)
        close(logFd);
    if (pid < 0) {
        std::fprintf(stderr, "fork: %s\n", std::strerror(errno));
        server.StopRecording();
        return run;
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.wallS = std::chrono::duration<double>(Clock::now() - t0).count();
    run.cpuS = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    run.peakRssKb = usage.ru_maxrss;
    run.exitedCleanly = WIFEXITED(status) && WEXITSTATUS(status) == 0;

    // The sink still holds a little of the tail when the child exits.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Analyse(server.StopRecording(), run);

    const std::string log = ReadAll(logPath);
    constexpr std::string_view kUnderflows = "output underflows: ";
    if (const auto at = log.find(kUnderflows); at != std::string::npos)
        run.underflows = std::atol(log.c_str() + at + kUnderflows.size());
    if (!run.exitedCleanly || run.nonZero == 0)
        std::fprintf(stderr, "--- output of %s run %d ---\n%s\n---\n", tool.name, index, log.c_str());
    return run;
}

template <typename F> double Median(const std::vector<Run>& runs, F field)
{
    std::vector<double> v;
    for (const auto& r : runs)
        v.push_back(static_cast<double>(field(r)));
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 != 0 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

} // namespace

int main(int argc, char** argv)
{
    const int runsPerTool = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        std::fprintf(stderr, "/proc/self/exe: %s\n", ec.message().c_str());
        return 1;
    }
    const std::string playTone = (self.parent_path() / "bench_play_tone").string();
    if (access(playTone.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "%s not found; build the bench_play_tone target\n", playTone.c_str());
        return 1;
    }

    testsupport::PulseServer server;
    if (!server.Start() || !server.UseRate(kRate)) {
        std::fprintf(stderr, "private sound server: %s\n", server.Error().c_str());
        return 1;
    }

    const std::vector<Tool> tools = {
        {"tonegen", {playTone, "10", "96000"}},
        {"sox", {"sox", "-n", "-t", "alsa", "default", "rate", "96000", "synth", "10", "sine", "1000"}},
    };

    std::vector<std::vector<Run>> results(tools.size());
    std::printf("10 s of 1000 Hz at %u Hz into a private PulseAudio daemon, %d runs per tool\n\n", kRate, runsPerTool);
    std::printf("%-8s %4s %8s %8s %10s %12s %9s %11s %5s\n", "tool", "run", "wall s", "cpu s", "peak RSS",
                "non-zero", "dropouts", "underflows", "exit");
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
        std::printf("%-8s %8.2f %8.2f %7.0f kB %12.0f %9.0f\n", tools[t].name,
                    Median(r, [](const Run& x) { return x.wallS; }), Median(r, [](const Run& x) { return x.cpuS; }),
                    Median(r, [](const Run& x) { return x.peakRssKb; }),
                    Median(r, [](const Run& x) { return x.nonZero; }),
                    Median(r, [](const Run& x) { return x.dropouts; }));
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
