#pragma once

// The generator's dialog as the benchmarks drive it: no window on screen, no
// event loop, just its output path (InitOutput, StartOutput, StopOutput) at
// a chosen rate and frequency, exactly as its buttons would reach it.

#include "sine_table.h"
#include "tonegen_dlg.h"

#include <QApplication>

#include <cstdint>
#include <cstdlib>

namespace bench {

class OffscreenDialog {
  public:
    // Leaves the audio library initialised, so the first StartOutput costs
    // no more than any later one. A private sound server has to be up before
    // this, or ALSA's pulse hook never routes "default" to it.
    OffscreenDialog(int& argc, char** argv, std::uint32_t rate, std::uint32_t frequency) : app_(argc, argv)
    {
        g_sampleRate = rate;
        dlg_.m_frequency = frequency;
        dlg_.InitOutput();
    }

    // StartOutput leaves m_playing false when the stream did not open.
    bool Start()
    {
        dlg_.StartOutput();
        return dlg_.m_playing;
    }
    // StopOutput leaves the flag to its caller, as the dialog's own handlers do.
    void Stop()
    {
        dlg_.StopOutput();
        dlg_.m_playing = false;
    }

  private:
    // A member ahead of app_ so the platform is chosen before Qt starts: runs
    // where no display exists (CI, ssh) and opens no window where one does.
    struct Offscreen {
        Offscreen() { setenv("QT_QPA_PLATFORM", "offscreen", 1); }
    } offscreen_;
    QApplication app_;
    CToneGenDlg dlg_;
};

} // namespace bench
