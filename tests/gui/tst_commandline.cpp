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
    QTest::addColumn<QString>("out"); // the first two lines of standard output
    QTest::addColumn<QString>("err"); // the first two lines of standard error

    const QString usage = QStringLiteral("Usage: pressforce [OPTION]...\n用法：pressforce [选项]...");
    const QString version = QStringLiteral("pressforce " PF_VERSION "\nCopyright (C) 2026 Tamberlo");
    const QString usageError = QStringLiteral("pressforce: %1\nUsage: pressforce [OPTION]...");
    const QString noDisplay =
        QStringLiteral("pressforce: 无法打开显示（平台 %1），请设置 %2 或用 QT_QPA_PLATFORM "
                       "选择平台 / cannot open a display (platform %1): set %2, or "
                       "choose a platform with QT_QPA_PLATFORM");
    QTest::newRow("--help") << QStringList{"--help"} << QStringList() << 0 << usage << QString();
    QTest::newRow("-h") << QStringList{"-h"} << QStringList() << 0 << usage << QString();
    QTest::newRow("--version") << QStringList{"--version"} << QStringList() << 0 << version << QString();
    QTest::newRow("Qt's options beside --version")
        << QStringList{"-style", "fusion", "-reverse", "--platform", "xcb", "--version"} << QStringList() << 0
        << version << QString();
    QTest::newRow("unknown option") << QStringList{"--bogus"} << QStringList() << 2 << QString()
                                    << usageError.arg("Unknown option 'bogus'.");
    QTest::newRow("option without its value") << QStringList{"-style"} << QStringList() << 2 << QString()
                                              << usageError.arg("Missing value after '-style'.");
    QTest::newRow("argument") << QStringList{"file.txt"} << QStringList() << 2 << QString()
                              << usageError.arg("unexpected argument 'file.txt'.");
    QTest::newRow("no display") << QStringList() << QStringList() << 1 << QString()
                                << noDisplay.arg("xcb", "DISPLAY");
    // Any other cause is Qt's to tell, not a missing display: here a plugin missing.
    const QString noPlugin = QStringLiteral("qt.qpa.plugin: Could not find the Qt platform plugin \"%1\" in "
                                            "\"\"\nThis application failed to start "
                                            "because no Qt platform plugin could be initialized. "
                                            "Reinstalling the application may fix this problem.");
    const bool wayland = !QDir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"))
                              .entryList({QStringLiteral("*wayland*")})
                              .isEmpty();
    QTest::newRow("no Wayland display")
        << QStringList() << QStringList{"QT_QPA_PLATFORM=wayland"} << 1 << QString()
        << (wayland ? noDisplay.arg("wayland", "WAYLAND_DISPLAY") : noPlugin.arg("wayland"));
    // Were -platform dropped, the program would run on QT_QPA_PLATFORM's offscreen.
    QTest::newRow("-platform reaches Qt")
        << QStringList{"-platform", "nosuch"} << QStringList{"QT_QPA_PLATFORM=offscreen"} << 1 << QString()
        << noPlugin.arg("nosuch");
}

void TestCommandLine::answers() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);

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
    QCOMPARE(firstLines(program.readAllStandardOutput()), out);
    QCOMPARE(firstLines(program.readAllStandardError()), err);
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
