#include "ui/environment.h"

#include "platform/controls.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLocale>
#include <QResource>
#include <QStyle>
#include <QStyleFactory>

namespace ui {

namespace {

constexpr int kWindowFontPixels = 12; // 9 pt at 96 dpi

// Registered from the resource in place: it is stored uncompressed and lives
// as long as the program.
QString AddFont(const QString& path) {
    const QResource resource(path);
    const QByteArray data = resource.compressionAlgorithm() == QResource::NoCompression
                                ? QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                                          static_cast<qsizetype>(resource.size()))
                                : resource.uncompressedData();
    const int id = QFontDatabase::addApplicationFontFromData(data);
    return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
}

// The system's 宋体 under the name its font list gives it (the Chinese one on a
// Chinese system, else the English one), or none. The list itself, not a font
// match: Linux maps a missing family to a similar face.
QString SystemSongFamily() {
    const QStringList families = QFontDatabase::families();
    for (const QString& name : {QStringLiteral("宋体"), QStringLiteral("SimSun")})
        if (families.contains(name, Qt::CaseInsensitive))
            return name;
    return {};
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

    // 64 pixels: the desktop scales it for title bars and task lists.
    QApplication::setWindowIcon(platform::LoadIcon(QStringLiteral(":/assets/icon.png")));
    // The runtime decides when the program ends: after the last window's procedure.
    app.setQuitOnLastWindowClosed(false);
}

const platform::LoaderFonts& Environment::Fonts() {
    if (!fonts_) {
        QString family = SystemSongFamily();
        if (family.isEmpty()) {
            family = AddFont(QStringLiteral(":/assets/fonts/NotoSerifCJKsc-Regular-subset.otf"));
            AddFont(QStringLiteral(":/assets/fonts/NotoSerifCJKsc-Bold-subset.otf"));
        }
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
