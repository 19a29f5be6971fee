// Every window as built from its layout table: geometry, texts, fonts, colours,
// tab order; probe pixels of each window's picture; the material sheet; and the
// texts' code page.
#include "harness.h"

#include "platform/errors.h"
#include "platform/loader.h"
#include "ui/materialsheet.h"
#include "ui/program_windows.h"

#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>

#ifndef Q_OS_WIN
#include <iconv.h>
#endif

class TestLayout : public GuiTest {
    Q_OBJECT
private slots:
    void windows_data();
    void windows();
    void geometry_data();
    void geometry();
    void screenOrderOfTheDrawingWindow();
    void probePixels_data();
    void probePixels();
    void textColours_data();
    void textColours();
    void qtTextsAreChinese();
    void materialSheet();
    void textsFitTheSystemCodePage();
};

namespace {

bool Near(QColor a, QColor b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Pixels of `image` inside `rect` for which `match` holds.
template <class Match> int Count(const QImage& image, QRect rect, Match match) {
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            n += match(image.pixelColor(x, y));
    return n;
}

// The widget class of each platform::Kind of control.
const char* const kClasses[] = {"QLabel", "QLineEdit", "QAbstractButton", "platform::PictureBox"};

bool Dark(QColor c) { return c.lightness() < 100; }

// The bounds of the pixels of `rect` darker than `lightness`.
QRect Ink(const QImage& image, QRect rect, int lightness) {
    QRect ink;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixelColor(x, y).lightness() < lightness)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

} // namespace

void TestLayout::windows_data() {
    QTest::addColumn<const platform::Window*>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("minimise");
    QTest::newRow("blanking") << &ui::BlankingCalculator().layout
                              << QStringLiteral("冲裁力计算软件——Tamberlo制作  2012-3-16") << true;
    QTest::newRow("drawing") << &ui::DrawingCalculator().layout
                             << QStringLiteral("拉伸力计算软件——Tamberlo制作   2012-3-16") << true;
    QTest::newRow("bending") << &ui::BendingCalculator().layout
                             << QStringLiteral("折弯曲力计算软件——Tamberlo制作   2012-3-16") << true;
    QTest::newRow("menu") << &ui::MenuLayout() << QStringLiteral("冲压设备选用辅助工具试用版") << true;
    QTest::newRow("sheet") << &ui::MaterialLayout() << QStringLiteral("材料性能") << false;
}

// The window's frame and face, each control as its table row gives it, the
// tab order as the table's, and no control moving when the window grows.
void TestLayout::windows() {
    QFETCH(const platform::Window*, window);
    QFETCH(QString, caption);
    QFETCH(bool, minimise);
    Harness h(*environment_);
    platform::Form& form = h.Show(*window);
    QWidget* const w = form.window();
    QCOMPARE(w->windowTitle(), caption);
    QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(bool(w->windowFlags() & Qt::WindowMinimizeButtonHint), minimise);
    QVERIFY(w->windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(w->font().pixelSize(), 12);
    QCOMPARE(w->font().family(), environment_->Fonts().songFamily);
    QVERIFY(!w->windowIcon().isNull());

    QList<QWidget*> tabChain;
    for (const platform::Control& c : window->controls) {
        const QString name = platform::ObjectName(c.name, c.index);
        QWidget* control = form.Control({c.name, c.index});
        QVERIFY2(control, qPrintable(name));
        QVERIFY(control->isVisible() && control->isEnabled());
        QVERIFY2(control->inherits(kClasses[int(c.kind)]), qPrintable(name));
        if (c.kind != platform::Kind::PictureBox)
            QCOMPARE(control->property("text").toString(), QString::fromUtf8(c.text));
        QCOMPARE(control->focusPolicy(), c.kind == platform::Kind::Label ? Qt::NoFocus : Qt::StrongFocus);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            QVERIFY(label->autoFillBackground());
            QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        }
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            QVERIFY(!edit->isReadOnly());
            QCOMPARE(edit->maxLength(), 32767); // Qt's largest: no limit of ours
        }
        const QFont font = control->font();
        QCOMPARE(font.family(), environment_->Fonts().songFamily);
        QCOMPARE(font.pixelSize(), c.font.family ? 14 : 12);
        QCOMPARE(font.weight(), QFont::Weight(c.font.weight));
        QVERIFY(font.stretch() == QFont::AnyStretch || font.stretch() >= 75); // still reads as the face
        const bool textBox = c.kind == platform::Kind::TextBox;
        const bool button = c.kind == platform::Kind::Button;
        const auto foreRole = textBox ? QPalette::Text : button ? QPalette::ButtonText : QPalette::WindowText;
        const auto backRole = textBox ? QPalette::Base : button ? QPalette::Button : QPalette::Window;
        if (c.fore != platform::kSystem)
            QCOMPARE(control->palette().color(foreRole), QColor(c.fore));
        if (c.back != platform::kSystem)
            QCOMPARE(control->palette().color(backRole), QColor(c.back));
        if (control->focusPolicy() & Qt::TabFocus)
            tabChain << control;
    }
    // Tab from the first focusable control visits the others in table order.
    QWidget* next = tabChain.first();
    for (QWidget* expected : tabChain) {
        QCOMPARE(next->objectName(), expected->objectName());
        do
            next = next->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus) || next->isWindow());
    }
    QCOMPARE(next, tabChain.first());

    const auto children = w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QList<QRect> before;
    for (QWidget* c : children)
        before << c->geometry();
    w->resize(w->size() + QSize(120, 90));
    for (int i = 0; i < children.size(); ++i)
        QCOMPARE(children[i]->geometry(), before[i]);
}

