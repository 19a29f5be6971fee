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

    // The windows by their roles, in the project's order (Form1 to Form5): a
    // calculator's formula and menu button, and the client areas on a screen at
    // the origin: places in pixels worked out by hand from the tables' twips (15
    // to the pixel at 96 dpi, rounded to nearest).
    struct WindowCase {
        const char* role;
        const platform::Window* layout;
        QRect rect;
        const ui::Calculator* calculator = nullptr; // null for the menu and the sheet
        platform::ControlName menuButton{nullptr};  // the menu's button that opens it
    };
    static const std::vector<WindowCase>& Windows() {
        static const std::vector<WindowCase> windows{
            {"blanking", &ui::BlankingCalculator().layout, QRect(769, 99, 420, 380),
             &ui::BlankingCalculator(), ui::kMenuBlankingButton},
            {"drawing", &ui::DrawingCalculator().layout, QRect(764, 99, 420, 390), &ui::DrawingCalculator(),
             ui::kMenuDrawingButton},
            {"bending", &ui::BendingCalculator().layout, QRect(764, 95, 421, 390), &ui::BendingCalculator(),
             ui::kMenuBendingButton},
            {"menu", &ui::MenuLayout(), QRect(764, 99, 300, 159)},
            {"sheet", &ui::MaterialLayout(), QRect(382, 97, 381, 371)}};
        return windows;
    }
    // The row of a window by its layout table, its role or its calculator's formula.
    template <class Key> static const WindowCase& Row(const Key& key) {
        for (const WindowCase& w : Windows())
            if (Is(w, key))
                return w;
        qFatal("no such window");
    }
    static bool Is(const WindowCase& w, const platform::Window& layout) { return w.layout == &layout; }
    static bool Is(const WindowCase& w, const QByteArray& role) { return role == w.role; }
    static bool Is(const WindowCase& w, calc::Formula f) {
        return w.calculator && w.calculator->formula == f;
    }

    // The project's window of a layout table, a role or a formula.
    template <class Key> platform::Form& Form(const Key& key) {
        const std::array<platform::Form*, 5> forms{&project.Form1, &project.Form2, &project.Form3,
                                                   &project.Form4, &project.Form5};
        return *forms.at(std::size_t(&Row(key) - Windows().data()));
    }
    int ShownCount() {
        return int(std::count_if(Windows().begin(), Windows().end(),
                                 [this](const WindowCase& w) { return Form(*w.layout).IsShown(); }));
    }
    // Shows the project's window of a layout table or a formula.
    template <class Key> platform::Form& Show(const Key& key) {
        project.runtime.Show(Form(key));
        return Form(key);
    }

    // Starts on the menu and opens the calculator of a formula with its menu button.
    platform::Form& OpenCalculator(calc::Formula formula) {
        project.Start();
        Click(project.Form4, Row(formula).menuButton);
        platform::Form& form = Form(formula);
        if (form.window()) [[maybe_unused]]
            const bool active = QTest::qWaitForWindowActive(form.window());
        return form;
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
        for (const char* name : Row(formula).calculator->inputs)
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
