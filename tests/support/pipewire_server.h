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

#include "sink_recorder.h"

namespace testsupport {

class PipeWireServer : public SoundServer {
  public:
    enum class Route { PulseProtocol, AlsaPlugin };

    ~PipeWireServer() override { Stop(); }

    // Starts the daemons in a fresh temp dir and waits (up to 10 s) until
    // the sink is the default one. Returns false and sets Error() on failure.
    bool Start(Route route, unsigned rate);
    // Ends the daemons, restores the environment, removes the temp dir.
    void Stop();
    // The daemon first, then the rest.
    void Kill() override;
    bool Revive() override;
    bool Running() const;

  private:
    bool Launch();

    // In the order they start; stopped the other way round.
    ChildProcess bus_, daemon_, session_, pulse_;
};

} // namespace testsupport
