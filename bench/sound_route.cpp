#include "sound_route.h"

#include "child_process.h"

#include <cstdio>

namespace bench {

const char* const SoundRoute::kNames[4] = {"pulseaudio", "pipewire-pulse", "pipewire-alsa", "alsa"};

SoundRoute::~SoundRoute()
{
    testsupport::RemoveTempDir(dir_);
}

bool SoundRoute::Start(const std::string& name, unsigned rate)
{
    using testsupport::PipeWireServer;
    name_ = name;
    bool up = false;
    std::string error;
    if (name == "pulseaudio") {
        up = pulse_.Start() && pulse_.UseRate(rate);
        error = pulse_.Error();
        sink_ = &pulse_;
    } else if (name == "pipewire-pulse" || name == "pipewire-alsa") {
        up = pipewire_.Start(
            name == "pipewire-alsa" ? PipeWireServer::Route::AlsaPlugin : PipeWireServer::Route::PulseProtocol, rate);
        error = pipewire_.Error();
        sink_ = &pipewire_;
    } else if (name == "alsa") {
        up = alsa_.Start(rate);
        error = alsa_.Error();
        sink_ = &alsa_;
    } else {
        error = "no such route (pulseaudio, pipewire-pulse, pipewire-alsa, alsa)";
    }
    if (!up) {
        std::fprintf(stderr, "sound route %s: %s\n", name.c_str(), error.c_str());
        return false;
    }
    dir_ = testsupport::MakeTempDir("bench");
    return !dir_.empty();
}

} // namespace bench
