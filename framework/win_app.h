#pragma once

// CWinApp: the one application object. The framework's entry point creates
// the platform's application, calls InitInstance once and ends the process
// when it returns.

#include "message_map.h"

class CWnd;

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // Runs after InitInstance returned FALSE; its result is the exit status.
    virtual int ExitInstance() { return 0; }

    // Asks for the program's help file; this platform has no viewer for it.
    void OnHelp();

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }

    CWnd* m_pMainWnd = nullptr;

protected:
    // Qt draws every control with the desktop style's depth already; there
    // is no flat look to upgrade.
    void Enable3dControlsStatic() {}
};

// Dialogs here host no embedded component controls; nothing to enable.
inline void AfxEnableControlContainer() {}

CWinApp* AfxGetApp();

// The process entry point's body; returns the exit status.
int AfxWinMain(int argc, char** argv);
