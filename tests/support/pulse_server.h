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
// Start() must run on a thread that outlives the daemon (see ChildProcess).
// The recording side is SinkRecorder's.
#pragma once

#include "sink_recorder.h"

#include <string>
#include <vector>

namespace testsupport {

class PulseServer : public SoundServer {
  public:
    ~PulseServer() override { Stop(); }

    // Starts the daemon in a fresh temp dir and waits (up to 5 s) until it
    // answers. Returns false and sets Error() on failure.
    bool Start();
    // Terminates the daemon, restores the environment, removes the temp dir.
    void Stop();
    void Kill() override { daemon_.Kill(); }
    bool Revive() override;
    bool Running() const { return daemon_.Running(); }

    // Makes a float32le mono pipe sink at `rate` the default sink, loading it
    // on first use; later switches to an already loaded rate only change the
    // default sink (streams that did not pick a sink follow it).
    bool UseRate(unsigned rate);
    unsigned Rate() const { return CurrentFifo(); }

  private:
    bool Launch();
    bool LoadSink(unsigned rate);

    ChildProcess daemon_;
    std::vector<unsigned> rates_; // sinks loaded, in order
};

} // namespace testsupport
