#pragma once

#include "wnd.h"

// A push button, radio button or check box bound to a dialog control.
class CButton : public CWnd {
  public:
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }
    int GetCheck() const;
};
