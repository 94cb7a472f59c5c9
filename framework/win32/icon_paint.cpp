#include "icon.h"
#include "paint.h"

#include "window_impl.h"

// The icon's images live in the program's resources (app/tonegen.rc), where
// the platform picks the size each use needs.
HICON AfxLoadIcon(const IconResource& icon)
{
    return ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon.id));
}

CRect GetClientRect(const CWnd& wnd)
{
    RECT rect{};
    if (HWND hwnd = afx::WindowImpl::HandleOf(&wnd))
        ::GetClientRect(hwnd, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

struct CPaintDC::Impl {
    CWnd* wnd;
    HWND hwnd;
    PAINTSTRUCT paint;
    HDC dc;
};

CPaintDC::CPaintDC(CWnd* pWnd)
{
    if (HWND hwnd = afx::WindowImpl::HandleOf(pWnd)) {
        m_impl = std::make_unique<Impl>();
        m_impl->wnd = pWnd;
        m_impl->hwnd = hwnd;
        m_impl->dc = ::BeginPaint(hwnd, &m_impl->paint);
    }
}

CPaintDC::~CPaintDC()
{
    if (m_impl)
        ::EndPaint(m_impl->hwnd, &m_impl->paint);
}

WPARAM CPaintDC::GetSafeHdc() const
{
    return m_impl ? reinterpret_cast<WPARAM>(m_impl->dc) : 0;
}

// The handle LoadIcon gave holds the image for the system's DPI; the
// resource holds one for every size a window's DPI can ask for, and
// LR_COPYFROMRESOURCE picks it rather than stretching the one at hand.
void CPaintDC::DrawIcon(int x, int y, HICON hIcon)
{
    if (!m_impl || hIcon == nullptr)
        return;
    const int cx = m_impl->wnd->GetSystemMetrics(SM_CXICON);
    const int cy = m_impl->wnd->GetSystemMetrics(SM_CYICON);
    HICON sized = static_cast<HICON>(::CopyImage(hIcon, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE));
    ::DrawIconEx(m_impl->dc, x, y, sized != nullptr ? sized : hIcon, cx, cy, 0, nullptr, DI_NORMAL);
    if (sized != nullptr)
        ::DestroyIcon(sized);
}
