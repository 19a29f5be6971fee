// What the program sets up before its first window: style, fonts, locale and
// Qt's own Simplified Chinese texts.
#pragma once

#include "platform/loader.h"

#include <QString>
#include <QTranslator>

#include <optional>

class QApplication;

namespace platform {
class Runtime;
}

namespace ui {

class Environment {
public:
    explicit Environment(QApplication& app);
    // Makes the environment the runtime's source of fonts; it must outlive the runtime.
    void Configure(platform::Runtime& runtime) const;
    // The bundled Song face, registered on first use: the main menu shows no
    // text, so the program starts without reading its fonts.
    const platform::LoaderFonts& Fonts() const;
    const QString& songFamily() const { return Fonts().songFamily; }

private:
    QTranslator qtTexts_;
    mutable std::optional<platform::LoaderFonts> fonts_;
};

} // namespace ui
