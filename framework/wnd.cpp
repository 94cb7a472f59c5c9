#include "wnd.h"

#include "afx_strings.h"
#include "message_box.h"
#include "win_app.h"
#include "window_binding.h"

#include <algorithm>
#include <new>

namespace afx {

void WindowBinding::Bind(CWnd& object, CWnd& dialog, int id)
{
    const CWnd* control = dialog.GetDlgItem(id);
    if (control == nullptr || !control->IsWindow())
        return;
    ShareWindow(object, *control);
    object.m_pParent = &dialog;
    object.m_nID = id;
    for (auto& entry : dialog.m_controls->byId) {
        if (entry.first == id)
            entry.second = &object;
    }
}

void WindowBinding::UnbindControls(CWnd& dialog)
{
    if (!dialog.m_controls)
        return;
    const DialogControls& controls = *dialog.m_controls;
    for (const auto& [id, control] : controls.byId) {
        const bool owned = std::any_of(controls.owned.begin(), controls.owned.end(),
                                       [control = control](const auto& c) { return c.get() == control; });
        if (control != nullptr && !owned)
            Detach(*control);
    }
}

void WindowBinding::Forget(CWnd& wnd)
{
    if (wnd.m_pParent == nullptr || !wnd.m_pParent->m_controls)
        return;
    for (auto& entry : wnd.m_pParent->m_controls->byId) {
        if (entry.second == &wnd)
            entry.second = nullptr;
    }
}

} // namespace afx

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
        result = Dispatch(message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        // The message counts as handled; whatever the handler had not done
        // yet stays undone.
        AfxMessageBox(AFX_IDP_FAILED_MEMORY_ALLOC, MB_ICONEXCLAMATION | MB_SYSTEMMODAL, this);
    }
    m_current = saved;
    return result;
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COMMAND) {
        if (const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0))
            return entry->pfn(this, wParam, lParam);
        return DefWindowProc(message, wParam, lParam);
    }
    // A control's notification (lParam names the control) arriving while a
    // data exchange writes the controls is the exchange's own echo.
    if (lParam != 0 && m_nLockNotify > 0)
        return 0;
    const UINT code = HIWORD(wParam);
    const UINT id = LOWORD(wParam);
    if (const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(WM_COMMAND, code, id))
        return entry->pfn(this, wParam, lParam);
    // Commands nobody in the window handled go on to the application.
    if (CWinApp* app = AfxGetApp()) {
        if (const AFX_MSGMAP_ENTRY* entry = app->FindMessageEntry(WM_COMMAND, code, id))
            return entry->pfn(app, wParam, lParam);
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    if (!m_controls)
        return nullptr;
    for (const auto& [id, control] : m_controls->byId) {
        if (id == nID)
            return control;
    }
    return nullptr;
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
