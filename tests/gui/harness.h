// A program instance for widget tests: the real windows on a runtime whose
// reports, end and browser launches are recorded instead of acted on.
#pragma once

#include "platform/runtime.h"
#include "ui/environment.h"
#include "ui/program_windows.h"
#include "ui/project.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <array>
#include <memory>
#include <optional>
#include <vector>

// The base of the widget test classes: the program's environment (style,
// fonts, locale), set up once for the test executable as the program sets it up.
class GuiTest : public QObject {
protected:
    GuiTest() : environment_(std::make_unique<ui::Environment>(*qApp)) {}
    std::unique_ptr<ui::Environment> environment_;
};

struct Harness {
    QStringList reports;
    std::optional<int> exitCode;
    QList<QUrl> opened;
    bool browserWorks = true;
    // Fails the call with this member on this object (Object's names).
    std::optional<std::pair<platform::Member, QString>> failing;
    std::function<void()> onReport; // runs while a report is shown
    // The screen windows open on: large enough for every layout position.
    platform::ScreenArea screen{QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080)};
    // Where the pointer is: moved only by the test (Wine does not always move the real one).
    QPoint pointer{960, 540};

    ui::Project project;

    explicit Harness(ui::Environment& environment) : project(environment, Hooks()) {}
    ~Harness() { Flush(); }

    platform::RuntimeHooks Hooks() {
        platform::RuntimeHooks hooks;
        hooks.failCall = [this](platform::Member member, const QString& object) {
            return failing && failing->first == member && failing->second == object ? platform::kFailed
                                                                                    : platform::kOk;
        };
        hooks.report = [this](const QString& text) {
            reports << text;
            if (onReport)
                onReport();
        };
        hooks.endProgram = [this](int code) { exitCode = code; };
        hooks.openUrl = [this](const QUrl& url) {
            opened << url;
            return browserWorks;
        };
        hooks.screen = [this] { return screen; };
        hooks.pointer = [this] { return pointer; };
        return hooks;
    }

    // The window whose layout table this is: ui::MenuLayout(), ui::MaterialLayout() or a calculator's.
    std::array<platform::Form*, 5> Forms() {
        return {&project.Form1, &project.Form2, &project.Form3, &project.Form4, &project.Form5};
    }
    platform::Form& Form(const platform::Window& layout) {
        for (platform::Form* form : Forms())
            if (&form->layout() == &layout)
                return *form;
        qFatal("no window %s", layout.name);
    }
    int ShownCount() {
        const auto forms = Forms();
        return int(std::count_if(forms.begin(), forms.end(), [](platform::Form* f) { return f->IsShown(); }));
    }
    platform::Form& Form(calc::Formula formula) { return Form(Calculator(formula).layout); }
    // Shows the window whose layout table this is.
    platform::Form& Show(const platform::Window& layout) {
        project.runtime.Show(Form(layout));
        return Form(layout);
    }
    platform::Form& Show(calc::Formula formula) { return Show(Calculator(formula).layout); }

    // The calculator window of a formula, and the menu button that opens it.
    static const ui::Calculator& Calculator(calc::Formula formula) {
        return formula == calc::Formula::Blanking  ? ui::BlankingCalculator()
               : formula == calc::Formula::Drawing ? ui::DrawingCalculator()
                                                   : ui::BendingCalculator();
    }
    static platform::ControlName MenuButton(calc::Formula formula) {
        return formula == calc::Formula::Blanking  ? ui::kMenuBlankingButton
               : formula == calc::Formula::Drawing ? ui::kMenuDrawingButton
                                                   : ui::kMenuBendingButton;
    }

    // The calculator whose layout table this is; null for the menu and the sheet.
    static const ui::Calculator* CalculatorOf(const platform::Window& layout) {
        for (const ui::Calculator* c :
             {&ui::BlankingCalculator(), &ui::DrawingCalculator(), &ui::BendingCalculator()})
            if (&c->layout == &layout)
                return c;
        return nullptr;
    }

    // Starts on the menu and opens the calculator of a formula with its menu button.
    platform::Form& OpenCalculator(calc::Formula formula) {
        project.Start();
        Click(project.Form4, MenuButton(formula));
        platform::Form& form = Form(formula);
        if (form.window()) [[maybe_unused]]
            const bool active = QTest::qWaitForWindowActive(form.window());
        return form;
    }

    // Data rows "blanking", "drawing" and "bending": column "formula", the calculator's.
    static void CalculatorRows() {
        QTest::addColumn<calc::Formula>("formula");
        QTest::newRow("blanking") << calc::Formula::Blanking;
        QTest::newRow("drawing") << calc::Formula::Drawing;
        QTest::newRow("bending") << calc::Formula::Bending;
    }

    // The windows by their roles, with their client areas on a screen at the
    // origin: places in pixels worked out by hand from the tables' twips (15 to
    // the pixel at 96 dpi, rounded to nearest).
    struct WindowCase {
        const char* role;
        const platform::Window* layout;
        QRect rect;
    };
    static std::vector<WindowCase> Windows() {
        return {{"blanking", &ui::BlankingCalculator().layout, QRect(769, 99, 420, 380)},
                {"drawing", &ui::DrawingCalculator().layout, QRect(764, 99, 420, 390)},
                {"bending", &ui::BendingCalculator().layout, QRect(764, 95, 421, 390)},
                {"menu", &ui::MenuLayout(), QRect(764, 99, 300, 159)},
                {"sheet", &ui::MaterialLayout(), QRect(382, 97, 381, 371)}};
    }
    static QRect WindowRect(const platform::Window& layout) {
        for (const WindowCase& w : Windows())
            if (w.layout == &layout)
                return w.rect;
        return {};
    }

    // The windows' client areas and a few controls' places: columns "window",
    // "control" (a null name: the window's client area on the screen) and "rect".
    static void GeometryRows() {
        QTest::addColumn<const platform::Window*>("window");
        QTest::addColumn<platform::ControlName>("control");
        QTest::addColumn<QRect>("rect");
        const platform::Window *blanking = &ui::BlankingCalculator().layout, *menu = &ui::MenuLayout(),
                               *sheet = &ui::MaterialLayout();
        for (const WindowCase& w : Windows())
            QTest::addRow("%s window", w.role) << w.layout << platform::ControlName{nullptr} << w.rect;
        QTest::newRow("blanking L field") << blanking << ui::kFirstField << QRect(112, 24, 57, 27);
        QTest::newRow("blanking look-up button")
            << blanking << ui::kMaterialButton << QRect(16, 152, 153, 33);
        QTest::newRow("bending result field")
            << &ui::BendingCalculator().layout << ui::kResultField << QRect(184, 280, 105, 27);
        QTest::newRow("drawing picture")
            << &ui::DrawingCalculator().layout << ui::kPicture << QRect(208, 24, 197, 153);
        QTest::newRow("menu bending button, rounded")
            << menu << ui::kMenuBendingButton << QRect(8, 16, 81, 33);
        QTest::newRow("sheet close button") << sheet << ui::kSheetCloseButton << QRect(304, 336, 57, 25);
    }

    // Data rows named after the windows' roles: column "window", the layout table.
    static void WindowRows() {
        QTest::addColumn<const platform::Window*>("window");
        for (const WindowCase& w : Windows())
            QTest::newRow(w.role) << w.layout;
    }

    // A window or one of its controls as the runtime names it in a report: "Form1", "Form1.Text3".
    static QString Object(const platform::Window& layout, platform::ControlName control = {nullptr}) {
        const QString window = QString::fromLatin1(layout.name);
        return control.name ? window + QLatin1Char('.') + platform::ToString(control) : window;
    }

    static void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    static QLineEdit* Edit(platform::Form& form, platform::ControlName name) {
        return qobject_cast<QLineEdit*>(form.Control(name));
    }

    static void Click(platform::Form& form, platform::ControlName name) {
        QWidget* w = form.Control(name);
        QVERIFY2(w, name.name);
        QTest::mouseClick(w, Qt::LeftButton);
        Flush();
    }

    static void Type(platform::Form& form, platform::ControlName name, const QString& text) {
        QLineEdit* e = Edit(form, name);
        QVERIFY2(e, name.name);
        e->setText(text);
    }

    // The calculator's input fields in the formula's order.
    static std::vector<platform::ControlName> Inputs(calc::Formula formula) {
        std::vector<platform::ControlName> names;
        for (const char* name : Calculator(formula).inputs)
            names.push_back({name});
        return names;
    }

    // Texts for the input fields, in the formula's order.
    static void Fill(platform::Form& form, calc::Formula formula, const QStringList& texts) {
        const auto names = Inputs(formula);
        for (qsizetype i = 0; i < texts.size(); ++i)
            Type(form, names.at(std::size_t(i)), texts[i]);
    }

    static QString Text(platform::Form& form, platform::ControlName name) {
        QLineEdit* e = Edit(form, name);
        return e ? e->text() : QStringLiteral("<no field>");
    }

    static QString FocusName() {
        QWidget* w = QApplication::focusWidget();
        return w ? w->objectName() : QString();
    }
};
