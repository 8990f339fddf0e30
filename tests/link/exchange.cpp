// The command exchange: framing, link checks, waits and their budgets, the
// outcome in reply_done, the traffic log, and the restart procedure.

#include "support/fake_env.h"

#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

class ExchangeTest : public QObject {
    Q_OBJECT
private slots:
    void framing_data();
    void framing();
    void link_down_refuses_data();
    void link_down_refuses();
    void timeout_runs_the_whole_budget_data();
    void timeout_runs_the_whole_budget();
    void answers_data();
    void answers();
    void send_while_awaiting_is_dropped();
    void partial_reply_at_timeout_is_not_an_answer();
    void log_clears_after_80_entries();
    void pad3_data();
    void pad3();
    void restart_commands_data();
    void restart_commands();
    void nowait_answer_inside_its_own_pump_is_dispatched();
    void delay_keeps_busy_until_outer_wait_ends();
};

void ExchangeTest::framing_data() {
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("serial") << false << "PWR001" << QByteArray("PWR001\r");
    QTest::newRow("tcp") << true << "BRI250" << QByteArray("BRI250\r");
    QTest::newRow("latin1 byte") << false << QString::fromUtf8("LAI1Caf\xc3\xa9") << QByteArray("LAI1Caf\xe9\r");
    QTest::newRow("no latin1 byte") << true << QString::fromUtf8("LAI2\xe2\x82\xac") << QByteArray("LAI2?\r");
}

void ExchangeTest::framing() {
    QFETCH(bool, tcp);
    QFETCH(QString, command);
    QFETCH(QByteArray, wire);
    LinkRig rig;
    if (tcp) rig.connect_tcp();
    else rig.open_serial();
    rig.link.tx_cmd_nowait(command);
    rig.link.tx_cmd(command);
    const QList<QByteArray>& out = tcp ? rig.tcp.sends : rig.serial.writes;
    QCOMPARE(out, QList<QByteArray>({wire, wire}));  // one write each, command + one CR
}

void ExchangeTest::link_down_refuses_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("rs232") << 0 << "RS232 port is disconnected !";
    QTest::newRow("ethernet") << 1 << "Ethernet port is disconnected !";
}

void ExchangeTest::link_down_refuses() {
    QFETCH(int, kind);
    QFETCH(QString, message);
    LinkRig rig;
    rig.link.link_kind = int16_t(kind);
    rig.link.reply_done = true;
    rig.link.tx_cmd(QStringLiteral("PWR999"));
    QCOMPARE(rig.link.reply_done, false);
    rig.link.tx_cmd_nowait(QStringLiteral("BRI050"));
    QCOMPARE(rig.platform.message_texts(), QStringList({message, message}));
    QCOMPARE(rig.platform.messages.front().second, MsgIcon::Critical);
    QVERIFY(rig.serial.writes.isEmpty());
    QVERIFY(rig.tcp.sends.isEmpty());
    QCOMPARE(rig.link.log_text(), QString());
    QCOMPARE(rig.link.log_lines, int16_t(0));
}

void ExchangeTest::timeout_runs_the_whole_budget_data() {
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<int>("slices");
    QTest::newRow("rs232: 301 slices") << false << 301;
    QTest::newRow("ethernet: 601 slices") << true << 601;
}

void ExchangeTest::timeout_runs_the_whole_budget() {
    QFETCH(bool, tcp);
    QFETCH(int, slices);
    LinkRig rig;
    if (tcp) rig.connect_tcp();
    else rig.open_serial();
    int calls = 0;
    rig.link.register_handler(QStringLiteral("PWR"), [&] { ++calls; });
    const qint64 start = rig.platform.now;
    rig.link.tx_cmd(QStringLiteral("PWR999"));
    // A slice returns once the millisecond count has advanced by two.
    const qint64 spent = rig.platform.now - start;
    QVERIFY2(spent >= 2 * slices && spent <= 2 * slices + 4, qPrintable(QString::number(spent)));
    QCOMPARE(rig.link.reply_done, false);
    QCOMPARE(calls, 0);
    QCOMPARE(rig.link.log_text(), QStringLiteral("PWR999>"));
    QCOMPARE(rig.link.awaiting_reply, false);
}

