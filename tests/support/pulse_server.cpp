#include "pulse_server.h"

#include "wait_until.h"

#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace testsupport {

using namespace std::chrono_literals;

PulseServer::~PulseServer()
{
    Stop();
}

bool PulseServer::Fail(std::string msg)
{
    error_ = std::move(msg);
    return false;
}

bool PulseServer::Start()
{
    Stop();
    dir_.emplace("pulse");
    if (Dir().empty())
        return Fail("cannot make a temporary directory");
    if ((*dir_ / "native").size() >= sizeof(sockaddr_un{}.sun_path))
        return Fail("temp dir path too long for a unix socket: " + Dir());
    std::filesystem::create_directories(*dir_ / "home");
    std::filesystem::create_directories(*dir_ / "run");
    std::ofstream(*dir_ / "client.conf") << "autospawn = no\n";
    env_.Set("PULSE_SERVER", "unix:" + (*dir_ / "native"));
    env_.Set("PULSE_CLIENTCONFIG", *dir_ / "client.conf");
    if (Launch())
        return true;
    const std::string why = error_;
    Stop();
    return Fail(why);
}

bool PulseServer::Launch()
{
    // -n: no default.pa, so no hardware detection, stream/device restore or
    // suspend-on-idle. As root, pulseaudio only warns as long as --system is
    // off; realtime is declined so the test cannot starve the machine, and
    // the CPU limiter is off because sanitizer/valgrind builds are slow.
    const std::string socket = *dir_ / "native";
    std::string error;
    if (!daemon_.Start({"pulseaudio", "-n", "--system=no", "--daemonize=no", "--fail=yes", "--use-pid-file=no",
                        "--exit-idle-time=-1", "--realtime=no", "--high-priority=no", "--no-cpu-limit=yes",
                        "--log-target=stderr", "--log-time=yes", "-L",
                        "module-native-protocol-unix auth-anonymous=1 socket=" + socket},
                       IsolatedEnvironment(Dir()), *dir_ / "daemon.log", &error))
        return Fail(error);
    if (WaitUntil([&] { return !Running() || (SocketAccepts(socket) && Pactl({"info"})); }, 5s) && Running())
        return true;
    return Fail(std::string(Running() ? "daemon did not answer within 5 s" : "daemon exited") + "; log:\n" +
                daemon_.Output());
}

bool PulseServer::Revive()
{
    if (!dir_)
        return Fail("server not started");
    Kill();
    unlink((*dir_ / "native").c_str());
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
    daemon_.Kill();
}

void PulseServer::Stop()
{
    CloseFifos();
    daemon_.Stop(3s);
    rates_.clear();
    env_.Restore();
    dir_.reset();
}

bool PulseServer::Pactl(const std::vector<std::string>& args, std::string* out)
{
    if (!dir_)
        return Fail("server not started");
    const std::string outPath = *dir_ / "pactl.out";
    unlink(outPath.c_str());
    std::vector<std::string> argv = {"pactl", "--server=unix:" + (*dir_ / "native")};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess pactl;
    std::string error;
    if (!pactl.Start(argv, Environment({{"PULSE_CLIENTCONFIG", *dir_ / "client.conf"}}), outPath, &error))
        return Fail(error);
    const auto status = pactl.WaitForExit(5s);
    const std::string text = pactl.Output();
    if (out != nullptr)
        *out = text;
    if (status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
        return true;
    std::string cmd = "pactl";
    for (const auto& a : args)
        cmd += " " + a;
    return Fail(cmd + (status ? " failed: " : " timed out: ") + text);
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
        std::string error;
        if (!AddFifo(rate, *dir_ / ("sink-" + r + ".fifo"), 0, &error))
            return Fail(error);
        if (!LoadSink(rate))
            return false;
        rates_.push_back(rate);
    }
    if (!Pactl({"set-default-sink", "tonegen_test_" + r}))
        return false;
    UseFifo(rate);
    return true;
}

} // namespace testsupport
