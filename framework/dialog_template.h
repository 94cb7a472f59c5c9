#pragma once

// A dialog template as plain data, the shape of the platform's extended
// dialog template: the resource files describe dialogs with it and the
// framework builds the windows from it. Coordinates are in dialog units.

#include "win_types.h"

#include <cstdint>
#include <span>

// On Windows the styles below come from the platform's own headers.
#if !defined(_WIN32)

// Window styles.
constexpr std::uint32_t WS_POPUP = 0x80000000;
constexpr std::uint32_t WS_CHILD = 0x40000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_CAPTION = 0x00C00000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_SYSMENU = 0x00080000;
constexpr std::uint32_t WS_GROUP = 0x00020000;
constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000;
constexpr std::uint32_t WS_TABSTOP = 0x00010000;
constexpr std::uint32_t WS_MAXIMIZEBOX = 0x00010000;
constexpr std::uint32_t WS_THICKFRAME = 0x00040000;

// Dialog styles.
constexpr std::uint32_t DS_ABSALIGN = 0x01;
constexpr std::uint32_t DS_SETFONT = 0x40;
constexpr std::uint32_t DS_MODALFRAME = 0x80;
constexpr std::uint32_t DS_CENTER = 0x0800;
constexpr std::uint32_t DS_CENTERMOUSE = 0x1000;

// Extended styles.
constexpr std::uint32_t WS_EX_DLGMODALFRAME = 0x00000001;
constexpr std::uint32_t WS_EX_CLIENTEDGE = 0x00000200;
constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000;

// Control styles.
constexpr std::uint32_t BS_PUSHBUTTON = 0x0;
constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1;
constexpr std::uint32_t BS_GROUPBOX = 0x7;
constexpr std::uint32_t BS_AUTORADIOBUTTON = 0x9;
constexpr std::uint32_t BS_TYPEMASK = 0xF;
constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;
constexpr std::uint32_t ES_NUMBER = 0x2000;
constexpr std::uint32_t SS_LEFT = 0x0;

#endif

constexpr int IDC_STATIC = -1;

struct DialogItemTemplate {
    int id;
    const char16_t* windowClass; // u"button", u"edit", u"static"
    const char16_t* text;
    std::uint32_t style;
    std::uint32_t exStyle;
    short x, y, cx, cy;
};

struct DialogTemplate {
    int id;
    std::uint32_t style;
    std::uint32_t exStyle;
    short x, y, cx, cy;
    const char16_t* caption;
    const char16_t* fontFace;
    std::uint16_t pointSize;
    std::uint16_t weight;
    bool italic;
    std::uint8_t charset;
    std::uint16_t language;
    std::span<const DialogItemTemplate> items;
};
