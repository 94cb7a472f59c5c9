// Plays the generator's real output path (table, PortAudio stream, render
// callback) for a fixed time and exits, so another process can measure what
// playing a tone costs. Uses whatever sound server PULSE_SERVER names.
//
// Usage: bench_play_tone <seconds> <rate>

#include "sine_table.h"
#include "tonegen_dlg.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <seconds> <rate>\n", argv[0]);
        return 2;
    }
    const double seconds = std::atof(argv[1]);
    const long rate = std::atol(argv[2]);
    if (seconds <= 0 || rate <= 0) {
        std::fprintf(stderr, "%s: seconds and rate must be positive\n", argv[0]);
        return 2;
    }

    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    CToneGenDlg dlg;
    g_sampleRate = static_cast<std::uint32_t>(rate);
    dlg.m_frequency = 1000;
    dlg.InitOutput();
    dlg.StartOutput();
    if (!dlg.m_playing) {
        std::fprintf(stderr, "%s: the output did not start\n", argv[0]);
        return 1;
    }
    // The audio thread does all the work; the UI thread has nothing to do.
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    dlg.StopOutput();
    dlg.m_playing = false;
    return 0;
}
