#include "program_under_test.h"

#include <cstdlib>
#include <filesystem>

namespace e2e {

namespace {
using Clock = std::chrono::steady_clock;
}

std::vector<ProgramUnderTest> LinuxProgram()
{
    ProgramUnderTest program;
    program.name = "Linux";
    program.command = {TONEGEN_EXE};
    return {program};
}

std::vector<ProgramUnderTest> WindowsProgramUnderWine()
{
    const char* program = std::getenv("TONEGEN_WINDOWS_PROGRAM");
    const char* wine = std::getenv("TONEGEN_WINE");
    const char* prefix = std::getenv("WINEPREFIX");
    if (program == nullptr || wine == nullptr || prefix == nullptr)
        return {};
    ProgramUnderTest windows;
    windows.name = "Windows";
    windows.command = {wine, program};
    windows.environment = {{"WINEPREFIX", prefix},
                           {"WINEDEBUG", "-all"},
                           {"WINEDLLOVERRIDES", "mscoree,mshtml="},
                           // Wine asks the sound server for a few tens of
                           // milliseconds of buffer, which its audio thread
                           // misses on a loaded two-core machine: the sink
                           // then hears gaps. With 100 ms, what the Linux
                           // program asks for, it plays clean with both cores
                           // busy.
                           {"PULSE_LATENCY_MSEC", "100"}};
    windows.cleanup = {(std::filesystem::path(wine).parent_path() / "wineserver").string(), "--kill"};
    windows.exactDialogUnits = false;
    windows.tolerance = 4.0f / 32768.0f;
    // Wine's wave-out path holds about a tenth of a second before the sink
    // hears the first sample, and its timers and stops run through more
    // threads, which a loaded machine delays (measured up to 0.22 s with both
    // cores busy). A restarted deadline would still be a second late.
    windows.durationTolerance = 0.25;
    windows.deadlineTolerance = 0.35;
    // Wine's winhlp32 starts and asks where the missing file is, titled so.
    windows.helpViewerTitle = "ERROR";
    return {windows};
}

Window StartCopy(const ProgramUnderTest& program, XSession& x, AppProcess& app, const std::string& dir,
                 const std::string& stderrPath, std::chrono::milliseconds patience, std::string* error)
{
    std::map<std::string, std::string> environment{{"DISPLAY", x.DisplayName()},
                                                   {"QT_QPA_PLATFORM", "xcb"},
                                                   {"WAYLAND_DISPLAY", ""},
                                                   {"XDG_RUNTIME_DIR", dir + "/run"},
                                                   // Nothing to reach: with a display and no bus, the
                                                   // D-Bus library would launch a bus that outlives us.
                                                   {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir + "/no-bus"}};
    environment.insert(program.environment.begin(), program.environment.end());
    if (!app.Start(program.command, environment, stderrPath, error))
        return kNoWindow;
    const pid_t pid = app.Pid();
    const auto isDialog = [&](Window w) { return x.Pid(w) == pid && x.Title(w).find("虚拟仪器") != std::string::npos; };
    // A copy that ends without a window says so at once: tonegen.exe whose
    // Wine desktop never became ready ends with status 0 and nothing on
    // standard error.
    const auto deadline = Clock::now() + patience;
    Window window = kNoWindow;
    while (window == kNoWindow && app.Running() && Clock::now() < deadline)
        window = x.WaitForWindow(isDialog, std::chrono::milliseconds(100));
    if (window != kNoWindow)
        return window;
    const auto status = app.WaitForExit(std::chrono::milliseconds(0));
    *error = (status ? "the program " + DescribeStatus(*status) + " before its window appeared"
                     : std::string("no window appeared")) +
             "; standard error:\n" + app.Stderr();
    return kNoWindow;
}

bool CleanUpAfter(const ProgramUnderTest& program, const std::string& logPath)
{
    if (program.cleanup.empty())
        return true;
    AppProcess cleanup;
    std::string error;
    if (!cleanup.Start(program.cleanup, {}, logPath, &error))
        return false;
    const auto status = cleanup.WaitForExit(std::chrono::seconds(10));
    return status.has_value() && *status == 0;
}

} // namespace e2e
