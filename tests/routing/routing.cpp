// Routing against the simulator's device model: the display-mode layout table,
// the settle wait of mode clicks and presets, the routing map's worked and TV
// Wall examples, and the output resolution and aspect lists.

#include "device_controls/controls_rig.h"
#include "routing/display_modes.h"
#include "routing/routing_map.h"

using namespace tavrin;
using namespace tavrin::testing;

namespace {

// The captions of controls first..last of an array, joined by '|'.
QString captions(Rig& r, const QString& array, int first = 1, int last = 4) {
    QStringList out;
    for (int i = first; i <= last; ++i) out << r.c(array, i)->property("text").toString();
    return out.join('|');
}
// A map colour as a letter: G routed, . neutral grey, # black border, - grey border.
char letter(const QColor& c) {
    return c == colors::routed ? 'G' : c == colors::neutral ? '.' : c == colors::black ? '#' : c == colors::idle_lamp ? '-' : '?';
}
// The whole map as the operator sees it, one word per column a..d, one cell per
// input: fill, number (or _ when hidden), border. Label and shape must agree.
QStringList columns(Rig& r) {
    QStringList cols;
    for (int col = 1; col <= 4; ++col) {
        QStringList cells;
        for (int in = 1; in <= 4; ++in) {
            ShapeWidget* s = r.p().map->cell_shape(col, in);
            ClickLabel* l = r.p().map->cell_label(col, in);
            cells << QString(s->fill() == l->back_color() ? letter(s->fill()) : '?') +
                         (l->isHidden() ? '_' : char('0' + in)) + letter(s->border());
        }
        cols << cells.join(' ');
    }
    return cols;
}

struct Layout {
    const char* name;
    int digit, cur_mode, dual_kind;
    const char *outs, *pics, *enabled, *shown, *options;  // frames enabled (device on) and shown
    bool pip;
};
// clang-format off
const Layout kLayouts[] = {
    {"Matrix",   1, 1, 2, "A|B|C|D",     "ALL|||",                  "",              "dual_a dual_b", "kept|kept",  false},
    {"Dual PoP", 2, 2, 1, "AL|AR|BL|BR", "AL|AR|BL|BR",             "dual_a dual_b", "dual_a dual_b", "Left|Right", false},
    {"TV Wall",  3, 3, 2, "Wall|||",     "Out A|Out B|Out C|Out D", "bezel",         "dual_a dual_b", "kept|kept",  false},
    {"Dual PiP", 4, 2, 2, "AM|AS|BM|BS", "AM|AS|BM|BS",             "dual_a dual_b", "dual_a dual_b", "Main|Sub",   true},
    {"Quad",     5, 5, 2, "Q1|Q2|Q3|Q4", "Q1|Q2|Q3|Q4",             "quad",          "quad",          "kept|kept",  false}};
// clang-format on

}  // namespace

class RoutingTest : public QObject {
    Q_OBJECT
private slots:
    void layout_table_data() {
        QTest::addColumn<int>("k");  // each layout, odd rows in standby
        for (int k = 0; k < 10; ++k) QTest::addRow("%s%s", kLayouts[k / 2].name, k % 2 ? ", standby" : "") << k;
    }

    void layout_table() {
        QFETCH(int, k);
        const Layout& c = kLayouts[k / 2];
        const bool standby = k % 2;
        Rig rig(Device::On);
        // Matrix after Dual PiP, a routed cell, output B selected, and boxes to lose.
        for (const char* r : {"MOD004", "MOD001", "OUT002", "INP003"}) rig.reply(r);
        for (int i = 0; i < 16; ++i) rig.box(i % 4, i / 4 + 1)->setText("9");
        for (const char* o : {"opt_da(1)", "opt_da(2)", "opt_db(1)", "opt_db(2)"})
            rig.c<QRadioButton>(o)->setText("kept");
        if (standby) rig.reply("PWR000");
        rig.reply("MOD00" + QByteArray::number(c.digit));

        QVERIFY(rig.st().cur_mode == c.cur_mode && rig.st().dual_kind == c.dual_kind);
        QCOMPARE(rig.highlighted("cmd_mode", 5), c.digit);
        QCOMPARE(captions(rig, "cmd_out"), QString(c.outs));
        for (int g = 0; g < 4; ++g) {
            QCOMPARE(captions(rig, QStringLiteral("lab_") + kGroups[g]), QString(c.pics));
            for (int i = 1; i <= 4; ++i) {
                const bool off = c.digit == 1 && i > 1;  // Matrix has row 1 only
                // The slider itself: in standby its frame keeps it off as well.
                QCOMPARE(rig.slider(g, i)->testAttribute(Qt::WA_ForceDisabled), off);
                QCOMPARE(rig.box(g, i)->text(), QString(off ? "" : "9"));
            }
        }
        for (const QString f : {"dual_a", "dual_b", "quad", "bezel"}) {
            QCOMPARE(rig.c("fra_" + f)->isEnabled(), !standby && QString(c.enabled).contains(f));
            if (f != "bezel") QCOMPARE(!rig.c("fra_" + f)->isHidden(), QString(c.shown).contains(f));
        }
        for (const char* o : {"opt_da", "opt_db"})
            QCOMPARE(captions(rig, o, 1, 2), QString(standby ? "kept|kept" : c.options));
        QVERIFY(rig.c("lab_pip")->isHidden() != c.pip && rig.c("sha_pip")->isHidden() != c.pip);
        // The map waits for the next INP reply; TV Wall also drops the output selection.
        QVERIFY(!columns(rig).join(' ').contains('G'));
        QCOMPARE(rig.highlighted("cmd_out", 4), c.digit == 3 ? 0 : 2);
        QVERIFY(rig.take_received().isEmpty());
    }

