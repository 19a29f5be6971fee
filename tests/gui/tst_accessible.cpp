// What assistive tools are told about each window, read through Qt's
// accessibility interfaces in the process: names of fields and buttons,
// descriptions of pictures, the link label's press action, the material sheet.
#include "harness.h"

#include "platform/controls.h"
#include "ui/calculator.h"
#include "ui/materialsheet.h"

#include <QAccessible>
#include <QLabel>

class TestAccessible : public GuiTest {
    Q_OBJECT
private slots:
    void fieldsAreNamedByTheirCaptionsAndUnits_data();
    void fieldsAreNamedByTheirCaptionsAndUnits();
    void textBoxTextIsOneAttributeRun_data();
    void textBoxTextIsOneAttributeRun();
    void menuButtonsAreNamedByTheirPictures_data();
    void menuButtonsAreNamedByTheirPictures();
    void picturesAreDescribed_data();
    void picturesAreDescribed();
    void windowsAreWindows();
    void linkLabelIsPressable();
    void plainLabelsAreText();
    void materialSheetExposesItsTable();
};

namespace {

QAccessibleInterface* Accessible(QObject* object) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    if (!iface)
        qFatal("no accessible interface for %s", qPrintable(object->objectName()));
    return iface;
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

void TestAccessible::fieldsAreNamedByTheirCaptionsAndUnits_data() {
    QTest::addColumn<calc::Formula>("formula");
    QTest::addColumn<QString>("force");
    QTest::newRow("blanking") << calc::Formula::Blanking << QStringLiteral("冲裁力");
    QTest::newRow("drawing") << calc::Formula::Drawing << QStringLiteral("拉伸力");
    QTest::newRow("bending") << calc::Formula::Bending << QStringLiteral("折弯力");
}

// Each field is named by the caption on its left and the unit on its right; the
// result by the window's own force, whatever its caption says, and its unit.
void TestAccessible::fieldsAreNamedByTheirCaptionsAndUnits() {
    QFETCH(calc::Formula, formula);
    QFETCH(QString, force);
    Harness h(*environment_);
    platform::Form& form = h.Form(formula);
    h.runtime.Show(form);
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
    }
}

void TestAccessible::textBoxTextIsOneAttributeRun_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("one digit") << QStringLiteral("2");
    QTest::newRow("integer") << QStringLiteral("78000");
    QTest::newRow("decimals") << QStringLiteral("25224.75");
}

// Screen readers read a text run by run: each offset's run is the whole text.
void TestAccessible::textBoxTextIsOneAttributeRun() {
    QFETCH(QString, text);
    Harness h(*environment_);
    QLineEdit* edit = Harness::Edit(h.OpenCalculator(calc::Formula::Blanking), ui::kResultField);
    edit->setText(text);
    QAccessibleTextInterface* iface = Accessible(edit)->textInterface();
    QCOMPARE(iface->text(0, iface->characterCount()), text);
    for (int offset = 0; offset < text.size(); ++offset) {
        int start = -1, end = -1;
        iface->attributes(offset, &start, &end);
        QCOMPARE(start, 0);
        QCOMPARE(end, text.size());
    }
}

void TestAccessible::menuButtonsAreNamedByTheirPictures_data() {
    QTest::addColumn<platform::ControlName>("button");
    QTest::addColumn<QString>("name");
    QTest::newRow("bending") << ui::kMenuBendingButton << QStringLiteral("折弯力计算");
    QTest::newRow("blanking") << ui::kMenuBlankingButton << QStringLiteral("冲裁力计算");
    QTest::newRow("drawing") << ui::kMenuDrawingButton << QStringLiteral("拉伸力计算");
    QTest::newRow("close") << ui::kMenuCloseButton << QStringLiteral("关闭");
}

