#include "data_exchange.h"

#include "button.h"
#include "dialog.h"
#include "window_impl.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CButton& rControl)
{
    if (rControl.IsWindow())
        return;
    CWnd* control = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    QWidget* widget = afx::WindowImpl::WidgetOf(control);
    if (widget == nullptr)
        return;
    afx::WindowImpl::Attach(rControl, widget, pDX->m_pDlgWnd, nIDC);
    afx::WindowImpl::Replace(*pDX->m_pDlgWnd, nIDC, &rControl);
}
