#include "message_box.h"

#include "program_path.h"
#include "win_app.h"
#include "window_impl.h"

#include <QApplication>
#include <QMessageBox>

std::u16string AfxGetAppName()
{
    return afx::ProgramName(afx::FromQString(QCoreApplication::applicationFilePath()));
}

int AfxMessageBox(std::u16string_view text, UINT nType, CWnd* ownerWnd)
{
    QWidget* owner = afx::WindowImpl::WidgetOf(ownerWnd);
    if (owner == nullptr)
        owner = QApplication::activeModalWidget();
    if (owner == nullptr && AfxGetApp() != nullptr)
        owner = afx::WindowImpl::WidgetOf(AfxGetApp()->m_pMainWnd);
    const QMessageBox::Icon icon = (nType & 0xF0) == MB_ICONEXCLAMATION ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(icon, afx::ToQString(AfxGetAppName()), afx::ToQString(text), QMessageBox::Ok, owner);
    if (nType & MB_SYSTEMMODAL)
        box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return static_cast<int>(IDOK);
}