void TestLayout::geometry_data() { Harness::GeometryRows(); }

void TestLayout::geometry() {
    QFETCH(const platform::Window*, window);
    QFETCH(platform::ControlName, control);
    QFETCH(QRect, rect);
    Harness h(*environment_);
    platform::Form& form = h.Show(*window);
    QCOMPARE(control.name ? form.Control(control)->geometry() : form.window()->geometry(), rect);
}

// The drawing window shows k above σb, with no unit beside k.
void TestLayout::screenOrderOfTheDrawingWindow() {
    Harness h(*environment_);
    platform::Form& form = h.Show(ui::DrawingCalculator().layout);
    const auto in = Harness::Inputs(calc::Formula::Drawing); // L, t, σb, k
    const int ys[] = {form.Control(in[0])->y(), form.Control(in[1])->y(), form.Control(in[3])->y(),
                      form.Control(in[2])->y()};
    QVERIFY(std::is_sorted(std::begin(ys), std::end(ys)));
    const QRect kRow(0, form.Control(in[3])->y(), 420, form.Control(in[3])->height());
    for (QLabel* label : form.window()->findChildren<QLabel*>())
        if (label->geometry().intersects(kRow))
            QCOMPARE(label->text(), form.Control(in[3])->accessibleName()); // k's caption alone
}

void TestLayout::probePixels_data() {
    QTest::addColumn<const platform::Window*>("window");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("tolerance");
    const platform::Window *menu = &ui::MenuLayout(), *blanking = &ui::BlankingCalculator().layout,
                           *sheet = &ui::MaterialLayout();
    QTest::newRow("menu banner top") << menu << QPoint(2, 1) << QColor(254, 255, 255) << 3;
    QTest::newRow("menu banner middle") << menu << QPoint(2, 80) << QColor(127, 205, 254) << 3;
    QTest::newRow("menu banner near the bottom") << menu << QPoint(2, 158) << QColor(3, 153, 255) << 5;
    QTest::newRow("menu bending picture ground") << menu << QPoint(12, 20) << QColor(205, 255, 255) << 2;
    QTest::newRow("menu close picture ground") << menu << QPoint(212, 115) << QColor(205, 255, 255) << 2;
    QTest::newRow("menu grown area light cyan") << menu << QPoint(310, 170) << QColor(128, 255, 255) << 0;
    QTest::newRow("blanking picture ground") << blanking << QPoint(300, 30) << QColor(255, 255, 255) << 0;
    QTest::newRow("blanking result white") << blanking << QPoint(170, 250) << QColor(255, 255, 255) << 0;
    QTest::newRow("sheet ground") << sheet << QPoint(8, 8) << QColor(255, 255, 255) << 0;
    QTest::newRow("sheet frame corner") << sheet << QPoint(17, 6) << QColor(0, 0, 0) << 60;
    QTest::newRow("sheet column rule") << sheet << QPoint(206, 150) << QColor(0, 0, 0) << 60;
    QTest::newRow("sheet right of the picture") << sheet << QPoint(380, 200) << QColor(0xef, 0xef, 0xef) << 0;
}

