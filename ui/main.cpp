#include "ui/commandline.h"
#include "ui/project.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const ui::CommandLine command = ui::ParseCommandLine(arguments, qEnvironmentVariable("QT_QPA_PLATFORM"));
    if (!command.run)
        return ui::Answer(command); // --help, --version or a usage error: no display needed
    ui::QtArguments qtArguments(argc, argv, command);
    const std::unique_ptr<QApplication> application = ui::OpenDisplay(qtArguments, command.platform);
    return ui::Run(*application);
}
