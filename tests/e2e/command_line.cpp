// The programs' command lines, run as an operator would: --help and --version
// answer even without a display, a wrong option is refused, and a traffic log
// that cannot be written stops the panel before it starts.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>

class CommandLineE2E : public QObject {
    Q_OBJECT
private slots:
    void answers() {
        QTemporaryDir dir;
        const QString unwritable = dir.filePath(QStringLiteral("no/such/folder/traffic.log"));
        const struct { const char* exe; QStringList args; bool display; int code; QString out_has, err_has; } rows[] = {
            {PANEL_EXE, {"--help"}, false, 0, "--traffic-log <file>", ""},
            {PANEL_EXE, {"--help-all"}, false, 0, "--traffic-log <file>", ""},
            {PANEL_EXE, {"--version"}, false, 0, "tavrin4x 3.0\n", ""},
            {PANEL_EXE, {"--bogus"}, true, 2, "", "Unknown option 'bogus'"},
            {PANEL_EXE, {"--traffic-log", unwritable}, true, 2, "", "cannot open the traffic log " + unwritable},
            {SIM_EXE, {"--version"}, false, 0, "tavrin4x-sim 3.0\n", ""},
        };
        for (const auto& row : rows) {
            if (QString(row.exe).isEmpty()) continue;  // no simulator built
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
            if (row.display) env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            p.setProcessEnvironment(env);
            p.start(QLatin1String(row.exe), row.args);
            QVERIFY(p.waitForFinished(30000));
            const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
            const QString err = QString::fromLocal8Bit(p.readAllStandardError());
            const QString what = row.args.join(' ') + " -> " + out + " | " + err;
            QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == row.code, qPrintable(what));
            QVERIFY2(out.contains(row.out_has) && err.contains(row.err_has), qPrintable(what));
        }
    }
};

QTEST_MAIN(CommandLineE2E)
#include "command_line.moc"