    void settle_wait() {
        // A button of an array clicked, the link up (the answer comes late) or down (none comes), what goes out.
        const QStringList mode5 = QStringList{"MOD005"} + kMapQueries + picture_queries(5) + QStringList{"ASP999"};
        const struct { QString array; int index; bool link_up; QStringList sent; } clicks[] = {
            {"cmd_mode", 5, true, mode5}, {"cmd_recall", 2, true, QStringList{"CAL002"} + kMapQueries},
            {"cmd_save", 3, true, {"SAV003"}},  // no map read
            {"cmd_mode", 3, false, {}}, {"cmd_recall", 1, false, {}}};
        for (const auto& c : clicks) {
            Rig rig(Device::On);
            const int count = c.array == "cmd_mode" ? 5 : 4;
            if (c.link_up)
                rig.device.answer(c.sent[0], c.sent[0].toLatin1() + '\r', 2500);  // far beyond tx_cmd's wait
            else
                rig.link().serial_closed();
            const qint64 start = rig.platform.now;
            qint64 disabled_until = 0;
            bool answered_while_settling = false;
            rig.platform.then_on_pump = [&] {
                if (rig.row_is(c.array, 1, count, false)) disabled_until = rig.platform.now;
                if (!answered_while_settling && rig.highlighted(c.array, count) == c.index)  // the answer is shown
                    answered_while_settling = !rig.link().awaiting_reply();
            };
            QTest::mouseClick(rig.c<ColorButton>(c.array, c.index), Qt::LeftButton);
            QCOMPARE(rig.take_received(), c.sent);
            QCOMPARE(disabled_until, rig.platform.now);  // the buttons stay disabled until the click is done
            QVERIFY(rig.row_is(c.array, 1, count, true));
            if (c.link_up) {
                QVERIFY(answered_while_settling && rig.platform.now - start < 5000);  // the wait ended with the answer
                QCOMPARE(rig.highlighted("cmd_out", 4), c.sent.size() > 1 ? 4 : 0);  // where the map read ended
            } else {
                QCOMPARE(rig.platform.message_texts(), QStringList{"RS232 port is disconnected !"});
                QVERIFY(rig.platform.now - start >= 5000);  // the whole settle wait, in fake time
            }
        }
    }

