// The built program as a user meets it: its own X server, its own sound
// server, and nothing but key presses and mouse clicks. What reaches the
// sink is checked against the table sample for sample; what the program
// prints to standard error must stay empty. Every case runs against the
// Linux program and, in the Windows build's tests, against tonegen.exe under
// Wine (program_under_test.h says what differs).

#include "app_process.h"
#include "dialog_geometry.h"
#include "expected_table.h"
#include "pipewire_server.h"
#include "program_under_test.h"
#include "pulse_server.h"
#include "recording_check.h"
#include "resource.h"
#include "x_session.h"

#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using e2e::Point;

// Generous bounds for things that take a fraction of a second; only a
// program that never gets there runs into them.
constexpr auto kPatience = 10s;

// The X server, the sound server and the program are all per test.
class Program : public ::testing::TestWithParam<e2e::ProgramUnderTest> {
  protected:
    void SetUp() override
    {
        std::string dir = (std::filesystem::temp_directory_path() / "tonegen-e2e-XXXXXX").string();
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_dir = dir;
        // Qt insists on a private runtime directory and complains about any other.
        ASSERT_EQ(mkdir((m_dir + "/run").c_str(), 0700), 0);
        ASSERT_TRUE(m_server.Start()) << m_server.Error();
        std::string error;
        ASSERT_TRUE(m_x.Start(m_dir + "/xvfb.log", &error)) << error;
        ASSERT_TRUE(e2e::SetUpFor(Under(), m_x, m_dir, m_dir + "/setup.log", &error)) << error;
    }

    void TearDown() override
    {
        if (m_launched) {
            m_app.Kill();
            EXPECT_EQ(m_app.Stderr(), "") << "the program wrote to standard error";
        }
        EXPECT_TRUE(e2e::CleanUpAfter(Under(), m_dir + "/cleanup.log"));
        m_x.Stop();
        m_server.Stop();
        std::filesystem::remove_all(m_dir);
    }

    const e2e::ProgramUnderTest& Under() const { return GetParam(); }

    // Starts a copy of the program and waits for its window.
    e2e::Window StartCopy(e2e::AppProcess& app, const std::string& stderrName)
    {
        std::string error;
        const e2e::Window window =
            e2e::StartCopy(Under(), m_x, app, m_dir, m_dir + "/" + stderrName, kPatience, &error);
        EXPECT_NE(window, e2e::kNoWindow) << error;
        return window;
    }

    // Starts the program with the sink at `sinkRate` and waits for its window.
    void Launch(unsigned sinkRate)
    {
        ASSERT_TRUE(m_server.UseRate(sinkRate)) << m_server.Error();
        m_launched = true;
        m_window = StartCopy(m_app, "stderr");
        ASSERT_NE(m_window, e2e::kNoWindow);
        ASSERT_NO_FATAL_FAILURE(MeasureWindow());
        m_x.Focus(m_window);
    }

    // Where the dialog is and how large its dialog unit came out.
    void MeasureWindow()
    {
        const std::string wrong = m_dialog.Measure(m_x, m_window, Under().exactDialogUnits);
        ASSERT_EQ(wrong, "");
    }

    void Click(int id) { m_x.Click(m_dialog.Centre(id)); }

    float Tolerance() const { return Under().tolerance; }
    std::size_t InsertedSilence(unsigned rate) const
    {
        return static_cast<std::size_t>(Under().insertedSilence * rate);
    }

    // Into the field, everything selected, then the new text over it. The
    // classic edit control knows no Ctrl+A; Home and Shift+End both do.
    void Retype(int id, std::string_view text)
    {
        Click(id);
        m_x.Key(XK_Home);
        m_x.Key(XK_End, {XK_Shift_L});
        if (text.empty())
            m_x.Key(XK_BackSpace);
        else
            m_x.Type(text);
    }

    // Into the field, everything selected, then Ctrl+V, the clipboard
    // holding `text`, until the program has asked for the text. A copied
    // clipboard asks for the targets once it has noticed the new owner; a
    // paste that meets the copy still being made finds the clipboard busy or
    // still holding the old text, and is made again, the selection taken
    // afresh. A paste takes milliseconds, under load a second at most: after
    // two the program has not asked and will not, and pasting the same text
    // once more changes nothing.
    void PasteInto(int id, const std::string& text)
    {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        bool asked = false;
        while (!asked && std::chrono::steady_clock::now() < deadline) {
            ASSERT_TRUE(m_x.OwnSelection("CLIPBOARD", text));
            if (Under().clipboardCopied) {
                ASSERT_TRUE(m_x.WaitUntilAsked("CLIPBOARD", false, kPatience)) << "the clipboard was never copied";
            }
            Click(id);
            m_x.Key(XK_Home);
            m_x.Key(XK_End, {XK_Shift_L});
            m_x.Key(XK_v, {XK_Control_L});
            asked = m_x.WaitUntilAsked("CLIPBOARD", true, 2s);
        }
        ASSERT_TRUE(asked) << "the program never asked for the pasted text";
    }

