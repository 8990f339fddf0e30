// The tavrin4x-sim program end to end: TCP, the pseudo-terminal, the console.
//
// The program is found through the environment variable TAVRIN4X_SIM, or
// else beside the tests' build folder: <build>/tests/.. /simulator/tavrin4x-sim.

#include <QtTest>

#include <QProcess>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <random>

namespace {

constexpr int wait_ms = 10000; // generous: shared machines stall; nothing here measures speed

QString sim_path() {
    const QString env = qEnvironmentVariable("TAVRIN4X_SIM");
    if (!env.isEmpty()) return env;
    return QDir(QCoreApplication::applicationDirPath()).filePath("../simulator/tavrin4x-sim");
}

class Sim {
public:
    bool start(const QStringList& extra) {
        proc.setProgram(sim_path());
        proc.setArguments(QStringList{"--listen", "127.0.0.1:0", "--boot-ms", "200"} + extra);
        proc.setProcessChannelMode(QProcess::SeparateChannels);
        proc.start();
        if (!proc.waitForStarted(wait_ms)) return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < wait_ms) {
            while (proc.canReadLine()) {
                const QString line = QString::fromLocal8Bit(proc.readLine()).trimmed();
                static const QRegularExpression ready("^tavrin4x-sim: listening on 127\\.0\\.0\\.1:(\\d+)");
                const auto m = ready.match(line);
                if (m.hasMatch()) {
                    port = quint16(m.captured(1).toUInt());
                    return true;
                }
            }
            if (proc.state() != QProcess::Running) return false;
            proc.waitForReadyRead(100);
        }
        return false;
    }
    void console(const QByteArray& line) {
        proc.write(line + '\n');
        proc.waitForBytesWritten(wait_ms);
    }
    // Console output up to a line containing `needle`.
    bool console_says(const QString& needle) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < wait_ms) {
            while (proc.canReadLine())
                if (QString::fromLocal8Bit(proc.readLine()).contains(needle)) return true;
            proc.waitForReadyRead(50);
        }
        return false;
    }
    ~Sim() {
        if (proc.state() == QProcess::Running) {
            proc.terminate();
            if (!proc.waitForFinished(wait_ms)) proc.kill();
        }
    }
    QProcess proc;
    quint16 port = 0;
};

bool connect_to(QTcpSocket& s, quint16 port) {
    s.connectToHost(QHostAddress::LocalHost, port);
    return s.waitForConnected(wait_ms);
}

// Reads until `count` CRs have arrived (or the peer closed, or time ran out).
QByteArray read_replies(QIODevice& d, int count) {
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (got.count('\r') < count && t.elapsed() < wait_ms) {
        if (d.bytesAvailable() == 0 && !d.waitForReadyRead(100)) {
            if (auto* s = qobject_cast<QTcpSocket*>(&d); s && s->state() != QAbstractSocket::ConnectedState) break;
            continue;
        }
        got += d.readAll();
    }
    return got;
}

QByteArray exchange(QIODevice& d, const QByteArray& command) {
    d.write(command + '\r');
    return read_replies(d, 1);
}

// Everything until the peer closes.
QByteArray read_to_close(QTcpSocket& s) {
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (s.state() == QAbstractSocket::ConnectedState && t.elapsed() < wait_ms) {
        s.waitForReadyRead(100);
        got += s.readAll();
    }
    return got + s.readAll();
}

// A fresh link name per use: the serial library locks ports by name.
QString link_in(const QTemporaryDir& dir) {
    static int n = 0;
    return dir.filePath(QStringLiteral("tty-sim-%1-%2").arg(QCoreApplication::applicationPid()).arg(++n));
}

bool file_contains(const QString& path, const QByteArray& needle) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < wait_ms) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(needle)) return true;
        QTest::qWait(20);
    }
    return false;
}

} // namespace

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void help_and_bad_options();
    void tcp_exchange();
    void clients_share_the_device_not_their_replies();
    void console_changes_reach_every_client();
    void ext_ends_tcp_sessions();
    void restart_drops_clients_then_answers_again();
    void serial_link_survives_reopening();
    void same_seed_same_byte_stream();
    void survives_garbage_and_abrupt_clients();
    void keeps_running_without_stdin_and_stops_on_sigterm();
};

void TestProgram::initTestCase() {
    QVERIFY2(QFileInfo(sim_path()).isExecutable(),
             qPrintable("no simulator at " + sim_path() + "; build target tavrin4x-sim or set TAVRIN4X_SIM"));
}

