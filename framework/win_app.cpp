#include "win_app.h"

#include "afx_strings.h"
#include "message_box.h"

#include <QApplication>

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
    // The platform's help viewer for ".HLP" files does not exist here, so
    // starting it always fails, as it would on a system without one.
    AfxMessageBox(AFX_IDP_FAILED_TO_LAUNCH_HELP, MB_ICONEXCLAMATION | MB_OK);
}

int AfxWinMain(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    if (app->InitInstance()) {
        // An application that keeps running after initialisation has a
        // main window whose life is the message loop's.
        QApplication::exec();
    }
    return app->ExitInstance();
}
