#include "dialog.h"

#include "control_factory.h"
#include "data_exchange.h"
#include "dialog_window.h"
#include "placement.h"
#include "window_binding.h"
#include "window_impl.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTranslator>
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

// Qt's own texts in a dialog (a field's context menu, say) speak the
// framework's language, Chinese (PRC), wherever Qt's translations are
// installed. Once per application.
void UseQtTranslation()
{
    static QPointer<QTranslator> s_translator;
    if (s_translator != nullptr)
        return;
    s_translator = new QTranslator(QCoreApplication::instance());
    if (s_translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(s_translator);
}

} // namespace

namespace afx {

void WindowImpl::OpenDialog(CDialog& dialog)
{
    const DialogTemplate& tmpl = dialog.m_template;
    dialog.m_nModalResult = -1;
    UseQtTranslation();
    auto* window = new afx::DialogWindow(&dialog, WidgetOf(dialog.m_pParentWnd));
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setWindowTitle(afx::ToQString(tmpl.caption));
    window->setFont(afx::TemplateFont(tmpl, window));

    // An application window (in the taskbar, minimisable by every window
    // manager) rather than a transient dialog, when the template asks so.
    const Qt::WindowType type = (tmpl.exStyle & WS_EX_APPWINDOW) ? Qt::Window : Qt::Dialog;
    Qt::WindowFlags flags = type | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tmpl.style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tmpl.style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    window->setWindowFlags(flags);

    const afx::DialogUnits du(window->font());
    window->setFixedSize(du.Size(tmpl.cx, tmpl.cy));

    Attach(dialog, window, nullptr, tmpl.id);
    dialog.m_controls = std::make_unique<DialogControls>();
    afx::CreateControls(tmpl, *window, dialog, *dialog.m_controls);

    if (dialog.OnInitDialog()) {
        // As the dialog manager does: the first tab stop takes the focus, an
        // edit control with its whole text selected.
        for (const auto& [id, control] : dialog.m_controls->byId) {
            QWidget* w = WidgetOf(control);
            if (w != nullptr && w->focusPolicy() == Qt::StrongFocus && w->isEnabled()) {
                dialog.GotoDlgCtrl(control);
                break;
            }
        }
    }
    // The frame's size is known once the platform window exists.
    window->winId();
    CentreInWorkArea(*window);
}

void WindowBinding::DestroyDialogWindow(CDialog& dialog)
{
    dialog.m_impl->timers.KillAll();
    QWidget* window = dialog.m_impl->window.data();
    dialog.m_impl.reset();
    delete window;
}

} // namespace afx

std::intptr_t CDialog::DoModal()
{
    WindowImpl::OpenDialog(*this);
    auto* window = static_cast<afx::DialogWindow*>(WindowImpl::WidgetOf(this));
    if (m_nModalResult == -1)
        window->exec();
    const std::intptr_t result = m_nModalResult;
    DestroyWindow();
    return result;
}

BOOL CDialog::Create()
{
    WindowImpl::OpenDialog(*this);
    WindowImpl::WidgetOf(this)->show();
    return TRUE;
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
