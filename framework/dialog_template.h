#pragma once

// A dialog template as plain data, the shape of the platform's extended
// dialog template: the resource files describe dialogs with it and the
// framework builds the windows from it. Coordinates are in dialog units.

#include "win_types.h"

#include <cstdint>
#include <span>

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
