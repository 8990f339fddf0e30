// Routing map: the worked example cell for cell, the TV Wall example, clicks
// that must or must not send, the map refresh's stop rule and digits that name
// no output or input.

#include "routing/display_modes.h"
#include "routing/routing_map.h"
#include "support/panel_rig.h"

#include "device_model.h"

#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

struct Rig : PanelRig {
    sim::DeviceModel model;
    explicit Rig(int mode_digit = 1) {
        device.responder = [this](const QString& cmd) -> QList<QByteArray> {
            const QByteArray r = model.execute(cmd.toLatin1());
            if (r.isEmpty()) return {};
            return {r};
        };
        reply("PWR001\r");
        model.execute("MOD00" + QByteArray::number(mode_digit));
        reply("MOD00" + QByteArray::number(mode_digit) + '\r');
        take_received();
    }
    void reply(const QByteArray& bytes) {
        device.send_unsolicited(bytes, false);
        platform.advance(5);
    }
    // Routes on the device side only: A..D from the given inputs.
    void device_routes(int a, int b, int c, int d) {
        const int in[4] = {a, b, c, d};
        for (int o = 1; o <= 4; ++o) {
            model.execute("OUT00" + QByteArray::number(o));
            model.execute("INP00" + QByteArray::number(in[o - 1]));
        }
        model.execute("OUT001");
    }
    RoutingMap& map() { return *p().map; }
    ColorButton* out(int i) { return w().ctl_at<ColorButton>(QStringLiteral("cmd_out"), i); }

    // One cell as the operator sees it: 'G' green, '.' grey; the number shown
    // or hidden; the border black or grey. Label and shape must agree in colour.
    QString cell(int col, int in) {
        ShapeWidget* s = map().cell_shape(col, in);
        ClickLabel* l = map().cell_label(col, in);
        if (s->fill() != l->back_color()) return QStringLiteral("label/shape colours differ");
        QString out;
        out += s->fill() == colors::routed ? QLatin1Char('G') : s->fill() == colors::neutral ? QLatin1Char('.') : QLatin1Char('?');
        out += l->isHidden() ? QLatin1Char('_') : QChar(u'0' + in);
        out += s->border() == colors::black ? QLatin1Char('#') : s->border() == colors::idle_lamp ? QLatin1Char('-') : QLatin1Char('?');
        return out;
    }
    // The whole map, one column per word: "G1- ._- ..." for inputs 1..4.
    QStringList columns() {
        QStringList cols;
        for (int c = 1; c <= 4; ++c) {
            QStringList cells;
            for (int i = 1; i <= 4; ++i) cells << cell(c, i);
            cols << cells.join(QLatin1Char(' '));
        }
        return cols;
    }
    int highlighted_output() {
        int found = 0;
        for (int i = 1; i <= 4; ++i)
            if (out(i)->back_color() == colors::selected) found = found ? -1 : i;
        return found;
    }
};

}  // namespace

class RoutingMapTest : public QObject {
    Q_OBJECT
private slots:
    void worked_example();
    void tv_wall_example();
    void cell_clicks_route_only_the_selected_column();
    void dual_pip_routes_like_dual_pop();
    void map_refresh_stops_at_first_unanswered_data();
    void map_refresh_stops_at_first_unanswered();
    void inp_after_mod_paints_previous_output();
    void digits_naming_nothing_are_ignored_data();
    void digits_naming_nothing_are_ignored();
    void output_click_with_link_down();
};

