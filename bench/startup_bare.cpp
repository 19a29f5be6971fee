// The start-up floor: a bare Qt Widgets program that shows one empty window of
// the main menu's size at its place, reporting as the program does.
#include "bench/firstpaint.h"
#include "platform/placement.h"
#include "ui/program_windows.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    bench::ReportStartup(app);
    QWidget window;
    window.setGeometry(platform::LayoutRect(ui::MenuLayout(), {}));
    window.show();
    return QApplication::exec();
}
