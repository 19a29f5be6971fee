// The face the windows draw their texts in: the system's 宋体 (SimSun) where it
// is installed, else the bundled one; and every text fitting its control in
// it. PF_SYSTEM_SONG lists the names ("SimSun,宋体") of a 宋体 installed for
// the run, and is unset where the system has none.
#include "harness.h"

#include "platform/loader.h"

#include <QFontInfo>
#include <QLabel>

class TestFonts : public GuiTest {
    Q_OBJECT
private slots:
    void initTestCase();
    void textsInTheFace_data();
    void textsInTheFace();

private:
    QStringList expected_;
};

namespace {

// The family of the face Qt draws `font` in, after any fallback.
QString Drawn(const QFont& font) { return QFontInfo(font).family(); }

} // namespace

void TestFonts::initTestCase() {
    const QString system = qEnvironmentVariable("PF_SYSTEM_SONG");
    expected_ = system.isEmpty() ? QStringList{QStringLiteral("Noto Serif CJK SC")} : system.split(u',');
    const platform::LoaderFonts& fonts = environment_->Fonts();
    QVERIFY2(expected_.contains(Drawn(fonts.windowFont)), qPrintable(Drawn(fonts.windowFont)));
    QCOMPARE(Drawn(QApplication::font()), Drawn(fonts.windowFont)); // message boxes
}

void TestFonts::textsInTheFace_data() { Harness::WindowRows(); }

void TestFonts::textsInTheFace() {
    QFETCH(const platform::Window*, window);
    if (!platform::HasText(*window))
        QSKIP("the menu shows no text");
    Harness h(*environment_);
    platform::Form& form = h.Show(*window);
    QVERIFY(expected_.contains(Drawn(form.window()->font())));
    for (const platform::Control& c : form.layout().controls) {
        QWidget* w = form.Control({c.name, c.index});
        const QString name = platform::ObjectName(c.name, c.index);
        QVERIFY2(expected_.contains(Drawn(w->font())), qPrintable(name + ": " + Drawn(w->font())));
        const QFontMetrics metrics(w->font());
        const QString text = QString::fromUtf8(c.text);
        if (c.kind == platform::Kind::Label) {
            // The ink inside the label, drawn from its top or its bottom.
            const bool fromTop = qobject_cast<QLabel*>(w)->alignment() & Qt::AlignTop;
            const int baseline = fromTop ? metrics.ascent() : w->height() - metrics.descent();
            const QRect ink = metrics.tightBoundingRect(text).translated(0, baseline);
            const int advance = metrics.horizontalAdvance(text);
            QVERIFY2(advance <= w->width(), qPrintable(QStringLiteral("%1: %2 pixels wide at stretch %3")
                                                           .arg(name)
                                                           .arg(advance)
                                                           .arg(w->font().stretch())));
            QVERIFY2(ink.top() >= 0 && ink.bottom() < w->height(), qPrintable(name));
        } else if (c.kind != platform::Kind::PictureBox) {
            QVERIFY2(metrics.horizontalAdvance(text) <= w->width(), qPrintable(name));
            QVERIFY2(metrics.height() <= w->height(), qPrintable(name));
        }
    }
}

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