    std::set<e2e::Window> TopLevels()
    {
        const auto mapped = m_x.MappedTopLevels();
        return {mapped.begin(), mapped.end()};
    }

    std::string NewWindowTitles(const std::set<e2e::Window>& before)
    {
        std::string titles;
        for (const e2e::Window w : TopLevels())
            if (!before.contains(w))
                titles += " \"" + m_x.Title(w) + "\"";
        return titles.empty() ? " none" : titles;
    }

    // A message box titled with the program's name appears after `action`;
    // Enter, its default button, must close it.
    void ExpectMessageBoxAfter(const std::function<void()>& action)
    {
        const auto before = TopLevels();
        action();
        const e2e::Window box = m_x.WaitForNewWindow("tonegen", before, kPatience);
        ASSERT_NE(box, e2e::kNoWindow) << "no message box appeared; new windows:" << NewWindowTitles(before);
        m_x.Focus(box);
        m_x.Key(XK_Return);
        EXPECT_TRUE(m_x.WaitUntilGone(box, kPatience)) << "Enter did not close the message box";
        EXPECT_TRUE(m_app.Running());
    }

    // Records `samples` more of a tone that is playing and, where the sound
    // server may hear silence inside a tone, until the tone is heard again
    // after them: a recording that ended in such silence would look like a
    // tone that had stopped.
    bool RecordOn(std::size_t samples)
    {
        const std::size_t until = m_server.RecordedCount() + samples;
        return m_server.WaitForRecorded(until, kPatience) &&
               (Under().insertedSilence == 0.0 || m_server.WaitForSoundFrom(until, kPatience));
    }

    // Records stretches of `seconds`, or longer than the silence the sound
    // server may hear inside a tone, until one of them is all silence.
    bool WaitForSilence(double seconds)
    {
        const auto length =
            static_cast<std::size_t>(std::max(seconds, 1.25 * Under().insertedSilence) * m_server.Rate());
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < deadline) {
            m_server.StartRecording();
            m_server.WaitForRecorded(length, kPatience);
            const auto stretch = m_server.StopRecording();
            if (stretch.size() >= length &&
                std::all_of(stretch.begin(), stretch.end(), [](float s) { return s == 0.0f; }))
                return true;
        }
        return false;
    }

    std::string SinkInputs()
    {
        std::string out;
        EXPECT_TRUE(m_server.Pactl({"list", "short", "sink-inputs"}, &out)) << out;
        return out;
    }

    // Output playing, then `end`: the program must stop it and exit with 0.
    void ExpectCleanExitAfter(const std::function<void()>& end)
    {
        ASSERT_NO_FATAL_FAILURE(Launch(22050));
        m_server.StartRecording();
        m_x.Key(XK_Return);
        ASSERT_TRUE(m_server.WaitForSound(kPatience)) << "Enter started no output";
        m_server.StopRecording();
        ASSERT_NE(SinkInputs(), "") << "no stream to clean up";
        end();
        const auto status = m_app.WaitForExit(kPatience);
        ASSERT_TRUE(status.has_value()) << "the program did not end";
        EXPECT_EQ(e2e::DescribeStatus(*status), "exited with status 0");
        EXPECT_EQ(SinkInputs(), "");
    }

    std::string m_dir;
    testsupport::PulseServer m_server;
    e2e::XSession m_x;
    e2e::AppProcess m_app;
    bool m_launched = false;
    e2e::Window m_window = e2e::kNoWindow;
    e2e::DialogGeometry m_dialog;
};

TEST_P(Program, EnterAtLaunchPlaysTheDefaultToneFromSampleZero)
{
    ASSERT_NO_FATAL_FAILURE(Launch(22050));
    m_server.StartRecording();
    m_x.Key(XK_Return);
    ASSERT_TRUE(m_server.WaitForSound(kPatience)) << "Enter started no output";
    ASSERT_TRUE(RecordOn(22050));
    const auto recording = m_server.StopRecording();
    const auto span = testsupport::FindTone(recording, Tolerance());
    ASSERT_TRUE(span.found);
    EXPECT_GE(span.end - span.begin, 22050u);
    EXPECT_EQ(testsupport::CompareWithTable(recording, span, testsupport::ExpectedTable(1000, 22050), Tolerance(),
                                            InsertedSilence(22050)),
              "");
}

