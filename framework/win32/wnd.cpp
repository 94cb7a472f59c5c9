#include "wnd.h"

#include "window_impl.h"

namespace afx {

HWND WindowImpl::HandleOf(const CWnd* wnd)
{
    return wnd != nullptr && wnd->m_impl ? wnd->m_impl->hwnd : nullptr;
}

void WindowImpl::Attach(CWnd& wnd, HWND hwnd, CWnd* parent, int id)
{
    wnd.m_impl = std::make_unique<WindowImpl>(hwnd);
    wnd.m_pParent = parent;
    wnd.m_nID = id;
}

void WindowImpl::Detach(CWnd& wnd)
{
    wnd.m_impl.reset();
    wnd.m_pParent = nullptr;
}

void WindowImpl::Replace(CWnd& dialog, int id, CWnd* control)
{
    if (!dialog.m_impl)
        return;
    for (auto& entry : dialog.m_impl->controls) {
        if (entry.first == id)
            entry.second = control;
    }
}

void WindowImpl::LeaveToPlatform(CWnd& wnd)
{
    if (wnd.m_impl && wnd.m_impl->leftToPlatform != nullptr)
        *wnd.m_impl->leftToPlatform = true;
}

} // namespace afx

using afx::WindowImpl;

CWnd::CWnd() = default;
CWnd::~CWnd() = default;

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = WindowImpl::HandleOf(this);
    return hwnd != nullptr ? ::SendMessageW(hwnd, message, wParam, lParam) : 0;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = WindowImpl::HandleOf(this);
    return hwnd != nullptr ? ::DefWindowProcW(hwnd, message, wParam, lParam) : 0;
}

// The platform clamps the period to 10 .. 0x7FFFFFFF ms and replaces a timer
// set again with the same id.
UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* /*lpfnTimer*/)
{
    HWND hwnd = WindowImpl::HandleOf(this);
    return hwnd != nullptr ? ::SetTimer(hwnd, nIDEvent, nElapse, nullptr) : 0;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    HWND hwnd = WindowImpl::HandleOf(this);
    return hwnd != nullptr && ::KillTimer(hwnd, nIDEvent);
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    if (!m_impl)
        return nullptr;
    for (const auto& [id, control] : m_impl->controls) {
        if (id == nID)
            return control;
    }
    return nullptr;
}

std::u16string CWnd::GetWindowText() const
{
    HWND hwnd = WindowImpl::HandleOf(this);
    if (hwnd == nullptr)
        return {};
    std::u16string text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, u'\0');
    const int copied = ::GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void CWnd::SetWindowText(std::u16string_view text)
{
    if (HWND hwnd = WindowImpl::HandleOf(this))
        ::SetWindowTextW(hwnd, afx::Wide(std::u16string(text)));
}

void CWnd::SetFocus()
{
    if (HWND hwnd = WindowImpl::HandleOf(this))
        ::SetFocus(hwnd);
}

BOOL CWnd::IsIconic() const
{
    HWND hwnd = WindowImpl::HandleOf(this);
    return hwnd != nullptr && ::IsIconic(hwnd);
}

BOOL CWnd::IsWindowVisible() const
{
    HWND hwnd = WindowImpl::HandleOf(this);
    return hwnd != nullptr && ::IsWindowVisible(hwnd);
}
