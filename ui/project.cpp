#include "ui/project.h"

#include "ui/calculator.h"
#include "ui/commandline.h"
#include "ui/environment.h"
#include "ui/program_windows.h"

#include <QApplication>
#include <QFontDatabase>
#include <QTimer>

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

Project::Project(platform::Runtime& runtime) : runtime_(runtime) {}

template <class Make> platform::Form& Project::Instance(int n, Make make) {
    platform::Form*& instance = instances_[static_cast<std::size_t>(n - 1)];
    if (!instance)
        instance = &runtime_.Adopt(make());
    return *instance;
}

platform::Form& Project::Form1() {
    return Instance(1, [this] { return std::make_unique<CalculatorForm>(*this, BlankingCalculator()); });
}

platform::Form& Project::Form2() {
    return Instance(2, [this] { return std::make_unique<CalculatorForm>(*this, DrawingCalculator()); });
}

platform::Form& Project::Form3() {
    return Instance(3, [this] { return std::make_unique<CalculatorForm>(*this, BendingCalculator()); });
}

platform::Form& Project::Form4() {
    return Instance(4, [this] { return MakeMenuForm(*this); });
}

platform::Form& Project::Form5() {
    return Instance(5, [this] { return MakeMaterialForm(*this); });
}

bool Project::IsCreated(int n) const {
    return n >= 1 && n <= 5 && instances_[static_cast<std::size_t>(n - 1)];
}

void Project::Start() { runtime_.Show(Form4()); }

} // namespace ui
