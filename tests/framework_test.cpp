// The framework's contract, one suite for both platforms: run on Qt in the
// Linux build and on Win32 (under Wine) in the Windows build, each through
// its own driver (framework_driver.h). Timers, the notification lock-out of
// data exchange, the integer prompt, help, where a dialog opens and where
// its focus goes.

#include "framework_driver.h"
#include "message_box.h"
#include "probe_dialog.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace {

using namespace std::chrono_literals;
using testsupport::kProbeEditId;

// A generous bound for what takes milliseconds: only a framework that never
// gets there runs into it.
constexpr auto kPatience = 10s;

class Framework : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_probe.Create()); }
    testsupport::Probe m_probe;
};

TEST_F(Framework, TimersRepeatWithTheirIdStopWhenKilledAndAreReplacedWhenSetAgain)
{
    EXPECT_EQ(m_probe.SetTimer(5, 20, nullptr), 5u);
    ASSERT_TRUE(driver::PumpUntil([&] { return m_probe.timers.size() >= 2; }, kPatience));
    for (const UINT_PTR id : m_probe.timers)
        EXPECT_EQ(id, 5u);
    EXPECT_TRUE(m_probe.KillTimer(5));
    EXPECT_FALSE(m_probe.KillTimer(5));
    m_probe.timers.clear();
    driver::Pump(100ms); // five periods
    EXPECT_TRUE(m_probe.timers.empty());

    m_probe.SetTimer(3, 40, nullptr);
    m_probe.SetTimer(3, 400, nullptr);
    driver::Pump(150ms);
    EXPECT_TRUE(m_probe.timers.empty()) << "the first period still runs";
}

TEST_F(Framework, PeriodsAreClampedToThePlatformRange)
{
    // A zero period runs at 10 ms, not as fast as the loop spins: a late
    // tick only lowers the count.
    const auto start = std::chrono::steady_clock::now();
    m_probe.SetTimer(1, 0, nullptr);
    ASSERT_TRUE(driver::PumpUntil([&] { return !m_probe.timers.empty(); }, kPatience));
    driver::Pump(100ms);
    m_probe.KillTimer(1);
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LE(m_probe.timers.size(), static_cast<std::size_t>(elapsed.count() / 10 + 1));

    // The longest period neither fails nor wraps into a short one.
    m_probe.timers.clear();
    EXPECT_EQ(m_probe.SetTimer(2, 0xFFFFFFFFu, nullptr), 2u);
    driver::Pump(50ms);
    EXPECT_TRUE(m_probe.timers.empty());
    EXPECT_TRUE(m_probe.KillTimer(2));
}

// The platform's edit control notifies inside SetWindowText itself; the
// exchange must not take its own writes for the user's.
TEST_F(Framework, DataExchangeDoesNotNotifyItsOwnWrites)
{
    EXPECT_EQ(m_probe.GetDlgItemText(kProbeEditId), u"7");
    EXPECT_EQ(m_probe.changes, 0);
    m_probe.value = 123;
    m_probe.UpdateData(FALSE);
    EXPECT_EQ(m_probe.GetDlgItemText(kProbeEditId), u"123");
    EXPECT_EQ(m_probe.changes, 0);
    // An unchanged value leaves the field (and its caret) alone.
    m_probe.UpdateData(FALSE);
    EXPECT_EQ(m_probe.changes, 0);
    // Outside an exchange every change notifies.
    m_probe.SetDlgItemText(kProbeEditId, u"5");
    EXPECT_EQ(m_probe.changes, 1);
    EXPECT_TRUE(m_probe.UpdateData(TRUE));
    EXPECT_EQ(m_probe.value, 5);
}

TEST_F(Framework, FailedExchangePromptsSelectsTheFieldAndReturnsFalse)
{
    driver::MessageBoxAnswerer boxes;
    m_probe.SetDlgItemText(kProbeEditId, u"");
    m_probe.value = 9;
    EXPECT_FALSE(m_probe.UpdateData(TRUE));
    EXPECT_EQ(m_probe.value, 9);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, u"请键入一个整数。");
    EXPECT_EQ(boxes.Seen()[0].caption, AfxGetAppName());
    EXPECT_EQ(driver::FocusedId(m_probe), kProbeEditId);
}

// F1 reaches the application as ID_HELP, which asks for the dialog's topic.
// What the platform's viewer then does is the end-to-end cases' to see.
TEST_F(Framework, F1AsksForTheDialogsHelpTopic)
{
    testsupport::HelpApp app;
    app.m_pMainWnd = &m_probe;
    driver::Press(m_probe, driver::Key::ShiftF1);
    driver::Pump(50ms);
    EXPECT_TRUE(app.requests.empty()) << "Shift+F1 is not help";
    driver::Press(m_probe, driver::Key::F1);
    ASSERT_TRUE(driver::PumpUntil([&] { return !app.requests.empty(); }, kPatience));
    EXPECT_EQ(app.requests[0].first, HID_BASE_RESOURCE + testsupport::kProbeTemplate.id);
    EXPECT_EQ(app.requests[0].second, HELP_CONTEXT);
    app.m_pMainWnd = nullptr;
}

// A template that names no place opens centred in the work area, within the
// pixel that halving an odd size loses, and wholly inside it.
TEST(FrameworkDialog, OpensCentredInTheWorkArea)
{
    testsupport::Generator dialog;
    ASSERT_TRUE(dialog.Create());
    const driver::Rect window = driver::WindowRect(dialog);
    const driver::Rect area = driver::WorkArea();
    EXPECT_LE(std::abs((window.left + window.right) - (area.left + area.right)), 2);
    EXPECT_LE(std::abs((window.top + window.bottom) - (area.top + area.bottom)), 2);
    EXPECT_GE(window.left, area.left);
    EXPECT_GE(window.top, area.top);
    EXPECT_LE(window.right, area.right);
    EXPECT_LE(window.bottom, area.bottom);
}

// The dialog's check of a radio button as it opens does not make that
// button a tab stop: the focus goes to the first tab stop the template
// names. A rate the user clicks is one, before the field that follows it.
TEST(FrameworkDialog, FocusStartsAtTheTemplatesFirstTabStopAndAClickedRateJoinsTheTabOrder)
{
    testsupport::Generator dialog;
    ASSERT_TRUE(dialog.Create());
    driver::Pump(20ms);
    EXPECT_EQ(driver::FocusedId(dialog), IDC_FREQUENCY);
    driver::Press(dialog, driver::Key::ShiftTab);
    EXPECT_EQ(driver::FocusedId(dialog), IDC_EXIT) << "a rate button is a tab stop before any choice";

    driver::Click(dialog, IDC_RATE_44100);
    EXPECT_EQ(driver::FocusedId(dialog), IDC_RATE_44100);
    driver::Press(dialog, driver::Key::Tab);
    EXPECT_EQ(driver::FocusedId(dialog), IDC_FREQUENCY);
    driver::Press(dialog, driver::Key::ShiftTab);
    EXPECT_EQ(driver::FocusedId(dialog), IDC_RATE_44100);
    driver::Press(dialog, driver::Key::ShiftTab);
    EXPECT_EQ(driver::FocusedId(dialog), IDC_EXIT);
}

} // namespace
