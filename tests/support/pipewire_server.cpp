#include "pipewire_server.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

const char* const kSink = "tonegen_test_sink";

void WriteGraphConfig(const std::string& dir, unsigned rate)
{
    const std::string conf = dir + "/home/pipewire/pipewire.conf.d";
    std::filesystem::create_directories(conf);
    const std::string r = std::to_string(rate);
    std::ofstream(conf + "/50-tonegen-test.conf")
        << "context.properties = {\n"
           "    default.clock.rate = "
        << r << "\n    default.clock.allowed-rates = [ " << r
        << " ]\n}\n"
           "context.modules = [\n"
           "    { name = libpipewire-module-pipe-tunnel\n"
           "      args = {\n"
           "          tunnel.mode = sink\n"
           "          pipe.filename = \""
        << dir << "/sink.fifo\"\n          audio.format = F32LE\n          audio.rate = " << r
        << "\n          audio.channels = 1\n          audio.position = [ MONO ]\n"
           "          stream.props = { node.name = "
        << kSink << " }\n      }\n    }\n]\n";
}

// Only the PipeWire pcm exists: no pulse hook, no cards, as on a desktop
// whose ALSA default is PipeWire's plugin.
void WriteAlsaConfig(const std::string& dir)
{
    const std::string root = TONEGEN_PIPEWIRE_ALSA_DIR;
    const std::string lib = TONEGEN_PIPEWIRE_ALSA_LIB;
    std::ofstream(dir + "/asound.conf") << "pcm_type.pipewire { lib \"" << lib
                                        << "/libasound_module_pcm_pipewire.so\" }\n"
                                           "ctl_type.pipewire { lib \""
                                        << lib << "/libasound_module_ctl_pipewire.so\" }\n<" << root
                                        << "/usr/share/alsa/alsa.conf.d/50-pipewire.conf>\n<" << root
                                        << "/usr/share/alsa/alsa.conf.d/99-pipewire-default.conf>\n";
}

} // namespace

PipeWireServer::~PipeWireServer()
{
    Stop();
}

bool PipeWireServer::Fail(std::string msg)
{
    error_ = std::move(msg);
    return false;
}

bool PipeWireServer::Start(Route route, unsigned rate)
{
    Stop();
    dir_ = MakeTempDir("pipewire");
    if (dir_.empty())
        return Fail("mkdtemp: " + std::string(strerror(errno)));
    rate_ = rate;
    std::filesystem::create_directories(dir_ + "/home");
    std::filesystem::create_directories(dir_ + "/run");
    std::ofstream(dir_ + "/client.conf") << "autospawn = no\n";
    WriteGraphConfig(dir_, rate);
    std::string error;
    if (!AddFifo(rate, dir_ + "/sink.fifo", 0, &error)) {
        Stop();
        return Fail(error);
    }
    UseFifo(rate);
    if (route == Route::AlsaPlugin) {
        WriteAlsaConfig(dir_);
        env_.Set("ALSA_CONFIG_PATH", dir_ + "/asound.conf");
        env_.Set("PIPEWIRE_RUNTIME_DIR", dir_ + "/run");
    } else {
        env_.Set("PULSE_SERVER", "unix:" + dir_ + "/run/pulse/native");
        env_.Set("PULSE_CLIENTCONFIG", dir_ + "/client.conf");
    }
    if (!Launch()) {
        const std::string why = error_;
        Stop();
        return Fail(why);
    }
    return true;
}

bool PipeWireServer::Launch()
{
    const int log_fd = open((dir_ + "/daemons.log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (log_fd < 0)
        return Fail("cannot create the daemons' log");
    std::vector<std::string> env = IsolatedEnvironment(dir_);
    const std::string bus = "unix:path=" + dir_ + "/run/bus";
    for (auto& kv : env)
        if (kv.rfind("DBUS_SESSION_BUS_ADDRESS=", 0) == 0)
            kv = "DBUS_SESSION_BUS_ADDRESS=" + bus;
    bus_ = Spawn({FindTool("dbus-daemon"), "--session", "--nofork", "--nopidfile", "--address=" + bus}, env, log_fd);
    daemon_ = Spawn({FindTool("pipewire")}, env, log_fd);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    // The session manager and the protocol server connect to the daemon at
    // once and give up when it is not there yet.
    while (Clock::now() < deadline && Alive(daemon_) && !SocketAccepts(dir_ + "/run/pipewire-0"))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    session_ = Spawn({FindTool("wireplumber")}, env, log_fd);
    pulse_ = Spawn({FindTool("pipewire-pulse")}, env, log_fd);
    close(log_fd);
    while (Clock::now() < deadline && Running()) {
        if (SocketAccepts(dir_ + "/run/pulse/native") && SinkIsDefault())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return Fail(std::string(Running() ? "the sink did not become the default within 10 s" : "a daemon exited") +
                "; log:\n" + ReadFile(dir_ + "/daemons.log"));
}

bool PipeWireServer::SinkIsDefault()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;
    std::vector<std::string> env = IsolatedEnvironment(dir_);
    env.push_back("PULSE_CLIENTCONFIG=" + dir_ + "/client.conf");
    const pid_t pid =
        Spawn({FindTool("pactl"), "--server=unix:" + dir_ + "/run/pulse/native", "get-default-sink"}, env, fds[1]);
    close(fds[1]);
    std::string text;
    char buf[256];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        text.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    if (pid > 0)
        Reap(pid, Clock::now() + std::chrono::seconds(5));
    return text.find(kSink) != std::string::npos;
}

bool PipeWireServer::Running() const
{
    return Alive(daemon_) && Alive(session_) && Alive(pulse_);
}

void PipeWireServer::Kill()
{
    for (pid_t* pid : {&daemon_, &session_, &pulse_, &bus_}) {
        KillAndReap(*pid);
        *pid = -1;
    }
}

bool PipeWireServer::Revive()
{
    if (dir_.empty())
        return Fail("server not started");
    Kill();
    for (const char* stale : {"/run/pipewire-0", "/run/pipewire-0.lock", "/run/pulse/native", "/run/bus"})
        unlink((dir_ + stale).c_str());
    return Launch();
}

void PipeWireServer::Stop()
{
    CloseFifos();
    for (pid_t* pid : {&pulse_, &session_, &daemon_, &bus_}) {
        if (*pid > 0) {
            kill(*pid, SIGTERM);
            Reap(*pid, Clock::now() + std::chrono::seconds(3));
        }
        *pid = -1;
    }
    env_.Restore();
    RemoveTempDir(dir_);
}

} // namespace testsupport