void RoutingMapTest::worked_example() {
    Rig rig;
    rig.device_routes(2, 1, 4, 3);
    rig.p().modes->cmd_mode_Click(1);
    QCOMPARE(rig.take_received().mid(0, 9),
             (QStringList{"MOD001", "OUT001", "INP999", "OUT002", "INP999", "OUT003", "INP999", "OUT004", "INP999"}));
    QCOMPARE(rig.columns(), (QStringList{
                                "._- G2- ._- ._-",   // a: a lone green 2
                                "G1- ._- ._- ._-",   // b: a lone green 1
                                "._- ._- ._- G4-",   // c: a lone green 4
                                ".1# .2# G3# .4#",   // d: selected, all numbers, 3 green
                            }));
    QCOMPARE(rig.highlighted_output(), 4);
    QCOMPARE(rig.st().cur_output, int16_t(4));

    QTest::mouseClick(rig.map().cell_label(4, 1), Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList{"INP001"});
    QCOMPARE(rig.columns()[3], QStringLiteral("G1# .2# .3# .4#"));
    QCOMPARE(rig.st().cur_input, int16_t(1));

    // The same green cell again: sent again, painted the same.
    QTest::mouseClick(rig.map().cell_label(4, 1), Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList{"INP001"});
    QCOMPARE(rig.columns()[3], QStringLiteral("G1# .2# .3# .4#"));

    // Selecting B shows its numbers; D keeps only its green one.
    QTest::mouseClick(rig.out(2), Qt::LeftButton);
    QCOMPARE(rig.take_received(), (QStringList{"OUT002", "INP999"}));
    QCOMPARE(rig.columns()[1], QStringLiteral("G1# .2# .3# .4#"));
    QCOMPARE(rig.columns()[3], QStringLiteral("G1- ._- ._- ._-"));
    QCOMPARE(rig.highlighted_output(), 2);
}

void RoutingMapTest::tv_wall_example() {
    Rig rig;
    rig.model.execute("MOD003");
    rig.model.execute("OUT001");
    rig.model.execute("INP003");
    rig.p().modes->cmd_mode_Click(3);
    const QStringList sent = rig.take_received();
    QCOMPARE(sent.mid(0, 3), (QStringList{"MOD003", "OUT001", "INP999"}));
    QCOMPARE(sent.filter(QStringLiteral("OUT")).size(), 1);
    QCOMPARE(rig.columns(), (QStringList{".1# .2# G3# .4#", "._- ._- ._- ._-", "._- ._- ._- ._-", "._- ._- ._- ._-"}));
    QCOMPARE(rig.out(1)->text(), QStringLiteral("Wall"));
    QCOMPARE(rig.highlighted_output(), 1);

    // The output buttons do nothing in TV Wall.
    QTest::mouseClick(rig.out(1), Qt::LeftButton);
    rig.p().map->cmd_out_Click(2);
    QVERIFY(rig.take_received().isEmpty());

    // Every INP reply paints column a, whatever output is selected.
    rig.st().cur_output = 3;
    rig.reply("INP001\r");
    QCOMPARE(rig.columns()[0], QStringLiteral("G1# .2# .3# .4#"));
    QCOMPARE(rig.columns()[2], QStringLiteral("._- ._- ._- ._-"));
}

void RoutingMapTest::cell_clicks_route_only_the_selected_column() {
    Rig rig;
    rig.device_routes(2, 1, 4, 3);
    rig.p().map->map_refresh();
    rig.take_received();
    // Column a's green "2" is visible but A is not selected.
    QVERIFY(!rig.map().cell_label(1, 2)->isHidden());
    QTest::mouseClick(rig.map().cell_label(1, 2), Qt::LeftButton);
    rig.map().lab_out_a_in_Click(3);
    rig.map().lab_out_in_Click(2, 1);
    QVERIFY(rig.take_received().isEmpty());
    rig.map().lab_out_d_in_Click(2);
    QCOMPARE(rig.take_received(), QStringList{"INP002"});
    QCOMPARE(rig.columns()[3], QStringLiteral(".1# G2# .3# .4#"));
}

void RoutingMapTest::dual_pip_routes_like_dual_pop() {
    Rig rig(4);
    QCOMPARE(rig.st().cur_mode, int16_t(2));
    QTest::mouseClick(rig.out(3), Qt::LeftButton);
    QCOMPARE(rig.take_received(), (QStringList{"OUT003", "INP999"}));
    QTest::mouseClick(rig.map().cell_label(3, 4), Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList{"INP004"});
    QCOMPARE(rig.columns()[2], QStringLiteral(".1# .2# .3# G4#"));
    QCOMPARE(rig.highlighted_output(), 3);
}

