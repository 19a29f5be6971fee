#include "ui/commandline.h"

#include <QApplication>
#include <QCommandLineParser>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace ui {

namespace {

const QString kProgram = QStringLiteral("pressforce");

// Fixed window positions and activation on request need X11; under Wayland
// the program runs through XWayland.
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
const QString kDefaultPlatform = QStringLiteral("xcb");
#else
const QString kDefaultPlatform;
#endif

// The toolkit's own options (QGuiApplication, QApplication and the X11
// platform), taken here so that they reach Qt: those with a value, then flags.
const QString kQtValueOptions =
    QStringLiteral("platform platformpluginpath platformtheme plugin qwindowgeometry "
                   "qwindowicon qwindowtitle session display geometry title icon name "
                   "visual style stylesheet qmljsdebugger");
const QString kQtFlags = QStringLiteral("reverse widgetcount nograb dograb sync testability");

QString HelpText() {
    return QStringLiteral(
               "Usage: pressforce [OPTION]...\n"
               "用法：pressforce [选项]...\n"
               "Computes the press force for blanking, drawing and bending sheet metal.\n"
               "计算冲裁力、拉伸力和折弯力。\n"
               "\n"
               "  -h, --help     show this help and exit / 显示本帮助并退出\n"
               "      --version  show the version and exit / 显示版本并退出\n"
               "\n"
               "Qt's own options, such as -platform and -style, are accepted.\n"
               "也接受 Qt 自身的选项，如 -platform 和 -style。\n"
               "The environment variable QT_QPA_PLATFORM chooses the display platform (default: %1).\n"
               "环境变量 QT_QPA_PLATFORM 选择显示平台（默认：%1）。\n")
        .arg(kDefaultPlatform.isEmpty() ? QStringLiteral("Qt's own") : kDefaultPlatform);
}

QString VersionText() {
    return QStringLiteral("pressforce " PF_VERSION "\n"
                          "Copyright (C) 2026 Tamberlo\n"
                          "License MIT <https://opensource.org/licenses/MIT>\n");
}

CommandLine UsageError(const QString& error) {
    CommandLine command;
    command.exitStatus = 2;
    command.standardError = kProgram + QStringLiteral(": ") + error + u'\n' + HelpText();
    return command;
}

// The messages Qt gives while it opens the display: held back, because if it
// fails its own report is several lines ending in an abort.
struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};
struct DisplayWatch {
    QString platform;
    QtMessageHandler previous = nullptr;
    std::vector<HeldMessage> held;
};
DisplayWatch* watch = nullptr;

// The platform plugin's own word that it found no display to connect to: X11's, Wayland's.
bool SaysNoDisplay(const HeldMessage& m) {
    return m.text.startsWith(QLatin1String("could not connect to display")) ||
           m.text.startsWith(QLatin1String("Failed to create wl_display"));
}

void Pass(QtMessageHandler handler, const HeldMessage& m) {
    const QMessageLogContext context(m.file.constData(), m.line, m.function.constData(),
                                     m.category.constData());
    handler(m.type, context, m.text);
}

// Qt could not start: one line when there is no display, otherwise Qt's own
// messages, which name the cause (a plugin missing or broken), without the abort.
void HoldOrExit(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    watch->held.push_back({type, context.file, context.function, context.category, context.line, text});
    if (type != QtFatalMsg)
        return;
    if (std::any_of(watch->held.begin(), watch->held.end(), SaysNoDisplay)) {
        std::fprintf(stderr, "%s\n", NoDisplayMessage(watch->platform).toLocal8Bit().constData());
    } else {
        for (const HeldMessage& m : watch->held)
            Pass(watch->previous, m);
    }
    std::_Exit(1);
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments, const QString& platformVariable) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions); // -platform, -style
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(version);
    for (const QString& name : kQtValueOptions.split(u' '))
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
    for (const QString& name : kQtFlags.split(u' '))
        parser.addOption(QCommandLineOption(name));

    if (!parser.parse(arguments))
        return UsageError(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return UsageError(
            QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()));

    CommandLine command;
    if (parser.isSet(help)) {
        command.standardOutput = HelpText();
    } else if (parser.isSet(version)) {
        command.standardOutput = VersionText();
    } else {
        command.run = true;
        const QString platformOption = parser.value(QStringLiteral("platform"));
        command.platformChosen = !platformOption.isEmpty() || !platformVariable.isEmpty();
        command.platform = !platformOption.isEmpty()     ? platformOption
                           : !platformVariable.isEmpty() ? platformVariable
                                                         : kDefaultPlatform;
    }
    return command;
}

int Answer(const CommandLine& command) {
    std::fputs(command.standardOutput.toLocal8Bit().constData(), stdout);
    std::fputs(command.standardError.toLocal8Bit().constData(), stderr);
    return command.exitStatus;
}

QtArguments::QtArguments(int argc, char** argv, const CommandLine& command)
    : platform_(command.platform.toLocal8Bit()), argv_(argv, argv + argc) {
    static char platformOption[] = "-platform";
    if (!command.platformChosen && !platform_.isEmpty()) {
        argv_.push_back(platformOption);
        argv_.push_back(platform_.data());
    }
    argc_ = static_cast<int>(argv_.size());
    argv_.push_back(nullptr);
}

std::unique_ptr<QApplication> OpenDisplay(QtArguments& arguments, const QString& platform) {
    // Before the display opens: X11 reads the window class from the name.
    QCoreApplication::setApplicationName(kProgram);
    QCoreApplication::setApplicationVersion(QStringLiteral(PF_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(PF_APP_ID));
    DisplayWatch current{platform, nullptr, {}};
    watch = &current;
    current.previous = qInstallMessageHandler(HoldOrExit);
    auto app = std::make_unique<QApplication>(arguments.argc(), arguments.argv());
    qInstallMessageHandler(current.previous);
    watch = nullptr;
    for (const HeldMessage& m : current.held)
        Pass(qt_message_output, m);
    return app;
}

QString NoDisplayMessage(const QString& platform) {
    const QString variable = platform.startsWith(QStringLiteral("wayland"))
                                 ? QStringLiteral("WAYLAND_DISPLAY")
                                 : QStringLiteral("DISPLAY");
    return QStringLiteral(
               "pressforce: 无法打开显示（平台 %1），请设置 %2 或用 QT_QPA_PLATFORM 选择平台 / "
               "cannot open a display (platform %1): set %2, or choose a platform with QT_QPA_PLATFORM")
        .arg(platform.isEmpty() ? QStringLiteral("?") : platform, variable);
}

} // namespace ui