TEST_P(Program, NewRateStopsOutputAndTypedSettingsGiveATimedTone)
{
    constexpr unsigned kRate = 48000;
    ASSERT_NO_FATAL_FAILURE(Launch(kRate));
    m_server.StartRecording();
    m_x.Key(XK_Return);
    ASSERT_TRUE(m_server.WaitForSound(kPatience)) << "Enter started no output";
    m_server.StopRecording();
    Click(IDC_RATE_48000);
    ASSERT_TRUE(WaitForSilence(0.25)) << "choosing a rate did not stop the output";

    Retype(IDC_FREQUENCY, "440");
    Retype(IDC_DURATION, "2");
    m_server.StartRecording();
    Click(IDC_START_TIMED);
    ASSERT_TRUE(m_server.WaitForSound(kPatience)) << "the timed start played nothing";
    ASSERT_TRUE(m_server.WaitForRecorded(m_server.RecordedCount() + 3 * kRate, kPatience));
    const auto recording = m_server.StopRecording();
    const auto span = testsupport::FindTone(recording, Tolerance());
    ASSERT_TRUE(span.found);
    EXPECT_NEAR(static_cast<double>(span.end - span.begin) / kRate, 2.0, Under().durationTolerance);
    EXPECT_EQ(testsupport::CompareWithTable(recording, span, testsupport::ExpectedTable(440, kRate), Tolerance(),
                                            InsertedSilence(kRate)),
              "");
}

TEST_P(Program, EachRateButtonPlaysTheTableAtItsRate)
{
    ASSERT_NO_FATAL_FAILURE(Launch(22050));
    for (const auto& [id, rate] :
         {std::pair{IDC_RATE_8000, 8000u}, {IDC_RATE_44100, 44100u}, {IDC_RATE_96000, 96000u}}) {
        SCOPED_TRACE(rate);
        ASSERT_TRUE(m_server.UseRate(rate)) << m_server.Error();
        Click(id);
        m_server.StartRecording();
        Click(IDC_START_CONTINUOUS);
        ASSERT_TRUE(m_server.WaitForSound(kPatience)) << "the start played nothing";
        ASSERT_TRUE(RecordOn(rate / 2));
        const auto recording = m_server.StopRecording();
        // Nothing may still play when the sink changes: a stream that did
        // not pick a sink would follow it to the next rate.
        Click(IDC_STOP);
        ASSERT_TRUE(WaitForSilence(0.1)) << "the stop button did not stop the output";
        const auto span = testsupport::FindTone(recording, Tolerance());
        EXPECT_GE(span.end - span.begin, rate / 2);
        EXPECT_EQ(testsupport::CompareWithTable(recording, span, testsupport::ExpectedTable(1000, rate), Tolerance(),
                                                InsertedSilence(rate)),
                  "");
    }
}

TEST_P(Program, SecondTimedStartRestartsTheToneButKeepsTheFirstDeadline)
{
    constexpr std::size_t kRate = 22050;
    ASSERT_NO_FATAL_FAILURE(Launch(kRate));
    // 997 Hz repeats its samples only once a second: silence inserted into
    // the first tone, where it carries on, cannot look like the second tone
    // starting. At 1000 Hz it repeats every 441 samples, Wine's period.
    Retype(IDC_FREQUENCY, "997");
    Retype(IDC_DURATION, "3");
    // Positions on the sink's timeline (samples recorded so far) at each
    // click: the sink runs on the clock, so they date the clicks.
    m_server.StartRecording();
    const std::size_t firstClick = m_server.RecordedCount();
    Click(IDC_START_TIMED);
    ASSERT_TRUE(m_server.WaitForRecorded(firstClick + kRate, kPatience));
    const std::size_t secondClick = m_server.RecordedCount();
    Click(IDC_START_TIMED);
    ASSERT_TRUE(m_server.WaitForRecorded(firstClick + 4 * kRate, kPatience));
    const auto recording = m_server.StopRecording();

    testsupport::ExpectRestartKeptTheFirstDeadline(recording, 997, kRate, firstClick, secondClick, 3.0, Tolerance(),
                                                   Under().deadlineTolerance, Under().restartSeconds,
                                                   InsertedSilence(kRate));
}

