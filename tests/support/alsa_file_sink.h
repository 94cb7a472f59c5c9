// Bare ALSA, no sound server: a private ALSA configuration, exported into
// this process's environment, whose default PCM is the file plugin over the
// null device writing raw samples into a FIFO. Nothing in that chain keeps
// time, so the FIFO is read at the real rate from a pipe one page deep, and
// the writer plays as fast as a device would. The FIFO holds only what was
// played: there is no silence between tones.
#pragma once

#include "child_process.h"
#include "files.h"
#include "sink_recorder.h"

#include <optional>
#include <string>

namespace testsupport {

class AlsaFileSink : public SinkRecorder {
  public:
    AlsaFileSink() = default;
    ~AlsaFileSink() override;

    // Returns false and sets Error() on failure.
    bool Start(unsigned rate);
    void Stop();

    std::string Error() const override { return error_; }

  private:
    std::optional<TempDir> dir_;
    EnvOverride env_;
    std::string error_;
};

} // namespace testsupport
