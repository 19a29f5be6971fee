#include "platform/runtime.h"
#include "ui/environment.h"
#include "ui/project.h"

#include <QApplication>

#ifdef PF_QUIT_AFTER_FIRST_PAINT
#include "bench/firstpaint.h"
#endif

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
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
