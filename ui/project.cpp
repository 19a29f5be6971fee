#include "ui/project.h"

#include "ui/calculator.h"
#include "ui/commandline.h"
#include "ui/environment.h"
#include "ui/program_windows.h"

#include <QApplication>
#include <QFontDatabase>
#include <QTimer>

#include <algorithm>

namespace ui {

int Main(int argc, char* argv[], const std::function<void(QApplication&)>& opened) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine command = ParseCommandLine(arguments, qEnvironmentVariable("QT_QPA_PLATFORM"));
    if (!command.run)
        return Answer(command); // --help, --version or a usage error: no display needed
    QtArguments qtArguments(argc, argv, command);
    const std::unique_ptr<QApplication> application = OpenDisplay(qtArguments, command.platform);
    if (opened)
        opened(*application);
    return Run(*application);
}

int Run(QApplication& app) {
    Environment environment(app);
    platform::Runtime runtime(
        Arrangement(), [&environment]() -> const platform::LoaderFonts& { return environment.Fonts(); });
    Project project(runtime);
    project.Start();
    // The menu shows no text: its first frame comes without fonts. While it
    // waits for a choice, Qt reads the desktop's font list, the slow part of
    // the first font use; the bundled faces are read when a window first needs them.
    constexpr int kFontListAfterMilliseconds = 150;
    const QObject whileRunning;
    QTimer::singleShot(kFontListAfterMilliseconds, &whileRunning, [] { (void)QFontDatabase::families(); });
    return QApplication::exec();
}

std::vector<const platform::Window*> Arrangement() {
    return {&BlankingCalculator().layout, &DrawingCalculator().layout, &BendingCalculator().layout,
            &MenuLayout(), &MaterialLayout()};
}

const Calculator* CalculatorOf(const platform::Window& layout) {
    for (const Calculator* calculator : {&BlankingCalculator(), &DrawingCalculator(), &BendingCalculator()})
        if (&calculator->layout == &layout)
            return calculator;
    return nullptr;
}

Project::Project(platform::Runtime& runtime) : runtime_(runtime) {}

std::size_t Project::Slot(const platform::Window& layout) const {
    const auto at = std::find(layouts_.begin(), layouts_.end(), &layout);
    if (at == layouts_.end())
        qFatal("no window %s", layout.name);
    return static_cast<std::size_t>(at - layouts_.begin());
}

platform::Form& Project::Form(const platform::Window& layout) {
    platform::Form*& instance = instances_[Slot(layout)];
    if (instance)
        return *instance;
    if (const Calculator* calculator = CalculatorOf(layout))
        instance = &runtime_.Adopt(std::make_unique<CalculatorForm>(*this, *calculator));
    else
        instance = &runtime_.Adopt(&layout == &MenuLayout() ? MakeMenuForm(*this) : MakeMaterialForm(*this));
    return *instance;
}

bool Project::IsCreated(const platform::Window& layout) const { return instances_[Slot(layout)] != nullptr; }

platform::Form& Project::Form1() { return Form(BlankingCalculator().layout); }
platform::Form& Project::Form2() { return Form(DrawingCalculator().layout); }
platform::Form& Project::Form3() { return Form(BendingCalculator().layout); }
platform::Form& Project::Form4() { return Form(MenuLayout()); }
platform::Form& Project::Form5() { return Form(MaterialLayout()); }

void Project::Start() { runtime_.Show(Form4()); }

} // namespace ui
