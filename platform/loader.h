// Builds a window and its controls from a layout table.
#pragma once

#include "platform/layout.h"

#include <QFont>
#include <QString>

namespace platform {

class FormWindow;
class StylePalettes;

struct LoaderFonts {
    QString songFamily; // the face used for "宋体"
    QFont windowFont;   // the windows' default font
};

// The window at its screen position with every control at its layout value.
// A window without text may be built without fonts. Its buttons are drawn with
// `palettes`, kept from one build of the window to the next.
FormWindow* BuildWindow(const Window& layout, const LoaderFonts* fonts, StylePalettes& palettes);

// Whether a window shows any text of its own.
bool HasText(const Window& layout);

// The object name a control gets: "Text1", or "Label9(2)" for an array element.
QString ObjectName(const char* name, int index);

// A layout font in pixels at 96 dpi, independent of the screen's dpi.
QFont ResolveFont(const Font& font, const LoaderFonts& fonts);

} // namespace platform
