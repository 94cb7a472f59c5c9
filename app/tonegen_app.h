#pragma once

#include "win_app.h"

// The application: runs the generator's dialog and ends with it.
class CToneGenApp : public CWinApp {
  public:
    CToneGenApp();
    BOOL InitInstance() override;

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }
};
