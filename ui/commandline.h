// The program's command line: --help and --version answered without a
// display, the toolkit's own options passed on to it, anything else refused;
// the display platform, X11 unless the user chose one; and one clear line
// instead of an abort when no display can be opened.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QApplication;

namespace ui {

// What the command line asks for.
struct CommandLine {
    bool run = false;       // start the program; otherwise print and exit with exitStatus
    int exitStatus = 0;     // 0 after --help or --version, 2 after a usage error
    QString standardOutput; // texts to print before exiting
    QString standardError;
    QString platform;            // the display platform Qt is asked for (empty: Qt's own choice)
    bool platformChosen = false; // by -platform or QT_QPA_PLATFORM; else main passes `platform` on
};

// ARGUMENTS starts with the program's name; PLATFORM_VARIABLE is the value of
// QT_QPA_PLATFORM.
CommandLine ParseCommandLine(const QStringList& arguments, const QString& platformVariable);

// Prints the texts of a command line that does not run the program and returns its exit status.
int Answer(const CommandLine& command);

// The arguments Qt starts with: the program's own, plus "-platform NAME" when
// the user chose no platform. QApplication keeps references to them.
class QtArguments {
public:
    QtArguments(int argc, char** argv, const CommandLine& command);
    int& argc() { return argc_; }
    char** argv() { return argv_.data(); }

private:
    QByteArray platform_;
    std::vector<char*> argv_;
    int argc_ = 0;
};

// Creates the application on its display platform and names its desktop
// entry. If no display can be opened, prints NoDisplayMessage and ends the
// process with status 1; if Qt cannot start for another reason, prints Qt's
// messages, which say why, and ends the same way, without an abort.
std::unique_ptr<QApplication> OpenDisplay(QtArguments& arguments, const QString& platform);

// The one line, in Chinese and English, that says no display could be opened.
QString NoDisplayMessage(const QString& platform);

} // namespace ui
