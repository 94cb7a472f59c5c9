// The generator's commands on a live dialog with real timers and a real
// sound server: every cell of the state table, a timer that fires once, and
// the data-exchange cases of the field handlers. What a timed tone sounds
// like, and that a second timed start keeps the first deadline, the
// end-to-end cases hear at the sink, on both platforms.

#include "alloc_counter.h"
#include "generator_fixture.h"
#include "sine_table.h"
#include "tonegen_dlg.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

namespace {

using testsupport::Click;
using testsupport::SetText;

enum class State { Idle, Continuous, Timed, ArmedSilent };

const char* Name(State s)
{
    return std::array{"idle", "continuous", "timed", "armed but silent"}[static_cast<int>(s)];
}

// A rate no sound server accepts, to make a start fail for real.
constexpr std::uint32_t kRefusedRate = 1'000'000;
constexpr int kDeadlineMs = 400;

class Controller : public testsupport::GeneratorTest {
  protected:
    State Current() const
    {
        if (m_dlg.m_playing)
            return m_dlg.m_timerArmed ? State::Timed : State::Continuous;
        return m_dlg.m_timerArmed ? State::ArmedSilent : State::Idle;
    }

    void Enter(State s)
    {
        m_dlg.m_durationMs = kDeadlineMs;
        if (s == State::ArmedSilent)
            g_sampleRate = kRefusedRate;
        if (s != State::Idle)
            Click(m_dlg, s == State::Continuous ? IDC_START_CONTINUOUS : IDC_START_TIMED);
        // Not while a stream plays: its callback reads the rate.
        if (s == State::ArmedSilent)
            g_sampleRate = 22050;
        ASSERT_EQ(Current(), s) << Name(s);
    }

