#include "wnd.h"

#include "static_text.h"
#include "window_impl.h"

#include <QAbstractButton>
#include <QIcon>
#include <QLineEdit>
#include <QTimerEvent>

#include <algorithm>

namespace afx {

QString ToQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string FromQString(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

UINT_PTR TimerHost::Set(UINT_PTR id, UINT elapse)
{
    Kill(id);
    // The platform's bounds: shorter periods run at 10 ms, longer ones are
    // cut to the largest signed 32-bit period.
    const auto ms = std::clamp<std::uint64_t>(elapse, 10, 0x7FFFFFFF);
    const int qtId = startTimer(std::chrono::milliseconds(ms), Qt::PreciseTimer);
    if (qtId == 0)
        return 0;
    m_timers[id] = qtId;
    return id;
}

bool TimerHost::Kill(UINT_PTR id)
{
    const auto it = m_timers.find(id);
    if (it == m_timers.end())
        return false;
    killTimer(it->second);
    m_timers.erase(it);
    return true;
}

void TimerHost::KillAll()
{
    for (const auto& [id, qtId] : m_timers)
        killTimer(qtId);
    m_timers.clear();
}

void TimerHost::timerEvent(QTimerEvent* event)
{
    for (const auto& [id, qtId] : m_timers) {
        if (qtId == event->timerId()) {
            m_owner->SendMessage(WM_TIMER, id, 0);
            return;
        }
    }
}

QWidget* WindowImpl::WidgetOf(const CWnd* wnd)
{
    return wnd != nullptr && wnd->m_impl ? wnd->m_impl->widget.data() : nullptr;
}

void WindowImpl::Attach(CWnd& wnd, QWidget* widget, CWnd* parent, int id)
{
    wnd.m_impl = std::make_unique<WindowImpl>(&wnd, widget);
    wnd.m_pParent = parent;
    wnd.m_nID = id;
}

void WindowImpl::Detach(CWnd& wnd)
{
    wnd.m_impl.reset();
    wnd.m_pParent = nullptr;
}

void WindowImpl::Replace(CWnd& dialog, int id, CWnd* control)
{
    if (!dialog.m_impl)
        return;
    for (auto& entry : dialog.m_impl->controls) {
        if (entry.first == id)
            entry.second = control;
    }
}

void WindowImpl::Notify(CWnd& control, UINT code)
{
    if (control.m_pParent != nullptr)
        control.m_pParent->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<UINT>(control.m_nID), code),
                                       reinterpret_cast<LPARAM>(&control));
}

} // namespace afx

using afx::WindowImpl;

CWnd::CWnd() = default;
CWnd::~CWnd() = default;

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return Deliver(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    QWidget* widget = WindowImpl::WidgetOf(this);
    if (widget == nullptr)
        return 0;
    switch (message) {
    case BM_SETCHECK:
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setChecked(wParam == BST_CHECKED);
        break;
    case WM_SETICON:
        // Qt keeps one icon per window and picks the size it needs from it.
        if (lParam != 0)
            widget->setWindowIcon(*reinterpret_cast<const QIcon*>(lParam));
        break;
    default:
        break;
    }
    return 0;
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* /*lpfnTimer*/)
{
    return m_impl ? m_impl->timers.Set(nIDEvent, nElapse) : 0;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    return m_impl && m_impl->timers.Kill(nIDEvent);
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    if (!m_impl)
        return nullptr;
    for (const auto& [id, control] : m_impl->controls) {
        if (id == nID)
            return control;
    }
    return nullptr;
}

std::u16string CWnd::GetWindowText() const
{
    QWidget* widget = WindowImpl::WidgetOf(this);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return afx::FromQString(edit->text());
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return afx::FromQString(button->text());
    if (auto* label = dynamic_cast<afx::StaticText*>(widget))
        return afx::FromQString(label->text());
    return widget != nullptr ? afx::FromQString(widget->windowTitle()) : std::u16string();
}

void CWnd::SetWindowText(std::u16string_view text)
{
    QWidget* widget = WindowImpl::WidgetOf(this);
    const QString q = afx::ToQString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(q);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(q);
    else if (auto* label = dynamic_cast<afx::StaticText*>(widget))
        label->setText(q);
    else if (widget != nullptr)
        widget->setWindowTitle(q);
}

void CWnd::SetFocus()
{
    if (QWidget* widget = WindowImpl::WidgetOf(this))
        widget->setFocus(Qt::OtherFocusReason);
}

BOOL CWnd::IsIconic() const
{
    QWidget* widget = WindowImpl::WidgetOf(this);
    return widget != nullptr && widget->isMinimized();
}

BOOL CWnd::IsWindowVisible() const
{
    QWidget* widget = WindowImpl::WidgetOf(this);
    return widget != nullptr && widget->isVisible();
}
