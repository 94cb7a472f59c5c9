#include "button.h"

#include "window_impl.h"

int CButton::GetCheck() const
{
    HWND hwnd = afx::WindowImpl::HandleOf(this);
    return hwnd != nullptr ? static_cast<int>(::SendMessageW(hwnd, BM_GETCHECK, 0, 0)) : BST_UNCHECKED;
}
