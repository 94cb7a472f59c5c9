#include "data_exchange.h"

#include "button.h"
#include "dialog.h"
#include "window_impl.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CButton& rControl)
{
    if (rControl.IsWindow())
        return;
    HWND hwnd = afx::WindowImpl::HandleOf(pDX->m_pDlgWnd->GetDlgItem(nIDC));
    if (hwnd == nullptr)
        return;
    afx::WindowImpl::Attach(rControl, hwnd, pDX->m_pDlgWnd, nIDC);
    afx::WindowImpl::Replace(*pDX->m_pDlgWnd, nIDC, &rControl);
}
