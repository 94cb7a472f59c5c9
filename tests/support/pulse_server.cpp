#include "pulse_server.h"

#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

} // namespace

PulseServer::~PulseServer()
{
    Stop();
}

bool PulseServer::Fail(std::string msg)
{
    error_ = std::move(msg);
    return false;
}

bool PulseServer::AbortStart(std::string msg)
{
    Stop();
    return Fail(std::move(msg));
}

bool PulseServer::Start()
{
    if (pid_ > 0 || !dir_.empty())
        Stop();
    dir_ = MakeTempDir("pulse");
    if (dir_.empty())
        return Fail("mkdtemp: " + std::string(strerror(errno)));
    if ((dir_ + "/native").size() >= sizeof(sockaddr_un{}.sun_path))
        return AbortStart("temp dir path too long for a unix socket: " + dir_);
    std::filesystem::create_directories(dir_ + "/home");
    std::filesystem::create_directories(dir_ + "/run");
    std::ofstream(dir_ + "/client.conf") << "autospawn = no\n";
    env_.Set("PULSE_SERVER", "unix:" + dir_ + "/native");
    env_.Set("PULSE_CLIENTCONFIG", dir_ + "/client.conf");
    return Launch() || AbortStart(error_);
}

bool PulseServer::Launch()
{
    // -n: no default.pa, so no hardware detection, stream/device restore or
    // suspend-on-idle. As root, pulseaudio only warns as long as --system is
    // off; realtime is declined so the test cannot starve the machine, and
    // the CPU limiter is off because sanitizer/valgrind builds are slow.
    const std::string socket_path = dir_ + "/native";
    std::vector<std::string> args = {FindTool("pulseaudio"),
                                     "-n",
                                     "--system=no",
                                     "--daemonize=no",
                                     "--fail=yes",
                                     "--use-pid-file=no",
                                     "--exit-idle-time=-1",
                                     "--realtime=no",
                                     "--high-priority=no",
                                     "--no-cpu-limit=yes",
                                     "--log-target=stderr",
                                     "--log-time=yes",
                                     "-L",
                                     "module-native-protocol-unix auth-anonymous=1 socket=" + socket_path};

    int log_fd = open((dir_ + "/daemon.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log_fd < 0)
        return Fail("cannot create daemon log");
    pid_ = Spawn(args, IsolatedEnvironment(dir_), log_fd);
    close(log_fd);
    if (pid_ < 0)
        return Fail("fork: " + std::string(strerror(errno)));

    auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < deadline && Running()) {
        if (SocketAccepts(socket_path) && Pactl({"info"}))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Fail(std::string(Running() ? "daemon did not answer within 5 s" : "daemon exited") + "; log:\n" +
                ReadFile(dir_ + "/daemon.log"));
}

bool PulseServer::Revive()
{
    if (dir_.empty())
        return Fail("server not started");
    Kill();
    unlink((dir_ + "/native").c_str());
    if (!Launch())
        return false;
    const unsigned current = Rate();
    for (const unsigned rate : rates_)
        if (!LoadSink(rate))
            return false;
    return current == 0 || UseRate(current);
}

void PulseServer::Kill()
{
    KillAndReap(pid_);
    pid_ = -1;
}

void PulseServer::Stop()
{
    CloseFifos();
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        if (Reap(pid_, Clock::now() + std::chrono::seconds(3)) == -1)
            Fail("daemon ignored SIGTERM");
        pid_ = -1;
    }
    rates_.clear();
    env_.Restore();
    RemoveTempDir(dir_);
}

bool PulseServer::Running() const
{
    return Alive(pid_);
}

bool PulseServer::Pactl(const std::vector<std::string>& args, std::string* out)
{
    if (dir_.empty())
        return Fail("server not started");
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return Fail("pipe2");
    std::vector<std::string> argv = {FindTool("pactl"), "--server=unix:" + dir_ + "/native"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    env.push_back("PULSE_CLIENTCONFIG=" + dir_ + "/client.conf");
    pid_t pid = Spawn(argv, env, fds[1]);
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return Fail("fork: " + std::string(strerror(errno)));
    }
    auto deadline = Clock::now() + std::chrono::seconds(5);
    std::string text;
    char buf[4096];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
            continue;
        ssize_t n = read(fds[0], buf, sizeof buf);
        if (n > 0)
            text.append(buf, static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(fds[0]);
    int status = Reap(pid, deadline);
    if (out)
        *out = text;
    bool ok = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok) {
        std::string cmd = "pactl";
        for (const auto& a : args)
            cmd += " " + a;
        return Fail(cmd + (status == -1 ? " timed out" : " failed") + ": " + text);
    }
    return true;
}

bool PulseServer::LoadSink(unsigned rate)
{
    // The system clock, not the pipe's back-pressure, paces the sink: that is
    // what makes it write silence in real time while no stream plays.
    const std::string fifo = dir_ + "/sink-" + std::to_string(rate) + ".fifo";
    return Pactl({"load-module", "module-pipe-sink", "sink_name=tonegen_test_" + std::to_string(rate), "file=" + fifo,
                  "format=float32le", "channels=1", "rate=" + std::to_string(rate), "use_system_clock_for_timing=yes"});
}

bool PulseServer::UseRate(unsigned rate)
{
    if (!Running())
        return Fail("daemon not running");
    if (!HasFifo(rate)) {
        std::string error;
        if (!AddFifo(rate, dir_ + "/sink-" + std::to_string(rate) + ".fifo", 0, &error))
            return Fail(error);
        if (!LoadSink(rate))
            return false;
        rates_.push_back(rate);
    }
    if (!Pactl({"set-default-sink", "tonegen_test_" + std::to_string(rate)}))
        return false;
    UseFifo(rate);
    return true;
}

} // namespace testsupport
