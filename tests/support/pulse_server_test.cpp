// Checks that the private sound server really gives audio tests what they
// rely on: a real-time timeline of the default sink, and the exact float
// samples a PortAudio client sent, at every rate we use.
#include "pulse_server.h"

#include <gtest/gtest.h>
#include <portaudio.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using testsupport::PulseServer;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Pseudo-random, never zero: any resampling, gain or format conversion on
// the way changes bits, and the first non-zero recorded sample is sample 0.
std::vector<float> TestSignal(std::size_t n)
{
    std::vector<float> out(n);
    std::uint32_t state = 0x12345678u;
    for (auto& s : out) {
        state = state * 1664525u + 1013904223u;
        float mag = 0.01f + 0.89f * static_cast<float>(state >> 8) / static_cast<float>(1u << 24);
        s = (state & 1u) ? mag : -mag;
    }
    return out;
}

// Plays `signal`, then `pad` zeros before completing: PortAudio's ALSA
// backend drops (not drains) whatever is still buffered when a stream stops,
// so the padding carries the end of the signal out of the device buffer.
struct Playback {
    const std::vector<float>* signal;
    std::size_t pad = 0;
    std::size_t pos = 0;
};

int PlayCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                 PaStreamCallbackFlags, void* user)
{
    auto* p = static_cast<Playback*>(user);
    auto* out = static_cast<float*>(output);
    const std::size_t total = p->signal->size() + p->pad;
    std::fill(out, out + frames, 0.0f);
    if (p->pos < p->signal->size()) {
        std::size_t n = std::min<std::size_t>(frames, p->signal->size() - p->pos);
        std::copy_n(p->signal->data() + p->pos, n, out);
    }
    p->pos = std::min(total, p->pos + frames);
    return p->pos == total ? paComplete : paContinue;
}

class PulseServerTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        // The server must be up before PortAudio first makes ALSA read its
        // configuration, or "default" will not route to it.
        ASSERT_TRUE(server_.Start()) << server_.Error();
    }
    void TearDown() override
    {
        if (pa_initialized_)
            Pa_Terminate();
        server_.Stop();
    }
    void InitPortAudio()
    {
        ASSERT_EQ(Pa_Initialize(), paNoError);
        pa_initialized_ = true;
    }

    PulseServer server_;
    bool pa_initialized_ = false;
};

TEST_F(PulseServerTest, StartExportsServerAndStopCleansUp)
{
    const std::string dir = server_.Dir();
    ASSERT_TRUE(server_.Running());
    ASSERT_NE(std::getenv("PULSE_SERVER"), nullptr);
    EXPECT_EQ(std::string(std::getenv("PULSE_SERVER")), "unix:" + dir + "/native");
    ASSERT_NE(std::getenv("PULSE_CLIENTCONFIG"), nullptr);
    std::string info;
    ASSERT_TRUE(server_.Pactl({"info"}, &info)) << server_.Error();
    EXPECT_NE(info.find("Server Version"), std::string::npos) << info;

    server_.Stop();
    EXPECT_FALSE(server_.Running());
    EXPECT_EQ(std::getenv("PULSE_SERVER"), nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir));
}

TEST_F(PulseServerTest, KillLeavesServerGone)
{
    ASSERT_TRUE(server_.UseRate(48000)) << server_.Error();
    server_.Kill();
    EXPECT_FALSE(server_.Running());
    EXPECT_FALSE(server_.Pactl({"info"}));
    EXPECT_FALSE(server_.UseRate(48000));
}

TEST_F(PulseServerTest, SwitchingBackToARateReusesItsSink)
{
    ASSERT_TRUE(server_.UseRate(48000)) << server_.Error();
    ASSERT_TRUE(server_.UseRate(8000)) << server_.Error();
    ASSERT_TRUE(server_.UseRate(48000)) << server_.Error();
    EXPECT_EQ(server_.Rate(), 48000u);
    std::string modules, info;
    ASSERT_TRUE(server_.Pactl({"list", "short", "modules"}, &modules)) << server_.Error();
    std::size_t pipe_sinks = 0;
    for (std::size_t at = 0; (at = modules.find("module-pipe-sink", at)) != std::string::npos; ++at)
        ++pipe_sinks;
    EXPECT_EQ(pipe_sinks, 2u) << modules;
    ASSERT_TRUE(server_.Pactl({"info"}, &info)) << server_.Error();
    EXPECT_NE(info.find("Default Sink: tonegen_test_48000"), std::string::npos) << info;
}

