// The generator's dialog as a user meets it, headless: layout, fonts, the
// keyboard rules and the integer prompt, driven with real key and mouse
// events. Starting and stopping output needs the private sound server.

#include "framework_driver.h"
#include "generator_fixture.h"
#include "rates.h"
#include "sine_table.h"
#include "static_text.h"
#include "tonegen_dialog.h"
#include "tonegen_dlg.h"

#include <portaudio.h>

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using testsupport::Widget;
using testsupport::Window;

class DialogGui : public testsupport::GeneratorTest {
  protected:
    void SetUp() override
    {
        GeneratorTest::SetUp();
        QWidget* window = Window(m_dlg);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    QWidget* Focus() const { return QApplication::focusWidget(); }
    // Every control, those inside group boxes included.
    QList<QWidget*> Controls() const { return Window(m_dlg)->findChildren<QWidget*>(); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(Focus(), key, mods); }
};

TEST_F(DialogGui, ControlsSitWhereTheTemplatePutsThemAtTwoPixelsPerUnit)
{
    ASSERT_EQ(Window(m_dlg)->screen()->logicalDotsPerInchY(), 96);
    EXPECT_EQ(Window(m_dlg)->size(), QSize(694, 500));
    // Where each control sits in the window, whichever box holds it.
    std::vector<QRect> placed;
    for (QWidget* w : Controls())
        placed.emplace_back(w->mapTo(Window(m_dlg), QPoint(0, 0)), w->size());
    std::vector<QRect> expected;
    for (const DialogItemTemplate& item : g_toneGenDialogTemplate.items)
        expected.emplace_back(2 * item.x, 2 * item.y, 2 * item.cx, 2 * item.cy);
    EXPECT_TRUE(std::is_permutation(placed.begin(), placed.end(), expected.begin(), expected.end()));
}

TEST_F(DialogGui, LabelsBreakWhereTheirSpacesSay)
{
    std::vector<std::vector<std::u16string>> lines;
    for (QWidget* control : Controls()) {
        if (auto* text = dynamic_cast<afx::StaticText*>(control))
            lines.push_back(text->lines());
    }
    const std::vector<std::vector<std::u16string>> expected{
        {u" 常见声卡支持的", u"采样频率", u"单位：Hz"},
        {u"范围：1Hz——20KHz", u"单位：Hz"},
        {u"范围：1秒——5小时", u"单位：秒（S）"},
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(DialogGui, TextsUseAnInstalledSongFaceWithEveryGlyph)
{
    const QFont font = Window(m_dlg)->font();
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(family.startsWith("Noto Serif CJK") || family.startsWith("AR PL UMing")) << family.toStdString();
    EXPECT_EQ(font.pixelSize(), 16);
    const QFontMetrics metrics(font);
    std::vector<std::u16string_view> texts{g_toneGenDialogTemplate.caption, u"请键入一个整数。", u"内存不足。",
                                           u"启动帮助失败。"};
    for (const DialogItemTemplate& item : g_toneGenDialogTemplate.items)
        texts.push_back(item.text);
    for (const std::u16string_view text : texts) {
        for (const char16_t c : text)
            EXPECT_TRUE(metrics.inFont(QChar(c))) << "no glyph for U+" << std::hex << static_cast<int>(c);
    }
}

// Where it opens is the framework's contract (framework_test.cpp).
TEST_F(DialogGui, OpensWithDefaultsAndTheFrequencySelected)
{
    EXPECT_TRUE(static_cast<QRadioButton*>(Widget(m_dlg, IDC_RATE_22050))->isChecked());
    auto* frequency = static_cast<QLineEdit*>(Widget(m_dlg, IDC_FREQUENCY));
    EXPECT_EQ(Focus(), frequency);
    EXPECT_EQ(frequency->selectedText(), "1000");
    EXPECT_EQ(m_dlg.m_frequency, 1000u);
    EXPECT_EQ(m_dlg.GetDlgItemText(IDC_DURATION), u"1");
    EXPECT_EQ(m_dlg.m_durationMs, 1000u);
    EXPECT_FALSE(m_dlg.m_playing);
    EXPECT_EQ(Window(m_dlg)->windowTitle(), QString::fromUtf16(g_toneGenDialogTemplate.caption));
    EXPECT_FALSE(Window(m_dlg)->windowIcon().isNull());
    const Qt::WindowFlags flags = Window(m_dlg)->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(Window(m_dlg)->minimumSize(), Window(m_dlg)->maximumSize()) << "the dialog is not resizable";
}

// The order of the tab stops and of the arrow keys through the rates is the
// end-to-end suite's, on both builds, by what the keys do. Here: each arrow
// step is a click, so it stops the output, and the steps wrap round.
TEST_F(DialogGui, EachArrowKeyStepThroughTheRatesIsAClickAndTheStepsWrapRound)
{
    driver::Click(m_dlg, IDC_RATE_22050);
    driver::Click(m_dlg, IDC_START_CONTINUOUS);
    ASSERT_TRUE(m_dlg.m_playing);
    Widget(m_dlg, IDC_RATE_22050)->setFocus(Qt::MouseFocusReason);
    Key(Qt::Key_Up); // from the first identifier round to the last
    EXPECT_EQ(driver::FocusedId(m_dlg), IDC_RATE_96000);
    EXPECT_TRUE(static_cast<QRadioButton*>(Widget(m_dlg, IDC_RATE_96000))->isChecked());
    EXPECT_EQ(g_sampleRate, 96000u);
    EXPECT_FALSE(m_dlg.m_playing) << "the move did not count as a click";
    Key(Qt::Key_Right); // and on round to the first
    EXPECT_EQ(driver::FocusedId(m_dlg), IDC_RATE_22050);
    EXPECT_EQ(g_sampleRate, 22050u);
}

TEST_F(DialogGui, EnterPressesTheDefaultButtonUnlessAnotherButtonHasTheFocus)
{
    Key(Qt::Key_Return);
    EXPECT_TRUE(m_dlg.m_playing) << "Enter in the frequency field starts continuous output";
    EXPECT_FALSE(m_dlg.m_timerArmed);
    Widget(m_dlg, IDC_STOP)->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Return);
    EXPECT_FALSE(m_dlg.m_playing) << "Enter on 停止输出 stops";
    Widget(m_dlg, IDC_START_TIMED)->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Enter);
    EXPECT_TRUE(m_dlg.m_playing);
    EXPECT_TRUE(m_dlg.m_timerArmed);
}

TEST_F(DialogGui, EscapeExitAndTheCloseBoxEndTheDialogWithCancelAndLeaveNoStream)
{
    const std::pair<const char*, std::function<void()>> waysOut[] = {{"Escape", [&] { Key(Qt::Key_Escape); }},
                                                                     {"退出", [&] { driver::Click(m_dlg, IDC_EXIT); }},
                                                                     {"close box", [&] { Window(m_dlg)->close(); }}};
    for (const auto& [way, leave] : waysOut) {
        testsupport::Click(m_dlg, IDC_START_CONTINUOUS);
        ASSERT_TRUE(m_dlg.m_playing) << way;
        leave();
        EXPECT_EQ(m_dlg.GetModalResult(), IDCANCEL) << way;
        EXPECT_EQ(m_dlg.m_stream, nullptr) << way;
        EXPECT_EQ(g_sineTable, nullptr) << way;
        EXPECT_EQ(Pa_GetDeviceCount(), paNotInitialized) << way << ": the audio library is still initialised";
        EXPECT_FALSE(Window(m_dlg)->isVisible()) << way;
        m_dlg.m_playing = false;
        m_dlg.DestroyWindow();
        ASSERT_TRUE(m_dlg.Create());
    }
}

// What a screen reader gets from Qt's accessibility interfaces, beyond what
// the desktop test reads over AT-SPI (texts, names, boxes, labels): the
// relations both ways, and the dialog read in tab order.
TEST_F(DialogGui, ScreenReadersReadTheDialogInTabOrderWithItsRelations)
{
    const auto a11y = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w); };
    const auto related = [](QAccessibleInterface* iface, QAccessible::Relation relation, QAccessibleInterface* to) {
        const auto targets = iface->relations(relation);
        return std::any_of(targets.begin(), targets.end(), [&](const auto& t) { return t.first == to; });
    };
    std::vector<QAccessibleInterface*> labels;
    for (QWidget* control : Controls()) {
        if (dynamic_cast<afx::StaticText*>(control) != nullptr)
            labels.push_back(a11y(control));
    }
    ASSERT_EQ(labels.size(), 3u);
    // Each field is labelled by the range and unit beside it, and the label
    // says which field it labels.
    for (const auto& [id, label] : {std::pair{IDC_FREQUENCY, labels[1]}, std::pair{IDC_DURATION, labels[2]}}) {
        QAccessibleInterface* field = a11y(Widget(m_dlg, id));
        EXPECT_TRUE(related(field, QAccessible::Label, label));
        EXPECT_TRUE(related(label, QAccessible::Labelled, field));
    }
    // Each rate is labelled by its box.
    QAccessibleInterface* rates = a11y(Widget(m_dlg, IDC_RATE_22050))->parent();
    for (const auto& [id, hz] : testsupport::kRateButtons)
        EXPECT_TRUE(related(a11y(Widget(m_dlg, id)), QAccessible::Label, rates)) << hz;
    // The dialog reads in tab order, each box where its first control is.
    QAccessibleInterface* dialog = a11y(Window(m_dlg));
    ASSERT_EQ(dialog->childCount(), 7);
    EXPECT_EQ(dialog->child(0), rates);
    EXPECT_EQ(dialog->child(1), a11y(Widget(m_dlg, IDC_FREQUENCY))->parent());
    EXPECT_EQ(dialog->child(6), a11y(Widget(m_dlg, IDC_EXIT)));
}