void TestLayout::probePixels() {
    QFETCH(const platform::Window*, window);
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    QFETCH(int, tolerance);
    Harness h(*environment_);
    QWidget* w = h.Show(*window).window();
    w->resize(w->size() + QSize(20, 20)); // shows the background beyond the picture
    const QColor got = w->grab().toImage().pixelColor(at);
    QVERIFY2(Near(got, colour, tolerance), qPrintable(got.name()));
}

void TestLayout::textColours_data() {
    QTest::addColumn<calc::Formula>("formula");
    QTest::addColumn<platform::ControlName>("control");
    QTest::addColumn<QColor>("colour"); // the text's colour, among the control's pixels
    const auto B = calc::Formula::Blanking, D = calc::Formula::Drawing, N = calc::Formula::Bending;
    QTest::newRow("blanking link red") << B << ui::kWebLink << QColor(255, 0, 0);
    QTest::newRow("drawing link red") << D << ui::kWebLink << QColor(255, 0, 0);
    QTest::newRow("bending link red") << N << ui::kWebLink << QColor(255, 0, 0);
    QTest::newRow("blanking result black") << B << ui::kResultField << QColor(0, 0, 0);
    QTest::newRow("drawing result blue") << D << ui::kResultField << QColor(0, 0, 255);
    QTest::newRow("bending result blue") << N << ui::kResultField << QColor(0, 0, 255);
    QTest::newRow("blanking caption default black") << B << ui::kFirstCaption << QColor(0, 0, 0);
}

// After a calculation, so that the result field holds text.
void TestLayout::textColours() {
    QFETCH(calc::Formula, formula);
    QFETCH(platform::ControlName, control);
    QFETCH(QColor, colour);
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(formula);
    Harness::Fill(form, formula,
                  QStringList{"1000", "8", "800", "0.8"}.mid(0, qsizetype(Harness::Inputs(formula).size())));
    Harness::Click(form, ui::kCalculateButton);
    QVERIFY(!Harness::Text(form, ui::kResultField).isEmpty());
    const QImage image = form.Control(control)->grab().toImage();
    const int exact = Count(image, image.rect(), [&](QColor c) { return Near(c, colour, 40); });
    QVERIFY2(exact >= 20, qPrintable(QStringLiteral("%1 pixels near %2").arg(exact).arg(colour.name())));
    // And no text of another hue: a black text has no blue or red pixels.
    for (const QColor hue : {QColor(0, 0, 255), QColor(255, 0, 0)})
        QCOMPARE(Count(image, image.rect(), [&](QColor c) { return Near(c, hue, 89); }) > 0, colour == hue);
}

// Qt's own texts that a user meets: the text fields' context menu and message boxes.
void TestLayout::qtTextsAreChinese() {
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << a->text();
    QVERIFY2(texts.join(' ').contains(QStringLiteral("粘贴")), qPrintable(texts.join(' ')));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
}