void TestProgram::help_and_bad_options() {
    QProcess p;
    p.start(sim_path(), {"--help"});
    QVERIFY(p.waitForFinished(wait_ms));
    QCOMPARE(p.exitCode(), 0);
    const QByteArray help = p.readAllStandardOutput();
    for (const char* option : {"--listen", "--serial", "--boot-ms", "--seed", "--drop", "--baud"})
        QVERIFY2(help.contains(option), option);

    for (const QStringList& bad : {QStringList{"--drop", "1.5"}, QStringList{"--listen", "::1"},
                                   QStringList{"--latency-ms", "x"}}) {
        p.start(sim_path(), bad);
        QVERIFY(p.waitForFinished(wait_ms));
        QCOMPARE(p.exitCode(), 2);
    }
}

void TestProgram::tcp_exchange() {
    Sim sim;
    QVERIFY(sim.start({"--quiet"}));
    QTcpSocket s;
    QVERIFY(connect_to(s, sim.port));
    QCOMPARE(exchange(s, "MOD005"), QByteArray("MOD005\r"));
    QCOMPARE(exchange(s, "BRI250"), QByteArray("BRI250\r"));
    QCOMPARE(exchange(s, "BRI992"), QByteArray("BRI250\r"));
    QCOMPARE(exchange(s, "EIP999"), QByteArray("192.168.001.100\r"));
    // A label set ends in two CRs and gets one answer.
    s.write("LAI2Deck\r\r");
    QCOMPARE(read_replies(s, 1), QByteArray("LAI2Deck        \r"));
    QCOMPARE(exchange(s, "XYZ001"), QByteArray("ERR001\r"));
}

void TestProgram::clients_share_the_device_not_their_replies() {
    Sim sim;
    QVERIFY(sim.start({"--quiet"}));
    QTcpSocket a, b;
    QVERIFY(connect_to(a, sim.port));
    QVERIFY(connect_to(b, sim.port));
    // Interleaved half lines: each client has its own line buffer.
    a.write("MOD");
    QVERIFY(a.waitForBytesWritten(wait_ms));
    b.write("OUT00");
    QVERIFY(b.waitForBytesWritten(wait_ms));
    a.write("003\r");
    QCOMPARE(read_replies(a, 1), QByteArray("MOD003\r"));
    b.write("1\r");
    // b sees only its own answer, never a's.
    QCOMPARE(read_replies(b, 1), QByteArray("OUT001\r"));
    QCOMPARE(exchange(b, "MOD999"), QByteArray("MOD003\r"));
    QCOMPARE(a.bytesAvailable(), 0);
}

void TestProgram::console_changes_reach_every_client() {
    QTemporaryDir dir;
    const QString link = link_in(dir);
    Sim sim;
    QVERIFY(sim.start({"--quiet", "--serial", link}));
    QTcpSocket a, b;
    QVERIFY(connect_to(a, sim.port));
    QVERIFY(connect_to(b, sim.port));
    QSerialPort serial(link);
    QVERIFY(serial.open(QIODevice::ReadWrite));
    sim.console("set mode 5");
    QCOMPARE(read_replies(a, 1), QByteArray("MOD005\r"));
    QCOMPARE(read_replies(b, 1), QByteArray("MOD005\r"));
    QCOMPARE(read_replies(serial, 1), QByteArray("MOD005\r"));
    sim.console("mute");
    QCOMPARE(read_replies(a, 1), QByteArray("AUD000\r"));
    QCOMPARE(exchange(b, "AUD999"), QByteArray("AUD000\r"));
    // Refused front-panel changes reach nobody.
    sim.console("set mode 9");
    QVERIFY(sim.console_says("refused"));
    QCOMPARE(exchange(a, "MOD999"), QByteArray("MOD005\r"));
    sim.console("state");
    QVERIFY(sim.console_says("mode 5 (Quad)"));
}

void TestProgram::ext_ends_tcp_sessions() {
    Sim sim;
    QVERIFY(sim.start({"--quiet"}));
    QTcpSocket a, b;
    QVERIFY(connect_to(a, sim.port));
    QVERIFY(connect_to(b, sim.port));
    QCOMPARE(exchange(a, "PWR999"), QByteArray("PWR001\r"));
    sim.console("ext");
    QCOMPARE(read_to_close(a), QByteArray("EXT000\r"));
    QCOMPARE(read_to_close(b), QByteArray("EXT000\r"));
    // The device itself goes on: a new client is served.
    QTcpSocket c;
    QVERIFY(connect_to(c, sim.port));
    QCOMPARE(exchange(c, "PWR999"), QByteArray("PWR001\r"));
}

