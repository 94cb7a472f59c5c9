// IDD_TONEGEN_DIALOG, language 2052 (Chinese, PRC). The texts are the
// dialog's own, runs of spaces included: the static labels rely on them to
// break their lines inside their narrow boxes.

#include "tonegen_dialog.h"

#include "resource.h"

#include <array>

namespace {

constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;
constexpr std::uint32_t kEdit = kChild | WS_BORDER | WS_GROUP | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL;

constexpr std::array<DialogItemTemplate, 22> kItems{{
    {IDC_RATE_22050, u"button", u"22050", kChild | BS_AUTORADIOBUTTON | WS_GROUP, WS_EX_DLGMODALFRAME, 42, 104, 37, 12},
    {IDC_RATE_11025, u"button", u"11025", kChild | BS_AUTORADIOBUTTON, WS_EX_DLGMODALFRAME, 42, 84, 37, 12},
    {IDC_RATE_8000, u"button", u"8000", kChild | BS_AUTORADIOBUTTON, WS_EX_DLGMODALFRAME, 42, 64, 37, 12},
    {IDC_RATE_44100, u"button", u"44100", kChild | BS_AUTORADIOBUTTON, WS_EX_DLGMODALFRAME, 42, 124, 37, 12},
    {IDC_RATE_48000, u"button", u"48000", kChild | BS_AUTORADIOBUTTON, WS_EX_DLGMODALFRAME, 42, 144, 37, 12},
    {IDC_RATE_64000, u"button", u"64000", kChild | BS_AUTORADIOBUTTON, WS_EX_DLGMODALFRAME, 42, 164, 37, 12},
    {IDC_RATE_88200, u"button", u"88200", kChild | BS_AUTORADIOBUTTON, WS_EX_DLGMODALFRAME, 42, 184, 37, 12},
    {IDC_RATE_96000, u"button", u"96000", kChild | BS_AUTORADIOBUTTON, WS_EX_DLGMODALFRAME, 42, 204, 37, 12},
    {IDC_FREQUENCY, u"edit", u"", kEdit, 0, 125, 57, 74, 15},
    {IDC_DURATION, u"edit", u"", kEdit, 0, 125, 161, 74, 15},
    {IDC_START_CONTINUOUS, u"button", u"开始输出", kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP,
     WS_EX_DLGMODALFRAME, 255, 50, 56, 24},
    {IDC_START_TIMED, u"button", u"开始输出", kChild | BS_PUSHBUTTON | WS_TABSTOP, WS_EX_DLGMODALFRAME, 255, 155, 56,
     24},
    {IDC_STOP, u"button", u"停止输出", kChild | BS_PUSHBUTTON | WS_TABSTOP, WS_EX_DLGMODALFRAME, 255, 210, 56, 24},
    {IDC_EXIT, u"button", u"退出程序", kChild | BS_PUSHBUTTON | WS_TABSTOP, WS_EX_DLGMODALFRAME, 135, 210, 56, 24},
    {IDC_STATIC, u"button", u"选择声卡采样频率", kChild | BS_GROUPBOX, 0, 13, 7, 91, 230},
    {IDC_STATIC, u"static", u" 常见声卡支持的        采样频率            单位：Hz", kChild | SS_LEFT | WS_GROUP, 0, 21,
     20, 78, 40},
    {IDC_STATIC, u"button", u"设置输出频率", kChild | BS_GROUPBOX, 0, 110, 7, 105, 78},
    {IDC_STATIC, u"static", u"范围：1Hz——20KHz                            单位：Hz ", kChild | SS_LEFT | WS_GROUP, 0,
     118, 21, 91, 32},
    {IDC_STATIC, u"button", u"设置定时输出持续时间", kChild | BS_GROUPBOX, 0, 110, 95, 105, 95},
    {IDC_STATIC, u"static", u"范围：1秒——5小时                            单位：秒（S）", kChild | SS_LEFT | WS_GROUP,
     0, 115, 110, 95, 40},
    {IDC_STATIC, u"button", u"连续输出时", kChild | BS_GROUPBOX, 0, 240, 10, 85, 75},
    {IDC_STATIC, u"button", u"定时输出时", kChild | BS_GROUPBOX, 0, 240, 95, 85, 95},
}};

} // namespace

const DialogTemplate g_toneGenDialogTemplate{
    IDD_TONEGEN_DIALOG,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_SETFONT,
    WS_EX_APPWINDOW | WS_EX_CLIENTEDGE,
    0,
    0,
    347,
    250,
    u"虚拟仪器——PC声卡正弦波音频信号发生器      tonegen 项目  Windows9x/2000",
    u"宋体",
    12,
    0,
    false,
    1,
    0x0804,
    kItems,
};
