// Builds a window and its controls from a layout table.
#pragma once

#include "platform/layout.h"

#include <QFont>
#include <QString>

#include <span>

namespace platform {

class FormWindow;
class PictureCache;

struct LoaderFonts {
    QString songFamily; // the face used for "宋体"
    QFont windowFont;   // the windows' default font
};

// The window at its screen position with every control at its layout value.
// A window without text may be built without fonts.
FormWindow* BuildWindow(const Window& layout, const LoaderFonts* fonts, PictureCache& pictures);

// Whether a window shows any text of its own.
bool HasText(const Window& layout);

// Does off screen the work a window's first showing would otherwise do for
// the first time: font engines, the layouts' glyphs, the style's caches.
void WarmUp(std::span<const Window* const> layouts, const LoaderFonts& fonts);

// The object name a control gets: "Text1", or "Label9(2)" for an array element.
QString ObjectName(const char* name, int index);

// A layout font in pixels at 96 dpi, independent of the screen's dpi.
QFont ResolveFont(const Font& font, const LoaderFonts& fonts);

} // namespace platform
