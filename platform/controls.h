// The Qt widgets a layout is built from.
#pragma once

#include "platform/layout.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QPicture;

namespace platform {

// The compiled pictures of one window kind, each read on first use and kept
// across the window's loads: the bitmap of a device pixel ratio, or the vector
// form for the other ratios and transformed painters.
class PictureCache {
public:
    PictureCache();
    ~PictureCache();
    // Draws the picture with its top-left corner at the painter's origin.
    void Draw(const Picture& picture, QPainter& painter);
    // In device pixels; null when the picture has no bitmap of that ratio.
    const QImage& Bitmap(const Picture& picture, int ratio);
    const QPicture& Vector(const Picture& picture);

private:
    struct Entry;
    Entry& Get(const Picture& picture);
    std::vector<std::unique_ptr<Entry>> entries_;
};

// Draws a layout picture at its natural size.
class PictureRenderer {
public:
    PictureRenderer(const Picture* picture, PictureCache& cache);
    ~PictureRenderer();
    void Paint(QPainter& painter, QPointF topLeft);
    QSize Size() const;

private:
    const Picture* picture_;
    PictureCache& cache_;
};

// The on-screen window of a form: background colour and picture, fixed child geometry.
// Its background picture's description is the window's accessible description.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    FormWindow(const Window& layout, PictureCache& pictures);
    ~FormWindow() override;
    std::function<void()> onTitleBarClose;
    std::function<void()> onFirstPaint;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    PictureRenderer picture_;
};

// A label that reports a click: a left press and its release over it. The
// second press of a double-click makes no click of its own. A label with a click
// procedure is a link to assistive tools, with a press action.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    bool HasClickProcedure() const;
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false; // a left press that a release completes into a click
};

// A push button that Enter clicks as well as Space, optionally showing a picture.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    CommandButton(const QString& text, const Picture* picture, PictureCache& pictures, QWidget* parent);
    ~CommandButton() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<PictureRenderer> picture_;
};

// A framed box that draws its picture from the top-left corner, clipped by the box;
// a graphic to assistive tools.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    PictureBox(const Picture* picture, PictureCache& pictures, QWidget* parent);
    ~PictureBox() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureRenderer picture_;
};

} // namespace platform
