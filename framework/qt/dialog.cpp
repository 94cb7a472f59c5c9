#include "dialog.h"

#include "control_factory.h"
#include "data_exchange.h"
#include "dialog_window.h"
#include "placement.h"
#include "window_impl.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <qdrawutil.h>

#include <algorithm>

using afx::WindowImpl;

namespace {

// The platform centres an ownerless dialog in the primary screen's work
// area.
void CentreInWorkArea(QWidget& window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window.frameGeometry();
    const afx::ScreenPoint origin = afx::CentredOrigin(area.left(), area.top(), area.left() + area.width(),
                                                       area.top() + area.height(), frame.width(), frame.height());
    window.move(origin.x, origin.y);
}

} // namespace

CDialog::CDialog(const DialogTemplate& tmpl, CWnd* pParentWnd) : m_template(tmpl), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog()
{
    DestroyWindow();
}

void CDialog::CreateDialogWindow()
{
    auto* window = new afx::DialogWindow(this, WindowImpl::WidgetOf(m_pParentWnd));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setWindowTitle(afx::ToQString(m_template.caption));
    window->setFont(afx::TemplateFont(m_template, window));

    // An application window (in the taskbar, minimisable by every window
    // manager) rather than a transient dialog, when the template asks so.
    const Qt::WindowType type = (m_template.exStyle & WS_EX_APPWINDOW) ? Qt::Window : Qt::Dialog;
    Qt::WindowFlags flags = type | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (m_template.style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (m_template.style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    window->setWindowFlags(flags);

    const afx::DialogUnits du(window->font());
    window->setFixedSize(du.Size(m_template.cx, m_template.cy));

    WindowImpl::Attach(*this, window, nullptr, m_template.id);
    afx::CreateControls(m_template, *window, *this, *m_impl);
}

void CDialog::InitialiseDialog()
{
    m_nModalResult = -1;
    CreateDialogWindow();
    QWidget* window = WindowImpl::WidgetOf(this);
    if (OnInitDialog()) {
        // As the dialog manager does: the first tab stop takes the focus, an
        // edit control with its whole text selected.
        for (const auto& [id, control] : m_impl->controls) {
            QWidget* w = WindowImpl::WidgetOf(control);
            if (w != nullptr && w->focusPolicy() == Qt::StrongFocus && w->isEnabled()) {
                GotoDlgCtrl(control);
                break;
            }
        }
    }
    // The frame's size is known once the platform window exists.
    window->winId();
    CentreInWorkArea(*window);
}

std::intptr_t CDialog::DoModal()
{
    InitialiseDialog();
    auto* window = static_cast<afx::DialogWindow*>(WindowImpl::WidgetOf(this));
    if (m_nModalResult == -1)
        window->exec();
    const std::intptr_t result = m_nModalResult;
    DestroyWindow();
    return result;
}

BOOL CDialog::Create()
{
    InitialiseDialog();
    WindowImpl::WidgetOf(this)->show();
    return TRUE;
}

void CDialog::DestroyWindow()
{
    if (!m_impl)
        return;
    m_impl->timers.KillAll();
    // Objects bound to controls outlive the window; unbind them.
    for (const auto& [id, control] : m_impl->controls) {
        const bool owned = std::any_of(m_impl->ownedControls.begin(), m_impl->ownedControls.end(),
                                       [control = control](const auto& c) { return c.get() == control; });
        if (!owned)
            WindowImpl::Detach(*control);
    }
    QWidget* window = m_impl->widget.data();
    m_impl.reset();
    delete window;
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    if (auto* window = static_cast<afx::DialogWindow*>(WindowImpl::WidgetOf(this)))
        window->End(nResult);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    QWidget* widget = WindowImpl::WidgetOf(pWndCtrl);
    if (widget == nullptr)
        return;
    widget->setFocus(Qt::TabFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->selectAll();
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    if (message == WM_PAINT) {
        // The sunken edge the template asks for; on the platform it lies
        // outside the client area, here just inside it, clear of controls.
        if ((m_template.exStyle & WS_EX_CLIENTEDGE) != 0) {
            QWidget* window = WindowImpl::WidgetOf(this);
            QPainter painter(window);
            qDrawShadePanel(&painter, window->rect(), window->palette(), true, 2);
        }
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}
