#include "pulse_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

// Everything the child does between fork and exec must be async-signal-safe:
// the test process has other threads (our drainer, PortAudio's).
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

std::string FindTool(const char* name)
{
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        std::string p = std::string(dir) + "/" + name;
        if (access(p.c_str(), X_OK) == 0)
            return p;
    }
    return name;
}

// Waits for `pid` until `deadline`; SIGKILLs it past that. Returns the
// wait status, or -1 if it had to be killed.
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

} // namespace

PulseServer::~PulseServer()
{
    Stop();
}

std::string PulseServer::Error() const
{
    std::lock_guard<std::mutex> lock(mu_);
    return error_;
}

bool PulseServer::Fail(std::string msg)
{
    std::lock_guard<std::mutex> lock(mu_);
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
    std::string tmpl = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    tmpl += "/tonegen-pulse-XXXXXX";
    if (!mkdtemp(tmpl.data()))
        return Fail("mkdtemp: " + std::string(strerror(errno)));
    dir_ = tmpl;
    const std::string socket_path = dir_ + "/native";
    if (socket_path.size() >= sizeof(sockaddr_un{}.sun_path)) {
        return AbortStart("temp dir path too long for a unix socket: " + dir_);
    }
    std::filesystem::create_directories(dir_ + "/home");
    std::filesystem::create_directories(dir_ + "/run");
    std::ofstream(dir_ + "/client.conf") << "autospawn = no\n";

    // The daemon gets a private HOME/XDG tree so no user or earlier-run state
    // (cookie, restored volumes, default sink) leaks in. Bus addresses point
    // at nothing: with DISPLAY set, D-Bus would otherwise autolaunch a bus
    // daemon that outlives the test.
    std::vector<std::string> env;
    auto inherited = [](std::string_view kv) {
        for (std::string_view drop : {"HOME=", "XDG_", "PULSE_", "DISPLAY=", "WAYLAND_DISPLAY=", "DBUS_"})
            if (kv.substr(0, drop.size()) == drop)
                return false;
        return true;
    };
    for (char** e = environ; *e; ++e)
        if (inherited(*e))
            env.emplace_back(*e);
    env.push_back("HOME=" + dir_ + "/home");
    env.push_back("XDG_CONFIG_HOME=" + dir_ + "/home");
    env.push_back("XDG_STATE_HOME=" + dir_ + "/home");
    env.push_back("XDG_CACHE_HOME=" + dir_ + "/home");
    env.push_back("XDG_RUNTIME_DIR=" + dir_ + "/run");
    env.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir_ + "/no-bus");
    env.push_back("DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + dir_ + "/no-bus");

    // -n: no default.pa, so no hardware detection, stream/device restore or
    // suspend-on-idle. As root, pulseaudio only warns as long as --system is
    // off; realtime is declined so the test cannot starve the machine, and
    // the CPU limiter is off because sanitizer/valgrind builds are slow.
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

    int log_fd = open((dir_ + "/daemon.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log_fd < 0)
        return AbortStart("cannot create daemon log");
    pid_ = Spawn(args, env, log_fd);
    close(log_fd);
    if (pid_ < 0)
        return AbortStart("fork: " + std::string(strerror(errno)));

    ExportEnv();
    auto deadline = Clock::now() + std::chrono::seconds(5);
    bool up = false;
    while (Clock::now() < deadline && Running()) {
        if (SocketAccepts(socket_path) && Pactl({"info"})) {
            up = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!up) {
        std::ifstream log(dir_ + "/daemon.log");
        std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
        return AbortStart(std::string(Running() ? "daemon did not answer within 5 s" : "daemon exited") + "; log:\n" +
                          text);
    }

    if (pipe2(wake_pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        return AbortStart("pipe2: " + std::string(strerror(errno)));
    stop_drainer_ = false;
    drainer_ = std::thread([this] { DrainLoop(); });
    return true;
}

void PulseServer::ExportEnv()
{
    const std::pair<const char*, std::string> vars[] = {
        {"PULSE_SERVER", "unix:" + dir_ + "/native"},
        {"PULSE_CLIENTCONFIG", dir_ + "/client.conf"},
    };
    for (const auto& [name, value] : vars) {
        const char* old = std::getenv(name);
        saved_env_.push_back({name, {old != nullptr, old ? old : ""}});
        setenv(name, value.c_str(), 1);
    }
}

void PulseServer::RestoreEnv()
{
    for (const auto& [name, old] : saved_env_) {
        if (old.first)
            setenv(name.c_str(), old.second.c_str(), 1);
        else
            unsetenv(name.c_str());
    }
    saved_env_.clear();
}

void PulseServer::Kill()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGKILL);
    int status;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

void PulseServer::Stop()
{
    if (drainer_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mu_);
            stop_drainer_ = true;
        }
        [[maybe_unused]] ssize_t n = write(wake_pipe_[1], "x", 1);
        drainer_.join();
    }
    for (int& fd : wake_pipe_) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        if (Reap(pid_, Clock::now() + std::chrono::seconds(3)) == -1)
            Fail("daemon ignored SIGTERM");
        pid_ = -1;
    }
    CloseSinks();
    RestoreEnv();
    if (!dir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        dir_.clear();
    }
}

void PulseServer::CloseSinks()
{
    std::lock_guard<std::mutex> lock(mu_);
    for (auto& [rate, sink] : sinks_) {
        if (sink->read_fd >= 0)
            close(sink->read_fd);
        if (sink->write_fd >= 0)
            close(sink->write_fd);
    }
    sinks_.clear();
    current_rate_ = 0;
    recording_ = false;
}

bool PulseServer::Running() const
{
    if (pid_ <= 0)
        return false;
    siginfo_t info{};
    // WNOWAIT: only look, so Stop()/Kill() can still reap.
    if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return false;
    return info.si_pid == 0;
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

bool PulseServer::UseRate(unsigned rate)
{
    if (!Running())
        return Fail("daemon not running");
    const std::string name = "tonegen_test_" + std::to_string(rate);
    bool loaded;
    {
        std::lock_guard<std::mutex> lock(mu_);
        loaded = sinks_.count(rate) != 0;
    }
    if (!loaded) {
        const std::string fifo = dir_ + "/sink-" + std::to_string(rate) + ".fifo";
        if (mkfifo(fifo.c_str(), 0600) != 0)
            return Fail("mkfifo: " + std::string(strerror(errno)));
        auto sink = std::make_unique<Sink>();
        sink->name = name;
        sink->read_fd = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        sink->write_fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (sink->read_fd < 0 || sink->write_fd < 0) {
            if (sink->read_fd >= 0)
                close(sink->read_fd);
            if (sink->write_fd >= 0)
                close(sink->write_fd);
            return Fail("open fifo: " + std::string(strerror(errno)));
        }
        // Room for seconds of audio, so a briefly descheduled drainer never makes
        // the sink drop samples. Best effort: the kernel may cap it.
        fcntl(sink->read_fd, F_SETPIPE_SZ, 1 << 20);
        {
            std::lock_guard<std::mutex> lock(mu_);
            sinks_[rate] = std::move(sink);
        }
        [[maybe_unused]] ssize_t n = write(wake_pipe_[1], "x", 1);
        // The system clock, not the pipe's back-pressure, paces the sink: that is
        // what makes it write silence in real time while no stream plays.
        if (!Pactl({"load-module", "module-pipe-sink", "sink_name=" + name, "file=" + fifo, "format=float32le",
                    "channels=1", "rate=" + std::to_string(rate), "use_system_clock_for_timing=yes"})) {
            std::lock_guard<std::mutex> lock(mu_);
            close(sinks_[rate]->read_fd);
            close(sinks_[rate]->write_fd);
            sinks_.erase(rate);
            unlink(fifo.c_str());
            return false;
        }
    }
    if (!Pactl({"set-default-sink", name}))
        return false;
    std::lock_guard<std::mutex> lock(mu_);
    current_rate_ = rate;
    return true;
}

unsigned PulseServer::Rate() const
{
    std::lock_guard<std::mutex> lock(mu_);
    return current_rate_;
}

void PulseServer::DrainLoop()
{
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (stop_drainer_)
                return;
        }
        DrainOnce(100);
    }
}