void ExchangeTest::answers_data() {
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("done");
    QTest::addColumn<QString>("handled");  // what the handler saw, or empty
    for (bool tcp : {false, true}) {
        const char* l = tcp ? "tcp: " : "serial: ";
        QTest::newRow(qPrintable(QString(l) + "own code"))
            << tcp << "PWR999" << QByteArray("PWR001\r") << true << "PWR001";
        QTest::newRow(qPrintable(QString(l) + "ERR"))
            << tcp << "BRI999" << QByteArray("ERR001\r") << true << "";
        QTest::newRow(qPrintable(QString(l) + "other code")) << tcp << "INP999" << QByteArray("OUT002\r") << false
                                                             << "";
        QTest::newRow(qPrintable(QString(l) + "code without handler"))
            << tcp << "MNU001" << QByteArray("MNU001\r") << true << "";
    }
}

void ExchangeTest::answers() {
    QFETCH(bool, tcp);
    QFETCH(QString, command);
    QFETCH(QByteArray, answer);
    QFETCH(bool, done);
    QFETCH(QString, handled);
    LinkRig rig;
    if (tcp) rig.connect_tcp();
    else rig.open_serial();
    QStringList seen;
    for (const char* code : {"PWR", "BRI", "INP", "OUT", "ERR"})
        rig.link.register_handler(QLatin1String(code), [&] { seen << rig.link.reply(); });
    rig.device.answer(command, answer, 5);
    rig.link.tx_cmd(command);
    QCOMPARE(rig.link.reply_done, done);
    QCOMPARE(seen, handled.isEmpty() ? QStringList() : QStringList{handled});
    QCOMPARE(rig.link.log_text(), command + QLatin1Char('>') + QString::fromLatin1(answer) + QLatin1Char(' '));
    QCOMPARE(rig.link.rx_buffer, QString());
    QCOMPARE(rig.link.rx_count, int16_t(0));
    QCOMPARE(rig.link.awaiting_reply, false);
    if (!tcp) QVERIFY(rig.link.tim_rx_enabled());
}

void ExchangeTest::send_while_awaiting_is_dropped() {
    LinkRig rig;
    rig.open_serial();
    rig.device.answer(QStringLiteral("PWR999"), "PWR001\r", 20);
    bool tried = false;
    rig.platform.on_message = nullptr;
    // A click during the wait: another tx_cmd and a slider's tx_cmd_nowait.
    auto old = rig.platform.on_pump;
    rig.platform.on_pump = [&] {
        old();
        if (!tried && rig.platform.pumps == 5) {
            tried = true;
            rig.link.tx_cmd(QStringLiteral("LCK001"));
            rig.link.tx_cmd_nowait(QStringLiteral("BRI050"));
        }
    };
    rig.link.tx_cmd(QStringLiteral("PWR999"));
    QVERIFY(tried);
    QCOMPARE(rig.serial.writes, QList<QByteArray>({"PWR999\r"}));
    QVERIFY(rig.platform.messages.isEmpty());
    QCOMPARE(rig.link.log_text(), QStringLiteral("PWR999>PWR001\r "));
    // The dropped send cleared reply_done; the completed reply is still
    // evaluated when the budget ends.
    QCOMPARE(rig.link.reply_done, true);
}

void ExchangeTest::partial_reply_at_timeout_is_not_an_answer() {
    LinkRig rig;
    rig.open_serial();
    int calls = 0;
    rig.link.register_handler(QStringLiteral("PWR"), [&] { ++calls; });
    rig.device.answer(QStringLiteral("PWR999"), "PWR0");  // never completes
    rig.link.tx_cmd(QStringLiteral("PWR999"));
    QCOMPARE(calls, 0);
    QCOMPARE(rig.link.reply_done, false);
}

void ExchangeTest::log_clears_after_80_entries() {
    LinkRig rig;
    rig.open_serial();
    rig.device.echo_everything();
    rig.link.register_handler(QStringLiteral("MNU"), [] {});
    // 40 exchanges add 80 entries, the 41st send's entry makes 81.
    for (int i = 0; i < 40; ++i) rig.link.tx_cmd(QStringLiteral("MNU001"));
    QCOMPARE(rig.link.log_lines, int16_t(80));
    rig.device.never_answer(QStringLiteral("MND001"));
    rig.link.tx_cmd(QStringLiteral("MND001"));
    QCOMPARE(rig.link.log_lines, int16_t(81));
    QVERIFY(rig.link.log_text().startsWith(QStringLiteral("MNU001>MNU001\r ")));
    rig.link.tx_cmd(QStringLiteral("MNL001"));  // clears first, then appends
    QCOMPARE(rig.link.log_text(), QStringLiteral("MNL001>MNL001\r "));
    QCOMPARE(rig.link.log_lines, int16_t(2));
    rig.link.cmd_clear_Click();
    QCOMPARE(rig.link.log_text(), QString());
    QCOMPARE(rig.link.log_lines, int16_t(0));
}

