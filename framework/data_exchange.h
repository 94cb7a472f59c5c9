#pragma once

// Dialog data exchange: moving values between a dialog's controls and its
// members, with the platform's validation rules.

#include "dialog_integer.h"
#include "wnd.h"

class CButton;
class CDialog;

class CDataExchange {
  public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CDialog* m_pDlgWnd;

    // Thrown by Fail, caught by UpdateData.
    struct Failure {};

    // Remembers the control being exchanged, so that Fail can return to it.
    CWnd* PrepareEditCtrl(int nIDC);
    // Puts the focus back on the last prepared control, selects its text and
    // abandons the rest of the exchange.
    [[noreturn]] void Fail();

  private:
    CWnd* m_pLastControl = nullptr;
};

// Binds a framework object to the dialog's control (once).
void DDX_Control(CDataExchange* pDX, int nIDC, CButton& rControl);

// Integer field: writes "%ld", reads with ParseDialogInteger; on a bad
// field, prompts "请键入一个整数。" and fails the exchange.
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
