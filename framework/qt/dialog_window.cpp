#include "dialog_window.h"

#include "dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace afx {

DialogWindow::DialogWindow(CDialog* owner, QWidget* parent) : QDialog(parent), m_owner(owner) {}

void DialogWindow::End(int result)
{
    m_ending = true;
    done(result);
    m_ending = false;
}

void DialogWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 &&
        (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0) {
        m_owner->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
        return;
    }
    QDialog::keyPressEvent(event);
}

void DialogWindow::paintEvent(QPaintEvent* /*event*/)
{
    m_owner->SendMessage(WM_PAINT);
}

void DialogWindow::closeEvent(QCloseEvent* event)
{
    if (m_ending) {
        QDialog::closeEvent(event);
        return;
    }
    // The close box asks; the dialog decides (by default it cancels).
    event->ignore();
    m_owner->SendMessage(WM_CLOSE);
}

void DialogWindow::reject()
{
    if (m_ending) {
        QDialog::reject();
        return;
    }
    // Escape: the platform sends IDCANCEL, which the dialog handles.
    m_owner->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

} // namespace afx
