#pragma once

// CWinApp: the one application object. The framework's entry point creates
// the platform's application, calls InitInstance once and ends the process
// when it returns.

#include "message_map.h"

#include <string>

class CWnd;

// Help commands (the platform defines them on Windows) and the context
// numbering of dialog templates.
#if !defined(_WIN32)
constexpr UINT HELP_CONTEXT = 0x0001;
#endif
constexpr std::uint32_t HID_BASE_RESOURCE = 0x20000;

class CWinApp : public CCmdTarget {
  public:
    CWinApp();
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // Runs after InitInstance returned FALSE; its result is the exit status.
    virtual int ExitInstance() { return 0; }

    // F1: asks for the help topic of the main window's dialog template in the
    // program's help file.
    void OnHelp();
    // Shows a topic of the program's help file. The platform's viewer for
    // these files does not exist here, so the request always fails and the
    // user is told.
    virtual void WinHelp(std::uint32_t dwData, UINT nCmd = HELP_CONTEXT);

    // The program's full path with its extension replaced by ".HLP".
    std::u16string m_pszHelpFilePath;

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
