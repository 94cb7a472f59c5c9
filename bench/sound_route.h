#pragma once

// The sound routes a benchmark can play into, each a private stack of its
// own (see tests/support): PulseAudio or PipeWire reached through ALSA's
// pulse plugin, PipeWire through its own ALSA plugin, or bare ALSA with no
// server. Up before the first Pa_Initialize of the process, as each stack
// asks.

#include "alsa_file_sink.h"
#include "pipewire_server.h"
#include "pulse_server.h"

#include <string>

namespace bench {

class SoundRoute {
  public:
    SoundRoute() = default;
    ~SoundRoute();
    SoundRoute(const SoundRoute&) = delete;
    SoundRoute& operator=(const SoundRoute&) = delete;

    // Names: pulseaudio, pipewire-pulse, pipewire-alsa, alsa. Reports on
    // stderr why the route could not be had.
    bool Start(const std::string& name, unsigned rate);

    testsupport::SinkRecorder& Sink() { return *sink_; }
    // A folder for the children's logs, removed with the route.
    const std::string& Dir() const { return dir_; }
    const std::string& Name() const { return name_; }

    static const char* const kNames[4];

  private:
    testsupport::PulseServer pulse_;
    testsupport::PipeWireServer pipewire_;
    testsupport::AlsaFileSink alsa_;
    testsupport::SinkRecorder* sink_ = nullptr;
    std::string name_;
    std::string dir_;
};

} // namespace bench
