// The program's command line: the real program as a script or a terminal
// meets it, without a display; and the platform it asks Qt for.
#include "ui/commandline.h"

#include <QDir>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void platform_data();
    void platform();
};

void TestCommandLine::answers_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment"); // added to an environment without a display
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said"); // the first two lines, on standard output for status 0, else error
    const auto row = [](const char* name, const QStringList& arguments, int status, const QString& said,
                        const QStringList& environment = {}) {
        QTest::newRow(name) << arguments << environment << status << said;
    };
    const QString usage = QStringLiteral("Usage: pressforce [OPTION]...\n用法：pressforce [选项]...");
    const QString version = QStringLiteral("pressforce " PF_VERSION "\nCopyright (C) 2026 Tamberlo");
    const QString usageError = QStringLiteral("pressforce: %1\nUsage: pressforce [OPTION]...");
    const QString noDisplay =
        QStringLiteral("pressforce: 无法打开显示（平台 %1），请设置 %2 或用 QT_QPA_PLATFORM "
                       "选择平台 / cannot open a display (platform %1): set %2, or "
                       "choose a platform with QT_QPA_PLATFORM");
    row("--help", {"--help"}, 0, usage);
    row("-h", {"-h"}, 0, usage);
    row("--version", {"--version"}, 0, version);
    row("Qt's options beside --version", {"-style", "fusion", "-reverse", "--platform", "xcb", "--version"},
        0, version);
    row("unknown option", {"--bogus"}, 2, usageError.arg("Unknown option 'bogus'."));
    row("option without its value", {"-style"}, 2, usageError.arg("Missing value after '-style'."));
    row("argument", {"file.txt"}, 2, usageError.arg("unexpected argument 'file.txt'."));
    row("no display", {}, 1, noDisplay.arg("xcb", "DISPLAY"));
    // Any other cause is Qt's to tell, not a missing display: here a plugin missing.
    const QString noPlugin = QStringLiteral("qt.qpa.plugin: Could not find the Qt platform plugin \"%1\" in "
                                            "\"\"\nThis application failed to start "
                                            "because no Qt platform plugin could be initialized. "
                                            "Reinstalling the application may fix this problem.");
    const bool wayland = !QDir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"))
                              .entryList({QStringLiteral("*wayland*")})
                              .isEmpty();
    row("no Wayland display", {}, 1,
        wayland ? noDisplay.arg("wayland", "WAYLAND_DISPLAY") : noPlugin.arg("wayland"),
        {"QT_QPA_PLATFORM=wayland"});
    // Were -platform dropped, the program would run on QT_QPA_PLATFORM's offscreen.
    row("-platform reaches Qt", {"-platform", "nosuch"}, 1, noPlugin.arg("nosuch"),
        {"QT_QPA_PLATFORM=offscreen"});
}

void TestCommandLine::answers() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(int, status);
    QFETCH(QString, said);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    const QTemporaryDir runtime; // no compositor's socket either
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    for (const QString& assignment : environment)
        env.insert(assignment.section(u'=', 0, 0), assignment.section(u'=', 1));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(PF_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit); // no abort
    QCOMPARE(program.exitCode(), status);
    const auto firstLines = [](const QByteArray& text) {
        return QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts).mid(0, 2).join(u'\n');
    };
    QCOMPARE(firstLines(program.readAllStandardOutput()), status == 0 ? said : QString());
    QCOMPARE(firstLines(program.readAllStandardError()), status == 0 ? QString() : said);
}

void TestCommandLine::platform_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("platformVariable");
    QTest::addColumn<QStringList>("added"); // to the arguments Qt starts with

    const QStringList x11{"-platform", "xcb"}; // XWayland under a Wayland session
    QTest::newRow("none chosen") << QStringList() << QString() << x11;
    QTest::newRow("none chosen, Qt options") << QStringList{"-style", "fusion"} << QString() << x11;
    QTest::newRow("QT_QPA_PLATFORM") << QStringList() << "wayland" << QStringList();
    QTest::newRow("-platform") << QStringList{"-platform", "wayland"} << QString() << QStringList();
    QTest::newRow("--platform over QT_QPA_PLATFORM")
        << QStringList{"--platform", "wayland"} << "xcb" << QStringList();
}

void TestCommandLine::platform() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, platformVariable);
    QFETCH(QStringList, added);

    arguments.prepend(QStringLiteral("pressforce"));
    const ui::CommandLine command = ui::ParseCommandLine(arguments, platformVariable);
    QVERIFY(command.run);
    std::vector<QByteArray> bytes;
    std::vector<char*> argv;
    for (const QString& a : arguments)
        bytes.push_back(a.toLocal8Bit());
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    ui::QtArguments qt(int(argv.size()), argv.data(), command);
    QStringList seen;
    for (int i = 0; i < qt.argc(); ++i)
        seen.append(QString::fromLocal8Bit(qt.argv()[i]));
    QCOMPARE(qt.argv()[qt.argc()], nullptr);
    QCOMPARE(seen, arguments + added);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