// The platform's number style filters what is typed, not what arrives whole:
// a paste goes in as it is and the data exchange judges it.
TEST_F(DialogGui, NumberFieldsFilterTypingButPastesReachTheExchange)
{
    auto* frequency = static_cast<QLineEdit*>(Widget(m_dlg, IDC_FREQUENCY));
    QTest::keyClicks(frequency, "4a4-0 ");
    EXPECT_EQ(frequency->text(), "440");
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral(u"5五x６0"));
    QApplication::sendEvent(frequency, &commit);
    EXPECT_EQ(frequency->text(), "44050") << "an input method's commit is typing too";
    EXPECT_EQ(m_dlg.m_frequency, 44050u);

    const auto paste = [&](const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        frequency->selectAll();
        QTest::keySequence(frequency, QKeySequence::Paste);
    };
    paste(" 440 ");
    EXPECT_EQ(frequency->text(), " 440 ");
    EXPECT_EQ(m_dlg.m_frequency, 440u) << "blanks around the number are allowed";
    paste("-1");
    EXPECT_EQ(m_dlg.m_frequency, 4294967295u) << "read signed, taken unsigned";
    paste("880\r\nsecond line");
    EXPECT_EQ(frequency->text(), "880") << "a single-line field takes the first line";
    EXPECT_TRUE(m_boxes.Seen().empty());

    paste("12a3");
    ASSERT_EQ(m_boxes.Seen().size(), 1u);
    EXPECT_EQ(m_dlg.m_frequency, 880u);

    // The context menu speaks Chinese, and its paste is the same paste.
    QGuiApplication::clipboard()->setText("330\nx");
    frequency->selectAll();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(4, 4), frequency->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(frequency, &menuEvent);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    const auto actions = menu->actions();
    ASSERT_NE(std::find_if(actions.begin(), actions.end(),
                           [](const QAction* a) { return a->text().startsWith(u"粘贴(&P)"); }),
              actions.end());
    // Chosen by its mnemonic, as a user would: the menu closes itself, and
    // whether it then deletes itself is the line edit's business.
    QTest::keyClick(menu, Qt::Key_P);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(frequency->text(), "330");

    // Text set through the accessibility interface is judged like a paste.
    m_boxes.Clear();
    QAccessible::queryAccessibleInterface(frequency)->setText(QAccessible::Value, "+0");
    EXPECT_EQ(m_boxes.Seen().size(), 1u);
    EXPECT_EQ(m_dlg.m_frequency, 330u);
}

