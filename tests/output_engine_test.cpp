// The output engine against a real sound server: what the sink receives
// after a start, a stop and a restart, and how failures leave things.

#include "audio_fixture.h"
#include "portaudio18.h"
#include "recording_check.h"
#include "sine_table.h"
#include "tonegen_dlg.h"

#include <portaudio.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using testsupport::FindTone;
using testsupport::ToneMismatch;

bool LibraryReleased()
{
    // Every query of an uninitialised library answers paNotInitialized.
    return Pa_GetDeviceCount() == paNotInitialized;
}

class OutputEngine : public testsupport::AudioTest {
  protected:
    void TearDown() override
    {
        if (m_dlg.m_playing)
            m_dlg.StopOutput();
        AudioTest::TearDown();
    }

    void Start(std::uint32_t frequency)
    {
        m_dlg.m_frequency = frequency;
        m_dlg.StartOutput();
    }

    void Stop()
    {
        m_dlg.StopOutput();
        m_dlg.m_playing = false;
    }

    // A tone of `frequency`, recorded from its start until the sink has
    // heard `seconds` of it and for a while after its stop.
    std::vector<float> PlayAndRecord(std::uint32_t frequency, double seconds)
    {
        return Record(
            [&] {
                Start(frequency);
                ASSERT_TRUE(m_dlg.m_playing);
                EXPECT_FALSE(LibraryReleased());
                EXPECT_TRUE(HearFor(seconds));
                Stop();
            },
            300);
    }

    CToneGenDlg m_dlg;
};

// Only the first start finds the library initialised, as the dialog leaves
// it; each later one is a restart, which initialises it again.
TEST_F(OutputEngine, PlaysTheTableFromSampleZeroAcrossWraps)
{
    m_dlg.InitOutput();
    const std::pair<std::uint32_t, std::uint32_t> tones[] = {{8000, 1000}, {44100, 2000}, {96000, 1000}};
    for (const auto& [rate, frequency] : tones) {
        UseRate(rate);
        const auto recording = PlayAndRecord(frequency, 2.2);
        EXPECT_TRUE(LibraryReleased());
        const auto span = FindTone(recording);
        EXPECT_GE(span.end - span.begin, 2 * rate) << "less than two wraps recorded at " << rate;
        EXPECT_EQ(ToneMismatch(recording, frequency, rate), "") << rate;
    }
}

// Closing aborts the stream: what is queued is dropped, not played out.
// Here more than a second of tone is queued at the server, which a stop
// that drained the stream would make heard: the program's buffer is made
// two seconds long, and the server's share of it a second (libpulse reads
// PULSE_LATENCY_MSEC for every stream, the ALSA plugin's too).
TEST_F(OutputEngine, StopDiscardsWhatIsQueuedAndLeavesNothingBehind)
{
    testsupport::EnvOverride latency;
    latency.Set("PA_MIN_LATENCY_MSEC", "2000");
    latency.Set("PULSE_LATENCY_MSEC", "1000");
    UseRate(48000);
    m_dlg.InitOutput();
    std::size_t beforeStop = 0;
    const auto recording = Record(
        [&] {
            Start(440);
            EXPECT_TRUE(HearFor(0.6));
            beforeStop = m_server.RecordedCount();
            Stop();
            EXPECT_EQ(g_sineTable, nullptr);
            EXPECT_TRUE(LibraryReleased());
        },
        800);
    const auto span = FindTone(recording);
    EXPECT_EQ(ToneMismatch(recording, 440, 48000), "");
    // After the stop the sink gives out only what it had taken from the
    // server already (a block of 1024 samples) and what the recorder had yet
    // to drain from it. A drained queue added 1.4 s here.
    EXPECT_LE(span.end, beforeStop + 48000 / 4) << "the stop played out what was queued";
    EXPECT_GE(recording.size() - span.end, 48000u * 300 / 1000) << "the recording should end in silence";
}

// A start that fails (no server to reach, or a rate it refuses) leaves
// output off and everything released; the next start plays.
TEST_F(OutputEngine, FailedStartsLeaveOutputOffAndTheNextStartPlays)
{
    m_dlg.InitOutput();
    for (const bool serverGone : {true, false}) {
        SCOPED_TRACE(serverGone ? "no server" : "refused rate");
        if (serverGone)
            m_server.Kill();
        else
            g_sampleRate = 1'000'000; // beyond what the sound server accepts from a client
        Start(1000);
        EXPECT_FALSE(m_dlg.m_playing);
        EXPECT_EQ(m_dlg.m_stream, nullptr);
        EXPECT_EQ(g_sineTable, nullptr);
        EXPECT_TRUE(LibraryReleased());

        if (serverGone) {
            ASSERT_TRUE(m_server.Revive()) << m_server.Error();
        }
        UseRate(8000);
        EXPECT_EQ(ToneMismatch(PlayAndRecord(1000, 0.3), 1000, 8000), "");
    }
}

TEST_F(OutputEngine, RecommendedDeviceVariableNamesTheOutputOnlyWhenValid)
{
    m_dlg.InitOutput();
    const PaDeviceIndex count = Pa_GetDeviceCount();
    const PaDeviceIndex standard = Pa_GetDefaultOutputDevice();
    ASSERT_GT(count, 1);
    ASSERT_NE(standard, paNoDevice);
    PaDeviceIndex other = paNoDevice;
    PaDeviceIndex inputOnly = paNoDevice;
    for (PaDeviceIndex i = 0; i < count; ++i) {
        if (Pa_GetDeviceInfo(i)->maxOutputChannels == 0)
            inputOnly = i;
        else if (i != standard)
            other = i;
    }
    ASSERT_NE(other, paNoDevice) << "need a second output device";

    setenv("PA_RECOMMENDED_OUTPUT_DEVICE", std::to_string(other).c_str(), 1);
    EXPECT_EQ(pa18::Pa_GetDefaultOutputDeviceID(), other);
    std::vector<std::string> ignored{"-1", "abc", std::to_string(count), "1x", "", " 1"};
    if (inputOnly != paNoDevice)
        ignored.push_back(std::to_string(inputOnly));
    for (const std::string& bad : ignored) {
        setenv("PA_RECOMMENDED_OUTPUT_DEVICE", bad.c_str(), 1);
        EXPECT_EQ(pa18::Pa_GetDefaultOutputDeviceID(), standard) << bad;
    }
    unsetenv("PA_RECOMMENDED_OUTPUT_DEVICE");
    EXPECT_EQ(pa18::Pa_GetDefaultOutputDeviceID(), standard);

    // With an ignored value the tone still reaches the default output.
    setenv("PA_RECOMMENDED_OUTPUT_DEVICE", "abc", 1);
    const auto recording = PlayAndRecord(1000, 0.2);
    unsetenv("PA_RECOMMENDED_OUTPUT_DEVICE");
    EXPECT_EQ(ToneMismatch(recording, 1000, 22050), "");
}

} // namespace
