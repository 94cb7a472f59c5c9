// Plumbing shared by the private sound stacks: starting daemons that cannot
// outlive the test, reaping them, finding tools and waiting for sockets.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace testsupport {

// Starts argv[0] with exactly `env`, stdin from /dev/null and stdout+stderr
// into `out_fd`. The child is tied to the calling thread with
// PR_SET_PDEATHSIG, so call it from a thread that outlives the child.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, int out_fd);

// Waits for `pid` until `deadline`; SIGKILLs it past that. Returns the
// wait status, or -1 if it had to be killed.
int Reap(pid_t pid, std::chrono::steady_clock::time_point deadline);

// SIGKILLs and reaps; does nothing for pid <= 0.
void KillAndReap(pid_t pid);

// True while `pid` has not exited (without reaping it).
bool Alive(pid_t pid);

// The absolute path of a tool in the usual bin directories, else `name`.
std::string FindTool(const char* name);

bool SocketAccepts(const std::string& path);

// This process's environment without anything that would lead a daemon to
// the user's session (home, XDG dirs, sound servers, display, bus), plus a
// private home and XDG tree under `dir` (home/ and run/ must exist).
// Bus addresses point at nothing: with DISPLAY set, D-Bus would otherwise
// autolaunch a bus daemon that outlives the test.
std::vector<std::string> IsolatedEnvironment(const std::string& dir);

// A fresh directory under TMPDIR (or /tmp) named after `what`; empty on
// failure.
std::string MakeTempDir(const std::string& what);
// Removes `dir` and all in it, if it is set, and clears it.
void RemoveTempDir(std::string& dir);

// The whole of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

} // namespace testsupport

namespace testsupport {

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
    struct Saved {
        std::string name;
        bool was_set;
        std::string old;
    };
    std::vector<Saved> saved_;
};

} // namespace testsupport
