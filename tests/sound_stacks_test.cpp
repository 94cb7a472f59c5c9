// The generator on every Linux sound stack it meets: PipeWire through its
// PulseAudio-protocol server and through its own ALSA plugin, bare ALSA with
// no server, and PulseAudio; each recorded at its sink and compared with the
// table sample for sample. A server that is missing at the first start, or
// dies mid-tone, must cost the user nothing but silence. Last, the private
// PulseAudio server's recording is held to being a timeline.

#include "alsa_file_sink.h"
#include "audio_fixture.h"
#include "dialog_driver.h"
#include "message_box_answerer.h"
#include "pipewire_server.h"
#include "pulse_server.h"
#include "rates.h"
#include "recording_check.h"
#include "sine_table.h"
#include "tonegen_dlg.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using testsupport::Click;
using testsupport::CpuSeconds;
using testsupport::kPatience;

// A live dialog on whatever route the test has set up first: the library is
// initialised when the dialog opens, so the stack must exist by then.
class SoundStacks : public ::testing::Test {
  protected:
    void TearDown() override
    {
        if (testsupport::Window(m_dlg) != nullptr) {
            Click(m_dlg, IDC_STOP);
            m_dlg.DestroyWindow();
        }
        g_sampleRate = 22050;
    }

    void Open(std::uint32_t rate)
    {
        ASSERT_TRUE(m_dlg.Create());
        for (const auto& [id, hz] : testsupport::kRateButtons)
            if (hz == rate)
                Click(m_dlg, id);
        ASSERT_EQ(g_sampleRate, rate);
    }

    // Plays a continuous tone until `sink` has heard a quarter of a second
    // of it, and checks what it heard against the table.
    void ExpectPlaysTheTable(testsupport::SinkRecorder& sink, std::uint32_t rate, const char* route)
    {
        sink.StartRecording();
        Click(m_dlg, IDC_START_CONTINUOUS);
        ASSERT_TRUE(m_dlg.m_playing) << route;
        ASSERT_TRUE(sink.WaitForSound(kPatience)) << route << ": nothing reached the sink";
        ASSERT_TRUE(sink.WaitForRecorded(sink.RecordedCount() + rate / 4, kPatience)) << route;
        Click(m_dlg, IDC_STOP);
        const auto recording = sink.StopRecording();
        const auto span = testsupport::FindTone(recording);
        EXPECT_GE(span.end - span.begin, rate / 5) << route;
        EXPECT_EQ(testsupport::ToneMismatch(recording, 1000, rate), "") << route;
    }

    // The server is missing when the dialog opens, so the first start fails
    // quietly; once it is back the next start plays. Then it dies mid-tone:
    // the stop returns, the process falls idle, standard error gets a few
    // lines at most, starts fail quietly, and once the server is back again
    // the next start plays the table from sample 0.
    void ExpectServerLossCostsOnlySilence(testsupport::SoundServer& server, std::uint32_t rate, const char* route)
    {
        server.Kill();
        Open(rate);
        Click(m_dlg, IDC_START_CONTINUOUS);
        EXPECT_FALSE(m_dlg.m_playing) << route << ": a start without a server reported success";
        ASSERT_TRUE(server.Revive()) << route;
        ExpectPlaysTheTable(server, rate, route);

        server.StartRecording();
        Click(m_dlg, IDC_START_CONTINUOUS);
        ASSERT_TRUE(m_dlg.m_playing) << route;
        ASSERT_TRUE(server.WaitForSound(kPatience)) << route;
        server.StopRecording();
        // Into a file of gtest's: a flood in these few seconds is no danger.
        testing::internal::CaptureStderr();
        server.KillMidTone();
        // Nothing the user does may hang on the missing server. Generous: a
        // click caught in the lost server never returns; a sound one that
        // re-initialises the audio library has taken up to a second under
        // AddressSanitizer on two busy cores.
        const auto click = [&](int id) {
            QElapsedTimer clock;
            clock.start();
            Click(m_dlg, id);
            EXPECT_LT(clock.elapsed(), 5000) << route << ": a click hung on the lost server";
            EXPECT_FALSE(m_dlg.m_playing) << route;
        };
        click(IDC_STOP);
        // Asleep, not pumping events: that loop would be the busiest thread.
        std::this_thread::sleep_for(1s);
        const double cpuBefore = CpuSeconds();
        std::this_thread::sleep_for(1s);
        EXPECT_LT(CpuSeconds() - cpuBefore, 0.2) << route << ": still busy a second after the stop";
        const std::string text = testing::internal::GetCapturedStderr();
        EXPECT_LE(std::count(text.begin(), text.end(), '\n'), 10) << route << ": standard error flooded:\n"
                                                                  << text.substr(0, 2000);
        // Starts without the server fail quietly.
        for (const int id : {IDC_START_CONTINUOUS, IDC_START_TIMED, IDC_STOP})
            click(id);

        ASSERT_TRUE(server.Revive()) << route;
        ExpectPlaysTheTable(server, rate, route);
    }

