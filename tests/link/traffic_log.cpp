// The traffic log file: the exchange on the fake links passes through the
// logging ports, and the file must hold exactly one line per command and per
// reply, escaped to plain text, appended to what was there.

#include "link/traffic_log.h"
#include "support/fake_env.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {
// The exchange with the logging ports between the link and the fake ports;
// the clock moves on one millisecond per time stamp taken.
struct LoggedRig {
    explicit LoggedRig(const QString& path) : log(path) {
        log.clock = [this] { return start.addMSecs(stamps++); };
    }
    QDateTime start{QDate(2025, 6, 24), QTime(10, 15, 3, 42)};
    int stamps = 0;
    PanelState state;
    FakePlatform platform;
    FakeSerialPort serial;
    FakeTcpClient tcp;
    ScriptedDevice device{platform, serial, tcp};
    TrafficLog log;
    LoggedSerialPort logged_serial{serial, log};
    LoggedTcpClient logged_tcp{tcp, log};
    Link link{state, platform, logged_serial, logged_tcp};
};

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}
}  // namespace

class TrafficLogTest : public QObject {
    Q_OBJECT
private slots:
    void escaping() {
        const char* const rows[][2] = {
            {"PWR001\r", "PWR001\\r"},
            {"A\r\n\t", "A\\r\\n\\t"},
            {"back\\slash", "back\\\\slash"},
            {"\x01\x1f\x7f", "\\x01\\x1f\\x7f"},
            {"\x80\xe9\xff", "\\x80\\xe9\\xff"},
            {" ~", " ~"},
        };
        for (const auto& [in, out] : rows) QCOMPARE(TrafficLog::escaped(QByteArray(in)), QByteArray(out));
        QCOMPARE(TrafficLog::escaped(QByteArray("a\0b", 3)), QByteArray("a\\x00b"));
    }

    void both_links_appended_line_by_line() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("traffic.log"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("an earlier session\n") > 0);
        }
        QString why;
        {
            LoggedRig r(path);
            QVERIFY2(r.log.open(&why), qPrintable(why));
            QVERIFY(r.logged_serial.open(1));
            r.link.serial_opened();
            r.link.set_tim_rx_enabled(true);
            r.state.cmd_enable = true;
            r.device.answer_in_pieces(QStringLiteral("PWR999"), {"PW", "R001\r"}, 1, 3);  // one reply in two reads
            r.link.tx_cmd(QStringLiteral("PWR999"));
            QVERIFY(r.link.reply_done());
            r.device.send_unsolicited("AUD001\rBRI\x01\xe9\r\n", false);  // two replies in one read, odd bytes
            r.platform.advance(20);

            r.link.choose_interface(LinkKind::ethernet);
            r.logged_tcp.connect_to(QStringLiteral("127.0.0.1"), 23);
            r.tcp.accept_connection();
            r.link.ethernet_up();
            r.device.answer(QStringLiteral("MOD999"), "MOD002\r\n");
            r.link.tx_cmd(QStringLiteral("MOD999"));
            QVERIFY(r.link.reply_done());
            r.device.send_unsolicited("EX", true);  // the connection ends halfway through a reply
            r.logged_tcp.close();
            // Written once the traffic pauses, without waiting for the end.
            QTRY_VERIFY(contents(path).contains("TCP RX EX\n"));
        }
        QCOMPARE(contents(path), QByteArray("an earlier session\n"
                                            "2025-06-24 10:15:03.042 COM1 TX PWR999\\r\n"
                                            "2025-06-24 10:15:03.043 COM1 RX PWR001\\r\n"
                                            "2025-06-24 10:15:03.045 COM1 RX AUD001\\r\n"
                                            "2025-06-24 10:15:03.045 COM1 RX BRI\\x01\\xe9\\r\\n\n"
                                            "2025-06-24 10:15:03.046 TCP TX MOD999\\r\n"
                                            "2025-06-24 10:15:03.047 TCP RX MOD002\\r\\n\n"
                                            "2025-06-24 10:15:03.048 TCP RX EX\n"));
        {
            LoggedRig again(path);  // a second run adds to the file
            QVERIFY(again.log.open(&why));
            again.log.sent(QStringLiteral("COM2"), "VER999\r");
        }
        QVERIFY(contents(path).startsWith("an earlier session\n2025-06-24 10:15:03.042 COM1 TX"));
        QVERIFY(contents(path).endsWith("TCP RX EX\n2025-06-24 10:15:03.042 COM2 TX VER999\\r\n"));
    }
};

QTEST_MAIN(TrafficLogTest)
#include "traffic_log.moc"
