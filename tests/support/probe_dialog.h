#pragma once

// A one-field dialog and an application that record what the framework
// delivers to them, and the generator's dialog opened as the application
// opens it, for the framework's tests on either platform.

#include "button.h"
#include "data_exchange.h"
#include "dialog.h"
#include "resource.h"
#include "tonegen_dialog.h"
#include "win_app.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace testsupport {

constexpr int kProbeEditId = 100;

inline constexpr std::array<DialogItemTemplate, 1> kProbeItems{{
    {kProbeEditId, u"edit", u"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_NUMBER, 0, 10, 10, 60, 14},
}};
inline constexpr DialogTemplate kProbeTemplate{
    1, WS_POPUP | WS_CAPTION | DS_SETFONT, 0, 0, 0, 100, 60, u"test", u"宋体", 12, 0, false, 1, 0x0804, kProbeItems};

// Records the timer and edit notifications it receives.
class Probe : public CDialog {
  public:
    Probe() : CDialog(kProbeTemplate) {}
    std::vector<UINT_PTR> timers;
    int changes = 0;
    int value = 7;

    static const AFX_MSGMAP* GetThisMessageMap()
    {
        static constexpr std::array entries{
            afx::OnTimerMessage<&Probe::OnTimer>(),
            afx::OnCommand<&Probe::OnChange>(EN_CHANGE, kProbeEditId),
        };
        static constexpr AFX_MSGMAP map{&CDialog::GetThisMessageMap, entries};
        return &map;
    }
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }

  protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, kProbeEditId, value); }
    void OnTimer(UINT_PTR id) { timers.push_back(id); }
    void OnChange() { ++changes; }
};

// Records the help requests that reach it, asking the platform for none.
class HelpApp : public CWinApp {
  public:
    std::vector<std::pair<std::uint32_t, UINT>> requests;
    void WinHelp(std::uint32_t dwData, UINT nCmd) override { requests.emplace_back(dwData, nCmd); }
    static const AFX_MSGMAP* GetThisMessageMap()
    {
        static constexpr std::array entries{afx::OnCommand<&CWinApp::OnHelp>(0, ID_HELP)};
        static constexpr AFX_MSGMAP map{&CWinApp::GetThisMessageMap, entries};
        return &map;
    }
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }
};

// The generator's template, initialised as the application initialises it:
// the 22050 button checked, without sound.
class Generator : public CDialog {
  public:
    Generator() : CDialog(g_toneGenDialogTemplate) {}

  protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_RATE_22050, m_rateButton); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_rateButton.SendMessage(BM_SETCHECK, BST_CHECKED);
        return TRUE;
    }

  private:
    CButton m_rateButton;
};

} // namespace testsupport
