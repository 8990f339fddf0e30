// The tavrin4x-sim program end to end, found through TAVRIN4X_SIM or else at
// <build>/tests/../simulator/tavrin4x-sim.

#include <QtTest>

#include <QSerialPort>
#include <QTcpSocket>

#include <functional>

namespace {

constexpr int wait_ms = 10000; // a bound for stalled machines; nothing here measures speed

QString sim_path() {
    const QString env = qEnvironmentVariable("TAVRIN4X_SIM");
    return env.isEmpty() ? QCoreApplication::applicationDirPath() + "/../simulator/tavrin4x-sim" : env;
}

// Reads while `more` says so, until the peer closes or the bound runs out.
QByteArray read_while(QIODevice& d, const std::function<bool(const QByteArray&)>& more, int ms = wait_ms) {
    QByteArray got = d.readAll();
    for (QDeadlineTimer bound(ms); more(got) && !bound.hasExpired(); got += d.readAll()) {
        auto* socket = qobject_cast<QAbstractSocket*>(&d);
        if (socket && socket->state() != QAbstractSocket::ConnectedState) break;
        d.waitForReadyRead(20);
    }
    return got + d.readAll();
}

// Writes a command, unless empty, and reads up to `count` replies (INT_MAX: until closed).
QByteArray ask(QIODevice& d, const QByteArray& command, int count = 1, int bound_ms = wait_ms) {
    if (!command.isEmpty()) d.write(command + '\r');
    return read_while(d, [count](const QByteArray& got) { return got.count('\r') < count; }, bound_ms);
}

struct Client : QTcpSocket {
    explicit Client(quint16 port) {
        connectToHost(QHostAddress::LocalHost, port);
        waitForConnected(wait_ms);
    }
};

} // namespace

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void end_to_end() {
        QProcess help;
        help.start(sim_path(), {"--help"});
        QVERIFY2(help.waitForFinished(wait_ms) && help.readAll().contains("--serial <path>"),
                 qPrintable("cannot run " + sim_path() + "; build tavrin4x-sim"));
        QTemporaryDir dir; // a link name of our own: the serial library locks ports by name
        const QString link = dir.filePath(QStringLiteral("tty-sim-%1").arg(QCoreApplication::applicationPid()));
        QProcess sim; // port 0 and the ready line keep parallel runs apart
        // Every reply leaves in pieces, so a client can vanish in the middle of one.
        sim.start(sim_path(), {"--listen", "127.0.0.1:0", "--quiet", "--serial", link, "--boot-ms", "200",
                               "--split", "1", "--split-gap-ms", "20"});
        const QString ready = read_while(sim, [](const QByteArray& out) { return !out.contains('\n'); });
        const auto listening = QRegularExpression("^tavrin4x-sim: listening on [^ ]+:(\\d+)").match(ready);
        const quint16 port = listening.captured(1).toUShort();
        QVERIFY2(port, qPrintable(ready));
        auto console = [&](const QByteArray& line, const QByteArray& answer) {
            sim.write(line + '\n');
            return read_while(sim, [&](const QByteArray& out) { return !out.contains(answer); }).contains(answer);
        };
        Client a(port), b(port);
        QSerialPort serial(link);
        QVERIFY2(serial.open(QIODevice::ReadWrite), qPrintable(serial.errorString()));
        // Interleaved half lines: each client has its own line buffer and its own replies.
        a.write("MOD");
        b.write("OUT00");
        QVERIFY(a.waitForBytesWritten(wait_ms) && b.waitForBytesWritten(wait_ms));
        QCOMPARE(ask(a, "004"), QByteArray("MOD004\r"));
        QCOMPARE(ask(b, "1"), QByteArray("OUT001\r"));
        QCOMPARE(ask(serial, "MOD999"), QByteArray("MOD004\r"));
        {
            Client junk(port); // random bytes of any kind, then gone mid-reply
            QByteArray bytes(200000, '\0');
            QRandomGenerator(99).fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
            junk.write(bytes.replace("PWR001", "PWR999").replace("RST001", "RST999")); // no restarts here
            QVERIFY(junk.waitForBytesWritten(wait_ms));
        }
        // Front-panel changes reach every client; refused ones reach nobody.
        QVERIFY(console("route 2 4", "INP004 -> INP004"));
        QCOMPARE(ask(a, "", 2) + ask(b, "", 2) + ask(serial, "", 2), QByteArray("OUT002\rINP004\r").repeated(3));
        QVERIFY(console("set mode 9", "refused"));
        QVERIFY(console("set mode 5", "MOD005 -> MOD005"));
        QVERIFY(console("state", "mode 5 (Quad), selected output 2"));
        QCOMPARE(ask(a, "") + ask(b, "") + ask(serial, ""), QByteArray("MOD005\r").repeated(3));
        // The panel may close and reopen the serial port at will.
        serial.close();
        QVERIFY(serial.open(QIODevice::ReadWrite));
        QCOMPARE(ask(serial, "LAI991"), QByteArray("LAI1Input 1     \r"));
        // EXT ends every TCP session; the device goes on.
        QVERIFY(console("ext", "ended 2 TCP session(s)"));
        QCOMPARE(ask(a, "", INT_MAX) + ask(b, "", INT_MAX), QByteArray("EXT000\rEXT000\r"));
        // A restart answers and drops the sessions; after booting it answers with its settings kept.
        Client c(port);
        QCOMPARE(ask(c, "PWR001", INT_MAX), QByteArray("PWR001\rEXT000\r"));
        auto d = std::make_unique<Client>(port);
        for (QDeadlineTimer bound(wait_ms); !bound.hasExpired() && !ask(*d, "MOD999", 1, 300).endsWith('\r');)
            d = std::make_unique<Client>(port);
        QCOMPARE(ask(*d, "MOD999"), QByteArray("MOD005\r"));
        // Without its console it keeps running; SIGTERM ends the sessions, removes the link and exits 0.
        sim.closeWriteChannel();
        QCOMPARE(ask(*d, "PWR999"), QByteArray("PWR001\r"));
        sim.terminate();
        QCOMPARE(ask(*d, "", INT_MAX), QByteArray("EXT000\r"));
        QVERIFY(sim.waitForFinished(wait_ms));
        QVERIFY(sim.exitStatus() == QProcess::NormalExit && sim.exitCode() == 0);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    // "faults off" lets a soak run check the device over a clean line, and
    // "faults on" brings the faults back, also for clients that connect later.
    void faults_switch() {
        QProcess sim;  // with its traffic log, which tells when a reply was dropped
        sim.start(sim_path(), {"--listen", "127.0.0.1:0", "--drop", "1"});
        const QString ready = read_while(sim, [](const QByteArray& out) { return !out.contains('\n'); });
        const quint16 port = QRegularExpression("listening on [^ ]+:(\\d+)").match(ready).captured(1).toUShort();
        QVERIFY2(port, qPrintable(ready));
        auto output = [&](const QByteArray& text, int times = 1) {
            return read_while(sim, [&](const QByteArray& out) { return out.count(text) < times; }).count(text) >= times;
        };
        auto console = [&](const QByteArray& line, const QByteArray& answer) {
            sim.write(line + '\n');
            return output(answer);
        };
        Client a(port);
        a.write("MOD999\r");  // dropped: never sent, so it cannot show up below
        QVERIFY(a.waitForBytesWritten(wait_ms) && output("fault: dropped"));
        QVERIFY(console("faults", "usage: faults on|off"));
        QVERIFY(console("faults off", "faults off"));
        QCOMPARE(ask(a, "OUT999"), QByteArray("OUT001\r"));
        QVERIFY(console("faults on", "faults on"));
        Client b(port);
        a.write("MOD999\r");
        b.write("MOD999\r");
        QVERIFY(a.waitForBytesWritten(wait_ms) && b.waitForBytesWritten(wait_ms) && output("fault: dropped", 2));
        sim.terminate();
        QVERIFY(sim.waitForFinished(wait_ms));
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "program.moc"
