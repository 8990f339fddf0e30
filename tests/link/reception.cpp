// Reply reception on both paths: completion, logging, dispatch of unsolicited
// replies, the address-answer rule, and garbage that must not hurt.

#include "support/fake_env.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

class ReceptionTest : public QObject {
    Q_OBJECT
private slots:
    void serial_one_read_while_awaiting();
    void serial_split_read_logs_twice();
    void serial_lai_needs_17_or_cr_data();
    void serial_lai_needs_17_or_cr();
    void unsolicited_reply_is_dispatched_at_once_data();
    void unsolicited_reply_is_dispatched_at_once();
    void unsolicited_err_and_unknown_codes_are_discarded();
    void serial_bytes_after_cr_are_the_next_reply();
    void serial_address_answer();
    void serial_address_answer_split_across_reads();
    void tcp_crlf();
    void tcp_ext_only_on_tcp_path();
    void tcp_chunk_without_cr();
    void tcp_two_replies_in_one_chunk_data();
    void tcp_two_replies_in_one_chunk();
    void tcp_reply_behind_awaited_one_waits_its_turn();
    void garbage_never_hurts_data();
    void garbage_never_hurts();
    void rx_count_saturates();
};

namespace {
struct Seen {
    QStringList replies;
    void hook(LinkRig& rig, const QStringList& codes) {
        for (const QString& c : codes) rig.link.register_handler(c, [this, &rig] { replies << rig.link.reply(); });
    }
};
}  // namespace

void ReceptionTest::serial_one_read_while_awaiting() {
    LinkRig rig;
    rig.open_serial();
    Seen seen;
    seen.hook(rig, {"PWR"});
    bool poll_off_while_stored = false;
    rig.link.register_handler(QStringLiteral("PWR"), [&] {
        seen.replies << rig.link.reply();
        // tx_cmd evaluates before the poll is back on.
        poll_off_while_stored = !rig.link.tim_rx_enabled();
    });
    rig.device.answer(QStringLiteral("PWR999"), "PWR001\r", 3);
    rig.link.tx_cmd(QStringLiteral("PWR999"));
    QCOMPARE(seen.replies, QStringList{QStringLiteral("PWR001")});
    QVERIFY(poll_off_while_stored);
    QVERIFY(rig.link.tim_rx_enabled());
    QCOMPARE(rig.link.log_text(), QStringLiteral("PWR999>PWR001\r "));
    QCOMPARE(rig.link.log_lines, int16_t(2));
}

void ReceptionTest::serial_split_read_logs_twice() {
    LinkRig rig;
    rig.open_serial();
    Seen seen;
    seen.hook(rig, {"PWR"});
    rig.device.answer_in_pieces(QStringLiteral("PWR999"), {"PW", "R001\r"}, 3, 4);
    rig.link.tx_cmd(QStringLiteral("PWR999"));
    QCOMPARE(rig.link.log_text(), QStringLiteral("PWR999>PW PWR001\r "));
    QCOMPARE(rig.link.log_lines, int16_t(3));
    QCOMPARE(seen.replies, QStringList{QStringLiteral("PWR001")});
}

void ReceptionTest::serial_lai_needs_17_or_cr_data() {
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QString>("reply");
    QTest::newRow("10 + 7 with CR") << QList<QByteArray>{"LAI3Camer", "a 1    \r"} << "LAI3Camera 1    ";
    QTest::newRow("17 without CR") << QList<QByteArray>{"LAI1Stage ", "left  X"} << "LAI1Stage left  ";
    QTest::newRow("short label with CR") << QList<QByteArray>{"LAI2", "PC\r"} << "LAI2PC";
}

void ReceptionTest::serial_lai_needs_17_or_cr() {
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QString, reply);
    LinkRig rig;
    rig.open_serial();
    Seen seen;
    seen.hook(rig, {"LAI"});
    rig.device.answer_in_pieces(QStringLiteral("LAI993"), pieces, 2, 6);
    rig.link.tx_cmd(QStringLiteral("LAI993"));
    QCOMPARE(seen.replies, QStringList{reply});
    QCOMPARE(rig.link.reply_done, true);
}

void ReceptionTest::unsolicited_reply_is_dispatched_at_once_data() {
    QTest::addColumn<bool>("tcp");
    QTest::newRow("serial") << false;
    QTest::newRow("tcp") << true;
}

void ReceptionTest::unsolicited_reply_is_dispatched_at_once() {
    QFETCH(bool, tcp);
    LinkRig rig;
    if (tcp) rig.connect_tcp();
    else rig.open_serial();
    Seen seen;
    seen.hook(rig, {"BRI"});
    rig.device.send_unsolicited("BRI250\r", tcp);
    rig.platform.advance(2);
    QCOMPARE(seen.replies, QStringList{QStringLiteral("BRI250")});
    QCOMPARE(rig.link.rx_buffer, QString());
    QCOMPARE(rig.link.rx_count, int16_t(0));
    QCOMPARE(rig.link.reply_done, true);
    QCOMPARE(rig.link.log_text(), QStringLiteral("BRI250\r "));
}

