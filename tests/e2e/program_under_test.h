#pragma once

// The programs the end-to-end cases drive: the Linux build as it is, and the
// Windows build under Wine. What the cases need to know about the
// difference between the two is here, and nowhere else.

#include "child_process.h"
#include "x_session.h"

#include <chrono>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

struct ProgramUnderTest {
    // Names the cases run against this program.
    std::string name;
    // The launcher, if any, then the program.
    std::vector<std::string> command;
    // Added to the environment of each copy, over what StartCopy sets.
    std::map<std::string, std::string> environment;
    // Run in turn before a case's first copy starts, on the case's X server
    // and each to a clean exit. Wine's first program in a prefix boots a
    // session (services, devices, the desktop process) and waits for it,
    // seconds under load; a program whose desktop is not ready within
    // Wine's ten seconds ends at once with status 0 and nothing on standard
    // error. Booted beforehand, a copy's start is the program's own.
    std::vector<std::vector<std::string>> setup;
    // Run after each case, once the program has ended, to a clean exit:
    // Wine's session would outlive its programs and keep the case's X server
    // in use, and the next case must find none.
    std::vector<std::string> cleanup;
    // The Linux dialog lays out at exactly two pixels per dialog unit. Under
    // Wine the substitute font decides the unit, so clicks are placed from
    // the window's size.
    bool exactDialogUnits = true;
    // How far a recorded sample may be from the table: nothing for the float
    // path; a few 16-bit steps where the platform's wave-out path converts to
    // 16 bits with dither.
    float tolerance = 0.0f;
    // Whether the program pastes from a clipboard of the platform's own,
    // into which the X clipboard is copied when it changes hands (Wine's, by
    // its desktop process, in its own time): a paste before that gets what
    // the clipboard held before.
    bool clipboardCopied = false;
    // The longest run of silence, in seconds, that the sound server may hear
    // inside a tone, after which the tone carries on where it stopped; any
    // longer is a stop. Wine's audio thread runs at normal priority, and with
    // both cores busy it falls behind the sink now and then.
    double insertedSilence = 0.0;
    // How far a timed tone's end heard at the sink may be from its deadline,
    // counted from the click. A busy machine delays the program's timer (seen
    // 0.07 s late on Linux with both cores loaded), and clicks are dated by
    // sink blocks. Generous: a deadline gone wrong is off by a second or
    // more; how close a timed tone comes to its duration is a case of its own.
    double deadlineTolerance = 0.35;
    // How soon after a second timed start the tone is heard again from its
    // first sample.
    double restartSeconds = 0.5;
    // Empty where no viewer for the classic help files exists (Linux) and F1
    // ends in the program's own report that help cannot start; otherwise the
    // title of the window in which the platform's viewer reports that no
    // help file lies beside the program.
    std::string helpViewerTitle;
};

// Names the program in test output.
inline void PrintTo(const ProgramUnderTest& program, std::ostream* out)
{
    *out << program.name;
}

// The Linux build of this tree.
std::vector<ProgramUnderTest> LinuxProgram();

// tonegen.exe under Wine, when TONEGEN_WINDOWS_PROGRAM names it (the Windows
// build's tests set it, with WINEPREFIX and TONEGEN_WINE); otherwise none.
std::vector<ProgramUnderTest> WindowsProgramUnderWine();

// Runs the program's setup, if it has one, on `x` with `dir` for private
// files and the output in `logPath`; false, with *error set, if that did
// not end well.
bool SetUpFor(const ProgramUnderTest& program, XSession& x, const std::string& dir, const std::string& logPath,
              std::string* error);

// Starts a copy of `program` on `x` with `dir` for its private files (its
// runtime directory is dir/run) and its standard error in `stderrPath`, and
// waits up to `patience` for its dialog. kNoWindow, with *error set, when
// none appeared or the copy ended first.
Window StartCopy(const ProgramUnderTest& program, XSession& x, testsupport::ChildProcess& app, const std::string& dir,
                 const std::string& stderrPath, std::chrono::milliseconds patience, std::string* error);

// Runs the program's cleanup, if it has one; false if that did not end well.
bool CleanUpAfter(const ProgramUnderTest& program, const std::string& logPath);

} // namespace e2e
