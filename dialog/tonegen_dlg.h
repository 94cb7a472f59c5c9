#pragma once

// CToneGenDlg: the generator's window and controller. The command handlers
// turn every change of a setting into a stop, and a start into a fresh
// table played from its first sample; the output engine (audio/) supplies
// StartOutput, StopOutput and InitOutput.

#include "button.h"
#include "dialog.h"
#include "resource.h"

#include <cstdint>

namespace pa18 {
struct PortAudioStream;
}

class CDataExchange;

// The one timer: the deadline of a timed output.
constexpr UINT_PTR IDT_OUTPUT = 1;

class CToneGenDlg : public CDialog {
  public:
    explicit CToneGenDlg(CWnd* pParent = nullptr);
    ~CToneGenDlg() override;

    enum { IDD = IDD_TONEGEN_DIALOG };

    CButton m_rateButton;
    int m_editFrequency;
    int m_editDuration;
    HICON m_hIcon;
    pa18::PortAudioStream* m_stream = nullptr;
    std::uint32_t m_frequency = 1000;
    std::uint32_t m_durationMs = 1000;
    bool m_timerArmed = false;
    bool m_playing = false;

    // Builds the table and opens and starts the stream; m_playing tells
    // whether it worked. Only called with no stream open.
    void StartOutput();
    // Closes the stream, releases the audio library and frees the table.
    void StopOutput();
    // Initialises the audio library for the first start.
    void InitOutput();

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override { return GetThisMessageMap(); }

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSelectRate(std::uint32_t rate);
    void OnChangeFrequency();
    void OnChangeDuration();
    void OnStartContinuous();
    void OnStartTimed();
    void OnStopOutput();
    void OnExit();
    void OnClose();
    void OnTimer(UINT_PTR nIDEvent);
};
