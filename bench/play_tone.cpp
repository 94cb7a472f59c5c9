// Plays the generator's real output path (table, PortAudio stream, render
// callback) for a fixed time and exits, so another process can measure what
// playing a tone costs. Uses whatever sound server PULSE_SERVER names.
//
// Usage: bench_play_tone <seconds> <rate>
//
// On exit it prints how many callbacks PortAudio flagged with an output
// underflow. The count comes from wrapping Pa_OpenStream at link time
// (-Wl,--wrap), so the generator's own code and callback are untouched; the
// wrapper costs one extra indirect call per frame.

#include "sine_table.h"
#include "tonegen_dlg.h"

#include <portaudio.h>

#include <QApplication>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

struct Counted {
    PaStreamCallback* callback = nullptr;
    void* userData = nullptr;
    std::atomic<unsigned long> underflows{0};
};
Counted s_counted;

int CountingCallback(const void* input, void* output, unsigned long frames, const PaStreamCallbackTimeInfo* time,
                     PaStreamCallbackFlags flags, void* user)
{
    auto* c = static_cast<Counted*>(user);
    if ((flags & paOutputUnderflow) != 0)
        c->underflows.fetch_add(1, std::memory_order_relaxed);
    return c->callback(input, output, frames, time, flags, c->userData);
}

} // namespace

// The generator opens one stream at a time, so one slot is enough.
extern "C" PaError __real_Pa_OpenStream(PaStream**, const PaStreamParameters*, const PaStreamParameters*, double,
                                        unsigned long, PaStreamFlags, PaStreamCallback*, void*);
extern "C" PaError __wrap_Pa_OpenStream(PaStream** stream, const PaStreamParameters* in,
                                        const PaStreamParameters* out, double rate, unsigned long framesPerBuffer,
                                        PaStreamFlags flags, PaStreamCallback* callback, void* userData)
{
    if (callback == nullptr)
        return __real_Pa_OpenStream(stream, in, out, rate, framesPerBuffer, flags, callback, userData);
    s_counted.callback = callback;
    s_counted.userData = userData;
    return __real_Pa_OpenStream(stream, in, out, rate, framesPerBuffer, flags, &CountingCallback, &s_counted);
}

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
    std::printf("output underflows: %lu\n", s_counted.underflows.load());
    return 0;
}