TEST_F(PulseServerTest, RecordsSilenceInRealTime)
{
    constexpr unsigned kRate = 48000;
    ASSERT_TRUE(server_.UseRate(kRate)) << server_.Error();
    const std::size_t want = kRate * 3 / 10;
    auto start = Clock::now();
    server_.StartRecording();
    ASSERT_TRUE(server_.WaitForRecorded(want, 5s)) << "only " << server_.RecordedCount();
    auto elapsed = Clock::now() - start;
    std::vector<float> rec = server_.StopRecording();
    ASSERT_GE(rec.size(), want);
    EXPECT_TRUE(std::all_of(rec.begin(), rec.end(), [](float s) { return std::bit_cast<std::uint32_t>(s) == 0; }));
    // A sink paced by the pipe instead of the clock would deliver 0.3 s of
    // audio in no time. Lower bound only: a loaded machine just makes it later.
    // The slack covers the sink's ~21 ms buffer already in the FIFO.
    EXPECT_GE(elapsed, 200ms);
}

class PulseServerRateTest : public PulseServerTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(PulseServerRateTest, PortAudioOutputArrivesBitExact)
{
    const unsigned rate = GetParam();
    ASSERT_TRUE(server_.UseRate(rate)) << server_.Error();
    InitPortAudio();

    const PaDeviceIndex dev = Pa_GetDefaultOutputDevice();
    ASSERT_NE(dev, paNoDevice);
    const PaDeviceInfo* info = Pa_GetDeviceInfo(dev);
    PaStreamParameters out{};
    out.device = dev;
    out.channelCount = 1;
    out.sampleFormat = paFloat32;
    out.suggestedLatency = info->defaultHighOutputLatency;

    const std::vector<float> signal = TestSignal(rate / 2);
    Playback play{&signal};
    PaStream* stream = nullptr;
    ASSERT_EQ(Pa_OpenStream(&stream, nullptr, &out, rate, paFramesPerBufferUnspecified, paNoFlag, PlayCallback, &play),
              paNoError)
        << "device " << info->name;
    const double out_latency = Pa_GetStreamInfo(stream)->outputLatency;
    play.pad = static_cast<std::size_t>((out_latency + 0.2) * rate);

    server_.StartRecording();
    const auto pa_start = Clock::now();
    ASSERT_EQ(Pa_StartStream(stream), paNoError);
    EXPECT_TRUE(server_.WaitForSound(5s));
    const auto heard = Clock::now();
    const auto deadline = Clock::now() + 10s;
    while (Pa_IsStreamActive(stream) == 1 && Clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(Pa_IsStreamActive(stream), 0) << "stream never completed";
    Pa_StopStream(stream);
    Pa_CloseStream(stream);
    // Let another half second of timeline through so nothing still in flight
    // in the server is cut off.
    ASSERT_TRUE(server_.WaitForRecorded(server_.RecordedCount() + rate / 2, 5s));
    const std::vector<float> rec = server_.StopRecording();

    auto first = std::find_if(rec.begin(), rec.end(), [](float s) { return s != 0.0f; });
    ASSERT_NE(first, rec.end()) << "nothing but silence recorded";
    const std::size_t lead = static_cast<std::size_t>(first - rec.begin());
    ASSERT_GE(rec.size() - lead, signal.size());
    std::size_t mismatches = 0, first_mismatch = 0;
    for (std::size_t i = 0; i < signal.size(); ++i) {
        if (std::bit_cast<std::uint32_t>(rec[lead + i]) != std::bit_cast<std::uint32_t>(signal[i])) {
            if (mismatches++ == 0)
                first_mismatch = i;
        }
    }
    EXPECT_EQ(mismatches, 0u) << "first at " << first_mismatch << ": sent " << signal[first_mismatch] << ", got "
                              << rec[lead + first_mismatch];
    // Afterwards the sink must be back to silence, not repeating or garbage.
    EXPECT_TRUE(std::all_of(first + static_cast<long>(signal.size()), rec.end(), [](float s) { return s == 0.0f; }));

    const double latency_ms = std::chrono::duration<double, std::milli>(heard - pa_start).count();
    std::cout << "[ info     ] " << rate << " Hz via '" << info->name << "' (output latency " << out_latency * 1000
              << " ms): first sample drained " << latency_ms << " ms after Pa_StartStream, " << lead
              << " silent samples before it\n";
    RecordProperty("start_latency_ms", std::to_string(latency_ms));
}

INSTANTIATE_TEST_SUITE_P(Rates, PulseServerRateTest, ::testing::Values(8000u, 48000u, 96000u),
                         [](const auto& p) { return std::to_string(p.param); });

} // namespace