void TestProgram::restart_drops_clients_then_answers_again() {
    Sim sim;
    QVERIFY(sim.start({"--quiet", "--restart-drop-ms", "0"}));
    QTcpSocket s;
    QVERIFY(connect_to(s, sim.port));
    QCOMPARE(exchange(s, "MOD004"), QByteArray("MOD004\r"));
    s.write("PWR001\r");
    QCOMPARE(read_to_close(s), QByteArray("PWR001\rEXT000\r"));
    // Poll until the boot is over; the device then answers with its settings kept.
    QByteArray answer;
    QElapsedTimer t;
    t.start();
    while (answer.isEmpty() && t.elapsed() < wait_ms) {
        QTcpSocket again;
        QVERIFY(connect_to(again, sim.port));
        again.write("MOD999\r");
        again.waitForReadyRead(300);
        answer = again.readAll();
    }
    QCOMPARE(answer, QByteArray("MOD004\r"));
}

void TestProgram::serial_link_survives_reopening() {
    QTemporaryDir dir;
    const QString link = link_in(dir);
    Sim sim;
    QVERIFY(sim.start({"--quiet", "--serial", link}));
    QVERIFY(QFileInfo(link).isSymLink());
    for (int round = 0; round < 3; ++round) {
        QSerialPort port(link);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        port.setBaudRate(115200);
        QCOMPARE(exchange(port, "INP999"), QByteArray("INP001\r"));
        QCOMPARE(exchange(port, "LAI991"), QByteArray("LAI1Input 1     \r"));
        port.close();
    }
}

// The seed decides every fault: two runs give the same bytes, byte for byte.
void TestProgram::same_seed_same_byte_stream() {
    QByteArray streams[2];
    QByteArray commands;
    for (int i = 0; i < 60; ++i) commands += "BRI0" + QByteArray::number(10 + i % 90) + '\r';
    for (QByteArray& stream : streams) {
        QTemporaryDir dir;
        const QString log = dir.filePath("traffic.log");
        Sim sim;
        QVERIFY(sim.start({"--log", log, "--seed", "7", "--split", "0.5", "--split-gap-ms", "1", "--garbage",
                           "0.3", "--no-cr", "0.3", "--drop", "0.1", "--jitter-ms", "2"}));
        QTcpSocket s;
        QVERIFY(connect_to(s, sim.port));
        s.write(commands + "VR2999\r");
        QVERIFY(file_contains(log, "> \"VR2999\""));
        sim.console("ext"); // EXT000 follows everything already queued
        stream = read_to_close(s);
        QVERIFY(stream.endsWith("EXT000\r"));
    }
    QCOMPARE(streams[0], streams[1]);
    QVERIFY(streams[0] != commands + "VR2A01\rEXT000\r"); // faults did happen
}

void TestProgram::survives_garbage_and_abrupt_clients() {
    Sim sim;
    QVERIFY(sim.start({"--quiet", "--split", "1", "--split-gap-ms", "30"}));
    std::mt19937 rng(99);
    {
        QTcpSocket s;
        QVERIFY(connect_to(s, sim.port));
        for (int i = 0; i < 300; ++i) {
            QByteArray junk(std::uniform_int_distribution<int>(1, 600)(rng), '\0');
            for (char& c : junk) c = char(std::uniform_int_distribution<int>(0, 255)(rng));
            junk.replace("PWR001", "PWR999").replace("RST001", "RST999"); // no restarts here
            s.write(junk);
        }
        QVERIFY(s.waitForBytesWritten(wait_ms));
        s.abort(); // gone while replies are still being sent in pieces
    }
    for (int i = 0; i < 5; ++i) {
        QTcpSocket s;
        QVERIFY(connect_to(s, sim.port));
        s.write("MOD999\r");
        QVERIFY(s.waitForReadyRead(wait_ms)); // first piece of the reply is out
        s.abort();
    }
    QTcpSocket s;
    QVERIFY(connect_to(s, sim.port));
    QCOMPARE(exchange(s, "VER999"), QByteArray("VER300\r"));
    QCOMPARE(sim.proc.state(), QProcess::Running);
}

void TestProgram::keeps_running_without_stdin_and_stops_on_sigterm() {
    QTemporaryDir dir;
    const QString link = link_in(dir);
    Sim sim;
    QVERIFY(sim.start({"--quiet", "--serial", link}));
    sim.proc.closeWriteChannel();
    QTcpSocket s;
    QVERIFY(connect_to(s, sim.port));
    QCOMPARE(exchange(s, "PWR999"), QByteArray("PWR001\r"));
    sim.proc.terminate();
    QCOMPARE(read_to_close(s), QByteArray("EXT000\r"));
    QVERIFY(sim.proc.waitForFinished(wait_ms));
    QCOMPARE(sim.proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.proc.exitCode(), 0);
    QVERIFY(!QFileInfo(link).exists() && !QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(TestProgram)
#include "program.moc"
