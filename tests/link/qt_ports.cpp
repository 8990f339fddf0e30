// The production adapters on real endpoints (a pseudo-terminal behind a COMn
// entry, a local TCP server), and floods on the serial receive path: however
// long the backlog, the stack stays flat, other events keep running while it
// is worked off, and a normal exchange works afterwards.

#include "link/link.h"
#include "link/qt_ports.h"
#include "support/fake_env.h"

#include <QTcpServer>
#include <QtTest>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

using namespace tavrin;
using namespace tavrin::testing;

namespace {
// Counts the replies a handler got and how far apart on the stack it was
// called: a backlog worked off by recursion shows as a span that grows with
// the number of replies.
struct Seen {
    int count = 0;
    quintptr lo = ~quintptr(0), hi = 0;
    int posted_ran_at = -1;  // replies handled when an event posted at reply 100 ran
    void note() {
        const auto at = quintptr(__builtin_frame_address(0));
        lo = std::min(lo, at);
        hi = std::max(hi, at);
        if (++count == 100) QMetaObject::invokeMethod(qApp, [this] { posted_ran_at = count; }, Qt::QueuedConnection);
    }
    qint64 span() const { return count ? qint64(hi - lo) : 0; }
};
constexpr qint64 kFlatStack = 16 * 1024;

// The exchange on the production adapters and the real event loop and clock;
// messages are recorded, never shown. Handlers record what they are called for.
struct RealLink : QtPlatform {
    explicit RealLink(const QString& program_dir) : serial(program_dir) {
        link.register_handler(QStringLiteral("MOD"), [this] { mods << link.reply(); });
        serial.on_lost = [this](const QString& cause) { lost << cause; };
    }
    void message(const QString& text, MsgIcon) override { messages << text; }
    QStringList messages, mods, lost;
    PanelState st;
    QtSerialPort serial;
    QtTcpClient tcp;
    Link link{st, *this, serial, tcp};
};
// A pseudo-terminal pair: the device keeps the master, the panel opens the slave.
struct Pty {
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        termios raw{};  // as a device's line: no echo, no line editing, from the start
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 && fcntl(master, F_SETFL, O_NONBLOCK) == 0 &&
            tcgetattr(master, &raw) == 0 && (cfmakeraw(&raw), tcsetattr(master, TCSANOW, &raw)) == 0)
            slave = QString::fromLocal8Bit(ptsname(master));
    }
    ~Pty() { hang_up(); }
    void hang_up() {
        if (master >= 0) ::close(master), master = -1;
    }
    // All the panel wrote so far.
    const QByteArray& read() {
        char buf[256];
        got += QByteArray(buf, std::max<int>(0, int(::read(master, buf, sizeof buf))));
        return got;
    }
    // The device sends (a few bytes: the pseudo-terminal takes them at once).
    void write_all(const QByteArray& bytes) const {
        [[maybe_unused]] const ssize_t n = ::write(master, bytes.constData(), size_t(bytes.size()));
    }
    QByteArray got;
    int master = -1;
    QString slave;
};
// Counts descriptor wake-ups (socket-notifier activations) anywhere in the program.
struct WakeCounter : QObject {
    WakeCounter() { QCoreApplication::instance()->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override { return wakes += e->type() == QEvent::SockAct, false; }
    int wakes = 0;
};

}  // namespace

class QtPortsTest : public QObject {
    Q_OBJECT
private slots:
    void host_and_port() {
        const char* const rows[][2] = {
            {"192.168.1.10", "192.168.1.10 23"}, {"  dev.local:2323 ", "dev.local 2323"}, {"[::1]:4000", "::1 4000"},
            {" [fe80::1] ", "fe80::1 23"}, {"fe80::1", "fe80::1 23"}, {"host:0", "rejected"},
            // "Get IP" pads each octet with zeros; they are decimal all the same.
            {"192.168.010.020", "192.168.10.20 23"}, {" 010.000.001.009:2323", "10.0.1.9 2323"},
            {"010.1.2", "010.1.2 23"}, {"1.2.3.0400", "1.2.3.0400 23"}, {"[::ffff:010.1.2.3]:23", "::ffff:010.1.2.3 23"},
            {"host:65536", "rejected"}, {"host:-1", "rejected"}, {"host:", "rejected"}, {"[::1]x", "rejected"}};
        for (const auto& [text, want] : rows) {
            QString host;
            quint16 port = 0;
            const bool ok = parse_host_port(QLatin1String(text), &host, &port);
            QCOMPARE(QString(text) + " -> " + (ok ? host + ' ' + QString::number(port) : QStringLiteral("rejected")),
                     QString(text) + " -> " + want);
        }
    }

