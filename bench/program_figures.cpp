// The whole program as a user meets it, driven through XTest on a private
// Xvfb as the end-to-end tests drive it, into a private stack of one route
// (see sound_route.h): the Linux build, and on PulseAudio tonegen.exe under
// Wine beside it. For each program, medians over several runs of:
//
// - the click on "开始输出" to the first sample at the sink, by the clock:
//   from the XTest click to the moment the recorder receives the sample;
// - the CPU that a second of 1000 Hz costs the program's process, over ten
//   seconds from a second into the tone (under Wine, and Wine's server
//   beside it);
// - how long timed tones of 1 s and 5 s sound at the sink. Their deadline
//   runs from the click, so every millisecond the start takes before the
//   first sample is heard is cut from them; each starts after a stop, so the
//   audio library is initialised again, as for any start but the first.
//
// Under Wine the same CPU figure is taken, in the same run, of a minimal
// wave-out player (bench_waveout_tone.exe, 16-bit, four 20 ms buffers):
// what Wine itself charges for wave-out at that rate.
//
// Usage: bench_program_figures [runs [route [rate]]]   (default 5 pulseaudio 96000; rate 22050 or 96000)
// The Windows program takes part when TONEGEN_WINDOWS_PROGRAM, TONEGEN_WINE
// and WINEPREFIX name it, and the player when TONEGEN_WAVEOUT_PLAYER does;
// bench/run-all sets them when build-windows has them.

#include "dialog_geometry.h"
#include "median.h"
#include "program_under_test.h"
#include "resource.h"
#include "sound_route.h"

#include "recording_check.h"

#include <X11/keysym.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = 10s;
constexpr auto kPlaySeconds = 10s;
constexpr int kTimedSeconds[] = {1, 5};

// CPU seconds the threads of a process have run so far, to the nanosecond,
// from the scheduler's own account in /proc; NaN once the process is gone.
// Threads that have ended are not counted, which does not matter for a
// process in the middle of playing.
double CpuSeconds(pid_t pid)
{
    std::error_code ec;
    double seconds = 0;
    bool any = false;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream in(task.path() / "schedstat");
        double ns = 0;
        if (in >> ns) {
            seconds += ns / 1e9;
            any = true;
        }
    }
    return any ? seconds : NAN;
}

// The Wine server of `prefix`, which does part of every Wine program's work
// there; other prefixes may have servers of their own on the same machine.
pid_t WineServerPid(const std::string& prefix)
{
    const std::string wanted = "WINEPREFIX=" + prefix;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        if (!std::getline(comm, name) || !name.starts_with("wineserver"))
            continue;
        std::ifstream environ(entry.path() / "environ");
        for (std::string variable; std::getline(environ, variable, '\0');)
            if (variable == wanted)
                return static_cast<pid_t>(std::atoi(entry.path().filename().c_str()));
    }
    return -1;
}

struct Cpu {
    double process = NAN; // CPU seconds per second of tone
    double server = NAN;  // the same for Wine's server, under Wine
};

// Ten seconds of a process that has played for a second, when the start's
// own work is over; under Wine, its server's too.
Cpu MeasureCpu(pid_t pid, const e2e::ProgramUnderTest& program)
{
    std::this_thread::sleep_for(1s);
    const auto prefix = program.environment.find("WINEPREFIX");
    const pid_t wineServer = prefix == program.environment.end() ? -1 : WineServerPid(prefix->second);
    const double cpu0 = CpuSeconds(pid);
    const double server0 = CpuSeconds(wineServer);
    std::this_thread::sleep_for(kPlaySeconds);
    const double seconds = std::chrono::duration<double>(kPlaySeconds).count();
    return {(CpuSeconds(pid) - cpu0) / seconds, (CpuSeconds(wineServer) - server0) / seconds};
}

struct Run {
    double clickToSoundMs = NAN;
    Cpu cpu;
    double timedSeconds[std::size(kTimedSeconds)] = {NAN, NAN};
    Cpu playerCpu; // the wave-out player's, under Wine
};

bool RunProgram(const e2e::ProgramUnderTest& program, testsupport::SinkRecorder& sink, unsigned rate, e2e::XSession& x,
                const std::string& dir, Run& run)
{
    testsupport::ChildProcess app;
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
    if (rate == 96000)
        x.Click(dialog.Centre(IDC_RATE_96000));
    // Lets the program settle, so that the start is all that is measured.
    std::this_thread::sleep_for(500ms);

    sink.StartRecording();
    const auto click = Clock::now();
    x.Click(dialog.Centre(IDC_START_CONTINUOUS));
    bool heard = sink.WaitForSound(kPatience);
    if (heard) {
        run.clickToSoundMs = std::chrono::duration<double, std::milli>(Clock::now() - click).count();
        run.cpu = MeasureCpu(app.Pid(), program);
    }
    x.Click(dialog.Centre(IDC_STOP));
    sink.StopRecording();

    for (std::size_t i = 0; heard && i < std::size(kTimedSeconds); ++i) {
        e2e::Retype(x, dialog, IDC_DURATION, std::to_string(kTimedSeconds[i]));
        std::this_thread::sleep_for(300ms);
        sink.StartRecording();
        x.Click(dialog.Centre(IDC_START_TIMED));
        heard = sink.WaitForSound(kPatience);
        std::this_thread::sleep_for(std::chrono::seconds(kTimedSeconds[i]) + 600ms);
        const testsupport::ToneSpan tone = testsupport::FindTone(sink.StopRecording());
        if (heard && tone.found)
            run.timedSeconds[i] = static_cast<double>(tone.end - tone.begin) / rate;
    }
    if (!heard)
        std::fprintf(stderr, "%s: a click played nothing\n", program.name.c_str());
    x.Key(XK_Escape);
    if (!app.WaitForExit(kPatience))
        app.Kill();
    e2e::CleanUpAfter(program, dir + "/cleanup.log");
    return heard;
}

