#pragma once

// CDialog: a dialog window built from a template, run modally (DoModal) or
// modelessly (Create). IDCANCEL (Escape, and the close box by default) ends
// it through OnCancel. Enter presses the default push button; IDOK, which
// the platform sends for Enter only in a dialog that has none, has no
// handler here: the generator's dialog has one.

#include "dialog_template.h"
#include "wnd.h"

class CDataExchange;

class CDialog : public CWnd {
  public:
    explicit CDialog(const DialogTemplate& tmpl, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog until EndDialog; returns the value passed to it.
    std::intptr_t DoModal();

    // Builds and shows the dialog without a modal loop: for embedding and
    // for driving the dialog from tests. DestroyWindow takes it down.
    BOOL Create();
    void DestroyWindow();

    void EndDialog(int nResult);
    // The result EndDialog recorded; -1 while the dialog has not ended.
    std::intptr_t GetModalResult() const { return m_nModalResult; }

    // Reads the controls into the members (TRUE) or writes them (FALSE).
    // Returns FALSE when a field fails validation; the user has then been
    // told and the focus is on that field.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Moves the focus to a control as the dialog manager does: an edit
    // control gets its whole text selected.
    void GotoDlgCtrl(CWnd* pWndCtrl);

    const DialogTemplate& GetTemplate() const { return m_template; }
    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }

  protected:
    virtual BOOL OnInitDialog();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    friend struct afx::WindowBinding;
    friend struct afx::WindowImpl;

    const DialogTemplate& m_template;
    CWnd* m_pParentWnd;
    std::intptr_t m_nModalResult = -1;
};