void RoutingMapTest::map_refresh_stops_at_first_unanswered_data() {
    QTest::addColumn<QString>("silent");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QString>("col_c");  // column c afterwards
    QTest::newRow("OUT003 unanswered") << "OUT003" << 5 << "._- ._- ._- ._-";
    QTest::newRow("all answered") << "" << 8 << "._- ._- ._- G4-";
}

void RoutingMapTest::map_refresh_stops_at_first_unanswered() {
    QFETCH(QString, silent);
    QFETCH(int, sent);
    QFETCH(QString, col_c);
    Rig rig;
    rig.device_routes(2, 1, 4, 3);
    if (!silent.isEmpty()) rig.device.never_answer(silent);
    rig.map().map_refresh();
    const QStringList all{"OUT001", "INP999", "OUT002", "INP999", "OUT003", "INP999", "OUT004", "INP999"};
    QCOMPARE(rig.take_received(), all.mid(0, sent));
    QCOMPARE(rig.columns()[2], col_c);
}

void RoutingMapTest::inp_after_mod_paints_previous_output() {
    Rig rig;
    rig.device_routes(2, 1, 4, 3);
    rig.map().map_refresh();  // leaves output 4 selected
    rig.reply("MOD005\r");
    for (const QString& c : rig.columns()) QVERIFY2(!c.contains(QLatin1Char('G')), qPrintable(c));
    rig.reply("INP002\r");
    // Column d was selected before the mode change; no OUT reply came since.
    QCOMPARE(rig.columns()[3], QStringLiteral(".1# G2# .3# .4#"));
    for (int c = 1; c <= 3; ++c) QVERIFY(!rig.columns()[c - 1].contains(QLatin1Char('G')));
}

void RoutingMapTest::digits_naming_nothing_are_ignored_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("OUT000") << QByteArray("OUT000\r");
    QTest::newRow("OUT009") << QByteArray("OUT009\r");
    QTest::newRow("OUT00x") << QByteArray("OUT00x\r");
    QTest::newRow("INP000") << QByteArray("INP000\r");
    QTest::newRow("INP005") << QByteArray("INP005\r");
    QTest::newRow("INP00?") << QByteArray("INP00?\r");
}

void RoutingMapTest::digits_naming_nothing_are_ignored() {
    QFETCH(QByteArray, reply);
    Rig rig;
    rig.device_routes(2, 1, 4, 3);
    rig.map().map_refresh();
    rig.take_received();
    const QStringList before = rig.columns();
    rig.reply(reply);
    QCOMPARE(rig.columns(), before);
    QCOMPARE(rig.st().cur_output, int16_t(4));
    QCOMPARE(rig.st().cur_input, int16_t(3));
    QCOMPARE(rig.highlighted_output(), 4);
    // Still works afterwards.
    rig.map().lab_out_d_in_Click(1);
    QCOMPARE(rig.take_received(), QStringList{"INP001"});
}

void RoutingMapTest::output_click_with_link_down() {
    Rig rig;
    rig.link().rs232_open = false;
    rig.map().cmd_out_Click(3);
    QCOMPARE(rig.platform.message_texts(),
             (QStringList{"RS232 port is disconnected !", "RS232 port is disconnected !"}));
    // The clicked column shows its numbers although nothing was selected.
    QCOMPARE(rig.columns()[2], QStringLiteral(".1# .2# .3# .4#"));
    QCOMPARE(rig.st().cur_output, int16_t(1));
    rig.map().lab_out_c_in_Click(1);  // not the selected output: nothing
    QCOMPARE(rig.platform.messages.size(), 2);
}

QTEST_MAIN(RoutingMapTest)
#include "routing_map.moc"
