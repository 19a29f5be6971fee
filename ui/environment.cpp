#include "ui/environment.h"

#include "platform/runtime.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleFactory>
#include <QSvgRenderer>

namespace ui {

namespace {

constexpr int kWindowFontPixels = 12; // 9 pt at 96 dpi

QString AddFont(const QString& resource) {
    const int id = QFontDatabase::addApplicationFont(resource);
    return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
}

// The window icon drawn from its vector source at the sizes a desktop asks for.
QIcon WindowIcon() {
    QSvgRenderer svg(QStringLiteral(":/assets/icon.svg"));
    QIcon icon;
    for (int size : {16, 32, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
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

    songFamily_ = AddFont(QStringLiteral(":/assets/fonts/NotoSerifCJKsc-Regular-subset.otf"));
    AddFont(QStringLiteral(":/assets/fonts/NotoSerifCJKsc-Bold-subset.otf"));
    if (songFamily_.isEmpty())
        songFamily_ = QStringLiteral("宋体");
    QFont font(songFamily_);
    font.setPixelSize(kWindowFontPixels);
    QApplication::setFont(font);

    QApplication::setWindowIcon(WindowIcon());
    // The runtime decides when the program ends: after the last window's procedure.
    app.setQuitOnLastWindowClosed(false);
}

void Environment::Configure(platform::Runtime& runtime) const {
    runtime.songFamily = songFamily_;
    runtime.windowFont = QApplication::font();
}

} // namespace ui
