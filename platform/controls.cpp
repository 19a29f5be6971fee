#include "platform/controls.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QSvgRenderer>

namespace platform {

PictureRenderer::PictureRenderer(const Picture* picture) : picture_(picture) {}
PictureRenderer::~PictureRenderer() = default;

void PictureRenderer::Paint(QPainter& painter, QPointF topLeft) {
    if (!picture_)
        return;
    painter.save();
    painter.translate(topLeft);
    if (picture_->draw) {
        picture_->draw(painter);
    } else if (picture_->resource) {
        if (!svg_)
            svg_ = std::make_unique<QSvgRenderer>(QString::fromUtf8(picture_->resource));
        svg_->render(&painter, QRectF(0, 0, picture_->width, picture_->height));
    }
    painter.restore();
}

QSizeF PictureRenderer::Size() const {
    return picture_ ? QSizeF(picture_->width, picture_->height) : QSizeF();
}

FormWindow::FormWindow(const Window& layout) : picture_(layout.picture) {}
FormWindow::~FormWindow() = default;

void FormWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    picture_.Paint(painter, QPointF(0, 0));
}

void FormWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onTitleBarClose)
        onTitleBarClose();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

CommandButton::CommandButton(const QString& text, const Picture* picture, QWidget* parent)
    : QPushButton(text, parent) {
    if (picture)
        picture_ = std::make_unique<PictureRenderer>(picture);
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
    const QSizeF size = picture_->Size();
    const QPointF topLeft((width() - size.width()) / 2.0, (height() - size.height()) / 2.0);
    picture_->Paint(painter, topLeft);
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
