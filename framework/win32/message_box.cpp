#include "message_box.h"

#include "program_path.h"
#include "win_app.h"
#include "window_impl.h"

std::u16string AfxGetAppName()
{
    return afx::ProgramName(afx::ProgramFilePath());
}

int AfxMessageBox(std::u16string_view text, UINT nType, CWnd* ownerWnd)
{
    HWND owner = afx::WindowImpl::HandleOf(ownerWnd);
    if (owner == nullptr)
        owner = ::GetActiveWindow();
    if (owner == nullptr && AfxGetApp() != nullptr)
        owner = afx::WindowImpl::HandleOf(AfxGetApp()->m_pMainWnd);
    const std::u16string caption = AfxGetAppName();
    return ::MessageBoxW(owner, afx::Wide(std::u16string(text)), afx::Wide(caption), nType);
}
