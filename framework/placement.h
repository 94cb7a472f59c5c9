#pragma once

// Where the platform puts a dialog that names no place of its own: centred
// in the work area, each halving truncating, and moved back inside the area
// where it would stick out. Platform-free, so both sides place alike.

namespace afx {

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// `right` and `bottom` lie just outside the area, as in the platform's RECT.
ScreenPoint CentredOrigin(int areaLeft, int areaTop, int areaRight, int areaBottom, int width, int height);

} // namespace afx
