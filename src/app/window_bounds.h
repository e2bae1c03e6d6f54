// Window bounds from the settings file, made safe to apply.
#pragma once

#include <QRect>
#include <vector>

namespace lognex {

struct WindowBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Bounds whose frame lies wholly on one screen: the screen the stored frame
// overlaps most, or the first one (the primary) when it overlaps none. Width
// and height are cut to that screen's, and the frame is moved no farther than
// it must to come onto it, so values that fit are kept as they are. No
// screen known leaves the bounds alone.
WindowBounds FitOnOneScreen(const WindowBounds& bounds, const std::vector<QRect>& screens);

}  // namespace lognex