    void map_examples() {
        Rig rig(Device::On);
        for (const char* cmd : {"OUT001", "INP002", "OUT002", "INP001", "OUT003", "INP004", "OUT004", "INP003"})
            rig.model.execute(cmd);  // A from 2, B from 1, C from 4, D from 3
        rig.p().modes->cmd_mode_Click(1);
        QCOMPARE(rig.take_received().mid(0, 9), QStringList{"MOD001"} + kMapQueries);
        QCOMPARE(columns(rig),
                 (QStringList{"._- G2- ._- ._-", "G1- ._- ._- ._-", "._- ._- ._- G4-", ".1# .2# G3# .4#"}));
        QTest::mouseClick(rig.p().map->cell_label(1, 2), Qt::LeftButton);  // a visible number outside D
        QTest::mouseClick(rig.p().map->cell_label(4, 1), Qt::LeftButton);
        QCOMPARE(rig.take_received(), QStringList{"INP001"});
        QCOMPARE(columns(rig)[3], QStringLiteral("G1# .2# .3# .4#"));
        // Selecting B shows its numbers; D keeps only its green one.
        QTest::mouseClick(rig.c<ColorButton>("cmd_out", 2), Qt::LeftButton);
        QCOMPARE(rig.take_received(), (QStringList{"OUT002", "INP999"}));
        QCOMPARE(columns(rig),
                 (QStringList{"._- G2- ._- ._-", "G1# .2# .3# .4#", "._- ._- ._- G4-", "G1- ._- ._- ._-"}));

        // TV Wall: output 1 only, and every INP reply paints column a.
        for (const char* cmd : {"MOD003", "INP003"})
            rig.model.execute(cmd);
        rig.p().modes->cmd_mode_Click(3);
        QCOMPARE(rig.take_received(),
                 (QStringList{"MOD003", "OUT001", "INP999"} + picture_queries(3) + QStringList{"ASP999"}));
        const QString grey = "._- ._- ._- ._-";
        QCOMPARE(columns(rig), (QStringList{".1# .2# G3# .4#", grey, grey, grey}));
        QCOMPARE(rig.highlighted("cmd_out", 4), 1);
        QTest::mouseClick(rig.c<ColorButton>("cmd_out", 2), Qt::LeftButton);  // the wall is the only output
        QVERIFY(rig.take_received().isEmpty());
        rig.st().cur_output = 3;
        rig.reply("INP001");
        QCOMPARE(columns(rig), (QStringList{"G1# .2# .3# .4#", grey, grey, grey}));
        // A preset recalled in TV Wall re-reads the wall as the mode click does.
        for (const char* cmd : {"SAV002", "INP002"})
            rig.model.execute(cmd);
        QTest::mouseClick(rig.c<ColorButton>("cmd_recall", 2), Qt::LeftButton);
        QCOMPARE(rig.take_received(), (QStringList{"CAL002", "OUT001", "INP999"}));
        QCOMPARE(columns(rig), (QStringList{".1# .2# G3# .4#", grey, grey, grey}));
    }

    void resolution_and_aspect() {
        Rig rig(Device::On);
        auto* out = rig.c<QComboBox>("cbo_output");
        // Matrix: every entry goes out; 1080i (positions 4 and 5) locks the other modes.
        for (int k : {0, 1, 2, 3, 4, 5, 6, 7, 5, 2}) {
            pick(out, k);
            QCOMPARE(rig.take_received(), QStringList{"RES" + Link::Pad3(k + 1)});
            QVERIFY(rig.row_is("cmd_mode", 2, 5, k != 4 && k != 5) && rig.c("cmd_mode", 1)->isEnabled());
        }
        // Every other mode refuses 1080i: "RES999" only, whose answer puts the list back before the warning.
        int index_at_message = -2;
        rig.platform.on_message = [&](const QString&) { index_at_message = out->currentIndex(); };
        for (const char* mode : {"MOD002", "MOD003", "MOD004", "MOD005"})
            for (int k : {4, 5}) {
                rig.both(mode);
                pick(out, k);
                QVERIFY(index_at_message == 2 && rig.st().cmd_enable && rig.row_is("cmd_mode", 1, 5, true));
            }
        QCOMPARE(rig.platform.messages, (QList<QPair<QString, MsgIcon>>(8, {
                     "1080i50/60 are not supported for Dual PoP, TV Wall, Dual PiP, Quad", MsgIcon::Exclamation})));
        pick(out, 6);  // progressive entries go out as in Matrix, without a lock
        for (int k = 0; k <= 4; ++k)
            pick(rig.c<QComboBox>("cbo_aspect"), k);
        QCOMPARE(rig.take_received(),
                 (QStringList(8, "RES999") + QStringList{"RES007", "ASP000", "ASP001", "ASP002", "ASP003", "ASP004"}));

        // Replies select without sending; a number naming no entry clears the selection.
        const std::pair<const char*, int> replies[] = {{"RES001", 0},  {"RES114", 13}, {"RES005", 4},
                                                       {"RES000", -1}, {"RES099", -1}, {"ASP002", 2},
                                                       {"ASP004", 4},  {"ASP007", -1}};
        for (const auto& [reply, selected] : replies) {
            auto* list = rig.c<QComboBox>(reply[0] == 'R' ? "cbo_output" : "cbo_aspect");
            list->setCurrentIndex(3);
            rig.reply(reply);
            QVERIFY2(list->currentIndex() == selected && rig.st().cmd_enable, reply);
        }
        QVERIFY(rig.take_received().isEmpty() && rig.row_is("cmd_mode", 1, 5, true));  // a reported 1080i locks nothing
    }
};

QTEST_MAIN(RoutingTest)
#include "routing.moc"
