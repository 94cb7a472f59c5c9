// A private PulseAudio daemon for audio tests.
//
// The daemon's default sink is a pipe sink whose output we drain and can
// record, so a test can compare what the application played with what the
// sound server actually received, sample for sample. Silence is written in
// real time while nothing plays, so a recording is a timeline.
//
// Start() exports PULSE_SERVER and PULSE_CLIENTCONFIG into this process's
// environment, which is how libpulse, the ALSA "pulse" plugin and therefore
// PortAudio's ALSA "default" device find the daemon. ALSA evaluates its
// "is a pulse server running" hook only when it first loads its
// configuration, so call Start() before the first Pa_Initialize() of the
// process (or re-initialise PortAudio afterwards).
//
// Start() must run on a thread that outlives the daemon: the daemon is tied
// to its creating thread with PR_SET_PDEATHSIG so it can never outlive the
// test process.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

class PulseServer {
  public:
    PulseServer() = default;
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // Starts the daemon in a fresh temp dir and waits (up to 5 s) until it
    // answers. Returns false and sets Error() on failure.
    bool Start();
    // Terminates the daemon, restores the environment, removes the temp dir.
    void Stop();
    // SIGKILLs the daemon and reaps it; the environment and temp dir stay,
    // so clients see a vanished server. Stop() still cleans up afterwards.
    void Kill();
    bool Running() const;

    // Makes a float32le mono pipe sink at `rate` the default sink, loading it
    // on first use; later switches to an already loaded rate only change the
    // default sink (streams that did not pick a sink follow it).
    bool UseRate(unsigned rate);
    unsigned Rate() const;

    // From now on, samples drained from the current default sink are kept.
    void StartRecording();
    // Blocks until at least `count` samples have been kept or `timeout` ran
    // out; returns whether the count was reached.
    bool WaitForRecorded(std::size_t count, std::chrono::milliseconds timeout);
    std::size_t RecordedCount() const;
    // Blocks until the recording holds a non-zero sample or `timeout` ran out.
    bool WaitForSound(std::chrono::milliseconds timeout);
    std::vector<float> StopRecording();

    // Runs pactl against this daemon (5 s timeout); stdout+stderr go to *out.
    bool Pactl(const std::vector<std::string>& args, std::string* out = nullptr);

    std::string Error() const;
    const std::string& Dir() const { return dir_; }
    std::string LogPath() const { return dir_.empty() ? "" : dir_ + "/daemon.log"; }
    pid_t Pid() const { return pid_; }

  private:
    struct Sink {
        std::string name;
        int read_fd = -1;
        // Held open so the FIFO never reports EOF/HUP, even if the daemon dies.
        int write_fd = -1;
        std::vector<unsigned char> partial; // bytes of an incomplete sample
    };

    void DrainLoop();
    void DrainOnce(int timeout_ms);
    bool Fail(std::string msg); // records msg, returns false
    bool AbortStart(std::string msg);
    void ExportEnv();
    void RestoreEnv();
    void CloseSinks();

    std::string dir_;
    pid_t pid_ = -1;
    int wake_pipe_[2] = {-1, -1};
    std::thread drainer_;
    bool stop_drainer_ = false; // guarded by mu_

    mutable std::mutex mu_;
    std::condition_variable recorded_cv_;
    std::map<unsigned, std::unique_ptr<Sink>> sinks_; // by rate
    unsigned current_rate_ = 0;
    bool recording_ = false;
    std::vector<float> recorded_;
    bool heard_ = false; // recorded_ holds a non-zero sample
    std::string error_;

    std::vector<std::pair<std::string, std::pair<bool, std::string>>> saved_env_;
};

} // namespace testsupport
