// The link side of the main window on the fake ports, and the settings file
// as start-up reads it.

#include "main_window/link_controls.h"
#include "support/panel_rig.h"
#include "support/programs.h"

#include <QLabel>
#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {
QWidget* ctl(PanelRig& r, const char* name) { return r.w().control(QLatin1String(name)); }
void click(PanelRig& r, const char* name) { qobject_cast<QAbstractButton*>(ctl(r, name))->click(); }
void pick_port(PanelRig& r, int index) { pick(r.w().ctl<QComboBox>(QStringLiteral("cbo_com")), index); }
// A control as the operator sees it: enabled or not, and a button's colour.
QString look(PanelRig& r, const char* name) {
    auto* b = qobject_cast<ColorButton*>(ctl(r, name));
    return QString(ctl(r, name)->isEnabled() ? "on" : "off") + (b ? b->back_color().name() : "");
}
// eth_connected, the watchdog and its interval, Connect, Disconnect, the state label.
QString eth(PanelRig& r) {
    const Timer& t = r.p().links->tim_eth();
    auto* label = qobject_cast<QLabel*>(ctl(r, "lab_eth_state"));
    return QStringList{r.link().eth_connected() ? "up" : "down", t.enabled() ? "on" : "off",
                       QString::number(t.interval()), look(r, "cmd_conn_eth"), look(r, "cmd_disconn_eth"),
                       label->isHidden() ? "-" : label->text()}
        .join(' ');
}
const QString idle = "down off 7000 on#c0c0c0 off#ff0000 -";
// The interface, the port entry, the port opened ("?": rs232_open says otherwise), Connect, Disconnect, Get IP.
QString serial(PanelRig& r) {
    return QStringList{ctl(r, "cbo_com")->isHidden() ? "Ethernet" : "RS-232",
                       r.w().ctl<QComboBox>(QStringLiteral("cbo_com"))->currentText(),
                       (r.serial.is_open() ? "open:" + QString::number(r.serial.opened_port) : "closed") +
                           (r.link().rs232_open() == r.serial.is_open() ? "" : "?"),
                       look(r, "cmd_conn"), look(r, "cmd_disconn"), look(r, "cmd_get_ip")}
        .join(' ');
}
}  // namespace

class LinksTest : public QObject {
    Q_OBJECT
private slots:
    void serial_port() {
        PanelRig r;  // RS-232, port 1 open
        r.serial.failing_ports = {4};
        r.serial.failure_reason = QStringLiteral("Port busy: /dev/ttyUSB3. Another program has it open.");
        r.serial.lose(QStringLiteral("/dev/ttyUSB0 hung up."));  // ends as if disconnected
        QCOMPARE(serial(r), QStringLiteral("RS-232 COM1: closed on#c0c0c0 on#ff0000 on#c0c0c0"));
        r.serial.lose(QStringLiteral("again"));  // a late second report of the same loss says nothing
        click(r, "cmd_conn");                    // the device is back
        QCOMPARE(serial(r), QStringLiteral("RS-232 COM1: open:1 on#00d020 on#c0c0c0 on#c0c0c0"));
        r.device.send_unsolicited("PW", false);  // half a reply from the old port
        r.platform.advance(2);
        pick_port(r, 1);
        QCOMPARE(serial(r), QStringLiteral("RS-232 COM2: open:2 on#00d020 on#c0c0c0 on#c0c0c0"));
        QCOMPARE(r.link().reply() + QString::number(r.link().rx_count()), QStringLiteral("0"));
        pick_port(r, 3);
        QCOMPARE(serial(r), QStringLiteral("RS-232 COM4: closed on#c0c0c0 on#ff0000 on#c0c0c0"));
        QCOMPARE(r.platform.messages,
                 (QList<QPair<QString, MsgIcon>>{
                     {"COM1: Connection lost !\n/dev/ttyUSB0 hung up.\nPress Connect when it is back.",
                      MsgIcon::Critical},
                     {"COM4: Fail !\nPort busy: /dev/ttyUSB3. Another program has it open.", MsgIcon::None}}));
        r.st().cmd_enable = false;  // as during start-up: the list alone opens nothing
        pick_port(r, 2);
        r.st().cmd_enable = true;
        QCOMPARE(r.serial.open_calls, 4);
        click(r, "cmd_conn");
        QCOMPARE(serial(r), QStringLiteral("RS-232 COM3: open:3 on#00d020 on#c0c0c0 on#c0c0c0"));
        click(r, "cmd_disconn");
        click(r, "cmd_disconn");  // the second press changes nothing
        QCOMPARE(serial(r), QStringLiteral("RS-232 COM3: closed on#c0c0c0 on#ff0000 on#c0c0c0"));
    }

