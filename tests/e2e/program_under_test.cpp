#include "program_under_test.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

namespace e2e {

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
    // Wine's wave-out path, its timers and its stops run through more
    // threads than the Linux program's, which a loaded machine delays: with
    // both cores busy, timed tones were seen up to a few tenths of a second
    // off. A restarted deadline would still be a second late.
    windows.durationTolerance = 0.25;
    windows.deadlineTolerance = 0.35;
    // Wine's winhlp32 starts and asks where the missing file is, titled so.
    windows.helpViewerTitle = "ERROR";
    return {windows};
}

Window StartCopy(const ProgramUnderTest& program, XSession& x, testsupport::ChildProcess& app, const std::string& dir,
                 const std::string& stderrPath, std::chrono::milliseconds patience, std::string* error)
{
    std::map<std::string, std::string> environment{{"DISPLAY", x.DisplayName()},
                                                   {"QT_QPA_PLATFORM", "xcb"},
                                                   {"WAYLAND_DISPLAY", ""},
                                                   {"XDG_RUNTIME_DIR", dir + "/run"},
                                                   // Nothing to reach: with a display and no bus, the
                                                   // D-Bus library would launch a bus that outlives us.
                                                   {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir + "/no-bus"}};
    for (const auto& [name, value] : program.environment)
        environment[name] = value;
    // Qt insists on a private runtime directory and complains about any other.
    mkdir((dir + "/run").c_str(), 0700);
    if (!app.Start(program.command, testsupport::Environment(environment), stderrPath, error))
        return kNoWindow;
    const pid_t pid = app.Pid();
    const Window window = x.WaitForWindow(
        [&](Window w) { return x.Pid(w) == pid && x.Title(w).find("虚拟仪器") != std::string::npos; }, patience);
    if (window == kNoWindow)
        *error = "no window appeared; standard error:\n" + app.Output();
    return window;
}

bool CleanUpAfter(const ProgramUnderTest& program, const std::string& logPath)
{
    if (program.cleanup.empty())
        return true;
    testsupport::ChildProcess cleanup;
    if (!cleanup.Start(program.cleanup, testsupport::Environment(), logPath))
        return false;
    return cleanup.Ending(std::chrono::seconds(10)) == "exited with status 0";
}

} // namespace e2e
