#include "portaudio18.h"

#include "host_quiet.h"
#include "resident_plugins.h"
#include "stream_settings.h"

#include <portaudio.h>
#if defined(__linux__)
#include <pa_linux_alsa.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <new>
#include <optional>

namespace pa18 {

struct PortAudioStream {
    ::PaStream* stream = nullptr;
    PortAudioCallback* callback = nullptr;
    void* userData = nullptr;
    // What each call of `callback` is given: the frames per buffer it was
    // opened with (0: whatever the library hands over), and the float
    // samples a frame holds in each direction.
    unsigned long framesPerCall = 0;
    int inputChannels = 0;
    int outputChannels = 0;
    double secondsPerFrame = 0;
};

namespace {

[[maybe_unused]] bool IsOutputDevice(long index)
{
    if (index < 0 || index >= Pa_GetDeviceCount())
        return false;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(static_cast<PaDeviceIndex>(index));
    return info != nullptr && info->maxOutputChannels > 0;
}

// Hands the library's buffer to the classic callback in calls of the
// frames per buffer it was opened with. PortAudio 19 would make those calls
// itself, but for one frame per buffer it does so with a buffer's worth of
// bookkeeping and a one-sample conversion around every frame, which at
// 96000 Hz was most of our CPU; here a frame costs a call.
int Trampoline(const void* input, void* output, unsigned long frames, const PaStreamCallbackTimeInfo* time,
               PaStreamCallbackFlags, void* user)
{
    const auto* s = static_cast<const PortAudioStream*>(user);
    const unsigned long step = s->framesPerCall != 0 ? s->framesPerCall : frames;
    // Stepped, not recomputed per call: at one frame per call this loop runs
    // 96,000 times a second. A missing direction stays null (null plus 0).
    auto* in = static_cast<float*>(const_cast<void*>(input));
    auto* out = static_cast<float*>(output);
    float* const outEnd = out != nullptr ? out + frames * s->outputChannels : nullptr;
    const unsigned long inStride = in != nullptr ? step * s->inputChannels : 0;
    const unsigned long outStride = out != nullptr ? step * s->outputChannels : 0;
    const double timeStride = static_cast<double>(step) * s->secondsPerFrame;
    double outTime = time != nullptr ? time->outputBufferDacTime : 0.0;
    for (unsigned long done = 0; done < frames; done += step, in += inStride, out += outStride, outTime += timeStride) {
        const int result = s->callback(in, out, static_cast<std::uint32_t>(step), outTime, s->userData);
        if (result != 0) {
            // The classic interface ends the stream after this buffer; what
            // the callback did not fill is silence.
            if (out != nullptr)
                std::fill(out + outStride, outEnd, 0.0f);
            return result;
        }
    }
    return paContinue;
}

std::optional<PaStreamParameters> Parameters(PaDeviceID device, int channels, PaSampleFormat format, double latency)
{
    if (device == paNoDevice || channels <= 0)
        return std::nullopt;
    return PaStreamParameters{device, channels, static_cast<::PaSampleFormat>(format), latency, nullptr};
}

} // namespace

PaError Pa_Initialize()
{
    QuietHostLibraries();
    const PaError err = ::Pa_Initialize();
    KeepHostPluginsResident();
    return err;
}

PaError Pa_Terminate()
{
    return ::Pa_Terminate();
}

PaDeviceID Pa_GetDefaultOutputDeviceID()
{
#if !defined(_WIN32)
    // PortAudio's Windows host reads this variable itself when it lists its
    // devices; elsewhere nothing does.
    if (const auto recommended = ParseWholeNumber(std::getenv("PA_RECOMMENDED_OUTPUT_DEVICE"));
        recommended && IsOutputDevice(static_cast<long>(*recommended)))
        return static_cast<PaDeviceID>(*recommended);
#endif
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

    // Of PortAudio 19's Windows hosts only DirectSound reads this floor, not
    // the MME host used here, so it is applied here on every platform.
    const double latency =
        ChooseOutputLatency(numberOfBuffers, framesPerBuffer, sampleRate, std::getenv("PA_MIN_LATENCY_MSEC"));

#if defined(__linux__)
    PaAlsa_SetNumPeriods(kAlsaPeriods);
#endif

    const auto in = Parameters(inputDevice, numInputChannels, inputSampleFormat, latency);
    const auto out = Parameters(outputDevice, numOutputChannels, outputSampleFormat, latency);

    auto* wrapper = new (std::nothrow) PortAudioStream{nullptr,
                                                      callback,
                                                      userData,
                                                      framesPerBuffer,
                                                      std::max(numInputChannels, 0),
                                                      std::max(numOutputChannels, 0),
                                                      sampleRate > 0 ? 1.0 / sampleRate : 0.0};
    if (wrapper == nullptr)
        return paInsufficientMemory;
    // A stream starts with the callback's own samples, never with silence:
    // a timed tone's deadline runs from the click, so silence played first
    // is cut from the tone. The MME host honours this flag by filling every
    // buffer from the callback before it starts the device. The ALSA host
    // ignores it; our build of it starts on the callback's samples anyway
    // (audio/portaudio/alsa-start-on-callback-data.patch).
    const PaStreamFlags flags = (streamFlags & (paClipOff | paDitherOff)) | paPrimeOutputBuffersUsingStreamCallback;
    // One frame per buffer is asked of the library as any buffer at all;
    // the trampoline makes the one-frame calls.
    const unsigned long hostFrames = framesPerBuffer <= 1 ? paFramesPerBufferUnspecified : framesPerBuffer;
    const PaError err = ::Pa_OpenStream(&wrapper->stream, in ? &*in : nullptr, out ? &*out : nullptr, sampleRate,
                                        hostFrames, flags, &Trampoline, wrapper);
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
