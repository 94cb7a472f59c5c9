#pragma once

// The sound routes a benchmark can play into, each a private stack of its
// own (see tests/support): PulseAudio or PipeWire reached through ALSA's
// pulse plugin, PipeWire through its own ALSA plugin, or bare ALSA with no
// server. Up before the first Pa_Initialize of the process, as each stack
// asks.

#include "alsa_file_sink.h"
#include "files.h"
#include "pipewire_server.h"
#include "pulse_server.h"

#include <cstdio>
#include <string>

namespace bench {

class SoundRoute {
  public:
    // Names: pulseaudio, pipewire-pulse, pipewire-alsa, alsa. Reports on
    // stderr why the route could not be had.
    bool Start(const std::string& name, unsigned rate)
    {
        bool up = false;
        if (name == "pulseaudio") {
            sink_ = &pulse_;
            up = pulse_.Start() && pulse_.UseRate(rate);
        } else if (name == "pipewire-pulse" || name == "pipewire-alsa") {
            sink_ = &pipewire_;
            up = pipewire_.Start(name == "pipewire-alsa" ? testsupport::PipeWireServer::Route::AlsaPlugin
                                                         : testsupport::PipeWireServer::Route::PulseProtocol,
                                 rate);
        } else if (name == "alsa") {
            sink_ = &alsa_;
            up = alsa_.Start(rate);
        }
        if (!up || Dir().empty())
            std::fprintf(stderr, "sound route %s: %s\n", name.c_str(),
                         sink_ == nullptr ? "no such route (pulseaudio, pipewire-pulse, pipewire-alsa, alsa)"
                         : Dir().empty()  ? "no temporary directory"
                                          : sink_->Error().c_str());
        return up && !Dir().empty();
    }

    testsupport::SinkRecorder& Sink() { return *sink_; }
    // A folder for the children's logs and private files, removed with the
    // route.
    const std::string& Dir() const { return dir_.Path(); }

  private:
    testsupport::TempDir dir_{"bench"};
    testsupport::PulseServer pulse_;
    testsupport::PipeWireServer pipewire_;
    testsupport::AlsaFileSink alsa_;
    testsupport::SinkRecorder* sink_ = nullptr;
};

} // namespace bench
