#include "data_exchange.h"

#include "afx_strings.h"
#include "button.h"
#include "dialog.h"
#include "message_box.h"
#include "window_binding.h"

#include <string>

CWnd* CDataExchange::PrepareEditCtrl(int nIDC)
{
    m_pLastControl = m_pDlgWnd->GetDlgItem(nIDC);
    return m_pLastControl;
}

void CDataExchange::Fail()
{
    if (!m_bSaveAndValidate)
        throw Failure{};
    if (m_pLastControl != nullptr)
        m_pDlgWnd->GotoDlgCtrl(m_pLastControl);
    throw Failure{};
}

void DDX_Control(CDataExchange* pDX, int nIDC, CButton& rControl)
{
    if (!rControl.IsWindow())
        afx::WindowBinding::Bind(rControl, *pDX->m_pDlgWnd, nIDC);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    CWnd* control = pDX->PrepareEditCtrl(nIDC);
    if (control == nullptr)
        return;
    if (pDX->m_bSaveAndValidate) {
        const std::optional<int> parsed = ParseDialogInteger(control->GetWindowText());
        if (!parsed) {
            AfxMessageBox(AFX_IDP_PARSE_INT, MB_ICONEXCLAMATION | MB_OK, pDX->m_pDlgWnd);
            pDX->Fail();
        }
        value = *parsed;
        return;
    }
    const std::string digits = std::to_string(value);
    const std::u16string text(digits.begin(), digits.end());
    // Rewriting an unchanged field would move its caret and notify for
    // nothing.
    if (control->GetWindowText() != text)
        control->SetWindowText(text);
}
