#include "platform/placement.h"

namespace platform {

namespace {

// The shift that brings [first, last] inside [low, high], the first end first.
int Shift(int first, int last, int low, int high) {
    int shift = 0;
    if (last > high)
        shift = high - last;
    if (first + shift < low)
        shift = low - first;
    return shift;
}

QPoint ShiftInto(const QRect& r, const QRect& area) {
    return {Shift(r.left(), r.right(), area.left(), area.right()),
            Shift(r.top(), r.bottom(), area.top(), area.bottom())};
}

} // namespace

QRect LayoutRect(const Window& layout, const ScreenArea& screen) {
    return QRect(screen.geometry.topLeft() + QPoint(Px(layout.left), Px(layout.top)),
                 QSize(Px(layout.clientWidth), Px(layout.clientHeight)));
}

QRect PlaceWindow(const Window& layout, std::span<const Window* const> arrangement,
                  const ScreenArea& screen) {
    if (screen.available.isEmpty())
        return LayoutRect(layout, screen);
    QRect all = LayoutRect(layout, screen);
    for (const Window* w : arrangement)
        all |= LayoutRect(*w, screen);
    const QRect moved = LayoutRect(layout, screen).translated(ShiftInto(all, screen.available));
    return moved.translated(ShiftInto(moved, screen.available));
}

} // namespace platform
