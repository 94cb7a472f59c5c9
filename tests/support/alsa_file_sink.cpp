#include "alsa_file_sink.h"

#include <fstream>

namespace testsupport {

bool AlsaFileSink::Start(unsigned rate)
{
    Close();
    if (!MakeDir("alsa") || !AddFifo(rate, *dir_ / "sink.fifo", rate)) {
        Close();
        return false;
    }
    UseFifo(rate);
    std::ofstream(*dir_ / "asound.conf") << "pcm.!default { type file slave.pcm null file \"" << *dir_ / "sink.fifo"
                                         << "\" format raw }\npcm.null { type null }\n";
    env_.Set("ALSA_CONFIG_PATH", *dir_ / "asound.conf");
    return true;
}

} // namespace testsupport
