// Bare ALSA, no sound server: a private ALSA configuration, exported into
// this process's environment, whose default PCM is the file plugin over the
// null device writing raw samples into a FIFO. Nothing in that chain keeps
// time, so the FIFO is read at the real rate from a pipe one page deep, and
// the writer plays as fast as a device would. The FIFO holds only what was
// played: there is no silence between tones.
#pragma once

#include "sink_recorder.h"

namespace testsupport {

class AlsaFileSink : public SinkRecorder {
  public:
    // Returns false and sets Error() on failure.
    bool Start(unsigned rate);
};

} // namespace testsupport
