// Window layouts as data: each window is one table in twips, built by one loader.
#pragma once

#include <QRgb>

#include <span>

class QPainter;

namespace platform {

inline constexpr int kTwipsPerPixel = 15;
constexpr int Px(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

enum class Kind { Label, TextBox, Button, PictureBox };

// Whether a control of this kind is a stop of the window's tab order.
constexpr bool TakesFocus(Kind kind) { return kind != Kind::Label; }

// A font of the layout; a null family means the window's default font.
struct Font {
    const char* family = nullptr;
    double points = 0;
    int weight = 400;
};
inline constexpr Font kDefault{};
inline constexpr Font kSongBold{"宋体", 10.5, 700};
inline constexpr Font kSongRegular{"宋体", 10.5, 400};

// A colour is a qRgb(r, g, b), or kSystem for the window system's colour of
// that kind of control: kSystem has no alpha, which every qRgb has.
inline constexpr QRgb kSystem = 0;

// A picture: a PNG resource (":/assets/banner.png", with its "banner@2x.png"
// beside it), or a function that draws it; drawn at its natural size.
struct Picture {
    const char* resource = nullptr;
    void (*draw)(QPainter&) = nullptr;
    int width = 0;
    int height = 0;
    const char* description = nullptr; // what it shows, for screen readers
};

struct Control {
    int tabIndex;
    const char* name;
    int index; // element of a control array, or -1
    Kind kind;
    const char* text;
    int left, top, width, height; // twips
    Font font = kDefault;
    QRgb fore = kSystem;
    QRgb back = kSystem;
    const Picture* picture = nullptr;
    const char* accessibleName = nullptr;
};

struct Window {
    const char* name;
    const char* caption;
    int clientWidth, clientHeight; // twips
    int left, top;                 // screen position of the client area, twips
    bool minimiseButton;
    QRgb background;
    const Picture* picture; // background picture, top-left, natural size
    std::span<const Control> controls;
};

} // namespace platform
