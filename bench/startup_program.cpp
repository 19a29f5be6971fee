// The program as it starts for a user, reporting its first frame and its
// settled memory (see firstpaint.h).
#include "bench/firstpaint.h"
#include "ui/project.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    bench::ReportStartup(app);
    return ui::Run(app);
}
