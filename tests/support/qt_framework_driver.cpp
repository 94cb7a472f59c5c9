// The contract suite's driver on Qt: real key and mouse events through
// QTest, headless.

#include "framework_driver.h"

#include "dialog.h"
#include "dialog_driver.h"
#include "message_box_answerer.h"
#include "window_impl.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

namespace driver {

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds patience)
{
    return QTest::qWaitFor(done, static_cast<int>(patience.count()));
}

void Pump(std::chrono::milliseconds time)
{
    PumpUntil([] { return false; }, time);
}

void Press(const CWnd& dialog, Key key)
{
    QWidget* target = testsupport::Window(dialog)->focusWidget();
    if (target == nullptr)
        target = testsupport::Window(dialog);
    const bool shift = key == Key::ShiftTab || key == Key::ShiftF1;
    // Qt names Shift+Tab a key of its own.
    const Qt::Key qtKey = key == Key::Tab ? Qt::Key_Tab : key == Key::ShiftTab ? Qt::Key_Backtab : Qt::Key_F1;
    QTest::keyClick(target, qtKey, shift ? Qt::ShiftModifier : Qt::NoModifier);
}

void Click(const CWnd& dialog, int id)
{
    QWidget* control = testsupport::Widget(dialog, id);
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(4, control->height() / 2));
}

int FocusedId(const CWnd& dialog)
{
    const QWidget* focus = testsupport::Window(dialog)->focusWidget();
    for (const DialogItemTemplate& item : static_cast<const CDialog&>(dialog).GetTemplate().items) {
        if (focus != nullptr && testsupport::Widget(dialog, item.id) == focus)
            return item.id;
    }
    return 0;
}

static Rect FromQRect(const QRect& r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

Rect WindowRect(const CWnd& dialog)
{
    return FromQRect(testsupport::Window(dialog)->frameGeometry());
}

Rect WorkArea()
{
    return FromQRect(QGuiApplication::primaryScreen()->availableGeometry());
}

struct MessageBoxAnswerer::Impl {
    testsupport::MessageBoxAnswerer answerer;
    mutable std::vector<SeenMessageBox> seen;
};

MessageBoxAnswerer::MessageBoxAnswerer() : m_impl(std::make_unique<Impl>()) {}
MessageBoxAnswerer::~MessageBoxAnswerer() = default;

const std::vector<SeenMessageBox>& MessageBoxAnswerer::Seen() const
{
    m_impl->seen.clear();
    for (const auto& box : m_impl->answerer.Seen())
        m_impl->seen.push_back({afx::FromQString(box.title), afx::FromQString(box.text)});
    return m_impl->seen;
}

} // namespace driver
