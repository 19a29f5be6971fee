// What the program sets up before its first window: style, fonts, locale and
// Qt's own Simplified Chinese texts.
#pragma once

#include <QString>
#include <QTranslator>

class QApplication;

namespace platform {
class Runtime;
}

namespace ui {

class Environment {
public:
    explicit Environment(QApplication& app);
    // Gives the runtime the bundled Song face and the windows' default font.
    void Configure(platform::Runtime& runtime) const;
    const QString& songFamily() const { return songFamily_; }

private:
    QTranslator qtTexts_;
    QString songFamily_;
};

} // namespace ui