void ReceptionTest::unsolicited_err_and_unknown_codes_are_discarded() {
    for (bool tcp : {false, true}) {
        LinkRig rig;
        if (tcp) rig.connect_tcp();
        else rig.open_serial();
        Seen seen;
        seen.hook(rig, {"BRI"});
        rig.device.send_unsolicited("ERR004\r", tcp);
        rig.platform.advance(2);
        QCOMPARE(rig.link.reply_done, false);
        rig.device.send_unsolicited("XYZ123\r", tcp);
        rig.platform.advance(2);
        QCOMPARE(rig.link.reply_done, false);
        QVERIFY(seen.replies.isEmpty());
        QCOMPARE(rig.link.log_text(), QStringLiteral("ERR004\r XYZ123\r "));
        QCOMPARE(rig.link.rx_buffer, QString());
    }
}

void ReceptionTest::serial_bytes_after_cr_are_the_next_reply() {
    // Two replies (and a stray LF) in one read: each is handled in its own tick.
    LinkRig rig;
    rig.open_serial();
    Seen seen;
    seen.hook(rig, {"BRI", "CON"});
    rig.device.send_unsolicited("BRI250\r\nCON300\r\n", false);
    rig.platform.advance(4);
    QCOMPARE(seen.replies, QStringList({QStringLiteral("BRI250"), QStringLiteral("CON300")}));
    QCOMPARE(rig.link.rx_buffer, QString());
    QCOMPARE(rig.link.log_text(), QStringLiteral("BRI250\r CON300\r "));
}

void ReceptionTest::serial_address_answer() {
    LinkRig rig;
    rig.open_serial();
    rig.link.ip_query_step = 0;
    rig.link.tx_cmd_nowait(QStringLiteral("EIP999"));
    rig.device.send_unsolicited("192.168.001.100\r", false);
    rig.platform.advance(2);
    QCOMPARE(rig.link.ip_query_step, int16_t(3));
    QCOMPARE(rig.link.rx_buffer, QStringLiteral("192.168.001.100\r"));
    QCOMPARE(rig.link.rx_count, int16_t(16));
    QVERIFY(rig.link.tim_rx_enabled());
}

void ReceptionTest::serial_address_answer_split_across_reads() {
    // 16 bytes at 115200 baud take longer than a poll tick: the first part of
    // an address answer must not be taken for a whole (unknown) reply.
    LinkRig rig;
    rig.open_serial();
    rig.link.ip_query_step = 1;
    rig.link.tx_cmd_nowait(QStringLiteral("EMK999"));
    rig.device.send_unsolicited("255.255.2", false);
    rig.platform.advance(2);
    QCOMPARE(rig.link.ip_query_step, int16_t(1));
    rig.device.send_unsolicited("55.000\r", false);
    rig.platform.advance(2);
    QCOMPARE(rig.link.ip_query_step, int16_t(3));
    QCOMPARE(rig.link.rx_buffer, QStringLiteral("255.255.255.000\r"));
}

void ReceptionTest::tcp_crlf() {
    LinkRig rig;
    rig.connect_tcp();
    QStringList seen;
    rig.link.register_handler(QStringLiteral("MOD"), [&] { seen << rig.link.reply(); });
    rig.device.answer(QStringLiteral("MOD999"), "MOD002\r\n", 2);
    rig.link.tx_cmd(QStringLiteral("MOD999"));
    // The handler sees the reply without its terminator, and the LF does not
    // spoil the next reply.
    QCOMPARE(seen, QStringList{QStringLiteral("MOD002")});
    rig.device.answer(QStringLiteral("MOD999"), "MOD005\r\n", 2);
    rig.link.tx_cmd(QStringLiteral("MOD999"));
    QCOMPARE(seen, QStringList({QStringLiteral("MOD002"), QStringLiteral("MOD005")}));
    QCOMPARE(rig.link.reply_done, true);
}

void ReceptionTest::tcp_ext_only_on_tcp_path() {
    int ext = 0;
    {
        LinkRig rig;
        rig.connect_tcp();
        rig.link.register_tcp_only_handler(QStringLiteral("EXT"), [&] { ++ext; });
        rig.device.send_unsolicited("EXT000\r", true);
        rig.platform.advance(1);
        QCOMPARE(ext, 1);
    }
    {
        LinkRig rig;
        rig.open_serial();
        rig.link.register_tcp_only_handler(QStringLiteral("EXT"), [&] { ++ext; });
        rig.device.send_unsolicited("EXT000\r", false);
        rig.platform.advance(2);
        QCOMPARE(ext, 1);
        QCOMPARE(rig.link.reply_done, false);
    }
}

