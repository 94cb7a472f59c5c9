#pragma once

// The audio library's classic (version 18) call shape, kept so that the
// output engine reads like the code it was written as. Implemented over
// PortAudio 19, built with this program from Debian's portaudio19 source
// (audio/portaudio/ on Linux, cmake/WindowsPortAudio.cmake on Windows);
// nothing of the program outside audio/ includes this.

#include <cstdint>

namespace pa18 {

using PaError = int;
using PaDeviceID = int;
using PaSampleFormat = unsigned long;
using PaStreamFlags = unsigned long;
using PaTimestamp = double;
struct PortAudioStream;

constexpr PaError paNoError = 0;
constexpr PaDeviceID paNoDevice = -1;
constexpr PaSampleFormat paFloat32 = 1ul << 0;
constexpr PaStreamFlags paClipOff = 1ul << 0;
constexpr PaStreamFlags paDitherOff = 1ul << 1;

// Returning 0 keeps the stream running. The frame count is 32 bits wide, as
// on the platform this interface comes from.
using PortAudioCallback = int(void* inputBuffer, void* outputBuffer, std::uint32_t framesPerBuffer, PaTimestamp outTime,
                              void* userData);

PaError Pa_Initialize();
PaError Pa_Terminate();

// The default output device; PA_RECOMMENDED_OUTPUT_DEVICE, when it names a
// valid output device by index, takes its place (on Windows PortAudio's own
// host sees to that). paNoDevice when none exists.
PaDeviceID Pa_GetDefaultOutputDeviceID();

// numberOfBuffers 0 leaves the buffering to this adapter (stream_settings.h).
// PA_MIN_LATENCY_MSEC, when a positive whole number, is a floor on the
// output latency.
PaError Pa_OpenStream(PortAudioStream** stream, PaDeviceID inputDevice, int numInputChannels,
                      PaSampleFormat inputSampleFormat, void* inputDriverInfo, PaDeviceID outputDevice,
                      int numOutputChannels, PaSampleFormat outputSampleFormat, void* outputDriverInfo,
                      double sampleRate, unsigned long framesPerBuffer, unsigned long numberOfBuffers,
                      PaStreamFlags streamFlags, PortAudioCallback* callback, void* userData);

PaError Pa_StartStream(PortAudioStream* stream);

// Aborts the stream (queued audio is discarded) and returns only once the
// callback can no longer run.
PaError Pa_CloseStream(PortAudioStream* stream);

} // namespace pa18
