#pragma once

namespace bv {

// A rectangle in screen coordinates; right and bottom lie just outside it, as in a Windows RECT.
struct ScreenRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const ScreenRect&) const = default;
};

// Where the main window opens: position and size, and whether it is maximised or centred.
struct WindowPlacement
{
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    bool maximise = false;
    bool centre = false;

    bool operator==(const WindowPlacement&) const = default;
};

// Smallest size of the main window, and the work-area width at or below which it opens maximised.
inline constexpr int MainWindowMinWidth = 810;
inline constexpr int MainWindowMinHeight = 572;
inline constexpr int MaximiseAtWorkAreaRight = 805;

// The main window's placement from the remembered WindowPos values and the screen's work area: the
// size is at least 810 x 572 but no larger than the work area's right and bottom coordinates; a
// work area at most 805 wide maximises the window; a position that is negative or would push the
// window past the work area becomes 0; at 0,0 the window is centred.
WindowPlacement placeMainWindow(int x, int y, int cx, int cy, const ScreenRect& workArea);

} // namespace bv
