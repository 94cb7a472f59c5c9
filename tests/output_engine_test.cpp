// The output engine against a real sound server: what the sink receives
// after a start, a stop and a restart, and how failures leave things.

#include "audio_fixture.h"
#include "expected_table.h"
#include "portaudio18.h"
#include "recording_check.h"
#include "sine_table.h"
#include "tonegen_dlg.h"

#include <portaudio.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::CompareWithTable;
using testsupport::ExpectedTable;
using testsupport::FindTone;

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

    CToneGenDlg m_dlg;
};

TEST_F(OutputEngine, PlaysTheTableFromSampleZeroAcrossWraps)
{
    for (const std::uint32_t rate : {8000u, 48000u, 96000u}) {
        UseRate(rate);
        m_dlg.InitOutput();
        const auto recording = Record(
            [&] {
                Start(1000);
                ASSERT_TRUE(m_dlg.m_playing);
                Wait(2300);
                Stop();
            },
            300);
        const auto span = FindTone(recording);
        ASSERT_TRUE(span.found) << rate;
        EXPECT_GE(span.end - span.begin, 2 * rate) << "less than two wraps recorded at " << rate;
        EXPECT_EQ(CompareWithTable(recording, span, ExpectedTable(1000, rate)), "") << rate;
    }
}

TEST_F(OutputEngine, StopCutsTheToneAndLeavesNothingBehind)
{
    UseRate(48000);
    m_dlg.InitOutput();
    std::size_t recordedAtStop = 0;
    const auto recording = Record(
        [&] {
            Start(440);
            Wait(500);
            Stop();
            recordedAtStop = m_server.RecordedCount();
            EXPECT_EQ(g_sineTable, nullptr);
            EXPECT_TRUE(LibraryReleased());
        },
        600);
    const auto span = FindTone(recording);
    ASSERT_TRUE(span.found);
    EXPECT_EQ(CompareWithTable(recording, span, ExpectedTable(440, 48000)), "");
    // What follows the stop is at most what the server had already queued
    // (its buffer plus one sink block), then silence to the end.
    EXPECT_LE(span.end, recordedAtStop + 48000 * 250 / 1000);
    EXPECT_GE(recording.size() - span.end, 48000u * 300 / 1000) << "the recording should end in silence";
}

TEST_F(OutputEngine, RestartInitialisesAgainAndBeginsAtSampleZero)
{
    UseRate(44100);
    m_dlg.InitOutput();
    Start(1000);
    ASSERT_TRUE(m_dlg.m_playing);
    Wait(300);
    Stop();
    ASSERT_TRUE(LibraryReleased());

    const auto recording = Record(
        [&] {
            Start(2000);
            ASSERT_TRUE(m_dlg.m_playing);
            EXPECT_FALSE(LibraryReleased());
            Wait(600);
            Stop();
        },
        300);
    const auto span = FindTone(recording);
    ASSERT_TRUE(span.found);
    EXPECT_EQ(CompareWithTable(recording, span, ExpectedTable(2000, 44100)), "");
}

TEST_F(OutputEngine, UnavailableServerLeavesOutputOffAndTheNextStartPlays)
{
    m_server.Kill();
    m_dlg.InitOutput();
    Start(1000);
    EXPECT_FALSE(m_dlg.m_playing);
    EXPECT_EQ(m_dlg.m_stream, nullptr);
    EXPECT_EQ(g_sineTable, nullptr);
    EXPECT_TRUE(LibraryReleased());

    m_server.Stop();
    ASSERT_TRUE(m_server.Start()) << m_server.Error();
    UseRate(22050);
    const auto recording = Record(
        [&] {
            Start(1000);
            EXPECT_TRUE(m_dlg.m_playing);
            Wait(400);
            Stop();
        },
        200);
    EXPECT_EQ(CompareWithTable(recording, FindTone(recording), ExpectedTable(1000, 22050)), "");
}

TEST_F(OutputEngine, RefusedRateLeavesOutputOffAndTheNextStartPlays)
{
    m_dlg.InitOutput();
    // Beyond what the sound server accepts from a client.
    g_sampleRate = 1'000'000;
    Start(1000);
    EXPECT_FALSE(m_dlg.m_playing);
    EXPECT_EQ(g_sineTable, nullptr);
    EXPECT_TRUE(LibraryReleased());

    UseRate(8000);
    const auto recording = Record(
        [&] {
            Start(1000);
            EXPECT_TRUE(m_dlg.m_playing);
            Wait(600);
            Stop();
        },
        300);
    EXPECT_EQ(CompareWithTable(recording, FindTone(recording), ExpectedTable(1000, 8000)), "");
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
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info->maxOutputChannels > 0 && i != standard && other == paNoDevice)
            other = i;
        if (info->maxOutputChannels == 0 && inputOnly == paNoDevice)
            inputOnly = i;
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
    const auto recording = Record(
        [&] {
            Start(1000);
            EXPECT_TRUE(m_dlg.m_playing);
            Wait(300);
            Stop();
        },
        200);
    unsetenv("PA_RECOMMENDED_OUTPUT_DEVICE");
    EXPECT_EQ(CompareWithTable(recording, FindTone(recording), ExpectedTable(1000, 22050)), "");
}

} // namespace
