#pragma once

// The platform's basic types and constants, at their original values, so that
// application code reads as it was written. On Windows they are the
// platform's own, from <windows.h>; elsewhere they are defined here.

#include <cstdint>

#if defined(_WIN32)

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#else

using BOOL = int;
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
using UINT = unsigned int;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using WORD = std::uint16_t;

// Opaque handles; the framework knows what lies behind them.
struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;

constexpr WORD LOWORD(WPARAM v)
{
    return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(WPARAM v)
{
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(UINT low, UINT high)
{
    return (low & 0xFFFF) | ((high & 0xFFFF) << 16);
}

// Window messages.
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_ICONERASEBKGND = 0x0027;
constexpr UINT WM_QUERYDRAGICON = 0x0037;
constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT BM_SETCHECK = 0x00F1;

// Notification codes carried in the high word of WM_COMMAND's wParam.
constexpr UINT BN_CLICKED = 0;
constexpr UINT EN_CHANGE = 0x0300;

// Command identifiers.
constexpr UINT IDOK = 1;
constexpr UINT IDCANCEL = 2;

constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;
constexpr WPARAM BST_UNCHECKED = 0;
constexpr WPARAM BST_CHECKED = 1;

// Message box flags.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;

// System metrics.
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;

#endif

// The framework's own help command, which the platform does not define.
constexpr UINT ID_HELP = 0xE146;
