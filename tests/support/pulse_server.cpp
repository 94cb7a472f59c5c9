#include "pulse_server.h"

#include "wait_until.h"

#include <sys/un.h>
#include <unistd.h>

namespace testsupport {

using namespace std::chrono_literals;

bool PulseServer::Start()
{
    Stop();
    if (!MakeDir("pulse"))
        return false;
    pulseSocket_ = *dir_ / "native";
    if (pulseSocket_.size() >= sizeof(sockaddr_un{}.sun_path))
        return Fail("temp dir path too long for a unix socket: " + dir_->Path());
    env_.Set("PULSE_SERVER", "unix:" + pulseSocket_);
    env_.Set("PULSE_CLIENTCONFIG", *dir_ / "client.conf");
    if (Launch())
        return true;
    Stop();
    return false;
}

bool PulseServer::Launch()
{
    // -n: no default.pa, so no hardware detection, stream/device restore or
    // suspend-on-idle. As root, pulseaudio only warns as long as --system is
    // off; realtime is declined so the test cannot starve the machine, and
    // the CPU limiter is off because sanitizer/valgrind builds are slow.
    // The trivial resampler passes a stream at the sink's rate through as
    // it is, even one opened at a variable rate, as Wine 10 opens every
    // stream (for clients that adjust their clock): the default speex
    // resampler filters such a stream at a ratio of one, smearing its onset
    // and every sample by up to a hundred 16-bit steps. A stream whose rate
    // really changed would show as samples skipped or played twice.
    std::string error;
    if (!daemon_.Start({"pulseaudio", "-n", "--system=no", "--daemonize=no", "--fail=yes", "--use-pid-file=no",
                        "--exit-idle-time=-1", "--realtime=no", "--high-priority=no", "--no-cpu-limit=yes",
                        "--resample-method=trivial",
                        "--log-target=stderr", "--log-time=yes", "-L",
                        "module-native-protocol-unix auth-anonymous=1 socket=" + pulseSocket_},
                       IsolatedEnvironment(dir_->Path()), *dir_ / "daemon.log", &error))
        return Fail(error);
    if (WaitUntil([&] { return !Running() || (SocketAccepts(pulseSocket_) && Pactl({"info"})); }, 5s) && Running())
        return true;
    return Fail(std::string(Running() ? "daemon did not answer within 5 s" : "daemon exited") + "; log:\n" +
                daemon_.Output());
}

bool PulseServer::Revive()
{
    if (!dir_)
        return Fail("server not started");
    Kill();
    unlink(pulseSocket_.c_str());
    if (!Launch())
        return false;
    const unsigned current = Rate();
    for (const unsigned rate : rates_)
        if (!LoadSink(rate))
            return false;
    return current == 0 || UseRate(current);
}

void PulseServer::Stop()
{
    daemon_.Stop(3s);
    rates_.clear();
    Close();
}

bool PulseServer::LoadSink(unsigned rate)
{
    // The system clock, not the pipe's back-pressure, paces the sink: that is
    // what makes it write silence in real time while no stream plays.
    const std::string r = std::to_string(rate);
    return Pactl({"load-module", "module-pipe-sink", "sink_name=tonegen_test_" + r,
                  "file=" + (*dir_ / ("sink-" + r + ".fifo")), "format=float32le", "channels=1", "rate=" + r,
                  "use_system_clock_for_timing=yes"});
}

bool PulseServer::UseRate(unsigned rate)
{
    if (!Running())
        return Fail("daemon not running");
    const std::string r = std::to_string(rate);
    if (!HasFifo(rate)) {
        if (!AddFifo(rate, *dir_ / ("sink-" + r + ".fifo"), 0) || !LoadSink(rate))
            return false;
        rates_.push_back(rate);
    }
    if (!Pactl({"set-default-sink", "tonegen_test_" + r}))
        return false;
    UseFifo(rate);
    return true;
}

} // namespace testsupport
