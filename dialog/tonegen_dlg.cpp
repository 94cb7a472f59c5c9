#include "tonegen_dlg.h"

#include "data_exchange.h"
#include "main_icon.h"
#include "paint.h"
#include "sine_table.h"
#include "tonegen_dialog.h"

#include <array>
#include <limits>

namespace {

// Seconds to a timer period without the 32-bit wrap-around: a negative
// duration means no wait at all, and anything beyond the largest period a
// 32-bit count can hold waits that long.
std::uint32_t DurationToMs(int seconds)
{
    if (seconds <= 0)
        return 0;
    const std::uint64_t ms = static_cast<std::uint64_t>(seconds) * 1000u;
    return ms > std::numeric_limits<std::uint32_t>::max() ? std::numeric_limits<std::uint32_t>::max()
                                                          : static_cast<std::uint32_t>(ms);
}

} // namespace

CToneGenDlg::CToneGenDlg(CWnd* pParent)
    : CDialog(g_toneGenDialogTemplate, pParent), m_editFrequency(1000), m_editDuration(1),
      m_hIcon(AfxLoadIcon(g_mainFrameIcon))
{
}

CToneGenDlg::~CToneGenDlg() = default;

const AFX_MSGMAP* CToneGenDlg::GetThisMessageMap()
{
    using D = CToneGenDlg;
    static constexpr std::array entries{
        afx::OnMessage<&D::OnPaint>(WM_PAINT),
        afx::OnQueryDragIconMessage<&D::OnQueryDragIcon>(),
        afx::OnCommandWith<&D::OnSelectRate, 22050u>(BN_CLICKED, IDC_RATE_22050),
        afx::OnCommandWith<&D::OnSelectRate, 11025u>(BN_CLICKED, IDC_RATE_11025),
        afx::OnCommandWith<&D::OnSelectRate, 8000u>(BN_CLICKED, IDC_RATE_8000),
        afx::OnCommandWith<&D::OnSelectRate, 44100u>(BN_CLICKED, IDC_RATE_44100),
        afx::OnCommandWith<&D::OnSelectRate, 48000u>(BN_CLICKED, IDC_RATE_48000),
        afx::OnCommandWith<&D::OnSelectRate, 64000u>(BN_CLICKED, IDC_RATE_64000),
        afx::OnCommandWith<&D::OnSelectRate, 88200u>(BN_CLICKED, IDC_RATE_88200),
        afx::OnCommandWith<&D::OnSelectRate, 96000u>(BN_CLICKED, IDC_RATE_96000),
        afx::OnCommand<&D::OnChangeFrequency>(EN_CHANGE, IDC_FREQUENCY),
        afx::OnCommand<&D::OnChangeDuration>(EN_CHANGE, IDC_DURATION),
        afx::OnCommand<&D::OnStartContinuous>(BN_CLICKED, IDC_START_CONTINUOUS),
        afx::OnCommand<&D::OnStartTimed>(BN_CLICKED, IDC_START_TIMED),
        afx::OnCommand<&D::OnStopOutput>(BN_CLICKED, IDC_STOP),
        afx::OnCommand<&D::OnExit>(BN_CLICKED, IDC_EXIT),
        afx::OnMessage<&D::OnClose>(WM_CLOSE),
        afx::OnTimerMessage<&D::OnTimer>(),
    };
    static constexpr AFX_MSGMAP map{&CDialog::GetThisMessageMap, entries};
    return &map;
}

void CToneGenDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RATE_22050, m_rateButton);
    DDX_Text(pDX, IDC_FREQUENCY, m_editFrequency);
    DDX_Text(pDX, IDC_DURATION, m_editDuration);
}

BOOL CToneGenDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_rateButton.SendMessage(BM_SETCHECK, BST_CHECKED);

    InitOutput();
    m_timerArmed = false;
    m_playing = false;
    m_durationMs = 1000;
    m_frequency = 1000;
    return TRUE;
}

// Escape ends the dialog without passing through OnExit or OnClose;
// stopping here keeps output from outliving the window.
void CToneGenDlg::OnCancel()
{
    // The close box gets here after OnClose has stopped; it leaves the flag
    // set, so the stream handle tells whether anything still plays.
    if (m_playing && m_stream != nullptr)
        StopOutput();
    CDialog::OnCancel();
}

// The icon is painted only where the system paints a minimised window's
// client area, as Windows did before 95 drew minimised windows as icons on
// the desktop. Windows since then and the Linux desktops show a minimised
// window as its taskbar entry and leave it unpainted, so there the first
// branch waits unused. The framework sizes the icon for the window's DPI.
void CToneGenDlg::OnPaint()
{
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, dc.GetSafeHdc(), 0);
        const int cxIcon = GetSystemMetrics(SM_CXICON);
        const int cyIcon = GetSystemMetrics(SM_CYICON);
        const CRect rect = GetClientRect(*this);
        const int x = (rect.Width() - cxIcon + 1) / 2;
        const int y = (rect.Height() - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        Default();
    }
}

HCURSOR CToneGenDlg::OnQueryDragIcon()
{
    return m_hIcon;
}

void CToneGenDlg::OnSelectRate(std::uint32_t rate)
{
    // Stop first: the audio thread wraps its read position by this value.
    OnStopOutput();
    g_sampleRate = rate;
}

void CToneGenDlg::OnChangeFrequency()
{
    UpdateData(TRUE);
    m_frequency = static_cast<std::uint32_t>(m_editFrequency);
    OnStopOutput();
}

void CToneGenDlg::OnChangeDuration()
{
    UpdateData(TRUE);
    m_durationMs = DurationToMs(m_editDuration);
    OnStopOutput();
}

void CToneGenDlg::OnStopOutput()
{
    if (m_playing) {
        StopOutput();
        m_playing = false;
    }
    if (m_timerArmed) {
        KillTimer(IDT_OUTPUT);
        m_timerArmed = false;
    }
}

void CToneGenDlg::OnStartContinuous()
{
    OnStopOutput();
    StartOutput();
}

void CToneGenDlg::OnStartTimed()
{
    if (m_playing) {
        StopOutput();
        m_playing = false;
    }
    // A second timed start keeps the first deadline; the deadline counts
    // from the click, before the table is built and the stream opened.
    if (!m_timerArmed) {
        SetTimer(IDT_OUTPUT, m_durationMs, nullptr);
        m_timerArmed = true;
    }
    StartOutput();
}

void CToneGenDlg::OnTimer(UINT_PTR /*nIDEvent*/)
{
    KillTimer(IDT_OUTPUT);
    m_timerArmed = false;
    if (m_playing) {
        StopOutput();
        m_playing = false;
    }
    Default();
}

void CToneGenDlg::OnExit()
{
    if (m_playing)
        StopOutput();
    CDialog::OnCancel();
}

void CToneGenDlg::OnClose()
{
    if (m_playing)
        StopOutput();
    Default();
}
