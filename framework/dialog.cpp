#include "dialog.h"

#include "data_exchange.h"

#include <array>

const AFX_MSGMAP* CDialog::GetThisMessageMap()
{
    static constexpr std::array entries{
        afx::OnCommand<&CDialog::OnOK>(BN_CLICKED, IDOK),
        afx::OnCommand<&CDialog::OnCancel>(BN_CLICKED, IDCANCEL),
    };
    static constexpr AFX_MSGMAP map{&CWnd::GetThisMessageMap, entries};
    return &map;
}

BOOL CDialog::OnInitDialog()
{
    if (!UpdateData(FALSE))
        EndDialog(-1);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    struct LockNotify {
        int& depth;
        explicit LockNotify(int& d) : depth(d) { ++depth; }
        ~LockNotify() { --depth; }
    } lock(m_nLockNotify);

    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CDataExchange::Failure&) {
        return FALSE;
    }
    return TRUE;
}
