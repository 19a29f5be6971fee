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
    Project project(environment);
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

Project::Project(Environment& environment, platform::RuntimeHooks hooks)
    : runtime(
          Arrangement(), [&environment]() -> const platform::LoaderFonts& { return environment.Fonts(); },
          std::move(hooks)),
      Form1(*this, BlankingCalculator()), Form2(*this, DrawingCalculator()),
      Form3(*this, BendingCalculator()), Form4(*this), Form5(*this) {}

} // namespace ui
