// The least a Windows program can do to play a tone: the wave-out service
// directly, 16-bit mono, four 20 ms buffers, each refilled from a table as it
// comes back. No PortAudio, no float, no dither, no window. Under Wine it is
// the yardstick for tonegen.exe: whatever it costs is Wine's own price for
// wave-out at that rate, which bench_program_figures measures in the same
// run as the generator.
//
// Usage: bench_waveout_tone <seconds> <rate>   (plays 1000 Hz)

#include "player_report.h"
#include "sine_table.h"

#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

constexpr int kBuffers = 4;
constexpr unsigned kBufferMs = 20;

int main(int argc, char** argv)
{
    double seconds = 0;
    long rate = 0;
    if (!bench::ReadPlayerArguments(argc, argv, seconds, rate))
        return 2;

    // The generator's own table, at 16 bits: the same tone the generator
    // plays, so both programs give Wine the same work.
    g_sampleRate = static_cast<std::uint32_t>(rate);
    BuildSineTable(1000);
    std::vector<std::int16_t> table(g_sampleRate);
    for (std::uint32_t i = 0; i < g_sampleRate; ++i)
        table[i] = static_cast<std::int16_t>(std::lrint(g_sineTable[i] * 32767.0f));
    FreeSineTable();

    const WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, static_cast<DWORD>(rate), static_cast<DWORD>(rate) * 2, 2, 16, 0};
    const HANDLE bufferDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT out = nullptr;
    if (waveOutOpen(&out, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(bufferDone), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        std::fprintf(stderr, "waveOutOpen failed at %ld Hz\n", rate);
        return 1;
    }

    const std::size_t frames = static_cast<std::size_t>(rate) * kBufferMs / 1000;
    std::vector<std::int16_t> data(frames * kBuffers);
    std::array<WAVEHDR, kBuffers> headers{};
    std::size_t index = 0;
    const auto fillAndQueue = [&](WAVEHDR& header) {
        auto* samples = reinterpret_cast<std::int16_t*>(header.lpData);
        for (std::size_t i = 0; i < frames; ++i, index = index + 1 == table.size() ? 0 : index + 1)
            samples[i] = table[index];
        waveOutWrite(out, &header, sizeof(WAVEHDR));
    };
    for (int b = 0; b < kBuffers; ++b) {
        headers[b].lpData = reinterpret_cast<LPSTR>(data.data() + b * frames);
        headers[b].dwBufferLength = static_cast<DWORD>(frames * sizeof(std::int16_t));
        waveOutPrepareHeader(out, &headers[b], sizeof(WAVEHDR));
        fillAndQueue(headers[b]);
    }

    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (GetTickCount64() < end) {
        WaitForSingleObject(bufferDone, 100);
        for (auto& header : headers)
            if (header.dwFlags & WHDR_DONE)
                fillAndQueue(header);
    }

    waveOutReset(out);
    for (auto& header : headers)
        waveOutUnprepareHeader(out, &header, sizeof(WAVEHDR));
    waveOutClose(out);
    CloseHandle(bufferDone);
    return 0;
}
