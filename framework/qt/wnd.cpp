#include "wnd.h"

#include "window_binding.h"
#include "window_impl.h"

#include <QAbstractButton>
#include <QIcon>
#include <QLineEdit>
#include <QScreen>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>

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

void WindowImpl::Attach(CWnd& wnd, QWidget* widget, CWnd* parent, int id)
{
    wnd.m_impl = std::make_unique<WindowImpl>(wnd, widget);
    wnd.m_pParent = parent;
    wnd.m_nID = id;
}

void WindowBinding::ShareWindow(CWnd& object, const CWnd& control)
{
    object.m_impl = std::make_unique<WindowImpl>(object, control.m_impl->window);
}

void WindowBinding::Detach(CWnd& wnd)
{
    wnd.m_impl.reset();
    wnd.m_pParent = nullptr;
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
CWnd::~CWnd()
{
    afx::WindowBinding::Forget(*this);
}

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

std::u16string CWnd::GetWindowText() const
{
    const auto* edit = qobject_cast<const QLineEdit*>(WindowImpl::WidgetOf(this));
    return edit != nullptr ? afx::FromQString(edit->text()) : std::u16string();
}

void CWnd::SetWindowText(std::u16string_view text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(WindowImpl::WidgetOf(this)))
        edit->setText(afx::ToQString(text));
}

BOOL CWnd::IsIconic() const
{
    QWidget* widget = WindowImpl::WidgetOf(this);
    return widget != nullptr && widget->isMinimized();
}

// The dialog's unit follows the screen's logical DPI (TemplateFont), and so
// does every size the window draws in itself.
int CWnd::GetSystemMetrics(int nIndex) const
{
    if (nIndex != SM_CXICON && nIndex != SM_CYICON)
        return 0;
    const QWidget* widget = WindowImpl::WidgetOf(this);
    const qreal dpi = widget != nullptr && widget->screen() != nullptr ? widget->screen()->logicalDotsPerInchY() : 96.0;
    return static_cast<int>(std::lround(32 * dpi / 96.0));
}
