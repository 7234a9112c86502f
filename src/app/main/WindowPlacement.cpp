#include "app/main/WindowPlacement.h"

#include <algorithm>

namespace bv {

WindowPlacement placeMainWindow(int x, int y, int cx, int cy, const ScreenRect& workArea)
{
    WindowPlacement placement;
    placement.cx = std::max(cx, MainWindowMinWidth);
    placement.cy = std::max(cy, MainWindowMinHeight);
    if (workArea.right < placement.cx)
        placement.cx = workArea.right;
    if (workArea.bottom < placement.cy)
        placement.cy = workArea.bottom;
    placement.maximise = workArea.right <= MaximiseAtWorkAreaRight;
    placement.x = std::max(x, 0);
    placement.y = std::max(y, 0);
    // Summed wide: remembered values near the integer limit must not overflow.
    if (static_cast<long long>(placement.x) + placement.cx > workArea.right)
        placement.x = 0;
    if (static_cast<long long>(placement.y) + placement.cy > workArea.bottom)
        placement.y = 0;
    placement.centre = placement.x == 0 && placement.y == 0;
    return placement;
}

} // namespace bv
