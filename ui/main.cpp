#include "platform/runtime.h"
#include "ui/environment.h"
#include "ui/project.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    ui::Environment environment(app);
    platform::Runtime runtime;
    environment.Configure(runtime);
    ui::Project project(runtime);
    project.Start();
    return QApplication::exec();
}
