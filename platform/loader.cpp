#include "platform/loader.h"

#include "platform/controls.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace platform {

namespace {

void SetColours(QWidget& w, QRgb fore, QPalette::ColorRole foreRole, QRgb back,
                QPalette::ColorRole backRole) {
    if (fore == kSystem && back == kSystem)
        return;
    QPalette palette = w.palette();
    for (auto [colour, role] : {std::pair(fore, foreRole), std::pair(back, backRole)})
        if (colour != kSystem)
            palette.setColor(role, QColor(colour)); // every colour group
    w.setPalette(palette);
}

// A caption wider than its label is narrowed so the whole text shows, as it
// would in a face with half-width Latin letters; the label keeps its size. A
// face whose advances are rounded to whole pixels (Windows) may need a little
// more than the proportion.
void FitWidth(QWidget& label, const QString& text) {
    QFont font = label.font();
    const int advance = QFontMetrics(font).horizontalAdvance(text);
    if (advance <= label.width() || advance == 0)
        return;
    constexpr int kNarrowest = 50;
    int stretch = std::max(kNarrowest, label.width() * 100 / advance);
    for (;; --stretch) {
        font.setStretch(stretch);
        if (stretch == kNarrowest || QFontMetrics(font).horizontalAdvance(text) <= label.width())
            break;
    }
    label.setFont(font);
}

// A caption drawn from the top whose ink would reach below its label (in a
// face with a tall line, a descender under a 10.5 pt line in a 17-pixel label)
// is drawn from the bottom instead: what it cuts is the empty top of the line.
void FitHeight(ClickLabel& label, const QString& text) {
    const QFontMetrics metrics(label.font());
    if (metrics.ascent() + metrics.tightBoundingRect(text).bottom() < label.height())
        return;
    label.setAlignment(Qt::AlignLeft | Qt::AlignBottom);
}

QWidget* BuildControl(const Control& c, const LoaderFonts* fonts, StylePalettes& palettes, QWidget* parent) {
    QWidget* w = nullptr;
    const QString text = QString::fromUtf8(c.text ? c.text : "");
    switch (c.kind) {
    case Kind::Label: {
        auto* label = new ClickLabel(text, parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setAutoFillBackground(true); // opaque
        SetColours(*label, c.fore, QPalette::WindowText, c.back, QPalette::Window);
        w = label;
        break;
    }
    case Kind::TextBox: {
        auto* edit = new QLineEdit(text, parent);
        SetColours(*edit, c.fore, QPalette::Text, c.back, QPalette::Base);
        w = edit;
        break;
    }
    case Kind::Button: {
        auto* button = new CommandButton(text, c.picture, palettes, parent);
        button->setAutoDefault(false);
        SetColours(*button, c.fore, QPalette::ButtonText, c.back, QPalette::Button);
        w = button;
        break;
    }
    case Kind::PictureBox: w = new PictureBox(c.picture, parent); break;
    }
    w->setFocusPolicy(TakesFocus(c.kind) ? Qt::StrongFocus : Qt::NoFocus);
    w->setObjectName(ObjectName(c.name, c.index));
    w->setGeometry(Px(c.left), Px(c.top), Px(c.width), Px(c.height));
    if (c.font.family && fonts)
        w->setFont(ResolveFont(c.font, *fonts));
    if (auto* label = qobject_cast<ClickLabel*>(w)) {
        FitWidth(*label, text);
        FitHeight(*label, text);
    }
    if (c.accessibleName)
        w->setAccessibleName(QString::fromUtf8(c.accessibleName));
    if (c.picture && c.picture->description)
        w->setAccessibleDescription(QString::fromUtf8(c.picture->description));
    return w;
}

} // namespace

QString ObjectName(const char* name, int index) {
    QString s = QString::fromLatin1(name);
    if (index >= 0)
        s += QStringLiteral("(%1)").arg(index);
    return s;
}

QFont ResolveFont(const Font& font, const LoaderFonts& fonts) {
    QFont f = fonts.windowFont;
    if (font.family) {
        const QString family = QString::fromUtf8(font.family);
        f.setFamilies({family == QStringLiteral("宋体") ? fonts.songFamily : family});
    }
    if (font.points > 0)
        f.setPixelSize(static_cast<int>(std::lround(font.points * 96.0 / 72.0)));
    f.setWeight(static_cast<QFont::Weight>(font.weight));
    return f;
}

bool HasText(const Window& layout) {
    for (const Control& c : layout.controls)
        if (c.kind == Kind::TextBox || (c.text && *c.text))
            return true;
    return layout.picture && layout.picture->draw; // a drawn picture may hold text
}

FormWindow* BuildWindow(const Window& layout, const LoaderFonts* fonts, StylePalettes& palettes) {
    auto* window = new FormWindow(layout);
    window->setObjectName(QString::fromLatin1(layout.name));
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (layout.minimiseButton)
        flags |= Qt::WindowMinimizeButtonHint;
    window->setWindowFlags(flags);
    window->setWindowTitle(QString::fromUtf8(layout.caption));
    if (fonts)
        window->setFont(fonts->windowFont);
    window->setAutoFillBackground(true);
    if (layout.background != kSystem) {
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, QColor(layout.background));
        window->setPalette(palette);
    }
    window->resize(Px(layout.clientWidth), Px(layout.clientHeight)); // placed where it opens

    std::vector<const Control*> order;
    for (const Control& c : layout.controls)
        order.push_back(&c);
    std::stable_sort(order.begin(), order.end(),
                     [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });

    QWidget* previous = nullptr;
    QWidget* first = nullptr;
    for (const Control* c : order) {
        QWidget* w = BuildControl(*c, fonts, palettes, window);
        if (!TakesFocus(c->kind))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        else
            first = w;
        previous = w;
    }
    if (first)
        first->setFocus(Qt::TabFocusReason);
    return window;
}

} // namespace platform
