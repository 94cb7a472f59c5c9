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
// test process. The recording side is SinkRecorder's.
#pragma once

#include "child_process.h"
#include "sink_recorder.h"

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

class PulseServer : public SinkRecorder {
  public:
    PulseServer() = default;
    ~PulseServer() override;

    // Starts the daemon in a fresh temp dir and waits (up to 5 s) until it
    // answers. Returns false and sets Error() on failure.
    bool Start();
    // Terminates the daemon, restores the environment, removes the temp dir.
    void Stop();
    // SIGKILLs the daemon and reaps it; the environment and temp dir stay,
    // so clients see a vanished server. Stop() still cleans up afterwards.
    void Kill();
    // After Kill(): a new daemon at the same address with the same sinks,
    // the last rate's the default, as a restarted server would be.
    bool Revive();
    bool Running() const;

    // Makes a float32le mono pipe sink at `rate` the default sink, loading it
    // on first use; later switches to an already loaded rate only change the
    // default sink (streams that did not pick a sink follow it).
    bool UseRate(unsigned rate);
    unsigned Rate() const { return CurrentFifo(); }

    // Runs pactl against this daemon (5 s timeout); stdout+stderr go to *out.
    bool Pactl(const std::vector<std::string>& args, std::string* out = nullptr);

    std::string Error() const { return error_; }
    const std::string& Dir() const { return dir_; }
    std::string LogPath() const { return dir_.empty() ? "" : dir_ + "/daemon.log"; }
    pid_t Pid() const { return pid_; }

  private:
    bool Launch();
    bool LoadSink(unsigned rate);
    bool Fail(std::string msg); // records msg, returns false
    bool AbortStart(std::string msg);

    std::string dir_;
    pid_t pid_ = -1;
    std::vector<unsigned> rates_; // sinks loaded, in order
    std::string error_;
    EnvOverride env_;
};

} // namespace testsupport
