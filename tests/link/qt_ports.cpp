// The production adapters on real endpoints: QSerialPort on a pseudo-terminal
// reached through a COMn entry beside the program, QTcpSocket against a local
// server, each carrying a command out and a reply into the exchange; and the
// tables that turn a port number and an address text into endpoints.

#include "link/link.h"
#include "link/qt_ports.h"

#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace tavrin;

namespace {
// The exchange on the production adapters and the real event loop and clock;
// messages are recorded, never shown. Handlers record what they are called for.
struct RealLink : QtPlatform {
    explicit RealLink(const QString& program_dir) : serial(program_dir) {
        for (const char* code : {"BRI", "MOD"})
            link.register_handler(QLatin1String(code), [this] { seen << link.reply(); });
    }
    void message(const QString& text, MsgIcon) override { messages << text; }
    QStringList messages, seen;
    PanelState st;
    QtSerialPort serial;
    QtTcpClient tcp;
    Link link{st, *this, serial, tcp};
};
}  // namespace

class QtPortsTest : public QObject {
    Q_OBJECT
private slots:
    void host_and_port() {
        const char* const rows[][2] = {
            {"192.168.1.10", "192.168.1.10 23"}, {"  dev.local:2323 ", "dev.local 2323"},
            {"[::1]:4000", "::1 4000"},         {" [fe80::1] ", "fe80::1 23"},
            {"fe80::1", "fe80::1 23"},          {"host:0", "rejected"},
            // "Get IP" pads each octet with zeros; they are decimal all the same.
            {"192.168.010.020", "192.168.10.20 23"}, {" 010.000.001.009:2323", "10.0.1.9 2323"},
            {"010.1.2", "010.1.2 23"},          {"1.2.3.0400", "1.2.3.0400 23"},
            {"[::ffff:010.1.2.3]:23", "::ffff:010.1.2.3 23"},
            {"host:65536", "rejected"},         {"host:-1", "rejected"},
            {"host:", "rejected"},              {"[::1]x", "rejected"},
        };
        for (const auto& [text, want] : rows) {
            QString host;
            quint16 port = 0;
            const bool ok = parse_host_port(QLatin1String(text), &host, &port);
            QCOMPARE(QString(text) + " -> " + (ok ? host + ' ' + QString::number(port) : QStringLiteral("rejected")),
                     QString(text) + " -> " + want);
        }
    }

    void serial_over_a_pseudo_terminal() {
        // The device holds one end of a pseudo-terminal pair; the panel opens the other as COM2.
        const int dev = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(dev >= 0 && grantpt(dev) == 0 && unlockpt(dev) == 0 && fcntl(dev, F_SETFL, O_NONBLOCK) == 0);
        QTemporaryDir dir;
        QVERIFY(QFile::link(QString::fromLocal8Bit(ptsname(dev)), dir.filePath(QStringLiteral("COM2"))));
        QCOMPARE(serial_device_for_port(2, dir.path()), dir.filePath(QStringLiteral("COM2")));
        QCOMPARE(serial_device_for_port(3, dir.path()), QStringLiteral("/dev/ttyS2"));  // no entry COM3
        RealLink r(dir.path());
        QVERIFY(r.serial.open(2));
        const QSerialPort& port = r.serial.port();  // 115200,N,8,1
        QCOMPARE(QList<int>({port.baudRate(), port.parity(), port.dataBits(), port.stopBits()}),
                 QList<int>({115200, 0, 8, 1}));
        r.link.rs232_open = true;
        r.link.set_tim_rx_enabled(true);
        r.link.tx_cmd_nowait(QStringLiteral("BRI250"));
        QByteArray got;
        const auto device_got = [&] {
            char buf[64];
            return got += QByteArray(buf, std::max<int>(0, int(::read(dev, buf, sizeof buf))));
        };
        QTRY_COMPARE(device_got(), QByteArray("BRI250\r"));
        QCOMPARE(::write(dev, "BRI250\r", 7), ssize_t(7));
        QTRY_COMPARE(r.seen, QStringList{QStringLiteral("BRI250")});  // through "data ready" and the poll
        ::close(dev);
    }

    void tcp_against_a_local_server() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        RealLink r{QString()};
        bool connected = false;
        r.tcp.on_connected = [&] { connected = true; };
        r.tcp.connect_to(QStringLiteral("127.0.0.1"), server.serverPort());
        QTRY_VERIFY(connected && server.hasPendingConnections());
        QTcpSocket* peer = server.nextPendingConnection();
        QCOMPARE(r.tcp.state(), TcpClient::State::Connected);
        r.link.link_kind = 1;
        r.link.eth_connected = true;
        r.link.tx_cmd_nowait(QStringLiteral("MOD999"));
        QTRY_COMPARE(peer->bytesAvailable(), qint64(7));
        QCOMPARE(peer->readAll(), QByteArray("MOD999\r"));
        peer->write("MOD002\r\n");
        QTRY_COMPARE(r.seen, QStringList{QStringLiteral("MOD002")});
        peer->close();  // the device goes away: the watchdog sees the state change
        QTRY_COMPARE(r.tcp.state(), TcpClient::State::Closed);
    }
};

QTEST_MAIN(QtPortsTest)
#include "qt_ports.moc"
