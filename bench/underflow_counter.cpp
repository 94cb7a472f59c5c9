#include "underflow_counter.h"

#include <portaudio.h>

#include <atomic>

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

unsigned long OutputUnderflows()
{
    return s_counted.underflows.load(std::memory_order_relaxed);
}

// The generator opens one stream at a time, so one slot is enough; the count
// runs on across streams.
extern "C" PaError __real_Pa_OpenStream(PaStream**, const PaStreamParameters*, const PaStreamParameters*, double,
                                        unsigned long, PaStreamFlags, PaStreamCallback*, void*);
extern "C" PaError __wrap_Pa_OpenStream(PaStream** stream, const PaStreamParameters* in, const PaStreamParameters* out,
                                        double rate, unsigned long framesPerBuffer, PaStreamFlags flags,
                                        PaStreamCallback* callback, void* userData)
{
    if (callback == nullptr)
        return __real_Pa_OpenStream(stream, in, out, rate, framesPerBuffer, flags, callback, userData);
    s_counted.callback = callback;
    s_counted.userData = userData;
    return __real_Pa_OpenStream(stream, in, out, rate, framesPerBuffer, flags, &CountingCallback, &s_counted);
}
