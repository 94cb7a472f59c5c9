#include "app_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

extern char** environ;

namespace e2e {

namespace {
using Clock = std::chrono::steady_clock;
}

AppProcess::~AppProcess()
{
    Kill();
}

bool AppProcess::Start(const std::vector<std::string>& command, const std::map<std::string, std::string>& env,
                       const std::string& stderrPath, std::string* error)
{
    if (command.empty()) {
        *error = "nothing to start";
        return false;
    }
    m_stderrPath = stderrPath;
    m_status.reset();
    std::vector<std::string> entries;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (!env.contains(entry.substr(0, entry.find('='))))
            entries.push_back(entry);
    }
    for (const auto& [name, value] : env)
        if (!value.empty())
            entries.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& entry : entries)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = command;
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (err < 0) {
        *error = "cannot create " + stderrPath + ": " + std::strerror(errno);
        return false;
    }
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        // A test program that dies must not leave the program running.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 0);
        dup2(devnull, 1);
        dup2(err, 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(err);
    if (m_pid < 0) {
        *error = std::string("fork: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool AppProcess::Running()
{
    if (m_pid <= 0 || m_status)
        return false;
    int status;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_status = status;
        return false;
    }
    return true;
}

std::optional<int> AppProcess::WaitForExit(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (Running() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return m_status;
}

void AppProcess::Kill()
{
    if (!Running())
        return;
    kill(m_pid, SIGKILL);
    int status;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_status = status;
}

std::string AppProcess::Stderr() const
{
    std::ifstream in(m_stderrPath);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string DescribeStatus(int status)
{
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return std::string("killed by signal ") + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    return "ended with wait status " + std::to_string(status);
}

} // namespace e2e
