// The command exchange and reply reception on the fake links, input that must
// not hurt, and the traffic log file as the logging ports write it.

#include "link/traffic_log.h"
#include "support/fake_env.h"
#include "support/programs.h"

#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {
void up(LinkRig& rig, bool tcp) { tcp ? rig.connect_tcp() : rig.open_serial(); }
// Every handler records the reply it was called for ("EXT" on the TCP path only).
void record(LinkRig& rig, QStringList& seen) {
    for (const char* code : {"PWR", "AUD", "LAI", "MOD", "BRI", "CON", "INP", "OUT"})
        rig.link.register_handler(QLatin1String(code), [r = &rig, s = &seen] { *s << r->link.reply(); });
    rig.link.register_tcp_only_handler(QStringLiteral("EXT"), [r = &rig, s = &seen] { *s << r->link.reply(); });
}

// slices: the whole wait budget; 0 means the restart procedure instead.
struct Silent { bool tcp; QString command; int slices; };
// The device sends `pieces` as the answer to tx_cmd, as the answer to
// tx_cmd_nowait within its own pump, or on its own.
enum class Via { Await, NoWait, Unsolicited };
struct Reply {
    bool tcp;
    Via via;
    QString command;
    QList<QByteArray> pieces;
    bool done;
    QStringList handled;
    QString log;
};

}  // namespace
Q_DECLARE_METATYPE(Silent)
Q_DECLARE_METATYPE(Reply)

class ExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void silent_device_data() {
        QTest::addColumn<Silent>("c");
        QTest::newRow("RS-232: 301 slices") << Silent{false, "PWR999", 301};
        QTest::newRow("Ethernet: 601 slices") << Silent{true, "PWR999", 601};
        QTest::newRow("RST001 over Ethernet") << Silent{true, "RST001", 0};
        QTest::newRow("PWR001 over Ethernet") << Silent{true, "PWR001", 0};
        QTest::newRow("RST002 over Ethernet") << Silent{true, "RST002", 601};
        QTest::newRow("PWR000 over Ethernet") << Silent{true, "PWR000", 601};
        QTest::newRow("RST001 over RS-232") << Silent{false, "RST001", 301};
        QTest::newRow("PWR001 over RS-232") << Silent{false, "PWR001", 301};
    }
    void silent_device() {
        QFETCH(Silent, c);
        LinkRig rig;
        up(rig, c.tcp);
        QStringList seen;
        record(rig, seen);
        int restarts = 0;
        rig.link.on_device_restart = [&] { ++restarts; };
        const qint64 start = rig.platform.now;
        rig.link.tx_cmd(c.command);
        // A slice lasts two fake ms; the restart waits 1001 ms, then one slice.
        const qint64 spent = rig.platform.now - start, least = c.slices ? 2 * c.slices : 1003;
        QVERIFY2(spent >= least && spent <= least + 1, qPrintable(QString::number(spent)));
        QCOMPARE(restarts, c.slices ? 0 : 1);
        const QString notice = "Need to re-connect Ethernet after TAVRIN-4X re-boots ready !";
        const QList<QPair<QString, MsgIcon>> restart_notice(c.slices ? 0 : 1, {notice, MsgIcon::Exclamation});
        QCOMPARE(rig.platform.messages, restart_notice);
        QCOMPARE(rig.link.reply_done(), false);
        QCOMPARE(seen, QStringList());
        QCOMPARE(rig.link.log_text(), c.command + '>');
    }

    void replies_data() {
        QTest::addColumn<Reply>("c");
        auto row = [](const QString& name, const Reply& a) { QTest::newRow(qPrintable(name)) << a; };
        const auto A = Via::Await, U = Via::Unsolicited;
        for (bool tcp : {false, true}) {
            const QString l = tcp ? "tcp: " : "serial: ";
            row(l + "ERR", {tcp, A, "BRI999", {"ERR001\r"}, true, {}, "BRI999>ERR001\r "});
            row(l + "other code", {tcp, A, "INP999", {"OUT002\r"}, false, {}, "INP999>OUT002\r "});
            row(l + "no handler", {tcp, A, "MNU001", {"MNU001\r"}, true, {}, "MNU001>MNU001\r "});
            // Still under assembly when the budget ends (one short of seven): a time-out, not an answer.
            row(l + "partial", {tcp, A, "PWR999", {"PWR001"}, false, {}, tcp ? "PWR999>" : "PWR999>PWR001 "});
            // Seven characters complete a reply without CR, and lose their last one.
            row(l + "7 without CR",
                {tcp, A, "PWR999", {"PWR0017"}, true, {"PWR001"}, tcp ? "PWR999>" : "PWR999>PWR0017 "});
            // A reply behind the first one's CR is the next reply (serial: at the next tick).
            row(l + "two replies", {tcp, A, "PWR999", {"PWR001\rAUD001\r"}, true, {"PWR001", "AUD001"},
                                    "PWR999>PWR001\r AUD001\r "});
            row(l + "unsolicited", {tcp, U, {}, {"BRI250\r"}, true, {"BRI250"}, "BRI250\r "});
            row(l + "unsolicited ERR", {tcp, U, {}, {"ERR004\r"}, false, {}, "ERR004\r "});
            row(l + "unknown code", {tcp, U, {}, {"XYZ123\r"}, false, {}, "XYZ123\r "});
            // Sixteen characters are an address answer only on serial while the address query runs.
            row(l + "16 characters", {tcp, U, {}, {"192.168.001.100\r"}, false, {}, "192.168.001.100\r "});
            row(l + "EXT", {tcp, U, {}, {"EXT000\r"}, tcp, tcp ? QStringList{"EXT000"} : QStringList{}, "EXT000\r "});
            row(l + "CR LF, empty lines", {tcp, U, {}, {"\r\n\r\nBRI250\r\nCON300\r\n"}, true, {"BRI250", "CON300"},
                                           "BRI250\r CON300\r "});
            row(l + "nowait answered in its own pump",
                {tcp, Via::NoWait, "BRI250", {"BRI250\r"}, true, {"BRI250"}, "BRI250\r "});
        }
        // Serial logs every read with all assembled so far; TCP logs only a chunk with a CR.
        row("serial: one read", {false, A, "PWR999", {"PWR001\r"}, true, {"PWR001"}, "PWR999>PWR001\r "});
        row("serial: split read", {false, A, "PWR999", {"PW", "R001\r"}, true, {"PWR001"}, "PWR999>PW PWR001\r "});
        row("serial: LAI 10 + 7", {false, A, "LAI993", {"LAI3Camer", "a 1    \r"}, true, {"LAI3Camera 1    "},
                                   "LAI993>LAI3Camer LAI3Camera 1    \r "});
        row("serial: LAI 16 without CR", {false, A, "LAI991", {"LAI1Stage ", "left  "}, false, {},
                                          "LAI991>LAI1Stage  LAI1Stage left   "});
        row("serial: LAI 17 without CR", {false, A, "LAI991", {"LAI1Stage ", "left  X"}, true,
                                          {"LAI1Stage left  "}, "LAI991>LAI1Stage  LAI1Stage left  X "});
        row("tcp: CR LF", {true, A, "MOD999", {"MOD002\r\n"}, true, {"MOD002"}, "MOD999>MOD002\r "});
        row("tcp: split read", {true, A, "BRI999", {"BRI", "250\r"}, true, {"BRI250"}, "BRI999>BRI250\r "});
        row("tcp: LAI 10 + 7", {true, A, "LAI993", {"LAI3Camer", "a 1    \r"}, true, {"LAI3Camera 1    "},
                                "LAI993>LAI3Camera 1    \r "});
    }
    void replies() {
        QFETCH(Reply, c);
        LinkRig rig;
        up(rig, c.tcp);
        QStringList seen;
        record(rig, seen);
        rig.device.answer_in_pieces(c.command, c.pieces, c.via == Via::NoWait ? 0 : 2, 6);
        if (c.via == Via::Await) rig.link.tx_cmd(c.command);
        if (c.via == Via::NoWait) rig.link.tx_cmd_nowait(c.command);
        if (c.via == Via::Unsolicited) rig.device.send_unsolicited(c.pieces.front(), c.tcp);
        rig.platform.advance(c.via == Via::Unsolicited ? 4 : 0);
        QCOMPARE(rig.link.reply_done(), c.done);
        rig.platform.advance(4);
        QCOMPARE(seen, c.handled);
        QCOMPARE(rig.link.log_text(), c.log);
        QCOMPARE(rig.link.reply() + QString::number(rig.link.rx_count()), QStringLiteral("0"));
    }

    void send_while_awaiting_is_dropped() {
        LinkRig rig;
        rig.open_serial();
        rig.device.answer(QStringLiteral("PWR999"), "PWR001\r", 20);
        rig.platform.then_on_pump = [&] {  // a click and a slider move during the wait
            if (rig.platform.pumps != 5) return;
            rig.link.tx_cmd(QStringLiteral("LCK001"));
            rig.link.tx_cmd_nowait(QStringLiteral("BRI050"));
        };
        rig.link.tx_cmd(QStringLiteral("PWR999"));
        QCOMPARE(rig.serial.writes, QList<QByteArray>({"PWR999\r"}));
        QVERIFY(rig.platform.messages.isEmpty());
        QCOMPARE(rig.link.log_text(), QStringLiteral("PWR999>PWR001\r "));
        QCOMPARE(rig.link.reply_done(), true);  // the dropped tx_cmd cleared it; the stored reply still counts
    }

    void log_clears_after_80_entries() {
        LinkRig rig;
        rig.open_serial();
        rig.device.echo_everything();
        for (int i = 0; i < 40; ++i) rig.link.tx_cmd(QStringLiteral("MNU001"));  // 80 entries
        rig.device.never_answer(QStringLiteral("MND001"));
        rig.link.tx_cmd(QStringLiteral("MND001"));
        QCOMPARE(rig.link.log_lines(), int16_t(81));
        rig.link.tx_cmd(QStringLiteral("MNL001"));  // clears first, then appends
        QCOMPARE(rig.link.log_text() + QString::number(rig.link.log_lines()), QStringLiteral("MNL001>MNL001\r 2"));
    }

    void garbage_never_hurts() {
        for (bool tcp : {false, true}) {
            LinkRig rig;
            up(rig, tcp);
            QStringList seen;
            record(rig, seen);
            // Longer than the fuzz targets' inputs; random bytes are theirs.
            for (const QByteArray& b : {QByteArray(64 * 1024, 'A'), QByteArray(70000, '\r'), QByteArray(5000, '\0'),
                                        QByteArray("\x80\xff\xfe\x81\r"), QByteArray("LAI")}) {
                rig.device.send_unsolicited(b, tcp);
                rig.platform.advance(1);
                QVERIFY(rig.link.reply().size() <= Link::max_reply_chars && rig.link.rx_count() >= 0);
            }
            rig.platform.advance(5000);  // drain what is held back, end any half reply, then work as ever
            rig.device.send_unsolicited("\rBRI250\r", tcp);
            rig.platform.advance(5);
            QCOMPARE(seen.last(), QStringLiteral("BRI250"));
        }
        // A count about to pass 16 bits stops at the top instead of wrapping negative.
        LinkRig rig;
        rig.open_serial();
        int16_t count = 0;
        rig.link.register_handler(QStringLiteral("AAA"), [&] { count = rig.link.rx_count(); });
        rig.device.send_unsolicited(QByteArray(40000, 'A'), false);  // one read, no carriage return
        rig.platform.advance(2);
        QCOMPARE(count, int16_t(32767));
    }

    void busy_counts_this_links_waits() {
        // A nested wait ending leaves busy set for the outer one; a wait of
        // another link (another panel) ending says nothing about this one.
        LinkRig a, b;
        QList<bool> seen;
        bool inside = false;
        a.platform.on_pump = [&] {
            if (std::exchange(inside, true)) return;
            a.link.Delay(0.001f);
            b.link.Delay(0.001f);
            seen << a.state.busy << b.state.busy;
        };
        a.link.Delay(0.001f);
        seen << a.state.busy;
        QCOMPARE(seen, QList<bool>({true, false, false}));
    }

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
        QVERIFY(put_file(path, "an earlier session\n"));
        {
            TrafficLog log(path);  // its clock moves on a millisecond per time stamp taken
            log.clock = [t = QDateTime(QDate(2025, 6, 24), QTime(10, 15, 3, 42))]() mutable {
                return std::exchange(t, t.addMSecs(1));
            };
            QString why;
            QVERIFY2(log.open(&why), qPrintable(why));
            FakeSerialPort serial;
            FakeTcpClient tcp;
            LoggedSerialPort com(serial, log);
            LoggedTcpClient net(tcp, log);
            QVERIFY(com.open(1));
            com.write("PWR999\r");
            for (const QByteArray& read : {"PW", "R001\r", "AUD001\rBRI\x01\xe9\r\n"})  // odd bytes, CR LF
                serial.deliver(read), com.read_all();
            net.connect_to(QStringLiteral("127.0.0.1"), 23);
            tcp.accept_connection();
            net.send("MOD999\r");
            for (const QByteArray& read : {"MOD002\r\n", "EX"}) tcp.deliver(read), net.take_all();
            net.close();  // the connection ends halfway through a reply
            // Written once the traffic pauses, without waiting for the end.
            QTRY_VERIFY(bytes_of(path).contains("TCP RX EX\n"));
        }
        QCOMPARE(bytes_of(path), QByteArray("an earlier session\n"
                                            "2025-06-24 10:15:03.042 COM1 TX PWR999\\r\n"
                                            "2025-06-24 10:15:03.043 COM1 RX PWR001\\r\n"
                                            "2025-06-24 10:15:03.045 COM1 RX AUD001\\r\n"
                                            "2025-06-24 10:15:03.045 COM1 RX BRI\\x01\\xe9\\r\\n\n"
                                            "2025-06-24 10:15:03.046 TCP TX MOD999\\r\n"
                                            "2025-06-24 10:15:03.047 TCP RX MOD002\\r\\n\n"
                                            "2025-06-24 10:15:03.048 TCP RX EX\n"));
    }
};

QTEST_MAIN(ExchangeTest)
#include "exchange.moc"
