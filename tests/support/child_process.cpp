#include "child_process.h"

#include "files.h"
#include "wait_until.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string_view>

extern char** environ;

namespace testsupport {
namespace {

// The first executable `name` along PATH; `name` itself when it holds a
// slash or is found nowhere. Looked up before fork, as the child may not.
std::string FindProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    std::string_view dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!dirs.empty()) {
        const std::size_t colon = std::min(dirs.find(':'), dirs.size());
        const std::string candidate = std::string(dirs.substr(0, colon)) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        dirs.remove_prefix(std::min(colon + 1, dirs.size()));
    }
    return name;
}

std::vector<char*> Pointers(const std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (const auto& s : strings)
        pointers.push_back(const_cast<char*>(s.c_str())); // exec writes none of them
    pointers.push_back(nullptr);
    return pointers;
}

// Everything between fork and exec must be async-signal-safe: the parent
// has other threads (recorders, PortAudio's), one of which may hold the
// allocator's lock at the moment of the fork.
[[noreturn]] void ExecChild(pid_t parent, int outFd, int passFd, char* const* argv, char* const* envp)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int devnull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    dup2(devnull, 0);
    dup2(outFd, 1);
    dup2(outFd, 2);
    // dup2 onto itself would leave close-on-exec set.
    if (passFd == 3)
        fcntl(3, F_SETFD, 0);
    else if (passFd >= 0)
        dup2(passFd, 3);
    execve(argv[0], argv, envp);
    _exit(127);
}

} // namespace

bool ChildProcess::Start(const std::vector<std::string>& args, const std::vector<std::string>& env,
                         const std::string& outPath, std::string* error, int passFd)
{
    Kill();
    m_pid = -1;
    m_status.reset();
    m_usage = {};
    m_outPath = outPath;
    const auto fail = [&](const std::string& why) {
        if (error != nullptr)
            *error = why + ": " + std::strerror(errno);
        return false;
    };
    if (args.empty()) {
        errno = EINVAL;
        return fail("nothing to start");
    }
    std::vector<std::string> argStrings = args;
    argStrings[0] = FindProgram(args[0]);
    const std::vector<char*> argv = Pointers(argStrings);
    const std::vector<char*> envp = Pointers(env);
    const int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (outFd < 0)
        return fail("cannot open " + outPath);
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0)
        ExecChild(parent, outFd, passFd, argv.data(), envp.data());
    close(outFd);
    return m_pid > 0 || fail("fork");
}

bool ChildProcess::Reap(int options)
{
    int status = 0;
    pid_t reaped;
    while ((reaped = wait4(m_pid, &status, options, &m_usage)) < 0 && errno == EINTR) {
    }
    if (reaped != m_pid)
        return false;
    m_status = status;
    return true;
}

bool ChildProcess::Running() const
{
    if (m_pid <= 0 || m_status)
        return false;
    siginfo_t info{};
    // WNOWAIT: only look, so that the status is still there to reap.
    return waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds timeout)
{
    if (m_pid > 0 && !m_status)
        WaitUntil([this] { return Reap(WNOHANG); }, timeout);
    return m_status;
}

std::string ChildProcess::Ending(std::chrono::milliseconds timeout)
{
    const auto status = WaitForExit(timeout);
    return status ? DescribeStatus(*status) : "still running";
}

std::string DescribeStatus(int status)
{
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) + ")";
    return "ended with wait status " + std::to_string(status);
}

int ChildProcess::Wait()
{
    if (m_pid > 0 && !m_status)
        Reap(0);
    return m_status.value_or(-1);
}

void ChildProcess::Stop(std::chrono::milliseconds grace)
{
    if (Running() && kill(m_pid, SIGTERM) == 0)
        WaitForExit(grace);
    Kill();
}

void ChildProcess::Kill()
{
    if (m_pid <= 0 || m_status)
        return;
    kill(m_pid, SIGKILL);
    Wait();
}

std::string ChildProcess::Output() const
{
    return ReadFile(m_outPath);
}

double CpuSeconds(const rusage& usage)
{
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return CpuSeconds(usage);
}

int ThreadCount(pid_t pid)
{
    const std::string tasks = "/proc/" + (pid > 0 ? std::to_string(pid) : "self") + "/task";
    std::error_code ec;
    const auto entries = std::filesystem::directory_iterator(tasks, ec);
    return ec ? 0 : static_cast<int>(std::distance(std::filesystem::begin(entries), std::filesystem::end(entries)));
}

bool SocketAccepts(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::strcpy(address.sun_path, path.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool accepted = fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        close(fd);
    return accepted;
}

std::vector<std::string> Environment(const std::map<std::string, std::string>& changes)
{
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (!changes.contains(entry.substr(0, entry.find('='))))
            env.push_back(entry);
    }
    for (const auto& [name, value] : changes)
        if (!value.empty())
            env.push_back(name + "=" + value);
    return env;
}

std::vector<std::string> IsolatedEnvironment(const std::string& dir)
{
    std::vector<std::string> env;
    const auto inherited = [](std::string_view kv) {
        for (std::string_view drop :
             {"HOME=", "XDG_", "PULSE_", "PIPEWIRE_", "ALSA_", "DISPLAY=", "WAYLAND_DISPLAY=", "DBUS_"})
            if (kv.starts_with(drop))
                return false;
        return true;
    };
    for (char** e = environ; *e != nullptr; ++e)
        if (inherited(*e))
            env.emplace_back(*e);
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        env.push_back(std::string(var) + "=" + dir + "/home");
    env.push_back("XDG_RUNTIME_DIR=" + dir + "/run");
    env.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir + "/no-bus");
    env.push_back("DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + dir + "/no-bus");
    return env;
}

void EnvOverride::Set(const std::string& name, const std::string& value)
{
    const char* old = std::getenv(name.c_str());
    saved_.try_emplace(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
    setenv(name.c_str(), value.c_str(), 1);
}

void EnvOverride::Restore()
{
    for (const auto& [name, old] : saved_) {
        if (old)
            setenv(name.c_str(), old->c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    saved_.clear();
}

} // namespace testsupport