    CToneGenDlg m_dlg;
    testsupport::MessageBoxAnswerer m_boxes;
};

TEST_F(SoundStacks, PipeWireThroughItsPulseAudioServerPlaysTheTable)
{
    testsupport::PipeWireServer server;
    ASSERT_TRUE(server.Start(testsupport::PipeWireServer::Route::PulseProtocol, 22050)) << server.Error();
    Open(22050);
    ExpectPlaysTheTable(server, 22050, "PipeWire, PulseAudio protocol");
}

TEST_F(SoundStacks, BareAlsaWithNoServerPlaysTheTable)
{
    testsupport::AlsaFileSink sink;
    ASSERT_TRUE(sink.Start(96000)) << sink.Error();
    Open(96000);
    ExpectPlaysTheTable(sink, 96000, "bare ALSA");
}

TEST_F(SoundStacks, PipeWireThroughItsAlsaPluginSurvivesLosingTheServer)
{
    testsupport::PipeWireServer server;
    ASSERT_TRUE(server.Start(testsupport::PipeWireServer::Route::AlsaPlugin, 48000)) << server.Error();
    ExpectServerLossCostsOnlySilence(server, 48000, "PipeWire, ALSA plugin");
    EXPECT_EQ(server.Error(), "");
}

TEST_F(SoundStacks, PulseAudioSurvivesLosingTheServer)
{
    testsupport::PulseServer server;
    ASSERT_TRUE(server.Start()) << server.Error();
    ASSERT_TRUE(server.UseRate(48000)) << server.Error();
    ExpectServerLossCostsOnlySilence(server, 48000, "PulseAudio");
    EXPECT_EQ(server.Error(), "");
}

// What the audio tests rely on and might pass without, were it lost: a
// recording that is a real-time timeline. (A server that cannot be reached,
// a kill that leaves it running or a revival without its sinks, and samples
// that do not arrive bit for bit, fail the audio tests.)
TEST(PulseServerTest, RecordsSilenceInRealTime)
{
    constexpr unsigned kRate = 48000;
    testsupport::PulseServer server;
    ASSERT_TRUE(server.Start()) << server.Error();
    ASSERT_TRUE(server.UseRate(kRate)) << server.Error();
    const auto start = std::chrono::steady_clock::now();
    server.StartRecording();
    ASSERT_TRUE(server.WaitForRecorded(kRate * 3 / 10, 5s)) << "only " << server.RecordedCount();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const std::vector<float> rec = server.StopRecording();
    EXPECT_TRUE(std::all_of(rec.begin(), rec.end(), [](float s) { return s == 0.0f; }));
    // A sink paced by the pipe instead of the clock would deliver 0.3 s of
    // audio in no time. Lower bound only: a loaded machine just makes it later.
    // The slack covers the sink's ~21 ms buffer already in the FIFO.
    EXPECT_GE(elapsed, 200ms);
}

} // namespace
