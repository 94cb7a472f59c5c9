#pragma once

// Icons as resources: PNG images of one picture at several sizes.

#include "win_types.h"

#include <cstddef>
#include <span>

struct IconImage {
    const unsigned char* png;
    std::size_t size;
};

struct IconResource {
    int id;
    std::span<const IconImage> images;
};

// The icon's handle; loaded once and kept for the life of the process, as
// resources are.
HICON AfxLoadIcon(const IconResource& icon);
