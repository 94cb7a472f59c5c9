#include "dialog.h"

#include "dialog_template_ex.h"
#include "placement.h"
#include "window_binding.h"
#include "window_impl.h"

#include <algorithm>

using afx::WindowImpl;

namespace {

// The dialogs alive on this thread, for the F1 filter below.
std::vector<HWND> s_dialogs;

// F1 with none of Shift, Ctrl and Alt, anywhere in one of our dialogs, is the
// help command. The platform's dialog manager offers every message of a
// dialog's loop to the message filter hooks first, so that is where F1 is
// caught, before the focused control sees it.
LRESULT CALLBACK HelpKeyFilter(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && msg->message == WM_KEYDOWN && msg->wParam == VK_F1 &&
        (::GetKeyState(VK_SHIFT) & 0x8000) == 0 && (::GetKeyState(VK_CONTROL) & 0x8000) == 0 &&
        (::GetKeyState(VK_MENU) & 0x8000) == 0) {
        HWND root = ::GetAncestor(msg->hwnd, GA_ROOT);
        if (std::find(s_dialogs.begin(), s_dialogs.end(), root) != s_dialogs.end()) {
            ::SendMessageW(root, WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

HHOOK s_helpKeyHook = nullptr;

// The filter is in place while any dialog lives.
void WatchForHelpKey(HWND dialog)
{
    if (s_dialogs.empty())
        s_helpKeyHook = ::SetWindowsHookExW(WH_MSGFILTER, &HelpKeyFilter, nullptr, ::GetCurrentThreadId());
    s_dialogs.push_back(dialog);
}

void StopWatchingForHelpKey(HWND dialog)
{
    const auto it = std::find(s_dialogs.begin(), s_dialogs.end(), dialog);
    if (it == s_dialogs.end())
        return;
    s_dialogs.erase(it);
    if (s_dialogs.empty() && s_helpKeyHook != nullptr) {
        ::UnhookWindowsHookEx(s_helpKeyHook);
        s_helpKeyHook = nullptr;
    }
}

// The template puts the dialog at 0, 0 and asks for no centring of its own,
// which on the platform leaves the framework to centre it, ownerless as it
// is, in the primary display's work area.
void CentreInWorkArea(HWND hwnd)
{
    RECT area{};
    RECT window{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) || !::GetWindowRect(hwnd, &window))
        return;
    const afx::ScreenPoint origin = afx::CentredOrigin(area.left, area.top, area.right, area.bottom,
                                                       window.right - window.left, window.bottom - window.top);
    ::SetWindowPos(hwnd, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The button control makes a radio button a tab stop whenever it is checked,
// so that the user's choice in a group stays within reach of the keyboard.
// A check the dialog makes while it initialises is not the user's: the
// dialog opens with the template's tab stops, so that the dialog manager's
// first tab stop, which takes the focus, is the one the template names.
void UseTheTemplatesTabStops(HWND hwnd, const DialogTemplate& tmpl)
{
    HWND child = ::GetWindow(hwnd, GW_CHILD);
    for (const DialogItemTemplate& item : tmpl.items) {
        if (child == nullptr)
            return;
        const auto style = static_cast<DWORD>(::GetWindowLongW(child, GWL_STYLE));
        const DWORD wanted = (style & ~static_cast<DWORD>(WS_TABSTOP)) | (item.style & WS_TABSTOP);
        if (wanted != style)
            ::SetWindowLongW(child, GWL_STYLE, static_cast<LONG>(wanted));
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
}

bool AsksForAPlace(const DialogTemplate& tmpl)
{
    return tmpl.x != 0 || tmpl.y != 0 || (tmpl.style & (DS_ABSALIGN | DS_CENTER | DS_CENTERMOUSE)) != 0;
}

// Messages whose dialog procedure result is the message's own result rather
// than a handled flag.
bool ReturnsItsResult(UINT message)
{
    return message == WM_INITDIALOG || message == WM_QUERYDRAGICON ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM;
}

} // namespace

namespace afx {

INT_PTR CALLBACK WindowImpl::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        Attach(*dialog, hwnd, nullptr, dialog->m_template.id);
        // Every control the template made, in its order, under its id.
        dialog->m_controls = std::make_unique<DialogControls>();
        for (const DialogItemTemplate& item : dialog->m_template.items) {
            auto control = std::make_unique<CWnd>();
            Attach(*control, ::GetDlgItem(hwnd, item.id), dialog, item.id);
            dialog->m_controls->byId.emplace_back(item.id, control.get());
            dialog->m_controls->owned.push_back(std::move(control));
        }
        WatchForHelpKey(hwnd);
        const BOOL focusFirst = dialog->OnInitDialog();
        UseTheTemplatesTabStops(hwnd, dialog->m_template);
        if (!AsksForAPlace(dialog->m_template))
            CentreInWorkArea(hwnd);
        // TRUE lets the dialog manager put the focus on the first tab stop,
        // an edit control with its whole text selected.
        return focusFirst;
    }
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (dialog == nullptr || !dialog->m_impl)
        return FALSE;

    bool leftToPlatform = false;
    bool* outer = dialog->m_impl->leftToPlatform;
    dialog->m_impl->leftToPlatform = &leftToPlatform;
    const LRESULT result = dialog->Deliver(message, wParam, lParam);
    // The handler may have ended and destroyed the dialog.
    if (dialog->m_impl && dialog->m_impl->window == hwnd)
        dialog->m_impl->leftToPlatform = outer;
    if (leftToPlatform)
        return FALSE;
    if (ReturnsItsResult(message))
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

} // namespace afx

std::intptr_t CDialog::DoModal()
{
    m_nModalResult = -1;
    const std::vector<std::uint16_t> bytes = afx::BuildDialogTemplateEx(m_template);
    ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                              WindowImpl::HandleOf(m_pParentWnd), &WindowImpl::DialogProc,
                              reinterpret_cast<LPARAM>(this));
    const std::intptr_t result = m_nModalResult;
    DestroyWindow();
    return result;
}

BOOL CDialog::Create()
{
    m_nModalResult = -1;
    const std::vector<std::uint16_t> bytes = afx::BuildDialogTemplateEx(m_template);
    HWND hwnd = ::CreateDialogIndirectParamW(
        ::GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
        WindowImpl::HandleOf(m_pParentWnd), &WindowImpl::DialogProc, reinterpret_cast<LPARAM>(this));
    if (hwnd == nullptr)
        return FALSE;
    ::ShowWindow(hwnd, SW_SHOW);
    return TRUE;
}

void afx::WindowBinding::DestroyDialogWindow(CDialog& dialog)
{
    HWND hwnd = dialog.m_impl->window;
    StopWatchingForHelpKey(hwnd);
    dialog.m_impl.reset();
    if (::IsWindow(hwnd)) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        ::DestroyWindow(hwnd);
    }
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    if (HWND hwnd = WindowImpl::HandleOf(this))
        ::EndDialog(hwnd, nResult);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    HWND dialog = WindowImpl::HandleOf(this);
    HWND control = WindowImpl::HandleOf(pWndCtrl);
    // The dialog manager's own move: focus, and an edit control's whole text
    // selected.
    if (dialog != nullptr && control != nullptr)
        ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

LRESULT CDialog::DefWindowProc(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    // The close box's IDCANCEL, painting, icons: the platform's dialog
    // manager does them all once the dialog procedure returns.
    WindowImpl::LeaveToPlatform(*this);
    return 0;
}
