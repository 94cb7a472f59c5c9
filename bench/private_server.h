#pragma once

// Every benchmark that listens to the sink plays into a daemon of its own,
// so its figures do not depend on the desktop's sound server or on whatever
// else plays there.

#include "pulse_server.h"

#include <cstdio>

namespace bench {

// Reports on stderr why the server could not be had. Called before the
// first Pa_Initialize, or ALSA's pulse hook never routes "default" to it.
inline bool StartPrivateServer(testsupport::PulseServer& server, unsigned rate)
{
    if (server.Start() && server.UseRate(rate))
        return true;
    std::fprintf(stderr, "private sound server: %s\n", server.Error().c_str());
    return false;
}

} // namespace bench
