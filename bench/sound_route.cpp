#include "sound_route.h"

#include <cstdio>

namespace bench {

bool SoundRoute::Start(const std::string& name, unsigned rate)
{
    using testsupport::PipeWireServer;
    bool up = false;
    if (name == "pulseaudio") {
        sink_ = &pulse_;
        up = pulse_.Start() && pulse_.UseRate(rate);
    } else if (name == "pipewire-pulse" || name == "pipewire-alsa") {
        sink_ = &pipewire_;
        up = pipewire_.Start(
            name == "pipewire-alsa" ? PipeWireServer::Route::AlsaPlugin : PipeWireServer::Route::PulseProtocol, rate);
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

} // namespace bench
