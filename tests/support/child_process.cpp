#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

// Everything the child does between fork and exec must be async-signal-safe:
// the test process has other threads (drainers, PortAudio's).
[[noreturn]] void ExecChild(pid_t parent, int out_fd, const char* const* argv, const char* const* envp)
{
    // Dies with the thread that forked it, so a crashed test leaves no daemon.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    int null_fd = open("/dev/null", O_RDONLY);
    if (null_fd > 0) {
        dup2(null_fd, 0);
        close(null_fd);
    }
    dup2(out_fd, 1);
    dup2(out_fd, 2);
    execve(argv[0], const_cast<char* const*>(argv), const_cast<char* const*>(envp));
    _exit(127);
}

} // namespace

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, int out_fd)
{
    std::vector<const char*> argv, envp;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);
    for (const auto& e : env)
        envp.push_back(e.c_str());
    envp.push_back(nullptr);
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0)
        ExecChild(parent, out_fd, argv.data(), envp.data());
    return pid;
}

int Reap(pid_t pid, Clock::time_point deadline)
{
    int status = 0;
    for (;;) {
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return status;
        if (r < 0 && errno != EINTR)
            return -1;
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void KillAndReap(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGKILL);
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

bool Alive(pid_t pid)
{
    if (pid <= 0)
        return false;
    siginfo_t info{};
    // WNOWAIT: only look, so the owner can still reap.
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return false;
    return info.si_pid == 0;
}

std::string FindTool(const char* name)
{
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        std::string p = std::string(dir) + "/" + name;
        if (access(p.c_str(), X_OK) == 0)
            return p;
    }
    return name;
}

bool SocketAccepts(const std::string& path)
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    close(fd);
    return ok;
}

std::vector<std::string> IsolatedEnvironment(const std::string& dir)
{
    std::vector<std::string> env;
    auto inherited = [](std::string_view kv) {
        for (std::string_view drop :
             {"HOME=", "XDG_", "PULSE_", "PIPEWIRE_", "ALSA_", "DISPLAY=", "WAYLAND_DISPLAY=", "DBUS_"})
            if (kv.substr(0, drop.size()) == drop)
                return false;
        return true;
    };
    for (char** e = environ; *e; ++e)
        if (inherited(*e))
            env.emplace_back(*e);
    env.push_back("HOME=" + dir + "/home");
    env.push_back("XDG_CONFIG_HOME=" + dir + "/home");
    env.push_back("XDG_STATE_HOME=" + dir + "/home");
    env.push_back("XDG_CACHE_HOME=" + dir + "/home");
    env.push_back("XDG_RUNTIME_DIR=" + dir + "/run");
    env.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir + "/no-bus");
    env.push_back("DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + dir + "/no-bus");
    return env;
}

std::string MakeTempDir(const std::string& what)
{
    std::string tmpl = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    tmpl += "/tonegen-" + what + "-XXXXXX";
    return mkdtemp(tmpl.data()) != nullptr ? tmpl : std::string();
}

void RemoveTempDir(std::string& dir)
{
    if (dir.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    dir.clear();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace testsupport

namespace testsupport {

void EnvOverride::Set(const std::string& name, const std::string& value)
{
    const char* old = std::getenv(name.c_str());
    saved_.push_back({name, old != nullptr, old != nullptr ? old : ""});
    setenv(name.c_str(), value.c_str(), 1);
}

void EnvOverride::Restore()
{
    // Backwards, so a variable set twice ends as it was before the first.
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->was_set)
            setenv(it->name.c_str(), it->old.c_str(), 1);
        else
            unsetenv(it->name.c_str());
    }
    saved_.clear();
}

} // namespace testsupport