    void ethernet() {
        PanelRig r;  // RS-232, port 1 open
        click(r, "opt_interface(1)");
        QCOMPARE(serial(r), QStringLiteral("Ethernet COM1: closed on#00d020 on#c0c0c0 off#c0c0c0"));
        QCOMPARE(eth(r), idle);
        r.w().ctl<QLineEdit>(QStringLiteral("txt_ip"))->setText(QStringLiteral("  10.0.0.5:2323 "));
        click(r, "cmd_conn_eth");  // nobody takes the call
        QCOMPARE(eth(r), QStringLiteral("down on 7000 off#c0c000 off#c0c0c0 Connecting..."));
        QCOMPARE(r.tcp.host + ':' + QString::number(r.tcp.port), QStringLiteral("10.0.0.5:2323"));
        r.platform.advance(6999);
        QVERIFY(r.platform.messages.isEmpty());
        r.platform.advance(1);
        QCOMPARE(eth(r), idle);
        QCOMPARE(r.tcp.state(), TcpClient::State::Closed);
        click(r, "cmd_conn_eth");
        r.tcp.fail(QStringLiteral("Connection refused"));  // an attempt: the watchdog will tell
        r.platform.advance(7000);
        r.connect_ethernet();
        QCOMPARE(eth(r), QStringLiteral("up on 100 off#00d020 on#c0c0c0 -"));
        r.tcp.fail(QStringLiteral("Connection reset by peer"));
        QCOMPARE(eth(r), idle);
        r.platform.advance(500);  // and the watchdog does not say it a second time
        r.connect_ethernet();
        r.device.send_unsolicited("EXT000\r", true);  // the device ends the connection, no message
        QCOMPARE(eth(r), idle);
        r.tcp.sends.clear();  // and nothing goes out until it is back
        r.link().tx_cmd(QStringLiteral("PWR999")), r.link().tx_cmd_nowait(QStringLiteral("BRI050"));
        QVERIFY(r.tcp.sends.isEmpty());
        QCOMPARE(r.platform.message_texts(),
                 (QStringList{"Client could not find Server.", "Client could not find Server.",
                              "Ethernet is disconnected !", "Ethernet port is disconnected !",
                              "Ethernet port is disconnected !"}));
        for (const auto& m : r.platform.messages) QCOMPARE(m.second, MsgIcon::Critical);
        r.connect_ethernet();
        click(r, "opt_interface(0)");
        QCOMPARE(eth(r), idle);
        QCOMPARE(r.tcp.state(), TcpClient::State::Closed);
        QCOMPARE(serial(r), QStringLiteral("RS-232 COM1: open:1 on#00d020 on#c0c0c0 on#c0c0c0"));
    }

    void restart_over_ethernet() {
        // The device answers, then drops the connection while the panel waits
        // out its restart: the re-connect notice is the only message.
        for (const char* button : {"cmd_pwr", "cmd_fact_reset"}) {
            PanelRig r(PanelRig::Start::Ethernet);
            r.device.echo_everything();
            int pumps_after_send = -1;
            r.platform.then_on_pump = [&] {
                if (!r.device.received.isEmpty() && ++pumps_after_send == 200) r.tcp.drop();
            };
            click(r, button);
            QVERIFY2(pumps_after_send > 200, button);
            QCOMPARE(r.platform.messages,
                     (QList<QPair<QString, MsgIcon>>{
                         {"Need to re-connect Ethernet after TAVRIN-4X re-boots ready !", MsgIcon::Exclamation}}));
            QCOMPARE(eth(r), idle);
            r.platform.then_on_pump = nullptr;
            r.connect_ethernet();  // a later loss is reported again
            r.tcp.drop();
            r.platform.advance(100);
            QCOMPARE(r.platform.message_texts().last(), QStringLiteral("Ethernet is disconnected !"));
        }
    }

