// Where the program's windows open on the desktop.
#pragma once

#include "platform/layout.h"

#include <QRect>

#include <span>

namespace platform {

// A screen: its whole area and the part of it windows may use (without panels).
struct ScreenArea {
    QRect geometry;
    QRect available;
};

// The client area of a window at its layout position, measured from the
// screen's top-left corner.
QRect LayoutRect(const Window& layout, const ScreenArea& screen);

// Where a window opens: at its layout position when the program's windows
// (`arrangement`, the window among them or not) all fit on the screen's
// available area. Otherwise all of them move together by the least amount that
// brings them on it, so that windows meant to stand side by side still do; a
// window larger than the area keeps its top-left corner on it. Without a
// screen area, the layout position.
QRect PlaceWindow(const Window& layout, std::span<const Window* const> arrangement, const ScreenArea& screen);

} // namespace platform
