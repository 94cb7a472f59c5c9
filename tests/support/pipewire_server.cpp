#include "pipewire_server.h"

#include "wait_until.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace testsupport {
namespace {

using namespace std::chrono_literals;

const char* const kSink = "tonegen_test_sink";

void WriteGraphConfig(const std::string& dir, unsigned rate)
{
    const std::string conf = dir + "/home/pipewire/pipewire.conf.d";
    std::filesystem::create_directories(conf);
    const std::string r = std::to_string(rate);
    std::ofstream(conf + "/50-tonegen-test.conf")
        << "context.properties = { default.clock.rate = " << r << " default.clock.allowed-rates = [ " << r << " ] }\n"
        << "context.modules = [ { name = libpipewire-module-pipe-tunnel args = {\n"
        << "    tunnel.mode = sink pipe.filename = \"" << dir << "/sink.fifo\"\n"
        << "    audio.format = F32LE audio.rate = " << r << " audio.channels = 1 audio.position = [ MONO ]\n"
        << "    stream.props = { node.name = " << kSink << " } } } ]\n";
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

bool PipeWireServer::Start(Route route, unsigned rate)
{
    Stop();
    if (!MakeDir("pipewire"))
        return false;
    const std::string dir = dir_->Path();
    pulseSocket_ = dir + "/run/pulse/native";
    WriteGraphConfig(dir, rate);
    if (!AddFifo(rate, dir + "/sink.fifo", 0)) {
        Stop();
        return false;
    }
    UseFifo(rate);
    if (route == Route::AlsaPlugin) {
        WriteAlsaConfig(dir);
        env_.Set("ALSA_CONFIG_PATH", dir + "/asound.conf");
        env_.Set("PIPEWIRE_RUNTIME_DIR", dir + "/run");
    } else {
        env_.Set("PULSE_SERVER", "unix:" + pulseSocket_);
        env_.Set("PULSE_CLIENTCONFIG", dir + "/client.conf");
    }
    if (Launch())
        return true;
    Stop();
    return false;
}

bool PipeWireServer::Launch()
{
    const std::string dir = dir_->Path();
    const std::string bus = "unix:path=" + dir + "/run/bus";
    std::vector<std::string> env = IsolatedEnvironment(dir);
    for (auto& kv : env)
        if (kv.starts_with("DBUS_SESSION_BUS_ADDRESS="))
            kv = "DBUS_SESSION_BUS_ADDRESS=" + bus;
    const std::string log = dir + "/daemons.log";
    bus_.Start({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + bus}, env, log);
    daemon_.Start({"pipewire"}, env, log);
    // The session manager and the protocol server connect to the daemon at
    // once and give up when it is not there yet, or, on a busy machine, not
    // ready yet: each is started again until the sink is up.
    WaitUntil([&] { return !daemon_.Running() || SocketAccepts(dir + "/run/pipewire-0"); }, 10s);
    const std::pair<ChildProcess*, const char*> clients[] = {{&session_, "wireplumber"}, {&pulse_, "pipewire-pulse"}};
    const bool up = WaitUntil(
        [&] {
            for (const auto& [child, program] : clients)
                if (!child->Running())
                    child->Start({program}, env, log);
            std::string sink;
            return !daemon_.Running() || (SocketAccepts(pulseSocket_) && Pactl({"get-default-sink"}, &sink) &&
                                          sink.find(kSink) != std::string::npos);
        },
        10s);
    if (up && Running()) {
        error_.clear(); // a query that came too early
        return true;
    }
    return Fail(std::string(daemon_.Running() ? "the sink did not become the default within 10 s"
                                              : "pipewire " + daemon_.Ending(0ms)) +
                "; log:\n" + ReadFile(log));
}

bool PipeWireServer::Running() const
{
    return daemon_.Running() && session_.Running() && pulse_.Running();
}

void PipeWireServer::Kill()
{
    for (ChildProcess* child : {&daemon_, &session_, &pulse_, &bus_})
        child->Kill();
}

bool PipeWireServer::Revive()
{
    if (!dir_)
        return Fail("server not started");
    Kill();
    for (const char* stale : {"/run/pipewire-0", "/run/pipewire-0.lock", "/run/pulse/native", "/run/bus"})
        unlink((dir_->Path() + stale).c_str());
    return Launch();
}

void PipeWireServer::Stop()
{
    for (ChildProcess* child : {&pulse_, &session_, &daemon_, &bus_})
        child->Stop(3s);
    Close();
}

} // namespace testsupport