TEST_F(DialogGui, BadFieldPromptsOwnedByTheDialogThenSelectsTheField)
{
    // A value the keyboard cannot produce still reaches the field.
    m_dlg.SetDlgItemText(IDC_DURATION, u"-");
    ASSERT_EQ(m_boxes.Seen().size(), 1u);
    const auto& box = m_boxes.Seen()[0];
    EXPECT_EQ(box.text, QStringLiteral(u"请键入一个整数。"));
    EXPECT_EQ(box.icon, QMessageBox::Warning);
    EXPECT_EQ(box.title, QApplication::applicationName()) << "captioned with the program file's name";
    EXPECT_EQ(box.parent, Window(m_dlg));
    EXPECT_EQ(box.okText, QStringLiteral(u"确定"));
    // The focus goes back to the field; the dialog takes it again as soon as
    // it is reactivated after the box.
    auto* duration = static_cast<QLineEdit*>(Widget(m_dlg, IDC_DURATION));
    EXPECT_EQ(Window(m_dlg)->focusWidget(), duration);
    EXPECT_EQ(duration->selectedText(), "-");

    // Clearing the frequency prompts once and keeps the old frequency.
    m_boxes.Clear();
    m_dlg.SetDlgItemText(IDC_DURATION, u"1");
    auto* frequency = static_cast<QLineEdit*>(Widget(m_dlg, IDC_FREQUENCY));
    frequency->setFocus();
    frequency->selectAll();
    QTest::keyClick(frequency, Qt::Key_Backspace);
    EXPECT_EQ(m_boxes.Seen().size(), 1u);
    EXPECT_EQ(m_dlg.m_frequency, 1000u);
    EXPECT_EQ(Window(m_dlg)->focusWidget(), frequency);
}

} // namespace
