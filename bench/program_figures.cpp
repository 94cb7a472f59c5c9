// The whole program as a user meets it, the Linux build and tonegen.exe
// under Wine side by side on this machine: from the click on "开始输出" to
// the first sample at the sink, and the CPU that a second of 1000 Hz at
// 96 kHz costs the program's process (under Wine, and Wine's server beside
// it). Both play into the same private PulseAudio sink and are driven
// through XTest on a private Xvfb, as the end-to-end tests drive them.
//
// Usage: bench_program_figures [runs]   (default 5)
// The Windows program takes part when TONEGEN_WINDOWS_PROGRAM, TONEGEN_WINE
// and WINEPREFIX name it; bench/run-all sets them when build-windows exists.

#include "child_run.h"
#include "dialog_geometry.h"
#include "private_server.h"
#include "program_under_test.h"
#include "resource.h"

#include <X11/keysym.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr unsigned kRate = 96000;
constexpr auto kPatience = 10s;
constexpr auto kPlaySeconds = 10s;

// CPU seconds a process has used so far, from /proc; NaN once it is gone.
double CpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line))
        return NAN;
    // The command name may hold spaces; the fields after it are plain.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15)
            ticks += std::stod(field);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Wine's server for the prefix, which does part of every Wine program's work.
pid_t WineServerPid()
{
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name.starts_with("wineserver"))
            return static_cast<pid_t>(std::atoi(entry.path().filename().c_str()));
    }
    return -1;
}

struct Run {
    double clickToSoundMs = NAN;
    double cpuPerSecond = NAN;
    double serverCpuPerSecond = NAN;
};

bool RunOnce(const e2e::ProgramUnderTest& program, testsupport::PulseServer& server, e2e::XSession& x,
             const std::string& dir, Run& run)
{
    e2e::AppProcess app;
    std::string error;
    e2e::Window window = e2e::kNoWindow;
    if (e2e::SetUpFor(program, x, dir, dir + "/setup.log", &error))
        window = e2e::StartCopy(program, x, app, dir, dir + "/stderr", kPatience, &error);
    e2e::DialogGeometry dialog;
    if (window == e2e::kNoWindow || !(error = dialog.Measure(x, window, program.exactDialogUnits)).empty()) {
        std::fprintf(stderr, "%s: %s\n", program.name.c_str(), error.c_str());
        app.Kill();
        e2e::CleanUpAfter(program, dir + "/cleanup.log");
        return false;
    }
    x.Focus(window);
    x.Click(dialog.Centre(IDC_RATE_96000));
    // Lets the program settle, so that the start is all that is measured.
    std::this_thread::sleep_for(500ms);

    server.StartRecording();
    const std::size_t click = server.RecordedCount();
    x.Click(dialog.Centre(IDC_START_CONTINUOUS));
    const bool heard = server.WaitForSound(kPatience);
    const auto recording = server.StopRecording();
    if (heard) {
        const auto first = std::find_if(recording.begin(), recording.end(), [](float s) { return s != 0.0f; });
        run.clickToSoundMs = 1000.0 * static_cast<double>(first - recording.begin() - click) / kRate;

        // A second in, the start's own work is over; then ten seconds of tone.
        std::this_thread::sleep_for(1s);
        const pid_t wineServer = program.cleanup.empty() ? -1 : WineServerPid();
        const double cpu0 = CpuSeconds(app.Pid());
        const double server0 = wineServer > 0 ? CpuSeconds(wineServer) : NAN;
        std::this_thread::sleep_for(kPlaySeconds);
        const double seconds = std::chrono::duration<double>(kPlaySeconds).count();
        run.cpuPerSecond = (CpuSeconds(app.Pid()) - cpu0) / seconds;
        run.serverCpuPerSecond = wineServer > 0 ? (CpuSeconds(wineServer) - server0) / seconds : NAN;
    } else {
        std::fprintf(stderr, "%s: the click played nothing\n", program.name.c_str());
    }
    x.Key(XK_Escape);
    if (!app.WaitForExit(kPatience))
        app.Kill();
    e2e::CleanUpAfter(program, dir + "/cleanup.log");
    return heard;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    std::string dir = (std::filesystem::temp_directory_path() / "tonegen-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr || mkdir((dir + "/run").c_str(), 0700) != 0) {
        std::perror("temporary directory");
        return 1;
    }
    testsupport::PulseServer server;
    if (!bench::StartPrivateServer(server, kRate))
        return 1;
    e2e::XSession x;
    std::string error;
    if (!x.Start(dir + "/xvfb.log", &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }

    std::vector<e2e::ProgramUnderTest> programs = e2e::LinuxProgram();
    for (auto& windows : e2e::WindowsProgramUnderWine()) {
        // What a user's Wine does: its own sound buffering, not the tests'.
        windows.environment.erase("PULSE_LATENCY_MSEC");
        programs.push_back(windows);
    }

    std::printf("Click on 开始输出 to the first sample at the sink, then CPU while playing 1000 Hz at %u Hz;\n"
                "private PulseAudio and Xvfb, median of %d runs\n\n",
                kRate, runs);
    std::printf("%-8s %22s %22s %22s\n", "program", "click to sound, ms", "CPU s per s of tone",
                "Wine server, CPU s/s");
    int status = 0;
    for (const auto& program : programs) {
        std::vector<Run> results;
        for (int i = 0; i < runs; ++i) {
            Run run;
            if (!RunOnce(program, server, x, dir, run))
                status = 1;
            results.push_back(run);
        }
        const auto all = [](const Run&) { return true; };
        std::printf("%-8s %22.1f %22.4f %22.4f\n", program.name.c_str(),
                    bench::Median(
                        results, [](const Run& r) { return r.clickToSoundMs; }, all),
                    bench::Median(
                        results, [](const Run& r) { return r.cpuPerSecond; }, all),
                    bench::Median(
                        results, [](const Run& r) { return r.serverCpuPerSecond; }, all));
        std::fflush(stdout);
    }
    x.Stop();
    server.Stop();
    std::filesystem::remove_all(dir);
    return status;
}
