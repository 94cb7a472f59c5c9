#pragma once

// CWinApp: the one application object. The framework's entry point creates
// the platform's application, calls InitInstance once and ends the process
// when it returns.

#include "message_map.h"

#include <string>
#include <string_view>

class CWnd;

// The help context of a dialog is this plus its template's id.
constexpr std::uint32_t HID_BASE_RESOURCE = 0x20000;

class CWinApp : public CCmdTarget {
  public:
    CWinApp();
    ~CWinApp() override;

    // Runs the application; the process ends, with status 0, when it
    // returns. The framework has no message loop of its own to run after it,
    // so the result (FALSE, by the platform's convention for that) is not
    // examined.
    virtual BOOL InitInstance();

    // F1: asks for the help topic of the main window's dialog template in the
    // program's help file.
    void OnHelp();
    // Asks the platform's help viewer for a topic of the program's help
    // file; where no viewer can be started (on Linux, none exists for these
    // files) the user is told that help failed to start.
    virtual void WinHelp(std::uint32_t dwData, UINT nCmd = HELP_CONTEXT);

    // The program's full path with its extension replaced by ".HLP".
    std::u16string m_pszHelpFilePath;

    // The id the desktop knows the application by (its desktop entry's name),
    // so that the desktop can tie the windows to the menu entry and icon.
    // Empty: the desktop guesses from the program's name.
    void SetAppID(std::u16string_view id) { m_pszAppID = id; }
    std::u16string m_pszAppID;

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }

    CWnd* m_pMainWnd = nullptr;

  protected:
    // Every platform this runs on draws its controls three-dimensional
    // already (Qt's styles; Windows since 95, themed through Common Controls
    // 6): there is no flat look to upgrade.
    void Enable3dControlsStatic() {}
};

// Dialogs here host no embedded component controls; nothing to enable.
inline void AfxEnableControlContainer() {}

CWinApp* AfxGetApp();

// The process entry point's body; returns the exit status.
int AfxWinMain(int argc, char** argv);
