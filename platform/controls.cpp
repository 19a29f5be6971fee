#include "platform/controls.h"

#include "platform/accessible.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QStyleOptionButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform {

namespace {

// A label as assistive tools see it: its text as its name and, while it has a
// click procedure, a link that their press action clicks.
class AccessibleLabel : public QAccessibleWidget {
public:
    explicit AccessibleLabel(ClickLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QAccessible::Role role() const override {
        return label()->HasClickProcedure() ? QAccessible::Link : QAccessible::StaticText;
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = label()->HasClickProcedure();
        return s;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && label()->accessibleName().isEmpty())
            return label()->text();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (label()->HasClickProcedure())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& action) override {
        if (action != pressAction() || !label()->HasClickProcedure()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        // As a button's press does: the procedure runs from the event loop, not
        // inside the assistive tool's request.
        QPointer<ClickLabel> target = label();
        QTimer::singleShot(0, target, [target] {
            if (target)
                emit target->clicked();
        });
    }

private:
    ClickLabel* label() const { return static_cast<ClickLabel*>(widget()); }
};

QAccessibleInterface* AccessibleControl(const QString& className, QObject* object) {
    if (className == QLatin1String(FormWindow::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    if (className == QLatin1String(ClickLabel::staticMetaObject.className()))
        return new AccessibleLabel(static_cast<ClickLabel*>(object));
    if (className == QLatin1String(PictureBox::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    if (className == QLatin1String(QLineEdit::staticMetaObject.className()))
        return AccessibleTextBox(static_cast<QLineEdit*>(object));
    return nullptr;
}

} // namespace

QIcon LoadIcon(const QString& resource) {
    // Kept in Qt's pixmap cache, as QPixmap::load keeps what it reads.
    auto read = [](const QString& file) {
        QPixmap pixmap;
        if (!QPixmapCache::find(file, &pixmap)) {
            QImageReader reader(file, "png");
            reader.setAutoDetectImageFormat(false);
            pixmap = QPixmap::fromImage(reader.read()); // "@2x" in the name: device pixel ratio 2
            QPixmapCache::insert(file, pixmap);
        }
        return pixmap;
    };
    QIcon icon(read(resource));
    if (qApp->devicePixelRatio() > 1) {
        const QPixmap large =
            read(QString(resource).replace(QLatin1String(".png"), QLatin1String("@2x.png")));
        if (!large.isNull())
            icon.addPixmap(large);
    }
    return icon;
}

PictureRenderer::PictureRenderer(const Picture* picture) : picture_(picture) {
    if (picture_ && picture_->resource)
        icon_ = LoadIcon(QString::fromUtf8(picture_->resource));
}
PictureRenderer::~PictureRenderer() = default;

void PictureRenderer::Paint(QPainter& painter, QPoint topLeft) const {
    if (!picture_)
        return;
    if (picture_->draw) {
        painter.save();
        painter.translate(topLeft);
        picture_->draw(painter);
        painter.restore();
    } else {
        // At a ratio between two files, the larger one scaled down: sharper
        // than the smaller one scaled up. At 1x and 2x, pixel for pixel.
        const qreal ratio = std::ceil(painter.device()->devicePixelRatio());
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRect(topLeft, Size()), icon_.pixmap(Size(), ratio));
        painter.restore();
    }
}

QSize PictureRenderer::Size() const { return picture_ ? QSize(picture_->width, picture_->height) : QSize(); }

FormWindow::FormWindow(const Window& layout) : picture_(layout.picture) {
    // Qt keeps a process-wide list of factories and one update handler: add ours once.
    static const bool accessible =
        (QAccessible::installFactory(AccessibleControl), InstallFocusFirst(), true);
    (void)accessible;
    if (layout.picture && layout.picture->description)
        setAccessibleDescription(QString::fromUtf8(layout.picture->description));
}
FormWindow::~FormWindow() = default;

void FormWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    picture_.Paint(painter, QPoint(0, 0));
}

void FormWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    // A copy: unloading the window clears the member while this runs.
    if (const auto close = onTitleBarClose)
        close();
}

bool ClickLabel::HasClickProcedure() const {
    return isSignalConnected(QMetaMethod::fromSignal(&ClickLabel::clicked));
}

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
}

void ClickLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        pressed_ = false;
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && std::exchange(pressed_, false) &&
        rect().contains(event->position().toPoint()))
        emit clicked();
}

QPalette StylePalettes::Shared(const QPalette& palette) {
    const auto kept = std::find(palettes_.begin(), palettes_.end(), palette);
    QPalette shared = kept != palettes_.end() ? *kept : palettes_.emplace_back(palette);
    // The same identity: setting the group does not copy the colours.
    shared.setCurrentColorGroup(palette.currentColorGroup());
    return shared;
}

CommandButton::CommandButton(const QString& text, const Picture* picture, StylePalettes& palettes,
                             QWidget* parent)
    : QPushButton(text, parent), picture_(picture), palettes_(palettes) {}
CommandButton::~CommandButton() = default;

void CommandButton::initStyleOption(QStyleOptionButton* option) const {
    QPushButton::initStyleOption(option);
    option->palette = palettes_.Shared(option->palette);
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CommandButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (picture_.Size().isEmpty())
        return;
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect face = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    QPainter painter(this);
    painter.setClipRect(face);
    // Centred on whole pixels, so that the picture's pixels meet the screen's.
    const QSize size = picture_.Size();
    picture_.Paint(painter, QPoint((width() - size.width()) / 2, (height() - size.height()) / 2));
}

PictureBox::PictureBox(const Picture* picture, QWidget* parent) : QFrame(parent), picture_(picture) {
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken); // the classic two-pixel sunken border
}
PictureBox::~PictureBox() = default;

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect inside = contentsRect();
    painter.setClipRect(inside);
    picture_.Paint(painter, inside.topLeft());
    painter.end();
    QFrame::paintEvent(event);
}

} // namespace platform
