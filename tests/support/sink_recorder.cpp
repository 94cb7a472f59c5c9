#include "sink_recorder.h"

#include "wait_until.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

namespace testsupport {

using Clock = std::chrono::steady_clock;

namespace {

// The smallest pipe the kernel gives: one page.
constexpr int kPacedPipeBytes = 4096;

} // namespace

bool SinkRecorder::Fail(std::string why)
{
    error_ = std::move(why);
    return false;
}

bool SinkRecorder::MakeDir(const std::string& what)
{
    dir_.emplace(what);
    if (dir_->Path().empty())
        return Fail("cannot make a temporary directory");
    std::filesystem::create_directories(*dir_ / "home");
    std::filesystem::create_directories(*dir_ / "run");
    std::ofstream(*dir_ / "client.conf") << "autospawn = no\n";
    return true;
}

bool SinkRecorder::AddFifo(unsigned key, const std::string& path, unsigned pacedRate)
{
    if (mkfifo(path.c_str(), 0600) != 0)
        return Fail("mkfifo: " + std::string(strerror(errno)));
    auto fifo = std::make_unique<Fifo>();
    fifo->read_fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    fifo->write_fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fifo->read_fd < 0 || fifo->write_fd < 0)
        return Fail("open fifo: " + std::string(strerror(errno)));
    // Paced: the smallest pipe, so the writer blocks a few milliseconds
    // ahead of the reader. Otherwise room for seconds of audio, so a briefly
    // descheduled drainer never makes the sink drop samples. Best effort:
    // the kernel may round or cap either.
    fcntl(fifo->read_fd, F_SETPIPE_SZ, pacedRate != 0 ? kPacedPipeBytes : 1 << 20);
    fifo->paced_rate = pacedRate;
    fifo->paced_from = Clock::now();
    if (!drainer_.joinable()) {
        if (pipe2(wake_pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
            return Fail("pipe2: " + std::string(strerror(errno)));
        stop_drainer_ = false;
        drainer_ = std::thread([this] {
            while (!stop_drainer_)
                DrainOnce(100);
        });
    }
    {
        std::lock_guard<std::mutex> lock(mu_);
        fifos_[key] = std::move(fifo);
    }
    Wake();
    return true;
}

bool SinkRecorder::HasFifo(unsigned key) const
{
    std::lock_guard<std::mutex> lock(mu_);
    return fifos_.count(key) != 0;
}

void SinkRecorder::Close()
{
    if (drainer_.joinable()) {
        stop_drainer_ = true;
        Wake();
        drainer_.join();
    }
    for (int& fd : wake_pipe_) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    std::lock_guard<std::mutex> lock(mu_);
    fifos_.clear();
    current_ = 0;
    recording_ = false;
    env_.Restore();
    dir_.reset();
}

void SinkRecorder::DrainOnce(int timeout_ms)
{
    std::vector<pollfd> fds;
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (wake_pipe_[0] >= 0)
            fds.push_back({wake_pipe_[0], POLLIN, 0});
        for (auto& [key, fifo] : fifos_) {
            // A paced FIFO is always readable while its writer waits, so it
            // is read on a short tick instead of on readiness.
            if (fifo->paced_rate != 0)
                timeout_ms = std::min(timeout_ms, 2);
            else
                fds.push_back({fifo->read_fd, POLLIN, 0});
        }
    }
    poll(fds.data(), fds.size(), timeout_ms);
    char junk[64];
    while (read(wake_pipe_[0], junk, sizeof junk) > 0) {
    }
    std::lock_guard<std::mutex> lock(mu_);
    static thread_local std::vector<unsigned char> buf(1 << 16);
    const auto now = Clock::now();
    for (auto& [key, fifo] : fifos_) {
        std::size_t allowed = buf.size();
        if (fifo->paced_rate != 0) {
            // Credit for at most one pipe's worth: a writer that was idle
            // banks no more than a device's buffer would have drained, and
            // a pipe that is briefly empty between two writes loses no time.
            fifo->credit = std::min(fifo->credit + std::chrono::duration<double>(now - fifo->paced_from).count() *
                                                       fifo->paced_rate,
                                    static_cast<double>(kPacedPipeBytes / sizeof(float)));
            fifo->paced_from = now;
            allowed = std::min(allowed, static_cast<std::size_t>(fifo->credit) * sizeof(float));
        }
        while (allowed > 0) {
            ssize_t n = read(fifo->read_fd, buf.data(), allowed);
            if (n <= 0)
                break;
            allowed -= static_cast<std::size_t>(n);
            if (fifo->paced_rate != 0)
                fifo->credit -= static_cast<double>(n) / sizeof(float);
            // Keep sample alignment even for bytes we throw away.
            auto& bytes = fifo->partial;
            bytes.insert(bytes.end(), buf.begin(), buf.begin() + n);
            const std::size_t whole = bytes.size() / sizeof(float);
            if (recording_ && key == current_) {
                const std::size_t old = recorded_.size();
                recorded_.resize(old + whole);
                std::memcpy(recorded_.data() + old, bytes.data(), whole * sizeof(float));
            }
            bytes.erase(bytes.begin(), bytes.begin() + static_cast<long>(whole * sizeof(float)));
        }
    }
    recorded_cv_.notify_all();
}

void SinkRecorder::StartRecording()
{
    // Discard any backlog first, so the recording starts at "now" even if the
    // drainer was descheduled for a while.
    if (drainer_.joinable())
        DrainOnce(0);
    std::lock_guard<std::mutex> lock(mu_);
    recorded_.clear();
    recording_ = true;
}

bool SinkRecorder::WaitForRecorded(std::size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(mu_);
    return recorded_cv_.wait_for(lock, timeout, [&] { return recorded_.size() >= count; });
}

bool SinkRecorder::WaitForSoundFrom(std::size_t index, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(mu_);
    return recorded_cv_.wait_for(lock, timeout, [&] {
        // Each wake-up looks only at what is new.
        const auto sound = std::find_if(recorded_.begin() + static_cast<long>(std::min(index, recorded_.size())),
                                        recorded_.end(), [](float s) { return s != 0.0f; });
        index = static_cast<std::size_t>(sound - recorded_.begin());
        return sound != recorded_.end();
    });
}

std::size_t SinkRecorder::RecordedCount() const
{
    std::lock_guard<std::mutex> lock(mu_);
    return recorded_.size();
}

std::vector<float> SinkRecorder::StopRecording()
{
    // Pick up what is already sitting in the FIFO before closing the window.
    if (drainer_.joinable())
        DrainOnce(0);
    std::lock_guard<std::mutex> lock(mu_);
    recording_ = false;
    return std::exchange(recorded_, {});
}

bool SoundServer::Pactl(const std::vector<std::string>& args, std::string* out)
{
    if (!dir_)
        return Fail("server not started");
    const std::string outPath = *dir_ / "pactl.out";
    unlink(outPath.c_str());
    std::vector<std::string> argv = {"pactl", "--server=unix:" + pulseSocket_};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = IsolatedEnvironment(dir_->Path());
    env.push_back("PULSE_CLIENTCONFIG=" + (*dir_ / "client.conf"));
    ChildProcess pactl;
    std::string error;
    if (!pactl.Start(argv, env, outPath, &error))
        return Fail(error);
    const auto status = pactl.WaitForExit(std::chrono::seconds(5));
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

void SoundServer::KillMidTone(pid_t client)
{
    const int threads = ThreadCount(client);
    Kill();
    WaitUntil([&] { return ThreadCount(client) < threads; }, std::chrono::seconds(2));
}

} // namespace testsupport
