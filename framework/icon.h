#pragma once

// Icons as resources: an id, and PNG images of one picture at several sizes.
// The Qt side makes the icon from the images; the Win32 side loads the icon
// of that id from the program's own resources, where the platform picks the
// size each use needs, and leaves the images unused.

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
