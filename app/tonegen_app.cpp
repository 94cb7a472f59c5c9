#include "tonegen_app.h"

#include "tonegen_dlg.h"
#include "tonegen_version.h"

#include <array>

CToneGenApp theApp;

CToneGenApp::CToneGenApp()
{
    SetAppID(tonegen::kAppId);
}

const AFX_MSGMAP* CToneGenApp::GetThisMessageMap()
{
    static constexpr std::array entries{
        afx::OnCommand<&CWinApp::OnHelp>(0, ID_HELP),
    };
    static constexpr AFX_MSGMAP map{&CWinApp::GetThisMessageMap, entries};
    return &map;
}

BOOL CToneGenApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControlsStatic();

    CToneGenDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // No message loop of our own: the program ends with its dialog.
    return FALSE;
}