    void get_ip() {
        const QByteArray ip = "192.168.001.100\r", mask = "255.255.255.000\r", gate = "192.168.001.001\r";
        const QStringList queries = {"EIP999", "EMK999", "EGW999"};
        const struct { QList<QByteArray> answers; int split; QString boxes; int sent; } cases[] = {
            {{ip, mask, gate}, 9, "192.168.001.100 255.255.255.000 192.168.001.001", 3},  // each in two reads
            {{}, 16, "  ", 1},                               // a silent device
            {{ip, "EMK000\r"}, 16, "192.168.001.100  ", 2},  // an answer of another length ends the sequence
        };
        for (const auto& c : cases) {
            PanelRig r;
            for (int i = 0; i < c.answers.size(); ++i)
                r.device.answer_in_pieces(queries[i], {c.answers[i].left(c.split), c.answers[i].mid(c.split)}, 60, 4);
            click(r, "cmd_get_ip");
            const auto text = [&r](const char* box) { return qobject_cast<QLineEdit*>(ctl(r, box))->text(); };
            QCOMPARE(QStringList({text("txt_get_ip"), text("txt_get_mask"), text("txt_get_gate")}).join(' '), c.boxes);
            QCOMPARE(r.take_received(), queries.mid(0, c.sent));
            QCOMPARE(look(r, "cmd_get_ip") + QString::number(r.link().ip_query_step()), QStringLiteral("on#c0c0c0254"));
            QVERIFY(!r.link().log_text().contains('>'));  // the queries themselves are not logged
        }
    }

    void start_up() {
        // The settings examples, damaged and missing files: what opens, what shows.
        const QByteArray list = "A\r\nB\r\nC\r\nD\r\nE\r\nF\r\nG\r\nEND\r\nH\r\n";
        const struct { QByteArray ini, reso; int failing; QString shown, message; } cases[] = {
            {"0\r\n3\r\n#TRUE#\r\n\"192.168.0.10\"\r\n", list, 0, "RS-232 COM3: open:3 6780 [192.168.0.10] 7", ""},
            {"1\r\n2\r\n#FALSE#\r\n\"10.0.0.5:2323\"\r\n", list, 0, "Ethernet COM1: closed 2640 [10.0.0.5:2323] 7", ""},
            {"0\r\n3\r\n#FALSE#\r\n\"\"\r\n", list, 3, "RS-232 COM3: closed 2640 [] 7", "COM3: Fail !"},
            {"  0\n  9\n  #TRUE#\n  \"[::1]:23\"\n", list, 0, "RS-232 COM9: open:9 6780 [[::1]:23] 7", ""},
            {"0\r\n2\r\n#TRUE#\r\n\"10.0.0.1\r\nEND\r\n", list, 0, "RS-232 COM2: open:2 6780 [10.0.0.1] 7", ""},
            {"1\r\n", list, 0, "Ethernet COM1: closed 2640 [] 7", ""},  // short
            {"0\r\n12\r\nyes", list, 0, "RS-232 COM1: open:1 2640 [] 7", ""},  // port out of range
            {"\x01\xff\x80 garbage\r\n\r\n", "\x01\xff", 0, "RS-232 COM1: open:1 2640 [] 1", ""},
            {{}, {}, 0, "RS-232 COM1: open:1 2640 [] 0", ""},
        };
        for (const auto& c : cases) {
            PanelRig r(PanelRig::Start::NoLoad, "-");
            QVERIFY(put_file(r.path(QStringLiteral("tavrin_4x.ini")), c.ini) &&
                    put_file(r.path(QStringLiteral("output_reso.txt")), c.reso));
            r.serial.failing_ports = {c.failing};
            r.p().load();
            const QString ip = r.w().ctl<QLineEdit>(QStringLiteral("txt_ip"))->text();
            auto* output = r.w().ctl<QComboBox>(QStringLiteral("cbo_output"));
            const QString more = QStringLiteral(" %1 [%2] %3").arg(r.w().height_twips()).arg(ip).arg(output->count());
            QCOMPARE(serial(r).section(' ', 0, 2) + more, c.shown);
            // Nothing is selected until the device reports what it shows.
            QVERIFY(output->currentIndex() == -1 && r.w().ctl<QComboBox>(QStringLiteral("cbo_aspect"))->currentIndex() == -1);
            QCOMPARE(r.platform.message_texts().join(""), c.message);
            QVERIFY(r.device.received.isEmpty() && r.tcp.connect_calls == 0);  // nothing is sent at start-up
            QVERIFY(r.st().cmd_enable && r.link().tim_rx_enabled() && r.w().isVisible());
            QCOMPARE(r.w().windowTitle(), QStringLiteral("TAVRIN-4X v3.00 "));
        }
    }
};

QTEST_MAIN(LinksTest)
#include "links.moc"
