// What every private sound stack's sink shares: FIFOs that the stack's sink
// writes float32le mono samples into, drained by one thread for as long as
// the stack lives, and a recording of what the current one receives.
#pragma once

#include "child_process.h"
#include "files.h"

#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class SinkRecorder {
  public:
    SinkRecorder() = default;
    virtual ~SinkRecorder() { Close(); }
    SinkRecorder(const SinkRecorder&) = delete;
    SinkRecorder& operator=(const SinkRecorder&) = delete;

    // From now on, samples drained from the current FIFO are kept.
    void StartRecording();
    // Blocks until at least `count` samples have been kept or `timeout` ran
    // out; returns whether the count was reached.
    bool WaitForRecorded(std::size_t count, std::chrono::milliseconds timeout);
    std::size_t RecordedCount() const;
    // Blocks until the recording holds a non-zero sample at `index` or later,
    // or `timeout` ran out.
    bool WaitForSoundFrom(std::size_t index, std::chrono::milliseconds timeout);
    bool WaitForSound(std::chrono::milliseconds timeout) { return WaitForSoundFrom(0, timeout); }
    std::vector<float> StopRecording();

    // Why the stack did not come up, or what last went wrong with it.
    std::string Error() const { return error_; }

  protected:
    // A fresh private folder for the stack, with the home and runtime tree
    // IsolatedEnvironment() wants and a client configuration that never
    // autospawns a daemon.
    bool MakeDir(const std::string& what);
    // Records `why` as Error(); false.
    bool Fail(std::string why);
    // Creates a FIFO at `path` and drains it from now on, under `key` (the
    // sink's rate). Both ends stay open here, so the FIFO never reports EOF
    // or breaks a writer's pipe, even when a server dies. With `pacedRate`,
    // the FIFO is read no faster than that many samples a second from a pipe
    // shrunk to one page: a writer with no clock of its own then plays in
    // real time. Without it the pipe is large and read as it fills.
    bool AddFifo(unsigned key, const std::string& path, unsigned pacedRate);
    bool HasFifo(unsigned key) const;
    // Records the FIFO under `key` from now on.
    void UseFifo(unsigned key) { current_ = key; }
    unsigned CurrentFifo() const { return current_; }
    // Stops draining, closes every FIFO, puts the environment back and
    // removes the folder.
    void Close();

    std::optional<TempDir> dir_;
    EnvOverride env_; // how the stack points clients at itself
    std::string error_;

  private:
    struct Fifo {
        ~Fifo()
        {
            for (const int fd : {read_fd, write_fd})
                if (fd >= 0)
                    close(fd);
        }
        int read_fd = -1;
        int write_fd = -1;
        unsigned paced_rate = 0;
        std::chrono::steady_clock::time_point paced_from;
        double credit = 0;                  // samples a paced FIFO may still be read
        std::vector<unsigned char> partial; // bytes of an incomplete sample
    };

    void DrainOnce(int timeout_ms);
    void Wake() { [[maybe_unused]] const ssize_t n = write(wake_pipe_[1], "x", 1); }

    std::thread drainer_;
    int wake_pipe_[2] = {-1, -1};

    mutable std::mutex mu_;
    std::condition_variable recorded_cv_;
    std::atomic<bool> stop_drainer_{false};
    std::map<unsigned, std::unique_ptr<Fifo>> fifos_;
    std::atomic<unsigned> current_{0};
    bool recording_ = false;
    std::vector<float> recorded_;
};

// A stack whose server can be lost mid-tone and brought back.
class SoundServer : public SinkRecorder {
  public:
    // SIGKILLs the server; the environment and files stay, so that clients
    // see it vanish.
    virtual void Kill() = 0;
    // After Kill(): the server again at the same address with the same
    // sinks, as a restarted server would be.
    virtual bool Revive() = 0;

    // Runs pactl against the stack's PulseAudio-protocol server (5 s
    // timeout); its output goes to *out.
    bool Pactl(const std::vector<std::string>& args, std::string* out = nullptr);

    // Kill() while process `client` (this one, unless given) plays, and
    // return once its audio thread has met the loss: it ends then, within a
    // period. What the client does next must cope with that state. (A
    // thread that spins on the error instead, as PortAudio's ALSA host once
    // did, never ends; the wait gives up after two seconds.)
    void KillMidTone(pid_t client = 0);

  protected:
    std::string pulseSocket_; // the PulseAudio-protocol server's, once started
};

} // namespace testsupport
