#include "portaudio18.h"

#include "host_quiet.h"

#include <portaudio.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <optional>
#include <string_view>

namespace pa18 {

struct PortAudioStream {
    ::PaStream* stream = nullptr;
    PortAudioCallback* callback = nullptr;
    void* userData = nullptr;
};

namespace {

// Output latency when the caller leaves buffering to the library. At one
// frame per callback the host still moves audio in periods sized from this
// latency, and the period decides both safety and cost. Measured with 10 s at
// 96 kHz into PulseAudio through ALSA's pulse plugin, both cores saturated by
// busy loops (bench_compare_tools with PA_MIN_LATENCY_MSEC over a 1 ms
// default): 1 ms underflowed 11,616 times; 10 ms and more played clean, while
// the process's CPU time fell from 0.23 s (10 ms) to 0.10 s (35 ms) and 0.06 s
// (100 ms), the host waking once per period. 100 ms is clean with a wide
// margin at the lowest cost, a start is still heard within about 40 ms, and a
// stop discards the queue, so the depth never delays silence.
constexpr double kDefaultOutputLatency = 0.100;

// A whole number made of decimal digits only; anything else is "not set".
std::optional<unsigned long> EnvNumber(const char* name)
{
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0')
        return std::nullopt;
    unsigned long value = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9')
            return std::nullopt;
        const unsigned digit = static_cast<unsigned>(*p - '0');
        if (value > (0x7FFFFFFFul - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

bool IsOutputDevice(long index)
{
    if (index < 0 || index >= Pa_GetDeviceCount())
        return false;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(static_cast<PaDeviceIndex>(index));
    return info != nullptr && info->maxOutputChannels > 0;
}

double LatencyFloor()
{
    const auto ms = EnvNumber("PA_MIN_LATENCY_MSEC");
    return ms && *ms > 0 ? static_cast<double>(*ms) / 1000.0 : 0.0;
}

int Trampoline(const void* input, void* output, unsigned long frames, const PaStreamCallbackTimeInfo* time,
               PaStreamCallbackFlags, void* user)
{
    const auto* s = static_cast<const PortAudioStream*>(user);
    return s->callback(const_cast<void*>(input), output, static_cast<std::uint32_t>(frames),
                       time != nullptr ? time->outputBufferDacTime : 0.0, s->userData);
}

std::optional<PaStreamParameters> Parameters(PaDeviceID device, int channels, PaSampleFormat format,
                                             double latency)
{
    if (device == paNoDevice || channels <= 0)
        return std::nullopt;
    return PaStreamParameters{device, channels, static_cast<::PaSampleFormat>(format), latency, nullptr};
}

} // namespace

PaError Pa_Initialize()
{
    QuietHostLibraries();
    return ::Pa_Initialize();
}

PaError Pa_Terminate()
{
    return ::Pa_Terminate();
}

PaDeviceID Pa_GetDefaultOutputDeviceID()
{
    if (const auto recommended = EnvNumber("PA_RECOMMENDED_OUTPUT_DEVICE"); recommended && IsOutputDevice(*recommended))
        return static_cast<PaDeviceID>(*recommended);
    return ::Pa_GetDefaultOutputDevice();
}

PaError Pa_OpenStream(PortAudioStream** stream, PaDeviceID inputDevice, int numInputChannels,
                      PaSampleFormat inputSampleFormat, void* /*inputDriverInfo*/, PaDeviceID outputDevice,
                      int numOutputChannels, PaSampleFormat outputSampleFormat, void* /*outputDriverInfo*/,
                      double sampleRate, unsigned long framesPerBuffer, unsigned long numberOfBuffers,
                      PaStreamFlags streamFlags, PortAudioCallback* callback, void* userData)
{
    if (stream == nullptr || callback == nullptr)
        return paBadStreamPtr;
    *stream = nullptr;
    // Only 32-bit float is used here, and it is the one format whose flag
    // has the same value in both interface generations.
    if ((numInputChannels > 0 && inputSampleFormat != paFloat32) ||
        (numOutputChannels > 0 && outputSampleFormat != paFloat32))
        return paSampleFormatNotSupported;

    double latency = kDefaultOutputLatency;
    if (numberOfBuffers > 0 && sampleRate > 0)
        latency = static_cast<double>(numberOfBuffers) * static_cast<double>(framesPerBuffer) / sampleRate;
    latency = std::max(latency, LatencyFloor());

    const auto in = Parameters(inputDevice, numInputChannels, inputSampleFormat, latency);
    const auto out = Parameters(outputDevice, numOutputChannels, outputSampleFormat, latency);

    auto* wrapper = new (std::nothrow) PortAudioStream{nullptr, callback, userData};
    if (wrapper == nullptr)
        return paInsufficientMemory;
    const PaError err = ::Pa_OpenStream(&wrapper->stream, in ? &*in : nullptr, out ? &*out : nullptr, sampleRate,
                                        framesPerBuffer, streamFlags & (paClipOff | paDitherOff), &Trampoline,
                                        wrapper);
    if (err != paNoError) {
        delete wrapper;
        return err;
    }
    *stream = wrapper;
    return paNoError;
}

PaError Pa_StartStream(PortAudioStream* stream)
{
    return stream != nullptr ? ::Pa_StartStream(stream->stream) : paBadStreamPtr;
}

PaError Pa_CloseStream(PortAudioStream* stream)
{
    if (stream == nullptr)
        return paBadStreamPtr;
    const PaError err = ::Pa_CloseStream(stream->stream);
    delete stream;
    return err;
}

} // namespace pa18
