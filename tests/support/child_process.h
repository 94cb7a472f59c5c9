// The child processes of the tests and benchmarks: sound servers, X
// servers, pactl, the program under test, the tools it is measured beside.
// Each is started with exactly the environment given, keeps its output in a
// file, dies with the thread that started it, and is reaped with its
// resource usage.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `args` (args[0] a path, or a name found in PATH) with exactly
    // `env`, standard input from /dev/null, standard output and error
    // appended to `outPath`, and `passFd`, if given, as its descriptor 3.
    // The child is tied to the calling thread with PR_SET_PDEATHSIG, so that
    // a crashed test leaves nothing running: call it from a thread that
    // outlives the child. False, with *error set, when it could not start.
    bool Start(const std::vector<std::string>& args, const std::vector<std::string>& env, const std::string& outPath,
               std::string* error = nullptr, int passFd = -1);

    pid_t Pid() const { return m_pid; }
    // Not yet ended (it is not reaped by asking).
    bool Running() const;
    // The wait status once it has ended within `timeout`; nothing while it runs on.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    // Blocks until it has ended; its wait status (-1 if it never started).
    int Wait();
    // How it ended within `timeout` ("exited with status 0", "killed by
    // signal 11 (Segmentation fault)"), or "still running".
    std::string Ending(std::chrono::milliseconds timeout);
    // SIGTERM, then SIGKILL if it has not ended within `grace`.
    void Stop(std::chrono::milliseconds grace);
    // SIGKILL and reap, if it still runs.
    void Kill();

    // What it has written so far.
    std::string Output() const;
    // Its CPU time and peak memory, once reaped.
    const rusage& Usage() const { return m_usage; }

  private:
    bool Reap(int options);

    pid_t m_pid = -1;
    std::optional<int> m_status;
    rusage m_usage{};
    std::string m_outPath;
};

// A wait status in words: "exited with status 0", "killed by signal 11
// (Segmentation fault)".
std::string DescribeStatus(int status);

// User plus system time.
double CpuSeconds(const rusage& usage);
// This process's own, so far.
double CpuSeconds();

// How many threads process `pid` (this one, by default) has now.
int ThreadCount(pid_t pid = 0);

// True once a daemon listens on the Unix socket at `path`.
bool SocketAccepts(const std::string& path);

// This process's environment with `changes` made; an empty value removes
// the variable.
std::vector<std::string> Environment(const std::map<std::string, std::string>& changes = {});

// This process's environment without anything that would lead a daemon to
// the user's session (home, XDG dirs, sound servers, display, bus), plus a
// private home and XDG tree under `dir` (home/ and run/ must exist).
// Bus addresses point at nothing: with DISPLAY set, D-Bus would otherwise
// autolaunch a bus daemon that outlives the test.
std::vector<std::string> IsolatedEnvironment(const std::string& dir);

// Variables set in this process's environment, each put back as it was by
// Restore() (or on destruction): how a stack points clients at itself.
class EnvOverride {
  public:
    EnvOverride() = default;
    ~EnvOverride() { Restore(); }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

    void Set(const std::string& name, const std::string& value);
    void Restore();

  private:
    std::map<std::string, std::optional<std::string>> saved_; // each as it was before its first Set()
};

} // namespace testsupport
