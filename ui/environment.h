// What the program sets up before its first window: style, fonts, locale and
// Qt's own Simplified Chinese texts.
#pragma once

#include "platform/loader.h"

#include <QString>
#include <QTranslator>

#include <optional>

class QApplication;

namespace ui {

class Environment {
public:
    explicit Environment(QApplication& app);
    // The windows' fonts: the bundled Song face, registered with Qt on the
    // first call, which also makes it the application's font.
    const platform::LoaderFonts& Fonts();

private:
    QTranslator qtTexts_;
    std::optional<platform::LoaderFonts> fonts_;
};

} // namespace ui
