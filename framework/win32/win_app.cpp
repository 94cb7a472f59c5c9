#include "win_app.h"

#include "afx_strings.h"
#include "message_box.h"
#include "program_path.h"
#include "window_impl.h"

void CWinApp::WinHelp(std::uint32_t dwData, UINT nCmd)
{
    HWND owner = afx::WindowImpl::HandleOf(m_pMainWnd);
    if (!::WinHelpW(owner, afx::Wide(m_pszHelpFilePath), nCmd, dwData))
        AfxMessageBox(AFX_IDP_FAILED_TO_LAUNCH_HELP, MB_ICONEXCLAMATION | MB_OK);
}

namespace afx {

std::u16string ProgramFilePath()
{
    std::u16string path(MAX_PATH, u'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace afx

int AfxWinMain(int /*argc*/, char** /*argv*/)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return 1;
    app->m_pszHelpFilePath = afx::HelpFilePath(afx::ProgramFilePath());
    app->InitInstance();
    return 0;
}
