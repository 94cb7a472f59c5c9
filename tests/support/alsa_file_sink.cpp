#include "alsa_file_sink.h"

#include <fstream>

namespace testsupport {

AlsaFileSink::~AlsaFileSink()
{
    Stop();
}

bool AlsaFileSink::Start(unsigned rate)
{
    Stop();
    dir_.emplace("alsa");
    if (dir_->Path().empty()) {
        error_ = "cannot make a temporary directory";
        return false;
    }
    const std::string fifo = *dir_ / "sink.fifo";
    if (!AddFifo(rate, fifo, rate, &error_)) {
        Stop();
        return false;
    }
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

void AlsaFileSink::Stop()
{
    CloseFifos();
    env_.Restore();
    dir_.reset();
}

} // namespace testsupport
