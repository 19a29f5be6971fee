#include "platform/controls.h"

#include "platform/compiledpicture.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPicture>
#include <QStyleOptionButton>

#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
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
    return nullptr;
}

} // namespace

struct PictureCache::Entry {
    const Picture* picture;
    std::array<std::optional<QImage>, kBitmapRatios.size()> bitmaps;
    std::optional<QPicture> vector;
};

PictureCache::PictureCache() = default;
PictureCache::~PictureCache() = default;

PictureCache::Entry& PictureCache::Get(const Picture& picture) {
    for (const auto& entry : entries_)
        if (entry->picture == &picture)
            return *entry;
    entries_.push_back(std::make_unique<Entry>(Entry{&picture, {}, {}}));
    return *entries_.back();
}

const QImage& PictureCache::Bitmap(const Picture& picture, int ratio) {
    static const QImage none;
    const auto* at = std::find(kBitmapRatios.begin(), kBitmapRatios.end(), ratio);
    if (at == kBitmapRatios.end())
        return none;
    std::optional<QImage>& bitmap = Get(picture).bitmaps[std::size_t(at - kBitmapRatios.begin())];
    if (!bitmap) {
        bitmap = LoadBitmap(BitmapResource(picture.resource, ratio));
        // Only a bitmap of the picture's exact size is drawn pixel for pixel.
        if (bitmap->size() != QSize(picture.width, picture.height) * ratio)
            *bitmap = QImage();
    }
    return *bitmap;
}

const QPicture& PictureCache::Vector(const Picture& picture) {
    std::optional<QPicture>& vector = Get(picture).vector;
    if (!vector && !LoadVector(VectorResource(picture.resource), vector.emplace()))
        *vector = QPicture();
    return *vector;
}

void PictureCache::Draw(const Picture& picture, QPainter& painter) {
    // A bitmap when the painter maps the picture onto whole device pixels at its ratio.
    const QTransform device = painter.deviceTransform();
    const double ratio = device.m11();
    const auto whole = [](double v) { return std::abs(v - std::round(v)) < 1e-9; };
    if (device.type() <= QTransform::TxScale && std::abs(device.m22() - ratio) < 1e-9 && whole(ratio) &&
        whole(device.dx()) && whole(device.dy())) {
        const QImage& bitmap = Bitmap(picture, int(std::lround(ratio)));
        if (!bitmap.isNull()) {
            // In device pixels: the bitmap's data is read-only, so it carries no ratio of its own.
            painter.save();
            painter.scale(1 / ratio, 1 / ratio);
            painter.drawImage(QPointF(0, 0), bitmap);
            painter.restore();
            return;
        }
    }
    painter.drawPicture(0, 0, Vector(picture));
}

PictureRenderer::PictureRenderer(const Picture* picture, PictureCache& cache) : picture_(picture), cache_(cache) {}
PictureRenderer::~PictureRenderer() = default;

void PictureRenderer::Paint(QPainter& painter, QPointF topLeft) {
    if (!picture_)
        return;
    painter.save();
    painter.translate(topLeft);
    if (picture_->draw) {
        picture_->draw(painter);
    } else if (picture_->resource) {
        cache_.Draw(*picture_, painter);
    }
    painter.restore();
}

QSize PictureRenderer::Size() const {
    return picture_ ? QSize(picture_->width, picture_->height) : QSize();
}

FormWindow::FormWindow(const Window& layout, PictureCache& pictures) : picture_(layout.picture, pictures) {
    // Qt keeps a process-wide list of factories: add ours once.
    static const bool accessible = (QAccessible::installFactory(AccessibleControl), true);
    (void)accessible;
    if (layout.picture && layout.picture->description)
        setAccessibleDescription(QString::fromUtf8(layout.picture->description));
}
FormWindow::~FormWindow() = default;

void FormWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    picture_.Paint(painter, QPointF(0, 0));
    if (onFirstPaint)
        std::exchange(onFirstPaint, nullptr)();
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

CommandButton::CommandButton(const QString& text, const Picture* picture, PictureCache& pictures, QWidget* parent)
    : QPushButton(text, parent) {
    if (picture)
        picture_ = std::make_unique<PictureRenderer>(picture, pictures);
}
CommandButton::~CommandButton() = default;

void CommandButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CommandButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (!picture_)
        return;
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect face = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    QPainter painter(this);
    painter.setClipRect(face);
    // Centred on whole pixels, so that the picture's pixels meet the screen's.
    const QSize size = picture_->Size();
    picture_->Paint(painter, QPointF((width() - size.width()) / 2, (height() - size.height()) / 2));
}

PictureBox::PictureBox(const Picture* picture, PictureCache& pictures, QWidget* parent)
    : QFrame(parent), picture_(picture, pictures) {
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
