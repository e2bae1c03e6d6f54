// Window bounds from the settings file, made safe to apply.
#pragma once

class QRect;

namespace lognex {

struct WindowBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Bounds that the desktop (all screens together) can show: width and height
// at most the desktop's, and the window's left and top edges no farther out
// than one window size beyond the desktop's edges. Values that fit are kept
// as they are, a window partly off the screen included; an empty desktop
// (no screen known) leaves the bounds alone.
WindowBounds FitToDesktop(const WindowBounds& bounds, const QRect& desktop);

}  // namespace lognex
