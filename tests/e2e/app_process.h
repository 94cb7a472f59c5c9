#pragma once

// The program under test as a child process: started with an environment
// of our choosing, its standard error kept in a file, its end observed.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

class AppProcess {
  public:
    AppProcess() = default;
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    // Starts `command` (a program and its arguments) with this process's
    // environment, changed by `env` (an empty value removes the variable);
    // standard output is dropped and standard error goes to `stderrPath`.
    bool Start(const std::vector<std::string>& command, const std::map<std::string, std::string>& env,
               const std::string& stderrPath, std::string* error);

    pid_t Pid() const { return m_pid; }
    bool Running();
    // The wait status once the process has ended within `timeout`.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
    // SIGKILL and reap, if it still runs.
    void Kill();

    // What the process wrote to standard error so far.
    std::string Stderr() const;

  private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
    std::string m_stderrPath;
};

// "exited with status 0", "killed by signal 11", ...
std::string DescribeStatus(int status);

} // namespace e2e
