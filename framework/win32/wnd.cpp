#include "wnd.h"

#include "window_binding.h"
#include "window_impl.h"

using afx::WindowImpl;

namespace afx {

void WindowImpl::Attach(CWnd& wnd, HWND window, CWnd* parent, int id)
{
    wnd.m_impl = std::make_unique<WindowImpl>(wnd, window);
    wnd.m_pParent = parent;
    wnd.m_nID = id;
}

void WindowBinding::ShareWindow(CWnd& object, const CWnd& control)
{
    object.m_impl = std::make_unique<WindowImpl>(object, control.m_impl->window);
}

void WindowBinding::Detach(CWnd& wnd)
{
    wnd.m_impl.reset();
    wnd.m_pParent = nullptr;
}

void WindowImpl::LeaveToPlatform(CWnd& wnd)
{
    if (wnd.m_impl && wnd.m_impl->leftToPlatform != nullptr)
        *wnd.m_impl->leftToPlatform = true;
}

} // namespace afx

namespace {

// A function of user32 that older systems lack, or nullptr there.
template <typename Function> Function FromUser32(const char* name)
{
    static const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    // Through a function type without parameters, the one cast between
    // function types that the compiler takes as intended.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(user32, name)));
}

} // namespace

CWnd::CWnd() = default;
CWnd::~CWnd()
{
    afx::WindowBinding::Forget(*this);
}

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

BOOL CWnd::IsIconic() const
{
    HWND hwnd = WindowImpl::HandleOf(this);
    return hwnd != nullptr && ::IsIconic(hwnd);
}

// Windows 10 1607 and later know each window's DPI; before them the system's
// one DPI is every window's.
int CWnd::GetSystemMetrics(int nIndex) const
{
    static const auto dpiForWindow = FromUser32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    static const auto metricsForDpi = FromUser32<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    HWND hwnd = WindowImpl::HandleOf(this);
    if (hwnd != nullptr && dpiForWindow != nullptr && metricsForDpi != nullptr)
        return metricsForDpi(nIndex, dpiForWindow(hwnd));
    return ::GetSystemMetrics(nIndex);
}
