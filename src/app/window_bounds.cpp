#include "app/window_bounds.h"

#include <QRect>
#include <algorithm>

namespace lognex {
namespace {

// Computed in 64 bits: the stored values may be anything a 32-bit integer holds.
int Clamp(long long value, long long low, long long high) {
    return static_cast<int>(std::clamp(value, low, std::max(low, high)));
}

}  // namespace

WindowBounds FitToDesktop(const WindowBounds& b, const QRect& desktop) {
    if (desktop.isEmpty()) return b;
    WindowBounds fitted;
    fitted.width = Clamp(b.width, 0, desktop.width());
    fitted.height = Clamp(b.height, 0, desktop.height());
    fitted.left = Clamp(b.left, static_cast<long long>(desktop.left()) - fitted.width, desktop.right());
    fitted.top = Clamp(b.top, static_cast<long long>(desktop.top()) - fitted.height, desktop.bottom());
    return fitted;
}

}  // namespace lognex
