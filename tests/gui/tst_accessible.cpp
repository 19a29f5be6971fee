// What assistive tools are told about each window, read through Qt's
// accessibility interfaces in the process.
#include "harness.h"

#include "platform/controls.h"
#include "ui/calculator.h"
#include "ui/materialsheet.h"

#include <QAccessible>
#include <QLabel>

class TestAccessible : public GuiTest {
    Q_OBJECT
private slots:
    void objects_data();
    void objects();
    void fieldsAreNamedAndReadWhole_data();
    void fieldsAreNamedAndReadWhole();
    void materialSheetExposesItsTable();
};

namespace {

QAccessibleInterface* Accessible(QObject* object) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    if (!iface)
        qFatal("no accessible interface for %s", qPrintable(object->objectName()));
    return iface;
}

bool Pressable(QAccessibleInterface* iface) {
    return iface->actionInterface() &&
           iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction());
}

// The table row of a window's control; null for a null name.
const platform::Control* Row(const platform::Window& layout, platform::ControlName control) {
    for (const platform::Control& c : layout.controls)
        if (control.name && qstrcmp(c.name, control.name) == 0 && c.index == control.index)
            return &c;
    return nullptr;
}

// The labels on a field's row: those overlapping it vertically, left or right of it.
QStringList RowLabels(QWidget* field, bool left) {
    QList<QLabel*> labels;
    for (QLabel* label : field->parentWidget()->findChildren<QLabel*>()) {
        const bool sameRow =
            label->y() < field->geometry().bottom() && label->geometry().bottom() > field->y();
        if (sameRow &&
            (left ? label->geometry().right() < field->x() : label->x() > field->geometry().right()))
            labels << label;
    }
    std::sort(labels.begin(), labels.end(), [](QLabel* a, QLabel* b) { return a->x() < b->x(); });
    QStringList texts;
    for (QLabel* label : labels)
        texts << label->text();
    return texts;
}

} // namespace

void TestAccessible::objects_data() {
    QTest::addColumn<const platform::Window*>("window");
    QTest::addColumn<platform::ControlName>("object"); // null: the window itself
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name"); // null: its text in the table, a window's caption
    for (const Harness::WindowCase& w : Harness::Windows()) {
        QTest::addRow("%s window", w.role)
            << w.layout << platform::ControlName{nullptr} << QAccessible::Window << QString();
        if (w.calculator)
            QTest::addRow("%s picture", w.role)
                << w.layout << ui::kPicture << QAccessible::Graphic << QString();
    }
    const platform::Window *menu = &ui::MenuLayout(), *bending = &ui::BendingCalculator().layout;
    const auto button = QAccessible::Button, text = QAccessible::StaticText;
    // The menu's buttons show pictures alone, and are named by them.
    QTest::newRow("menu bending button") << menu << ui::kMenuBendingButton << button << "折弯力计算";
    QTest::newRow("menu blanking button") << menu << ui::kMenuBlankingButton << button << "冲裁力计算";
    QTest::newRow("menu drawing button") << menu << ui::kMenuDrawingButton << button << "拉伸力计算";
    QTest::newRow("menu close button") << menu << ui::kMenuCloseButton << button << "关闭";
    QTest::newRow("bending first caption") << bending << ui::kFirstCaption << text << QString();
    QTest::newRow("bending result caption") << bending << ui::kResultCaption << text << QString();
    QTest::newRow("drawing link") << &ui::DrawingCalculator().layout << ui::kWebLink << QAccessible::Link
                                  << QString::fromUtf8(ui::kLinkCaption.data());
}