    void serial_over_a_pseudo_terminal_that_goes_and_comes_back() {
        QTemporaryDir dir;
        const QString com2 = dir.filePath(QStringLiteral("COM2"));
        auto dev = std::make_unique<Pty>();
        QVERIFY(!dev->slave.isEmpty() && QFile::link(dev->slave, com2));
        QCOMPARE(serial_device_for_port(2, dir.path()), com2);
        QCOMPARE(serial_device_for_port(3, dir.path()), QStringLiteral("/dev/ttyS2"));  // no entry COM3
        // A link to an unplugged adapter still means that adapter, never /dev/ttyS3.
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("COM4"))));
        QCOMPARE(serial_device_for_port(4, dir.path()), dir.filePath(QStringLiteral("COM4")));
        RealLink r(dir.path());
        dev->write_all("MOD005\r");  // sent before the port was opened: answers nothing we asked
        QVERIFY(r.serial.open(2));
        const QSerialPort& port = r.serial.port();  // 115200,N,8,1
        QCOMPARE(QList<int>({port.baudRate(), port.parity(), port.dataBits(), port.stopBits()}),
                 QList<int>({115200, 0, 8, 1}));
        r.link.serial_opened();
        r.link.set_tim_rx_enabled(true);
        r.link.tx_cmd_nowait(QStringLiteral("MOD999"));
        QTRY_COMPARE(dev->read(), QByteArray("MOD999\r"));
        dev->write_all("MOD002\r");
        QTRY_COMPARE(r.mods, QStringList{QStringLiteral("MOD002")});  // through "data ready" and the poll

        dev->hang_up();  // the port ends closed, the loss is told once with its cause
        for (int turn = 0; turn < 1000 && r.lost.isEmpty(); ++turn) QCoreApplication::processEvents();
        QVERIFY2(r.lost.size() == 1 && r.lost[0].contains(QLatin1String("hung up")), qPrintable(r.lost.join('|')));
        QVERIFY(!r.serial.is_open());
        WakeCounter counter;  // and nothing is left to wake the program
        for (int turn = 0; turn < 300; ++turn) QCoreApplication::processEvents();
        QCOMPARE(counter.wakes, 0);
        QCOMPARE(r.lost.size(), 1);

        dev = std::make_unique<Pty>();  // back, as a new pseudo-terminal under the same name
        QVERIFY(QFile::remove(com2) && QFile::link(dev->slave, com2) && r.serial.open(2));
        r.link.tx_cmd_nowait(QStringLiteral("MOD999"));
        QTRY_COMPARE(dev->read(), QByteArray("MOD999\r"));
        dev->hang_up();
        QTRY_COMPARE(r.lost.size(), 2);  // a second loss is told again
    }

    void serial_open_failures_say_why() {
        // Each way an open fails here, and the line the operator gets for it.
        QTemporaryDir dir;
        const auto com = [&](int n) { return dir.filePath(QStringLiteral("COM%1").arg(n)); };
        Pty held;
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("unplugged")), com(1)));  // a link to an adapter not there
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("COM2")) && QFile::link(held.slave, com(3)));
        int no_entry = 9;  // a port number without an entry and without /dev/ttyS<n-1>
        while (no_entry > 5 && QFileInfo::exists(QStringLiteral("/dev/ttyS%1").arg(no_entry - 1))) --no_entry;
        QVERIFY(no_entry > 5);
        QtSerialPort holder(dir.path());  // another program's Qt port holds COM3
        QVERIFY(holder.open(3));
        const struct { int n; QString said; } rows[] = {
            {1, QStringLiteral("No such port: %1 points at %2, which is not there.")
                    .arg(com(1), dir.filePath(QStringLiteral("unplugged")))},
            {no_entry, QStringLiteral("No such port: /dev/ttyS%1. A file COM%2 beside the program can point at "
                                      "the device, e.g. a link to /dev/serial/by-id/...").arg(no_entry - 1).arg(no_entry)},
            {2, QStringLiteral("Cannot open %1: Is a directory.").arg(com(2))},
            {3, QStringLiteral("Port busy: %1. Another program has it open.").arg(com(3))},
        };
        for (const auto& row : rows) {
            QtSerialPort port(dir.path());
            const QString said = port.open(row.n) ? QStringLiteral("opened") : port.open_failure();
            QCOMPARE(QStringLiteral("COM%1: ").arg(row.n) + said, QStringLiteral("COM%1: ").arg(row.n) + row.said);
        }
        holder.close();  // once the other side lets go, the port opens and says nothing
        QtSerialPort port(dir.path());
        QVERIFY(port.open(3) && port.open_failure().isEmpty());
    }

    void tcp_against_a_local_server() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        QtTcpClient tcp;
        bool connected = false;
        int errors = 0;
        tcp.on_connected = [&] { connected = true; };
        tcp.on_error = [&](const QString&) { ++errors; };
        tcp.connect_to(QStringLiteral("127.0.0.1"), server.serverPort());
        QTRY_VERIFY(connected && server.hasPendingConnections());
        QTcpSocket* peer = server.nextPendingConnection();
        QCOMPARE(tcp.state(), TcpClient::State::Connected);
        // Keep-alive finds a dead peer within half a minute, not the system's two hours and more.
        const int fd = int(tcp.socket().socketDescriptor());
        const auto option = [fd](int level, int name) {
            int value = -1;
            socklen_t len = sizeof value;
            return getsockopt(fd, level, name, &value, &len) == 0 ? value : -1;
        };
        QCOMPARE(option(SOL_SOCKET, SO_KEEPALIVE), 1);
        const int idle = option(IPPROTO_TCP, TCP_KEEPIDLE), interval = option(IPPROTO_TCP, TCP_KEEPINTVL),
                  count = option(IPPROTO_TCP, TCP_KEEPCNT), user_timeout = option(IPPROTO_TCP, TCP_USER_TIMEOUT);
        QVERIFY2(idle > 0 && interval > 0 && count > 0 && idle + interval * count <= 30,
                 qPrintable(QStringLiteral("%1 + %2 x %3").arg(idle).arg(interval).arg(count)));
        QVERIFY2(user_timeout > 0 && user_timeout <= 30000, qPrintable(QString::number(user_timeout)));
        QCOMPARE(errors, 0);
        peer->close();  // the device goes away: the socket says so once
        QTRY_COMPARE(tcp.state(), TcpClient::State::Closed);
        QTRY_COMPARE(errors, 1);
        for (int turn = 0; turn < 50; ++turn) QCoreApplication::processEvents();
        QCOMPARE(errors, 1);
    }

    void flood_on_the_fakes() {
        // The device goes on sending as fast as the line allows: every pump
        // brings the next read of a backlog, replies cut across reads.
        const QByteArray many = QByteArray("BRI050\r").repeated(9000);
        const int total = int(many.count('\r'));
        LinkRig rig;
        rig.open_serial();
        Seen seen;
        rig.link.register_handler(QStringLiteral("BRI"), [&] { seen.note(); });
        QStringList mods;
        rig.link.register_handler(QStringLiteral("MOD"), [&] { mods << rig.link.reply(); });
        qsizetype at = 0;
        rig.platform.then_on_pump = [&] {
            if (at < many.size()) rig.serial.deliver(many.mid(at, 997)), at += 997;
        };
        for (int i = 0; i < 4 * total && seen.count < total; ++i) rig.platform.advance(1);
        QCOMPARE(seen.count, total);
        QVERIFY2(seen.span() < kFlatStack, qPrintable(QString("%1 bytes").arg(seen.span())));
        QVERIFY(seen.posted_ran_at > 0 && seen.posted_ran_at < total);
        rig.device.answer(QStringLiteral("MOD999"), "MOD005\r");
        rig.link.tx_cmd(QStringLiteral("MOD999"));
        QVERIFY(rig.link.reply_done() && mods == QStringList{"MOD005"});
    }

    void click_while_a_tick_ends() {
        // A click that sends while a tick pumps its last events still gets
        // its answer: that reply wait reads the port although a tick is open.
        LinkRig rig;
        rig.open_serial();
        QStringList pwr;
        rig.link.register_handler(QStringLiteral("PWR"), [&] { pwr << rig.link.reply(); });
        rig.link.register_handler(QStringLiteral("BRI"), [] {});
        rig.device.answer(QStringLiteral("PWR999"), "PWR001\r", 3);
        // A tick runs in the next pump and pumps twice itself; the click comes in the second.
        auto click = rig.platform.make_timer();
        click->set_interval(3);
        int clicks = 0;
        click->on_timeout = [&] {
            click->set_enabled(false);
            ++clicks;
            rig.link.tx_cmd(QStringLiteral("PWR999"));
        };
        rig.device.send_unsolicited("BRI050\r", false);
        click->set_enabled(true);
        rig.platform.advance(1);
        QCOMPARE(clicks, 1);
        QCOMPARE(pwr, QStringList{"PWR001"});
        QCOMPARE(rig.link.reply_done(), true);
    }

};

QTEST_MAIN(QtPortsTest)
#include "qt_ports.moc"
