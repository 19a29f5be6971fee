// The start-up floor: a bare Qt Widgets program that shows one empty window of
// the main menu's size at its place, reporting as the program does.
#include "bench/firstpaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    bench::ReportStartup(app);
    QWidget window;
    window.setGeometry(764, 99, 300, 159);
    window.show();
    return QApplication::exec();
}
