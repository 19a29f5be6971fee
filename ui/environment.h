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
    // The windows' fonts, chosen on the first call, which also makes the
    // window font the application's: the system's 宋体 (SimSun) where it is
    // installed, else the bundled Song face, then registered with Qt.
    const platform::LoaderFonts& Fonts();

private:
    QTranslator qtTexts_;
    std::optional<platform::LoaderFonts> fonts_;
};

} // namespace ui
