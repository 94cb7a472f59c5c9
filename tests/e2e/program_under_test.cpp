#include "program_under_test.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

namespace e2e {

namespace {

// Wine's boot of a session and its desktop took 1 to 5 s with both cores of
// a two-core machine busy, and its end under a second; a minute is room for
// a machine many times slower. wineserver --kill itself gives a server
// 10.5 s to end before it sends SIGKILL.
constexpr auto kSetUpPatience = std::chrono::seconds(60);
constexpr auto kCleanUpPatience = std::chrono::seconds(30);

std::map<std::string, std::string> Environment(const ProgramUnderTest& program, XSession& x, const std::string& dir)
{
    // The program's own first: insert keeps what is there.
    std::map<std::string, std::string> environment = program.environment;
    environment.insert({{"DISPLAY", x.DisplayName()},
                        {"QT_QPA_PLATFORM", "xcb"},
                        {"WAYLAND_DISPLAY", ""},
                        {"XDG_RUNTIME_DIR", dir + "/run"},
                        // Nothing to reach: with a display and no bus, the
                        // D-Bus library would launch a bus that outlives us.
                        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir + "/no-bus"}});
    return environment;
}

// Runs `command` to its end, its standard error into `logPath`; false, with
// *error set, unless it exits with status 0 within `patience`.
bool Run(const std::vector<std::string>& command, const std::map<std::string, std::string>& environment,
         const std::string& logPath, std::chrono::milliseconds patience, std::string* error)
{
    testsupport::ChildProcess process;
    if (!process.Start(command, testsupport::Environment(environment), logPath, error))
        return false;
    const std::string ending = process.Ending(patience);
    if (ending == "exited with status 0")
        return true;
    std::string line;
    for (const auto& word : command)
        line += (line.empty() ? "" : " ") + word;
    *error = line + ": " + ending + "; standard error:\n" + process.Output();
    return false;
}

} // namespace

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
    // More overrides for Wine's loader, as the planting test asks for.
    const char* overrides = std::getenv("TONEGEN_WINEDLLOVERRIDES");
    ProgramUnderTest windows;
    windows.name = "Windows";
    windows.command = {wine, program};
    windows.environment = {{"WINEPREFIX", prefix},
                           {"WINEDEBUG", "-all"},
                           {"WINEDLLOVERRIDES", std::string("mscoree,mshtml=") +
                                                    (overrides != nullptr ? std::string(";") + overrides : "")},
                           // Wine asks the sound server for a few tens of
                           // milliseconds of buffer, which its audio thread
                           // misses on a loaded two-core machine: the sink
                           // then hears gaps. With 100 ms, what the Linux
                           // program asks for, there are fewer, though with
                           // both cores busy still some (insertedSilence).
                           {"PULSE_LATENCY_MSEC", "100"}};
    const std::string server = (std::filesystem::path(wine).parent_path() / "wineserver").string();
    windows.setup = {// A server that keeps the session between its boot and
                     // the copies (Debian's ends as soon as its last program
                     // has); should this test program die, it goes by itself
                     // a minute after the last copy.
                     {server, "--persistent=60"},
                     // Boots the session and asks for its desktop, which
                     // starts Wine's desktop process and waits until that is
                     // ready.
                     {wine, "rundll32.exe", "user32.dll,GetDesktopWindow"}};
    // Ends the session, if one is left, and waits until its server has gone.
    windows.cleanup = {"/bin/sh", "-c", "\"$0\" --kill; exec \"$0\" --wait", server};
    windows.exactDialogUnits = false;
    windows.tolerance = 4.0f / 32768.0f;
    windows.clipboardCopied = true;
    // Measured at 30 to 200 ms with the machine four to five times
    // oversubscribed (a load of 8 to 10 on two cores).
    windows.insertedSilence = 0.4;
    // Wine's timers, stops and restarts run through more threads than the
    // Linux program's, which a loaded machine delays. With the machine five
    // times oversubscribed, deadlines ended up to 0.45 s late, restarts were
    // heard up to 0.68 s after the click. A restarted deadline would still be
    // a second off.
    windows.deadlineTolerance = 0.5;
    windows.restartSeconds = 1.0;
    // Wine's winhlp32 starts and asks where the missing file is, titled so.
    windows.helpViewerTitle = "ERROR";
    return {windows};
}

bool SetUpFor(const ProgramUnderTest& program, XSession& x, const std::string& dir, const std::string& logPath,
              std::string* error)
{
    const auto environment = Environment(program, x, dir);
    for (const auto& command : program.setup)
        if (!Run(command, environment, logPath, kSetUpPatience, error))
            return false;
    return true;
}

Window StartCopy(const ProgramUnderTest& program, XSession& x, testsupport::ChildProcess& app, const std::string& dir,
                 const std::string& stderrPath, std::chrono::milliseconds patience, std::string* error)
{
    // Qt insists on a private runtime directory and complains about any other.
    mkdir((dir + "/run").c_str(), 0700);
    if (!app.Start(program.command, testsupport::Environment(Environment(program, x, dir)), stderrPath, error))
        return kNoWindow;
    const pid_t pid = app.Pid();
    const auto isDialog = [&](Window w) { return x.Pid(w) == pid && x.Title(w).find("虚拟仪器") != std::string::npos; };
    // A copy that ends without a window says so at once: tonegen.exe whose
    // Wine desktop never became ready ends with status 0 and nothing on
    // standard error.
    const auto deadline = std::chrono::steady_clock::now() + patience;
    Window window = kNoWindow;
    while (window == kNoWindow && app.Running() && std::chrono::steady_clock::now() < deadline)
        window = x.WaitForWindow(isDialog, std::chrono::milliseconds(100));
    if (window != kNoWindow)
        return window;
    *error = "no window appeared, the program " + app.Ending(std::chrono::milliseconds(0)) + "; standard error:\n" +
             app.Output();
    return kNoWindow;
}

bool CleanUpAfter(const ProgramUnderTest& program, const std::string& logPath)
{
    std::string error;
    return program.cleanup.empty() || Run(program.cleanup, program.environment, logPath, kCleanUpPatience, &error);
}

} // namespace e2e