void ReceptionTest::tcp_chunk_without_cr() {
    LinkRig rig;
    rig.connect_tcp();
    Seen seen;
    seen.hook(rig, {"BRI"});
    rig.device.send_unsolicited("BRI", true);
    rig.platform.advance(1);
    QVERIFY(seen.replies.isEmpty());
    QCOMPARE(rig.link.rx_buffer, QStringLiteral("BRI"));
    QCOMPARE(rig.link.log_text(), QString());  // logged only with its CR
    QCOMPARE(rig.link.log_lines, int16_t(1));
    rig.device.send_unsolicited("050\r", true);
    rig.platform.advance(1);
    QCOMPARE(seen.replies, QStringList{QStringLiteral("BRI050")});
    QCOMPARE(rig.link.log_text(), QStringLiteral("BRI050\r "));
}

void ReceptionTest::tcp_two_replies_in_one_chunk_data() {
    QTest::addColumn<QByteArray>("chunk");
    QTest::newRow("CR") << QByteArray("BRI250\rCON300\r");
    QTest::newRow("CR LF") << QByteArray("BRI250\r\nCON300\r\n");
}

void ReceptionTest::tcp_two_replies_in_one_chunk() {
    // Each reply reaches its own handler with its own value.
    QFETCH(QByteArray, chunk);
    LinkRig rig;
    rig.connect_tcp();
    Seen seen;
    seen.hook(rig, {"BRI", "CON"});
    rig.device.send_unsolicited(chunk, true);
    rig.platform.advance(1);
    QCOMPARE(seen.replies, QStringList({QStringLiteral("BRI250"), QStringLiteral("CON300")}));
    QCOMPARE(rig.link.rx_buffer, QString());
}

void ReceptionTest::tcp_reply_behind_awaited_one_waits_its_turn() {
    LinkRig rig;
    rig.connect_tcp();
    Seen seen;
    seen.hook(rig, {"PWR", "AUD"});
    rig.device.answer(QStringLiteral("PWR999"), "PWR001\rAUD001\r", 2);
    rig.link.tx_cmd(QStringLiteral("PWR999"));
    QCOMPARE(rig.link.reply_done, true);
    QCOMPARE(seen.replies, QStringList({QStringLiteral("PWR001"), QStringLiteral("AUD001")}));
}

void ReceptionTest::garbage_never_hurts_data() {
    QTest::addColumn<bool>("tcp");
    QTest::newRow("serial") << false;
    QTest::newRow("tcp") << true;
}

void ReceptionTest::garbage_never_hurts() {
    QFETCH(bool, tcp);
    LinkRig rig;
    if (tcp) rig.connect_tcp();
    else rig.open_serial();
    Seen seen;
    seen.hook(rig, {"PWR", "BRI", "LAI", "MOD"});
    QRandomGenerator rng(42);
    const QList<QByteArray> nasty = {QByteArray(64 * 1024, 'A'), QByteArray(70000, '\r'), QByteArray(5000, '\0'),
                                     QByteArray("\x80\xff\xfe\x81\r"), QByteArray("LAI"), QByteArray(300, 'L')};
    for (const QByteArray& b : nasty) {
        rig.device.send_unsolicited(b, tcp);
        rig.platform.advance(3);
    }
    for (int i = 0; i < 300; ++i) {
        QByteArray b(int(rng.bounded(1, 400)), '\0');
        for (char& c : b) c = char(rng.bounded(256));
        rig.device.send_unsolicited(b, tcp);
        rig.platform.advance(1);
        QVERIFY(rig.link.rx_buffer.size() <= Link::max_reply_chars);
        QVERIFY(rig.link.rx_count >= 0);
    }
    // Drain whatever is still queued, then the link must work normally.
    rig.platform.advance(200000 / 50);
    rig.device.send_unsolicited("\r", tcp);  // end any half reply
    rig.platform.advance(1000);
    seen.replies.clear();
    rig.device.answer(QStringLiteral("PWR999"), "PWR001\r", 2);
    rig.link.tx_cmd(QStringLiteral("PWR999"));
    QCOMPARE(rig.link.reply_done, true);
    QCOMPARE(seen.replies.last(), QStringLiteral("PWR001"));
}

void ReceptionTest::rx_count_saturates() {
    LinkRig rig;
    rig.connect_tcp();
    rig.link.awaiting_reply = true;  // keep assembling: nothing is dispatched
    rig.link.rx_count = 32760;
    rig.device.send_unsolicited("LAI12345678901234", true);
    rig.platform.advance(1);
    QCOMPARE(rig.link.rx_count, int16_t(32767));
}

QTEST_MAIN(ReceptionTest)
#include "reception.moc"
