#include "app/window_bounds.h"

#include <algorithm>

namespace lognex {
namespace {

// Computed in 64 bits: the stored values may be anything a 32-bit integer holds.
int Clamp(long long value, long long low, long long high) {
    return static_cast<int>(std::clamp(value, low, std::max(low, high)));
}

long long Overlap(const WindowBounds& b, const QRect& screen) {
    const long long width = std::min<long long>(static_cast<long long>(b.left) + b.width,
                                                static_cast<long long>(screen.left()) + screen.width()) -
                            std::max<long long>(b.left, screen.left());
    const long long height = std::min<long long>(static_cast<long long>(b.top) + b.height,
                                                 static_cast<long long>(screen.top()) + screen.height()) -
                             std::max<long long>(b.top, screen.top());
    return width > 0 && height > 0 ? width * height : 0;
}

}  // namespace

WindowBounds FitOnOneScreen(const WindowBounds& b, const std::vector<QRect>& screens) {
    if (screens.empty()) return b;
    const QRect* screen = &screens.front();
    long long most = 0;
    for (const QRect& candidate : screens) {
        const long long overlap = Overlap(b, candidate);
        if (overlap > most) {
            most = overlap;
            screen = &candidate;
        }
    }
    if (screen->isEmpty()) return b;
    WindowBounds fitted;
    fitted.width = Clamp(b.width, 0, screen->width());
    fitted.height = Clamp(b.height, 0, screen->height());
    fitted.left =
        Clamp(b.left, screen->left(), static_cast<long long>(screen->left()) + screen->width() - fitted.width);
    fitted.top = Clamp(b.top, screen->top(), static_cast<long long>(screen->top()) + screen->height() - fitted.height);
    return fitted;
}

}  // namespace lognex
