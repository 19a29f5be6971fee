// The Qt widgets a layout is built from.
#pragma once

#include "platform/layout.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <vector>

namespace platform {

// A PNG resource (":/assets/banner.png") as an icon: the file and, when a
// screen has a higher device pixel ratio, its "@2x" file, as QIcon::addFile
// takes them. Read as PNG, without probing every image plugin for the format,
// and kept in Qt's pixmap cache. The program's start to the menu's first frame
// takes 32.8 M instructions (callgrind); with QIcon(resource) instead, 36.2 M.
QIcon LoadIcon(const QString& resource);

// Draws a layout picture at its natural size: its resource's file of the
// device's pixel ratio, picked by QIcon, or the picture's drawing function.
class PictureRenderer {
public:
    explicit PictureRenderer(const Picture* picture);
    ~PictureRenderer();
    void Paint(QPainter& painter, QPoint topLeft) const;
    QSize Size() const;

private:
    const Picture* picture_;
    QIcon icon_;
};

// The on-screen window of a form: background colour and picture, fixed child geometry.
// Its background picture's description is the window's accessible description.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(const Window& layout);
    ~FormWindow() override;
    std::function<void()> onTitleBarClose;

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

// One palette for each set of colours a window's buttons are drawn with. The
// style keeps the pictures of button faces under the palette's identity, and a
// rebuilt window's widgets get new palettes: drawn with these, the buttons of
// every build of a window find the pictures of the first.
class StylePalettes {
public:
    // The kept palette equal to `palette`, in its colour group.
    QPalette Shared(const QPalette& palette);

private:
    std::vector<QPalette> palettes_;
};

// A push button that Enter clicks as well as Space, optionally showing a picture.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    CommandButton(const QString& text, const Picture* picture, StylePalettes& palettes, QWidget* parent);
    ~CommandButton() override;

protected:
    void initStyleOption(QStyleOptionButton* option) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    PictureRenderer picture_;
    StylePalettes& palettes_;
};

// A framed box that draws its picture from the top-left corner, clipped by the box;
// a graphic to assistive tools.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    PictureBox(const Picture* picture, QWidget* parent);
    ~PictureBox() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureRenderer picture_;
};

} // namespace platform
