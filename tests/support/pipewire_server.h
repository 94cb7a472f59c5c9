// A private PipeWire: the daemon, its session manager and its
// PulseAudio-protocol server, on a private D-Bus session bus and private XDG
// tree, whose one sink (a pipe tunnel, float32le mono at the rate under
// test, which is also the graph's only allowed rate) is recorded.
//
// Clients reach it by one of two routes, chosen at Start() and exported into
// this process's environment, as PulseServer does: through ALSA's pulse
// plugin to the PulseAudio-protocol server, or through PipeWire's own ALSA
// plugin, named by a private ALSA configuration that replaces the system's.
// The plugin comes from the pipewire-alsa package unpacked into the build
// tree (installing it would remove pulseaudio).
//
// The tunnel sink pauses while nothing plays, so a recording is not a
// timeline of silence: date things by when samples arrive.
#pragma once

#include "child_process.h"
#include "sink_recorder.h"

#include <sys/types.h>

#include <string>

namespace testsupport {

class PipeWireServer : public SinkRecorder {
  public:
    enum class Route { PulseProtocol, AlsaPlugin };

    PipeWireServer() = default;
    ~PipeWireServer() override;

    // Starts the daemons in a fresh temp dir and waits (up to 10 s) until
    // the sink is the default one. Returns false and sets Error() on failure.
    bool Start(Route route, unsigned rate);
    // Ends the daemons, restores the environment, removes the temp dir.
    void Stop();
    // SIGKILLs the daemon, then the rest; environment and temp dir stay, so
    // clients see a vanished server.
    void Kill();
    // After Kill(): the daemons again, at the same addresses.
    bool Revive();
    bool Running() const;

    std::string Error() const { return error_; }

  private:
    bool Launch();
    bool Fail(std::string msg);
    bool SinkIsDefault();

    std::string dir_;
    unsigned rate_ = 0;
    pid_t bus_ = -1;
    pid_t daemon_ = -1;
    pid_t session_ = -1;
    pid_t pulse_ = -1;
    EnvOverride env_;
    std::string error_;
};

} // namespace testsupport