void TestLayout::materialSheet() {
    QImage image(ui::kSheetWidth, ui::kSheetHeight, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        painter.setFont(QApplication::font());
        ui::DrawMaterialSheet(painter);
    }
    const auto rows = ui::SheetRuleRows();
    const auto columns = ui::SheetRuleColumns();
    QCOMPARE(rows.size(), std::size_t(15));
    QCOMPARE(ui::SheetRows().size(), std::size_t(14));
    for (int y : rows) // each rule runs the whole width of the frame
        QCOMPARE(Count(image, QRect(17, y, 344, 1), Dark), 344);
    for (int x : columns)
        QCOMPARE(Count(image, QRect(x, 6, 1, 301), Dark), 301);
    QCOMPARE(Count(image, QRect(0, 0, 380, 6), Dark), 0);
    QCOMPARE(Count(image, QRect(0, 0, 17, 370), Dark), 0);

    for (std::size_t r = 0; r + 1 < rows.size(); ++r)
        for (std::size_t c = 0; c + 1 < columns.size(); ++c) {
            const QRect cell(columns[c] + 1, rows[r] + 1, columns[c + 1] - columns[c] - 1,
                             rows[r + 1] - rows[r] - 1);
            const QString where = QStringLiteral("row %1 column %2").arg(r).arg(c);
            QVERIFY2(Count(image, cell, Dark) > 20, qPrintable(where));
            // Text is centred in the number columns and the header, else starts at x 25.
            if (c > 0 || r == 0) {
                const QRect ink = Ink(image, cell, 100);
                QVERIFY2(
                    std::abs(ink.left() + ink.right() - 2 * cell.center().x()) <= 4,
                    qPrintable(where + QStringLiteral(" spans %1..%2").arg(ink.left()).arg(ink.right())));
            } else {
                const int first = Ink(image, cell, 200).left(); // any ink, antialiased edges too
                QVERIFY2(std::abs(first - 25) <= 2,
                         qPrintable(where + QStringLiteral(" starts at %1").arg(first)));
            }
        }
    // The note line, and nothing else below the table.
    QVERIFY(Count(image, QRect(25, 332, 186, 13), Dark) > 100);
    QCOMPARE(Count(image, QRect(0, 308, 380, 370 - 308), Dark), Count(image, QRect(25, 330, 186, 17), Dark));
}

void TestLayout::textsFitTheSystemCodePage() {
#ifdef Q_OS_WIN
    QSKIP("the texts are the same on every system; checked with iconv where it exists");
#else
    QStringList texts;
    for (const platform::Window* w : ui::Arrangement()) {
        texts << QString::fromUtf8(w->caption);
        for (const platform::Control& c : w->controls) {
            texts << QString::fromUtf8(c.text) << QString::fromUtf8(c.accessibleName);
            if (c.picture)
                texts << QString::fromUtf8(c.picture->description);
        }
    }
    for (const ui::Material& m : ui::SheetRows())
        texts << QString::fromUtf8(m.name) << QString::fromUtf8(m.shear) << QString::fromUtf8(m.tensile);
    texts << QString::fromUtf8(ui::SheetNote()) << platform::ReportTitle() << ui::FloatingPointReport(7)
          << platform::CheckedCallError(platform::kFailed, "TextBox", platform::Member::FetchText,
                                        Harness::Object(ui::BlankingCalculator().layout, ui::kFirstField))
                 .Report()
          << platform::LaunchError("http://x").Report() << QStringLiteral("∞") << QStringLiteral("-∞");

    iconv_t cd = iconv_open("GBK", "UTF-8");
    QVERIFY(cd != iconv_t(-1));
    for (const QString& text : texts) {
        QByteArray in = text.toUtf8(), out(in.size() * 2 + 4, '\0');
        char *inp = in.data(), *outp = out.data();
        size_t inLeft = size_t(in.size()), outLeft = size_t(out.size());
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        QVERIFY2(iconv(cd, &inp, &inLeft, &outp, &outLeft) != size_t(-1) && inLeft == 0, qPrintable(text));
    }
    iconv_close(cd);
#endif
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
