#include "placement.h"

#include <algorithm>

namespace afx {

ScreenPoint CentredOrigin(int areaLeft, int areaTop, int areaRight, int areaBottom, int width, int height)
{
    int left = (areaLeft + areaRight) / 2 - width / 2;
    int top = (areaTop + areaBottom) / 2 - height / 2;
    left = std::max(areaLeft, std::min(left, areaRight - width));
    top = std::max(areaTop, std::min(top, areaBottom - height));
    return {left, top};
}

} // namespace afx
