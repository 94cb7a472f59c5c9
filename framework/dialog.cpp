#include "dialog.h"

#include "data_exchange.h"
#include "window_binding.h"

#include <array>

CDialog::CDialog(const DialogTemplate& tmpl, CWnd* pParentWnd) : m_template(tmpl), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog()
{
    DestroyWindow();
}

void CDialog::DestroyWindow()
{
    if (!IsWindow())
        return;
    afx::WindowBinding::UnbindControls(*this);
    afx::WindowBinding::DestroyDialogWindow(*this);
    m_controls.reset();
}

const AFX_MSGMAP* CDialog::GetThisMessageMap()
{
    static constexpr std::array entries{
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
