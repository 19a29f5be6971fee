// A program instance for widget tests: the real windows on a runtime whose
// reports, end and browser launches are recorded instead of acted on.
#pragma once

#include "platform/form.h"
#include "platform/runtime.h"
#include "ui/environment.h"
#include "ui/program_windows.h"
#include "ui/project.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <optional>

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
    // Fails the call with this member on this object ("Form1", "Form1.Text3").
    std::optional<std::pair<platform::Member, QString>> failing;
    std::function<void()> onReport; // runs while a report is shown
    // The screen windows open on: large enough for every layout position.
    platform::ScreenArea screen{QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1080)};

    ui::Environment& environment;
    platform::Runtime runtime{
        ui::Arrangement(), [this]() -> const platform::LoaderFonts& { return environment.Fonts(); }, Hooks()};
    ui::Project project{runtime};

    explicit Harness(ui::Environment& e) : environment(e) {}
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
        return hooks;
    }

    platform::Form& Form(int n) {
        switch (n) {
        case 1: return project.Form1();
        case 2: return project.Form2();
        case 3: return project.Form3();
        case 4: return project.Form4();
        default: return project.Form5();
        }
    }

    // Starts on the menu and opens calculator n (1..3) with its menu button.
    platform::Form& OpenCalculator(int n) {
        project.Start();
        const platform::ControlName button = n == 1   ? ui::kMenuBlankingButton
                                             : n == 2 ? ui::kMenuDrawingButton
                                                      : ui::kMenuBendingButton;
        Click(project.Form4(), button.name);
        platform::Form& form = Form(n);
        if (form.window()) [[maybe_unused]]
            const bool active = QTest::qWaitForWindowActive(form.window());
        return form;
    }

    // Data rows "blanking", "drawing" and "bending": column "window", the calculator's form number.
    static void CalculatorRows() {
        QTest::addColumn<int>("window");
        QTest::newRow("blanking") << 1;
        QTest::newRow("drawing") << 2;
        QTest::newRow("bending") << 3;
    }

    static void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    static QLineEdit* Edit(platform::Form& form, const char* name) {
        return qobject_cast<QLineEdit*>(form.Control({name}));
    }

    static void Click(platform::Form& form, const char* name) {
        QWidget* w = form.Control({name});
        QVERIFY2(w, name);
        QTest::mouseClick(w, Qt::LeftButton);
        Flush();
    }

    static void Type(platform::Form& form, const char* name, const QString& text) {
        QLineEdit* e = Edit(form, name);
        QVERIFY2(e, name);
        e->setText(text);
    }

    // Texts for Text1..Text4 by name; Form1 has no Text4.
    static void Fill(platform::Form& form, const QStringList& texts) {
        const char* names[] = {"Text1", "Text2", "Text3", "Text4"};
        for (int i = 0; i < texts.size(); ++i)
            Type(form, names[i], texts[i]);
    }

    static QString Text(platform::Form& form, const char* name) {
        QLineEdit* e = Edit(form, name);
        return e ? e->text() : QStringLiteral("<no field>");
    }

    static QString FocusName() {
        QWidget* w = QApplication::focusWidget();
        return w ? w->objectName() : QString();
    }
};