// Buttons and links are pressed, the rest is read (captions and units have no
// procedure); a picture that names no button tells what it shows. The link's
// press runs its click procedure, from the event loop.
void TestAccessible::objects() {
    QFETCH(const platform::Window*, window);
    QFETCH(platform::ControlName, object);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    Harness h(*environment_);
    platform::Form& form = h.Show(*window);
    QAccessibleInterface* iface = Accessible(object.name ? form.Control(object) : form.window());
    if (role == QAccessible::Link) {
        QVERIFY(iface->state().linked);
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(h.opened.isEmpty());
        QTRY_COMPARE(h.opened.size(), 1);
        QCOMPARE(h.opened.first().host(), QString::fromUtf8(ui::kMakerHost.data(), ui::kMakerHost.size()));
    }
    const platform::Control* row = Row(*window, object);
    QCOMPARE(iface->role(), role);
    QCOMPARE(iface->text(QAccessible::Name),
             name.isNull() ? QString::fromUtf8(row ? row->text : window->caption) : name);
    const QString description = iface->text(QAccessible::Description);
    if ((row ? row->picture : window->picture) && role != QAccessible::Button)
        QVERIFY2(description.size() > 10, qPrintable(description));
    QCOMPARE(Pressable(iface), role == QAccessible::Button || role == QAccessible::Link);
}

void TestAccessible::fieldsAreNamedAndReadWhole_data() {
    QTest::addColumn<calc::Formula>("formula");
    QTest::addColumn<QString>("force");
    QTest::newRow("blanking") << calc::Formula::Blanking << QStringLiteral("冲裁力");
    QTest::newRow("drawing") << calc::Formula::Drawing << QStringLiteral("拉伸力");
    QTest::newRow("bending") << calc::Formula::Bending << QStringLiteral("折弯力");
}

// Each field is named by the caption on its left and the unit on its right; the
// result by the window's own force, whatever its caption says, and its unit.
// Screen readers read a text run by run: each offset's run is the whole text.
void TestAccessible::fieldsAreNamedAndReadWhole() {
    QFETCH(calc::Formula, formula);
    QFETCH(QString, force);
    Harness h(*environment_);
    platform::Form& form = h.Show(formula);
    const auto fields = form.window()->findChildren<QLineEdit*>();
    QCOMPARE(std::size_t(fields.size()), Harness::Inputs(formula).size() + 1);
    for (QLineEdit* field : fields) {
        QStringList words = RowLabels(field, true);
        QCOMPARE(words.size(), 1);
        if (field == form.Control(ui::kResultField))
            words = QStringList{force};
        words += RowLabels(field, false);
        QAccessibleInterface* iface = Accessible(field);
        QCOMPARE(iface->role(), QAccessible::EditableText);
        QCOMPARE(iface->text(QAccessible::Name), words.join(QLatin1Char(' ')));
        QVERIFY(iface->editableTextInterface());
        for (const QString text : {"2", "78000", "25224.75"}) {
            field->setText(text);
            QCOMPARE(iface->textInterface()->text(0, iface->textInterface()->characterCount()), text);
            for (int offset = 0; offset < text.size(); ++offset) {
                int start = -1, end = -1;
                iface->textInterface()->attributes(offset, &start, &end);
                QVERIFY2(start == 0 && end == text.size(), qPrintable(text));
            }
        }
    }
}

// Every cell of the sheet and its note reach a screen reader, each material on
// its own line with its two strengths in column order.
void TestAccessible::materialSheetExposesItsTable() {
    Harness h(*environment_);
    platform::Form& form = h.Show(ui::MaterialLayout());
    const QStringList lines =
        Accessible(form.window())->text(QAccessible::Description).split(QLatin1Char('\n'));
    const auto rows = ui::SheetRows();
    for (const ui::Material& m : rows.subspan(1)) {
        const QString name = QString::fromUtf8(m.name);
        const auto line =
            std::find_if(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(name); });
        QVERIFY2(line != lines.end(), qPrintable(name));
        const qsizetype shear = line->indexOf(QString::fromUtf8(m.shear), name.size());
        QVERIFY2(shear > 0, qPrintable(*line));
        QVERIFY2(line->indexOf(QString::fromUtf8(m.tensile), shear + 1) > shear, qPrintable(*line));
        QVERIFY2(line->contains(QString::fromUtf8(rows[0].shear)) &&
                     line->contains(QString::fromUtf8(rows[0].tensile)),
                 qPrintable(*line));
    }
    QVERIFY(lines.contains(QString::fromUtf8(ui::SheetNote())));
}

QTEST_MAIN(TestAccessible)
#include "tst_accessible.moc"
