#include "wnd.h"

#include "afx_strings.h"
#include "message_box.h"
#include "win_app.h"

#include <new>

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static constexpr AFX_MSGMAP map{&CCmdTarget::GetThisMessageMap, {}};
    return &map;
}

LRESULT CWnd::Deliver(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CurrentMessage saved = m_current;
    m_current = {message, wParam, lParam};
    LRESULT result = 0;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        // The message counts as handled; whatever the handler had not done
        // yet stays undone.
        AfxMessageBox(AFX_IDP_FAILED_MEMORY_ALLOC, MB_ICONEXCLAMATION | MB_SYSTEMMODAL, this);
    }
    m_current = saved;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND)
        return OnCommand(wParam, lParam);
    if (const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0)) {
        *pResult = entry->pfn(this, wParam, lParam);
        return TRUE;
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // A control's notification (lParam names the control) arriving while a
    // data exchange writes the controls is the exchange's own echo.
    if (lParam != 0 && m_nLockNotify > 0)
        return TRUE;
    const UINT code = HIWORD(wParam);
    const UINT id = LOWORD(wParam);
    if (const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(WM_COMMAND, code, id)) {
        entry->pfn(this, wParam, lParam);
        return TRUE;
    }
    // Commands nobody in the window handled go on to the application.
    if (CWinApp* app = AfxGetApp()) {
        if (const AFX_MSGMAP_ENTRY* entry = app->FindMessageEntry(WM_COMMAND, code, id)) {
            entry->pfn(app, wParam, lParam);
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

std::u16string CWnd::GetDlgItemText(int nID) const
{
    const CWnd* item = GetDlgItem(nID);
    return item != nullptr ? item->GetWindowText() : std::u16string();
}

void CWnd::SetDlgItemText(int nID, std::u16string_view text)
{
    if (CWnd* item = GetDlgItem(nID))
        item->SetWindowText(text);
}
