#include "win_app.h"

#include "dialog.h"

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
    return FALSE;
}

void CWinApp::OnHelp()
{
    std::uint32_t context = HID_BASE_RESOURCE;
    if (const auto* dialog = dynamic_cast<const CDialog*>(m_pMainWnd))
        context += static_cast<std::uint32_t>(dialog->GetTemplate().id);
    WinHelp(context, HELP_CONTEXT);
}
