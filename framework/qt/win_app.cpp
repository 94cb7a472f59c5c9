#include "win_app.h"

#include "afx_strings.h"
#include "dialog.h"
#include "message_box.h"
#include "window_impl.h"

#include <QApplication>
#include <QFileInfo>

#include <array>

namespace {
CWinApp* s_app = nullptr;
}

CWinApp::CWinApp()
{
    s_app = this;
}

CWinApp::~CWinApp()
{
    if (s_app == this)
        s_app = nullptr;
}

CWinApp* AfxGetApp()
{
    return s_app;
}

const AFX_MSGMAP* CWinApp::GetThisMessageMap()
{
    static constexpr AFX_MSGMAP map{&CCmdTarget::GetThisMessageMap, {}};
    return &map;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

void CWinApp::OnHelp()
{
    std::uint32_t context = HID_BASE_RESOURCE;
    if (const auto* dialog = dynamic_cast<const CDialog*>(m_pMainWnd))
        context += static_cast<std::uint32_t>(dialog->GetTemplate().id);
    WinHelp(context, HELP_CONTEXT);
}

void CWinApp::WinHelp(std::uint32_t /*dwData*/, UINT /*nCmd*/)
{
    // No viewer for the platform's ".HLP" files exists on this system, so
    // starting one fails exactly as it does where none is installed.
    AfxMessageBox(AFX_IDP_FAILED_TO_LAUNCH_HELP, MB_ICONEXCLAMATION | MB_OK);
}

namespace {

std::u16string HelpFilePath()
{
    const QString directory = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
    return afx::FromQString(directory + u'/') + AfxGetAppName() + u".HLP";
}

} // namespace

int AfxWinMain(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    app->m_pszHelpFilePath = HelpFilePath();
    // On Wayland this is the window's app id.
    if (!app->m_pszAppID.empty())
        QGuiApplication::setDesktopFileName(afx::ToQString(app->m_pszAppID));
    if (app->InitInstance()) {
        // An application that keeps running after initialisation has a
        // main window whose life is the message loop's.
        QApplication::exec();
    }
    return app->ExitInstance();
}