TEST_P(Program, EmptiedDurationPromptsForAnIntegerAndKeepsTheCursorThere)
{
    ASSERT_NO_FATAL_FAILURE(Launch(22050));
    ExpectMessageBoxAfter([&] { Retype(IDC_DURATION, ""); });
    // As a window manager would, give the focus back to the dialog. What is
    // typed next must go into the duration and leave the frequency alone.
    m_x.Focus(m_window);
    m_x.Type("2");
    m_server.StartRecording();
    m_x.Key(XK_Return);
    ASSERT_TRUE(m_server.WaitForSound(kPatience)) << "Enter started no output";
    ASSERT_TRUE(RecordOn(22050 / 2));
    const auto recording = m_server.StopRecording();
    EXPECT_EQ(testsupport::CompareWithTable(recording, testsupport::FindTone(recording, Tolerance()),
                                            testsupport::ExpectedTable(1000, 22050), Tolerance(),
                                            InsertedSilence(22050)),
              "");
}

// The number style filters typed characters only: a paste reaches the field
// whole and is read as the data exchange reads it.
TEST_P(Program, PastesPassTheDigitFilterAndAreReadByTheExchange)
{
    constexpr unsigned kRate = 22050;
    ASSERT_NO_FATAL_FAILURE(Launch(kRate));
    const auto enterPlays = [&](std::uint32_t hz) {
        ASSERT_TRUE(WaitForSilence(0.25)) << "changing the frequency did not stop the output";
        m_server.StartRecording();
        m_x.Key(XK_Return);
        ASSERT_TRUE(m_server.WaitForSound(kPatience)) << "Enter started no output";
        ASSERT_TRUE(RecordOn(kRate / 2));
        const auto recording = m_server.StopRecording();
        EXPECT_EQ(testsupport::CompareWithTable(recording, testsupport::FindTone(recording, Tolerance()),
                                                testsupport::ExpectedTable(hz, kRate), Tolerance(),
                                                InsertedSilence(kRate)),
                  "")
            << hz << " Hz";
    };
    PasteInto(IDC_FREQUENCY, " 440 ");
    enterPlays(440);
    PasteInto(IDC_FREQUENCY, "-1");
    enterPlays(4294967295u);
    ExpectMessageBoxAfter([&] { PasteInto(IDC_FREQUENCY, "12a3"); });
    // The field has the focus back, its text selected; typing is filtered.
    m_x.Focus(m_window);
    m_x.Type("8a80");
    enterPlays(880);
}

TEST_P(Program, F1AsksForHelp)
{
    ASSERT_NO_FATAL_FAILURE(Launch(22050));
    if (Under().helpViewerTitle.empty()) {
        // No viewer for the classic help files: the program says that help
        // cannot start.
        ExpectMessageBoxAfter([&] { m_x.Key(XK_F1); });
        return;
    }
    // The platform's viewer starts, in a process of its own, and reports
    // itself that no help file lies beside the program.
    const auto before = TopLevels();
    m_x.Key(XK_F1);
    const e2e::Window viewer = m_x.WaitForNewWindow(Under().helpViewerTitle, before, kPatience);
    ASSERT_NE(viewer, e2e::kNoWindow) << "the help viewer did not report; new windows:" << NewWindowTitles(before);
    EXPECT_NE(m_x.Pid(viewer), m_app.Pid());
    EXPECT_TRUE(m_app.Running());
}

TEST_P(Program, SecondCopyRunsBesideTheFirstWithItsOwnStream)
{
    ASSERT_NO_FATAL_FAILURE(Launch(22050));
    m_x.Key(XK_Return);
    e2e::AppProcess second;
    const e2e::Window other = StartCopy(second, "stderr-second");
    ASSERT_NE(other, e2e::kNoWindow);
    m_x.Focus(other);
    m_x.Key(XK_Return);
    // Both play at once: two streams in the server, one per copy.
    const auto streams = [this] {
        const std::string inputs = SinkInputs();
        return std::count(inputs.begin(), inputs.end(), '\n');
    };
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline && streams() < 2)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(streams(), 2) << SinkInputs();
    EXPECT_TRUE(m_app.Running());
    m_x.Key(XK_Escape);
    const auto status = second.WaitForExit(kPatience);
    ASSERT_TRUE(status.has_value()) << "the second copy did not end";
    EXPECT_EQ(e2e::DescribeStatus(*status), "exited with status 0");
    EXPECT_EQ(second.Stderr(), "");
    EXPECT_TRUE(m_app.Running()) << "ending one copy ended the other";
}

