#include "platform/runtime.h"
#include "ui/commandline.h"
#include "ui/environment.h"
#include "ui/project.h"

#include <QApplication>

#ifdef PF_QUIT_AFTER_FIRST_PAINT
#include "bench/firstpaint.h"
#endif

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const ui::CommandLine command = ui::ParseCommandLine(arguments, qEnvironmentVariable("QT_QPA_PLATFORM"));
    if (!command.run)
        return ui::Answer(command); // --help, --version or a usage error: no display needed
    ui::QtArguments qtArguments(argc, argv, command);
    const std::unique_ptr<QApplication> application = ui::OpenDisplay(qtArguments, command.platform);
    QApplication& app = *application;
#ifdef PF_QUIT_AFTER_FIRST_PAINT
    bench::QuitAfterFirstPaint(app); // start-up benchmark build
#endif
    ui::Environment environment(app);
    platform::Runtime runtime;
    environment.Configure(runtime);
    ui::Project project(runtime);
    project.Start();
    return QApplication::exec();
}
