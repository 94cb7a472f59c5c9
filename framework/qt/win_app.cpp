#include "win_app.h"

#include "afx_strings.h"
#include "message_box.h"
#include "program_path.h"
#include "window_impl.h"

#include <QApplication>

void CWinApp::WinHelp(std::uint32_t /*dwData*/, UINT /*nCmd*/)
{
    // No viewer for the platform's ".HLP" files exists on Linux, so starting
    // one fails as it does on Windows where none is installed.
    AfxMessageBox(AFX_IDP_FAILED_TO_LAUNCH_HELP, MB_ICONEXCLAMATION | MB_OK);
}

int AfxWinMain(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    app->m_pszHelpFilePath = afx::HelpFilePath(afx::FromQString(QCoreApplication::applicationFilePath()));
    // On Wayland this is the window's app id.
    if (!app->m_pszAppID.empty())
        QGuiApplication::setDesktopFileName(afx::ToQString(app->m_pszAppID));
    app->InitInstance();
    return 0;
}
