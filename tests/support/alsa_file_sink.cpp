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
    const std::string fifo = *dir_ / "sink.fifo";
    UseFifo(rate);
    std::ofstream(*dir_ / "asound.conf") << "pcm.!default {\n"
                                            "    type file\n"
                                            "    slave.pcm null\n"
                                            "    file \""
                                         << fifo
                                         << "\"\n"
                                            "    format raw\n"
                                            "}\n"
                                            "pcm.null { type null }\n";
    env_.Set("ALSA_CONFIG_PATH", *dir_ / "asound.conf");
    return true;
}

} // namespace testsupport