// The wave-out player under the Windows program's own Wine, playing until
// it has been measured.
bool RunPlayer(const e2e::ProgramUnderTest& windows, const std::string& player, testsupport::SinkRecorder& sink,
               unsigned rate, const e2e::XSession& x, const std::string& dir, Run& run)
{
    auto environment = windows.environment;
    environment["DISPLAY"] = x.DisplayName();
    testsupport::ChildProcess app;
    std::string error;
    sink.StartRecording();
    const bool heard = app.Start({windows.command.front(), player, "30", std::to_string(rate)},
                                 testsupport::Environment(environment), dir + "/player-stderr", &error) &&
                       sink.WaitForSound(kPatience);
    sink.StopRecording();
    if (heard)
        run.playerCpu = MeasureCpu(app.Pid(), windows);
    else
        std::fprintf(stderr, "the wave-out player played nothing: %s%s\n", error.c_str(), app.Output().c_str());
    app.Kill();
    e2e::CleanUpAfter(windows, dir + "/cleanup.log");
    return heard;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string routeName = argc > 2 ? argv[2] : "pulseaudio";
    const unsigned rate = argc > 3 ? static_cast<unsigned>(std::atol(argv[3])) : 96000u;
    if (rate != 22050 && rate != 96000) {
        std::fprintf(stderr, "usage: %s [runs [route [rate: 22050 or 96000]]]\n", argv[0]);
        return 2;
    }

    bench::SoundRoute route;
    if (!route.Start(routeName, rate))
        return 1;
    const std::string dir = route.Dir();
    e2e::XSession x;
    std::string error = "cannot make " + dir + "/run";
    // Qt insists on a private runtime directory.
    if (mkdir((dir + "/run").c_str(), 0700) != 0 || !x.Start(dir + "/xvfb.log", &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }

    std::vector<e2e::ProgramUnderTest> programs = e2e::LinuxProgram();
    // Wine plays through PulseAudio only.
    if (routeName == "pulseaudio")
        for (auto& windows : e2e::WindowsProgramUnderWine()) {
            // What a user's Wine does: its own sound buffering, not the tests'.
            windows.environment.erase("PULSE_LATENCY_MSEC");
            programs.push_back(windows);
        }
    const char* player = std::getenv("TONEGEN_WAVEOUT_PLAYER");

    std::printf("The program at %u Hz, route %s, private Xvfb, median of %d runs\n\n", rate, routeName.c_str(), runs);
    std::printf("%-8s %14s %14s %14s %14s %14s\n", "program", "click>sound ms", "CPU ms/s", "Wine server", "timed 1 s",
                "timed 5 s");
    int status = 0;
    for (const auto& program : programs) {
        const bool underWine = !program.cleanup.empty();
        std::vector<Run> results;
        const auto median = [&results](auto field) { return bench::Median(results, field); };
        for (int i = 0; i < runs; ++i) {
            Run run;
            if (!RunProgram(program, route.Sink(), rate, x, dir, run) ||
                (underWine && player != nullptr && !RunPlayer(program, player, route.Sink(), rate, x, dir, run)))
                status = 1;
            std::printf("%-8s %14.1f %14.2f %14.2f %14.4f %14.4f   run %d%s\n", program.name.c_str(),
                        run.clickToSoundMs, run.cpu.process * 1000, run.cpu.server * 1000, run.timedSeconds[0],
                        run.timedSeconds[1], i + 1,
                        underWine && player != nullptr
                            ? (", wave-out player " + std::to_string(run.playerCpu.process * 1000) + " ms/s").c_str()
                            : "");
            results.push_back(run);
        }
        std::printf("%-8s %14.1f %14.2f %14.2f %14.4f %14.4f   median\n", program.name.c_str(),
                    median([](const Run& r) { return r.clickToSoundMs; }),
                    median([](const Run& r) { return r.cpu.process * 1000; }),
                    median([](const Run& r) { return r.cpu.server * 1000; }),
                    median([](const Run& r) { return r.timedSeconds[0]; }),
                    median([](const Run& r) { return r.timedSeconds[1]; }));
        if (underWine && player != nullptr) {
            const double ours = median([](const Run& r) { return r.cpu.process; });
            const double theirs = median([](const Run& r) { return r.playerCpu.process; });
            std::printf("%-8s %14s %14.2f %14.2f   (wave-out player; tonegen.exe / player: %.2fx, with the server "
                        "%.2fx)\n",
                        "waveout", "", theirs * 1000, median([](const Run& r) { return r.playerCpu.server * 1000; }),
                        ours / theirs,
                        median([](const Run& r) { return r.cpu.process + r.cpu.server; }) /
                            median([](const Run& r) { return r.playerCpu.process + r.playerCpu.server; }));
        }
        std::fflush(stdout);
    }
    x.Stop();
    return status;
}