    // Until the controller is in state `s`; false if it never gets there.
    bool WaitFor(State s)
    {
        return QTest::qWaitFor([&] { return Current() == s; },
                               static_cast<int>(std::chrono::milliseconds(testsupport::kPatience).count()));
    }
};

TEST_F(Controller, StartContinuousFromEveryStateEndsContinuous)
{
    for (const State from : {State::Idle, State::Continuous, State::Timed, State::ArmedSilent}) {
        Enter(from);
        Click(m_dlg, IDC_START_CONTINUOUS);
        EXPECT_EQ(Current(), State::Continuous) << "from " << Name(from);
        // The deadline of an earlier timed start must be gone.
        QTest::qWait(kDeadlineMs + 150);
        EXPECT_EQ(Current(), State::Continuous) << "from " << Name(from);
        Click(m_dlg, IDC_STOP);
    }
}

TEST_F(Controller, StartTimedFromEveryStateEndsTimedAndThenIdle)
{
    for (const State from : {State::Idle, State::Continuous, State::Timed, State::ArmedSilent}) {
        Enter(from);
        Click(m_dlg, IDC_START_TIMED);
        EXPECT_EQ(Current(), State::Timed) << "from " << Name(from);
        EXPECT_TRUE(WaitFor(State::Idle)) << "from " << Name(from);
    }
}

TEST_F(Controller, StopAndEverySettingsChangeEndIdleFromEveryState)
{
    // Alternating values, so that every edit really changes the text.
    int edits = 0;
    const std::pair<const char*, std::function<void()>> actions[] = {
        {"stop", [&] { Click(m_dlg, IDC_STOP); }},
        {"rate", [&] { Click(m_dlg, IDC_RATE_48000); }},
        {"same rate", [&] { Click(m_dlg, IDC_RATE_22050); }},
        {"frequency", [&] { SetText(m_dlg, IDC_FREQUENCY, ++edits % 2 ? u"440" : u"880"); }},
        {"duration", [&] { SetText(m_dlg, IDC_DURATION, ++edits % 2 ? u"2" : u"3"); }}};
    for (const auto& [what, act] : actions) {
        for (const State from : {State::Idle, State::Continuous, State::Timed, State::ArmedSilent}) {
            Enter(from);
            act();
            EXPECT_EQ(Current(), State::Idle) << what << " from " << Name(from);
            UseRate(22050);
            Click(m_dlg, IDC_RATE_22050);
        }
    }
    EXPECT_TRUE(m_boxes.Seen().empty());
}

TEST_F(Controller, TimerFiresOnceEndingTheArmedStatesInIdle)
{
    for (const State from : {State::Timed, State::ArmedSilent}) {
        Enter(from);
        EXPECT_TRUE(WaitFor(State::Idle)) << "from " << Name(from);
        // Once: a continuous tone started now plays on past two more
        // deadlines, which a timer left running would have cut short.
        Click(m_dlg, IDC_START_CONTINUOUS);
        QTest::qWait(2 * kDeadlineMs);
        EXPECT_EQ(Current(), State::Continuous) << "from " << Name(from) << ": the timer fired again";
        Click(m_dlg, IDC_STOP);
    }
}

// Negative values cannot be typed, but can reach the field.
TEST_F(Controller, DurationIsComputedWithoutWrapping)
{
    const std::pair<std::u16string, std::uint32_t> cases[] = {{u"4294968", 0xFFFFFFFFu},    {u"4294967", 4294967000u},
                                                              {u"2147483647", 0xFFFFFFFFu}, {u"0", 0u},
                                                              {u"18000", 18000000u},        {u"-5", 0u},
                                                              {u"-2147483648", 0u}};
    for (const auto& [text, ms] : cases) {
        m_dlg.SetDlgItemText(IDC_DURATION, text);
        EXPECT_EQ(m_dlg.m_durationMs, ms) << std::string(text.begin(), text.end());
    }
}

TEST_F(Controller, FrequencyTypedWhileDurationIsEmptyPromptsForDurationAndStillTakesTheFrequency)
{
    SetText(m_dlg, IDC_DURATION, u"");
    ASSERT_EQ(m_boxes.Seen().size(), 1u);
    m_boxes.Clear();
    Click(m_dlg, IDC_START_CONTINUOUS);
    ASSERT_TRUE(m_dlg.m_playing);

    SetText(m_dlg, IDC_FREQUENCY, u"440");
    ASSERT_EQ(m_boxes.Seen().size(), 1u);
    EXPECT_EQ(m_boxes.Seen()[0].text, QStringLiteral(u"请键入一个整数。"));
    EXPECT_EQ(m_dlg.m_frequency, 440u);
    EXPECT_FALSE(m_dlg.m_playing);
    EXPECT_EQ(testsupport::Window(m_dlg)->focusWidget(), testsupport::Widget(m_dlg, IDC_DURATION));
}

TEST_F(Controller, DurationTypedWhileFrequencyIsEmptyPromptsForFrequencyAndKeepsTheOldPeriod)
{
    SetText(m_dlg, IDC_DURATION, u"3");
    ASSERT_EQ(m_dlg.m_durationMs, 3000u);
    SetText(m_dlg, IDC_FREQUENCY, u"");
    m_boxes.Clear();

    SetText(m_dlg, IDC_DURATION, u"7");
    ASSERT_EQ(m_boxes.Seen().size(), 1u);
    EXPECT_EQ(m_dlg.m_durationMs, 3000u);
    EXPECT_EQ(testsupport::Window(m_dlg)->focusWidget(), testsupport::Widget(m_dlg, IDC_FREQUENCY));

    // Correcting the frequency does not bring the new duration in.
    SetText(m_dlg, IDC_FREQUENCY, u"500");
    EXPECT_EQ(m_dlg.m_frequency, 500u);
    EXPECT_EQ(m_dlg.m_durationMs, 3000u);
}

TEST_F(Controller, OutOfMemoryAtStartIsReportedAndLeavesTheTimerArmed)
{
    testsupport::FailNextArrayAllocation(22050 * sizeof(float));
    Click(m_dlg, IDC_START_TIMED);
    ASSERT_EQ(m_boxes.Seen().size(), 1u);
    EXPECT_EQ(m_boxes.Seen()[0].text, QStringLiteral(u"内存不足。"));
    EXPECT_EQ(m_boxes.Seen()[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(m_boxes.Seen()[0].applicationModal);
    EXPECT_EQ(Current(), State::ArmedSilent);
    EXPECT_EQ(g_sineTable, nullptr);
    EXPECT_EQ(m_dlg.m_stream, nullptr);
}

} // namespace