void TestAccessible::menuButtonsAreNamedByTheirPictures() {
    QFETCH(platform::ControlName, button);
    QFETCH(QString, name);
    Harness h(*environment_);
    h.project.Start();
    QAccessibleInterface* iface = Accessible(h.project.Form4.Control(button));
    QCOMPARE(iface->role(), QAccessible::Button);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QVERIFY(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
}

void TestAccessible::picturesAreDescribed_data() {
    QTest::addColumn<const platform::Window*>("window");
    QTest::addColumn<platform::ControlName>(
        "object"); // null: the window itself, whose background is the picture
    QTest::addColumn<QAccessible::Role>("role");
    const platform::ControlName background{nullptr};
    QTest::newRow("blanking picture")
        << &ui::BlankingCalculator().layout << ui::kPicture << QAccessible::Graphic;
    QTest::newRow("drawing picture") << &ui::DrawingCalculator().layout << ui::kPicture
                                     << QAccessible::Graphic;
    QTest::newRow("bending picture") << &ui::BendingCalculator().layout << ui::kPicture
                                     << QAccessible::Graphic;
    QTest::newRow("menu banner") << &ui::MenuLayout() << background << QAccessible::Window;
    QTest::newRow("material sheet") << &ui::MaterialLayout() << background << QAccessible::Window;
}

void TestAccessible::picturesAreDescribed() {
    QFETCH(const platform::Window*, window);
    QFETCH(platform::ControlName, object);
    QFETCH(QAccessible::Role, role);
    Harness h(*environment_);
    platform::Form& form = h.Form(*window);
    h.runtime.Show(form);
    QWidget* w = object.name ? form.Control(object) : form.window();
    QAccessibleInterface* iface = Accessible(w);
    QCOMPARE(iface->role(), role);
    const QString description = iface->text(QAccessible::Description);
    QVERIFY2(description.size() > 10, qPrintable(description));
}

// A window is named by its caption, for every window of the program.
void TestAccessible::windowsAreWindows() {
    Harness h(*environment_);
    for (const platform::Window* layout : ui::Arrangement()) {
        platform::Form& form = h.Form(*layout);
        h.runtime.Show(form);
        QAccessibleInterface* iface = Accessible(form.window());
        QCOMPARE(iface->role(), QAccessible::Window);
        QCOMPARE(iface->text(QAccessible::Name), QString::fromUtf8(form.layout().caption));
    }
}

// The link label's press action runs its click procedure, from the event loop.
void TestAccessible::linkLabelIsPressable() {
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(calc::Formula::Drawing);
    QAccessibleInterface* iface = Accessible(form.Control(ui::kWebLink));
    QCOMPARE(iface->role(), QAccessible::Link);
    QVERIFY(iface->state().linked);
    QCOMPARE(iface->text(QAccessible::Name), QString::fromUtf8(ui::kLinkCaption.data()));
    QAccessibleActionInterface* action = iface->actionInterface();
    QVERIFY(action);
    QVERIFY(action->actionNames().contains(QAccessibleActionInterface::pressAction()));
    action->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(h.opened.isEmpty());
    QTRY_COMPARE(h.opened.size(), 1);
    QCOMPARE(h.opened.first().host(), QString::fromUtf8(ui::kMakerHost.data(), ui::kMakerHost.size()));
}

// Captions and units have no procedure: text to be read, nothing to press.
void TestAccessible::plainLabelsAreText() {
    Harness h(*environment_);
    platform::Form& form = h.OpenCalculator(calc::Formula::Bending);
    for (platform::ControlName name : {ui::kFirstCaption, ui::kResultCaption}) {
        QAccessibleInterface* iface = Accessible(form.Control(name));
        QCOMPARE(iface->role(), QAccessible::StaticText);
        QCOMPARE(iface->text(QAccessible::Name), qobject_cast<QLabel*>(form.Control(name))->text());
        QVERIFY(!iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    }
}

// Every cell of the sheet and its note reach a screen reader, each material on
// its own line with its two strengths in column order.
void TestAccessible::materialSheetExposesItsTable() {
    Harness h(*environment_);
    platform::Form& form = h.Form(ui::MaterialLayout());
    h.runtime.Show(form);
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