void PulseServer::DrainOnce(int timeout_ms)
{
    std::vector<pollfd> fds;
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (wake_pipe_[0] >= 0)
            fds.push_back({wake_pipe_[0], POLLIN, 0});
        for (auto& [rate, sink] : sinks_)
            fds.push_back({sink->read_fd, POLLIN, 0});
    }
    if (poll(fds.data(), fds.size(), timeout_ms) <= 0)
        return;
    char junk[64];
    while (read(wake_pipe_[0], junk, sizeof junk) > 0) {
    }
    std::lock_guard<std::mutex> lock(mu_);
    static thread_local std::vector<unsigned char> buf(1 << 16);
    for (auto& [rate, sink] : sinks_) {
        for (;;) {
            ssize_t n = read(sink->read_fd, buf.data(), buf.size());
            if (n <= 0)
                break;
            // Keep sample alignment even for bytes we throw away.
            auto& bytes = sink->partial;
            bytes.insert(bytes.end(), buf.begin(), buf.begin() + n);
            const std::size_t whole = bytes.size() / sizeof(float);
            if (recording_ && rate == current_rate_) {
                const std::size_t old = recorded_.size();
                recorded_.resize(old + whole);
                std::memcpy(recorded_.data() + old, bytes.data(), whole * sizeof(float));
                if (!heard_)
                    heard_ = std::any_of(recorded_.begin() + static_cast<long>(old), recorded_.end(),
                                         [](float s) { return s != 0.0f; });
            }
            bytes.erase(bytes.begin(), bytes.begin() + static_cast<long>(whole * sizeof(float)));
        }
    }
    recorded_cv_.notify_all();
}

void PulseServer::StartRecording()
{
    // Discard any backlog first, so the recording starts at "now" even if the
    // drainer was descheduled for a while.
    if (drainer_.joinable())
        DrainOnce(0);
    std::lock_guard<std::mutex> lock(mu_);
    recorded_.clear();
    heard_ = false;
    recording_ = true;
}

bool PulseServer::WaitForRecorded(std::size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(mu_);
    return recorded_cv_.wait_for(lock, timeout, [&] { return recorded_.size() >= count; });
}

bool PulseServer::WaitForSound(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(mu_);
    return recorded_cv_.wait_for(lock, timeout, [&] { return heard_; });
}

std::size_t PulseServer::RecordedCount() const
{
    std::lock_guard<std::mutex> lock(mu_);
    return recorded_.size();
}

std::vector<float> PulseServer::StopRecording()
{
    // Pick up what is already sitting in the FIFO before closing the window.
    if (drainer_.joinable())
        DrainOnce(0);
    std::lock_guard<std::mutex> lock(mu_);
    recording_ = false;
    std::vector<float> out;
    out.swap(recorded_);
    return out;
}

} // namespace testsupport
