#include "program_under_test.h"

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
    // Wine's wave-out path holds about a tenth of a second before the sink
    // hears the first sample.
    windows.durationTolerance = 0.25;
    // Wine's winhlp32 starts and asks where the missing file is, titled so.
    windows.helpViewerTitle = "ERROR";
    return {windows};
}

} // namespace e2e
