#include "ui/environment.h"

#include "platform/compiledpicture.h"
#include "platform/runtime.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLocale>
#include <QPixmap>
#include <QStyle>
#include <QStyleFactory>

namespace ui {

namespace {

constexpr int kWindowFontPixels = 12; // 9 pt at 96 dpi

QString AddFont(const QString& resource) {
    const int id = QFontDatabase::addApplicationFont(resource);
    return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
}

// The window icon, rendered from its vector source at build time at 64
// pixels; the desktop scales it for title bars and task lists.
QIcon WindowIcon() {
    return QIcon(QPixmap::fromImage(platform::LoadBitmap(platform::BitmapResource(":/assets/icon", 1))));
}

} // namespace

Environment::Environment(QApplication& app) {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    if (qtTexts_.load(QStringLiteral(":/translations/qtbase_zh_CN.qm")))
        QCoreApplication::installTranslator(&qtTexts_);

    // The same look on every desktop: Fusion with its own light palette.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(style);
        QApplication::setPalette(style->standardPalette());
    }

    QApplication::setWindowIcon(WindowIcon());
    // The runtime decides when the program ends: after the last window's procedure.
    app.setQuitOnLastWindowClosed(false);
}

void Environment::Configure(platform::Runtime& runtime) const {
    runtime.fontSource = [this] { return Fonts(); };
}

const platform::LoaderFonts& Environment::Fonts() const {
    if (!fonts_) {
        QString family = AddFont(QStringLiteral(":/assets/fonts/NotoSerifCJKsc-Regular-subset.otf"));
        AddFont(QStringLiteral(":/assets/fonts/NotoSerifCJKsc-Bold-subset.otf"));
        if (family.isEmpty())
            family = QStringLiteral("宋体");
        QFont font(family);
        font.setPixelSize(kWindowFontPixels);
        QApplication::setFont(font); // message boxes and menus too
        fonts_ = platform::LoaderFonts{family, font};
    }
    return *fonts_;
}

} // namespace ui
