// The platform layer's timers and notification lock-out, on a real (headless)
// Qt window.

#include "data_exchange.h"
#include "dialog.h"
#include "dialog_driver.h"
#include "message_box_answerer.h"
#include "probe_dialog.h"
#include "win_app.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include <array>
#include <vector>

namespace {

using testsupport::HelpApp;
using testsupport::Probe;
constexpr int kEditId = testsupport::kProbeEditId;
constexpr const DialogTemplate& kTemplate = testsupport::kProbeTemplate;

class Framework : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(m_probe.Create()); }
    Probe m_probe;
};

TEST_F(Framework, TimersRepeatWithTheirIdAndStopWhenKilled)
{
    EXPECT_EQ(m_probe.SetTimer(5, 20, nullptr), 5u);
    testsupport::Pump(150);
    EXPECT_GE(m_probe.timers.size(), 2u);
    for (const UINT_PTR id : m_probe.timers)
        EXPECT_EQ(id, 5u);
    EXPECT_TRUE(m_probe.KillTimer(5));
    EXPECT_FALSE(m_probe.KillTimer(5));
    m_probe.timers.clear();
    testsupport::Pump(60);
    EXPECT_TRUE(m_probe.timers.empty());
}

TEST_F(Framework, PeriodsAreClampedToThePlatformRange)
{
    // A zero period runs at 10 ms, not as fast as the loop spins.
    m_probe.SetTimer(1, 0, nullptr);
    testsupport::Pump(100);
    m_probe.KillTimer(1);
    EXPECT_GE(m_probe.timers.size(), 1u);
    EXPECT_LE(m_probe.timers.size(), 11u);

    // The longest period neither fails nor wraps into a short one.
    m_probe.timers.clear();
    EXPECT_EQ(m_probe.SetTimer(2, 0xFFFFFFFFu, nullptr), 2u);
    testsupport::Pump(50);
    EXPECT_TRUE(m_probe.timers.empty());
    EXPECT_TRUE(m_probe.KillTimer(2));
}

TEST_F(Framework, SettingATimerAgainReplacesIt)
{
    m_probe.SetTimer(3, 40, nullptr);
    m_probe.SetTimer(3, 400, nullptr);
    testsupport::Pump(150);
    EXPECT_TRUE(m_probe.timers.empty());
}

TEST_F(Framework, DataExchangeDoesNotNotifyItsOwnWrites)
{
    EXPECT_EQ(m_probe.GetDlgItemText(kEditId), u"7");
    const int afterInit = m_probe.changes;
    EXPECT_EQ(afterInit, 0);
    m_probe.value = 123;
    m_probe.UpdateData(FALSE);
    EXPECT_EQ(m_probe.GetDlgItemText(kEditId), u"123");
    EXPECT_EQ(m_probe.changes, 0);
    // An unchanged value leaves the field (and its caret) alone.
    m_probe.UpdateData(FALSE);
    EXPECT_EQ(m_probe.changes, 0);
    // Outside an exchange every change notifies.
    m_probe.SetDlgItemText(kEditId, u"5");
    EXPECT_EQ(m_probe.changes, 1);
    EXPECT_TRUE(m_probe.UpdateData(TRUE));
    EXPECT_EQ(m_probe.value, 5);
}

TEST_F(Framework, FailedExchangePromptsSelectsTheFieldAndReturnsFalse)
{
    testsupport::MessageBoxAnswerer boxes;
    m_probe.SetDlgItemText(kEditId, u"");
    m_probe.value = 9;
    EXPECT_FALSE(m_probe.UpdateData(TRUE));
    EXPECT_EQ(m_probe.value, 9);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, QStringLiteral(u"请键入一个整数。"));
    EXPECT_EQ(boxes.Seen()[0].icon, QMessageBox::Warning);
}

// F1 in a dialog reaches the application as ID_HELP, which asks for the
// dialog's topic and, with no viewer on this platform, reports the failure.
TEST_F(Framework, F1AsksForTheDialogsHelpTopicAndReportsTheMissingViewer)
{
    HelpApp app(true);
    app.m_pMainWnd = &m_probe;
    testsupport::MessageBoxAnswerer boxes;
    QWidget* edit = testsupport::Widget(m_probe, kEditId);
    ASSERT_NE(edit, nullptr);
    QTest::keyClick(edit, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(app.requests.empty()) << "Shift+F1 is not help";
    QTest::keyClick(edit, Qt::Key_F1);
    ASSERT_EQ(app.requests.size(), 1u);
    EXPECT_EQ(app.requests[0].first, HID_BASE_RESOURCE + kTemplate.id);
    EXPECT_EQ(app.requests[0].second, HELP_CONTEXT);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, QStringLiteral(u"启动帮助失败。"));
    EXPECT_EQ(boxes.Seen()[0].icon, QMessageBox::Warning);
    app.m_pMainWnd = nullptr;
}

} // namespace