void ExchangeTest::pad3_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "000";
    QTest::newRow("7") << 7 << "007";
    QTest::newRow("45") << 45 << "045";
    QTest::newRow("254") << 254 << "254";
    QTest::newRow("999") << 999 << "999";
}

void ExchangeTest::pad3() {
    QFETCH(int, n);
    QFETCH(QString, text);
    QCOMPARE(Link::Pad3(n), text);
}

void ExchangeTest::restart_commands_data() {
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("restart");
    QTest::newRow("RST001 over Ethernet") << true << "RST001" << true;
    QTest::newRow("PWR001 over Ethernet") << true << "PWR001" << true;
    QTest::newRow("RST002 over Ethernet") << true << "RST002" << false;
    QTest::newRow("PWR000 over Ethernet") << true << "PWR000" << false;
    QTest::newRow("RST001 over RS-232") << false << "RST001" << false;
    QTest::newRow("PWR001 over RS-232") << false << "PWR001" << false;
}

void ExchangeTest::restart_commands() {
    QFETCH(bool, tcp);
    QFETCH(QString, command);
    QFETCH(bool, restart);
    LinkRig rig;
    if (tcp) rig.connect_tcp();
    else rig.open_serial();
    int restarts = 0;
    rig.link.on_device_restart = [&] {
        ++restarts;
        rig.link.eth_connected = false;
        rig.tcp.close();
    };
    const qint64 start = rig.platform.now;
    rig.link.tx_cmd(command);
    const qint64 spent = rig.platform.now - start;
    if (restart) {
        QCOMPARE(rig.platform.message_texts(),
                 QStringList{QStringLiteral("Need to re-connect Ethernet after TAVRIN-4X re-boots ready !")});
        QCOMPARE(rig.platform.messages.front().second, MsgIcon::Exclamation);
        QCOMPARE(restarts, 1);
        // One second of delay, then a single wait slice.
        QVERIFY2(spent >= 1001 && spent <= 1010, qPrintable(QString::number(spent)));
    } else {
        QVERIFY(rig.platform.messages.isEmpty());
        QCOMPARE(restarts, 0);
        QVERIFY(spent >= 2 * (tcp ? 601 : 301));
    }
}

void ExchangeTest::nowait_answer_inside_its_own_pump_is_dispatched() {
    for (bool tcp : {false, true}) {
        LinkRig rig;
        if (tcp) rig.connect_tcp();
        else rig.open_serial();
        QStringList seen;
        rig.link.register_handler(QStringLiteral("BRI"), [&] { seen << rig.link.reply(); });
        rig.device.answer(QStringLiteral("BRI050"), "BRI050\r", 0);  // answers within the same pump
        rig.link.tx_cmd_nowait(QStringLiteral("BRI050"));
        rig.platform.advance(5);
        QCOMPARE(seen, QStringList{QStringLiteral("BRI050")});
        QCOMPARE(rig.link.rx_buffer, QString());
        QCOMPARE(rig.link.awaiting_reply, false);
        // And reception keeps working afterwards.
        rig.device.send_unsolicited("BRI060\r", tcp);
        rig.platform.advance(3);
        QCOMPARE(seen.size(), 2);
    }
}

void ExchangeTest::delay_keeps_busy_until_outer_wait_ends() {
    LinkRig rig;
    bool nested_done = false;
    bool busy_after_nested = false;
    auto old = rig.platform.on_pump;
    rig.platform.on_pump = [&] {
        if (!nested_done && rig.platform.pumps == 3) {
            nested_done = true;
            rig.link.Delay(0.001f);
            busy_after_nested = rig.state.busy;
        }
    };
    rig.link.Delay(0.01f);
    QVERIFY(nested_done);
    QVERIFY(busy_after_nested);
    QCOMPARE(rig.state.busy, false);
}

QTEST_MAIN(ExchangeTest)
#include "exchange.moc"