TEST_P(Program, WithoutASoundServerTheDialogOpensAndStartsStaySilent)
{
    // The server's address stays set but nothing answers there any more.
    m_server.Kill();
    m_launched = true;
    m_window = StartCopy(m_app, "stderr");
    ASSERT_NE(m_window, e2e::kNoWindow);
    ASSERT_NO_FATAL_FAILURE(MeasureWindow());
    m_x.Focus(m_window);
    m_x.Key(XK_Return);
    Click(IDC_START_TIMED);
    Click(IDC_RATE_96000);
    Click(IDC_START_CONTINUOUS);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(m_app.Running()) << "the program did not survive starts without a server";
    // Still responsive: Escape ends it as usual.
    m_x.Key(XK_Escape);
    const auto status = m_app.WaitForExit(kPatience);
    ASSERT_TRUE(status.has_value()) << "the program did not end";
    EXPECT_EQ(e2e::DescribeStatus(*status), "exited with status 0");
}

TEST_P(Program, ExitButtonStopsOutputAndEnds)
{
    ExpectCleanExitAfter([&] { Click(IDC_EXIT); });
}

TEST_P(Program, CloseBoxStopsOutputAndEnds)
{
    ExpectCleanExitAfter([&] { m_x.SendDeleteWindow(m_window); });
}

TEST_P(Program, EscapeStopsOutputAndEnds)
{
    ExpectCleanExitAfter([&] { m_x.Key(XK_Escape); });
}

// The Linux program only: PipeWire's ALSA plugin is its route, not Wine's.
class ProgramOnLinux : public Program {};

// The sound server dies mid-tone; then every way out of the program ends it
// within a second, having written a few lines to standard error at most, on
// PulseAudio and on PipeWire reached through its own ALSA plugin.
TEST_P(ProgramOnLinux, ServerLostMidToneEveryWayOutEndsWithinASecond)
{
    testsupport::PipeWireServer pipewire;
    struct Route {
        const char* name;
        testsupport::SinkRecorder& sink;
        std::function<void()> kill;
        std::function<bool()> revive;
    };
    const Route routes[] = {
        {"PulseAudio", m_server, [&] { m_server.Kill(); }, [&] { return m_server.Revive(); }},
        {"PipeWire, ALSA plugin", pipewire, [&] { pipewire.Kill(); }, [&] { return pipewire.Revive(); }}};
    const std::pair<const char*, std::function<void(e2e::Window)>> ways[] = {
        {"exit button", [&](e2e::Window) { Click(IDC_EXIT); }},
        {"close box", [&](e2e::Window w) { m_x.SendDeleteWindow(w); }},
        {"Escape", [&](e2e::Window) { m_x.Key(XK_Escape); }}};
    ASSERT_TRUE(m_server.UseRate(22050)) << m_server.Error();
    for (const Route& route : routes) {
        // Started only now, so that its ALSA configuration replaces the
        // system's for the copies that follow.
        if (&route.sink == &pipewire) {
            ASSERT_TRUE(pipewire.Start(testsupport::PipeWireServer::Route::AlsaPlugin, 22050)) << pipewire.Error();
        }
        for (const auto& [way, end] : ways) {
            e2e::AppProcess app;
            m_window = StartCopy(app, "stderr-lost");
            ASSERT_NE(m_window, e2e::kNoWindow);
            ASSERT_NO_FATAL_FAILURE(MeasureWindow());
            m_x.Focus(m_window);
            route.sink.StartRecording();
            m_x.Key(XK_Return);
            ASSERT_TRUE(route.sink.WaitForSound(kPatience)) << route.name << ": Enter started no output";
            route.sink.StopRecording();
            route.kill();
            std::this_thread::sleep_for(500ms);
            const auto asked = std::chrono::steady_clock::now();
            end(m_window);
            const auto status = app.WaitForExit(kPatience);
            ASSERT_TRUE(status.has_value()) << route.name << ", " << way << ": the program hung";
            EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s) << route.name << ", " << way;
            EXPECT_EQ(e2e::DescribeStatus(*status), "exited with status 0") << route.name << ", " << way;
            const std::string text = app.Stderr();
            EXPECT_LE(std::count(text.begin(), text.end(), '\n'), 10)
                << route.name << ", " << way << ": standard error flooded:\n"
                << text.substr(0, 2000);
            ASSERT_TRUE(route.revive()) << route.name;
        }
    }
}

std::string NameOf(const ::testing::TestParamInfo<e2e::ProgramUnderTest>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Linux, Program, ::testing::ValuesIn(e2e::LinuxProgram()), NameOf);
INSTANTIATE_TEST_SUITE_P(Windows, Program, ::testing::ValuesIn(e2e::WindowsProgramUnderWine()), NameOf);
INSTANTIATE_TEST_SUITE_P(Linux, ProgramOnLinux, ::testing::ValuesIn(e2e::LinuxProgram()), NameOf);

} // namespace
