// The program as a user starts it, from its command line, reporting its first
// frame and its settled memory (see firstpaint.h).
#include "bench/firstpaint.h"
#include "ui/project.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    return ui::Main(argc, argv, [](QApplication& app) { bench::ReportStartup(app); });
}
