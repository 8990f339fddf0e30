// Display modes: the layout table of the MOD reply row by row (device on and
// in standby), the mode click's chain with a late answer, with no answer and
// with the link down, and digits that name no mode.

#include "routing/display_modes.h"
#include "support/panel_rig.h"

#include "device_model.h"

#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

const char* const kGroups[] = {"con", "bri", "sat", "hue"};

struct Rig : PanelRig {
    sim::DeviceModel model;
    Rig() {
        device.responder = [this](const QString& cmd) -> QList<QByteArray> {
            const QByteArray r = model.execute(cmd.toLatin1());
            if (r.isEmpty()) return {};
            return {r};
        };
        take_received();
    }
    void reply(const QByteArray& bytes) {
        device.send_unsolicited(bytes, false);
        platform.advance(5);
    }
    ColorButton* mode(int i) { return w().ctl_at<ColorButton>(QStringLiteral("cmd_mode"), i); }
    ColorButton* out(int i) { return w().ctl_at<ColorButton>(QStringLiteral("cmd_out"), i); }
    QWidget* ctl(const char* name) { return w().control(QLatin1String(name)); }
    QString captions(const char* array, int first, int last) {
        QStringList c;
        for (int i = first; i <= last; ++i) {
            QWidget* wd = w().control(QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(i));
            if (auto* b = qobject_cast<QAbstractButton*>(wd)) c << b->text();
            else if (auto* l = qobject_cast<QLabel*>(wd)) c << l->text();
        }
        return c.join(QLatin1Char('|'));
    }
    int highlighted(const char* array, int count) {
        int found = 0;
        for (int i = 1; i <= count; ++i)
            if (w().ctl_at<ColorButton>(QLatin1String(array), i)->back_color() == colors::selected) found = found ? -1 : i;
        return found;
    }
    bool all_modes_enabled(bool on) {
        for (int i = 1; i <= 5; ++i)
            if (mode(i)->isEnabled() != on) return false;
        return true;
    }
};

}  // namespace

class DisplayModesTest : public QObject {
    Q_OBJECT
private slots:
    void layout_table_data();
    void layout_table();
    void standby_keeps_audio_and_bezel_off_data();
    void standby_keeps_audio_and_bezel_off();
    void matrix_after_dual_keeps_dual_frames_visible();
    void pip_indicator_follows_dual_kind();
    void late_answer_within_settle_wait();
    void unanswered_mode_click();
    void mode_click_with_link_down();
    void digits_naming_no_mode_are_ignored_data();
    void digits_naming_no_mode_are_ignored();
};

void DisplayModesTest::layout_table_data() {
    QTest::addColumn<int>("digit");
    QTest::addColumn<int>("cur_mode");
    QTest::addColumn<int>("dual_kind");   // after a PoP reply first (kept unless written)
    QTest::addColumn<QString>("outs");
    QTest::addColumn<QString>("pics");
    QTest::addColumn<QString>("enabled_frames");  // of dual_a, dual_b, quad, bezel
    QTest::addColumn<QString>("shown_frames");    // of dual_a, dual_b, quad
    QTest::addColumn<QString>("options");         // opt_da(1..2)
    QTest::addColumn<bool>("rows_2_to_4");        // sliders enabled
    QTest::addColumn<bool>("pip");

    QTest::newRow("1 Matrix") << 1 << 1 << 1 << "A|B|C|D" << "ALL|||" << "" << "dual_a dual_b" << "Left|Right" << false << false;
    QTest::newRow("2 Dual PoP") << 2 << 2 << 1 << "AL|AR|BL|BR" << "AL|AR|BL|BR" << "dual_a dual_b" << "dual_a dual_b"
                                << "Left|Right" << true << false;
    QTest::newRow("3 TV Wall") << 3 << 3 << 1 << "Wall|||" << "Out A|Out B|Out C|Out D" << "bezel" << "dual_a dual_b"
                               << "Left|Right" << true << false;
    QTest::newRow("4 Dual PiP") << 4 << 2 << 2 << "AM|AS|BM|BS" << "AM|AS|BM|BS" << "dual_a dual_b" << "dual_a dual_b"
                                << "Main|Sub" << true << true;
    QTest::newRow("5 Quad") << 5 << 5 << 1 << "Q1|Q2|Q3|Q4" << "Q1|Q2|Q3|Q4" << "quad" << "quad" << "Left|Right" << true
                            << false;
}

void DisplayModesTest::layout_table() {
    QFETCH(int, digit);
    QFETCH(int, cur_mode);
    QFETCH(int, dual_kind);
    QFETCH(QString, outs);
    QFETCH(QString, pics);
    QFETCH(QString, enabled_frames);
    QFETCH(QString, shown_frames);
    QFETCH(QString, options);
    QFETCH(bool, rows_2_to_4);
    QFETCH(bool, pip);
    Rig rig;
    rig.reply("PWR001\r");   // every frame enabled
    rig.reply("MOD002\r");   // a known start: Dual PoP
    // Something to lose: green cells, value boxes, a highlighted output.
    rig.reply("OUT002\r");
    rig.reply("INP003\r");
    for (const char* g : kGroups)
        for (int i = 1; i <= 4; ++i)
            rig.w().ctl_at<QLineEdit>(QStringLiteral("txt_") + QLatin1String(g), i)->setText(QStringLiteral("9"));

    rig.reply("MOD00" + QByteArray::number(digit) + '\r');
    QCOMPARE(rig.st().cur_mode, int16_t(cur_mode));
    QCOMPARE(rig.st().dual_kind, int16_t(dual_kind));
    QCOMPARE(rig.highlighted("cmd_mode", 5), digit);
    QCOMPARE(rig.captions("cmd_out", 1, 4), outs);
    for (const char* g : kGroups) {
        QCOMPARE(rig.captions((QByteArray("lab_") + g).constData(), 1, 4), pics);
        for (int i = 2; i <= 4; ++i) {
            QCOMPARE(rig.w().ctl_at<VbSlider>(QStringLiteral("hsr_") + QLatin1String(g), i)->isEnabled(), rows_2_to_4);
            QCOMPARE(rig.w().ctl_at<QLineEdit>(QStringLiteral("txt_") + QLatin1String(g), i)->text(),
                     digit == 1 ? QString() : QStringLiteral("9"));
        }
        QVERIFY(rig.w().ctl_at<VbSlider>(QStringLiteral("hsr_") + QLatin1String(g), 1)->isEnabled());
    }
    const QStringList en = enabled_frames.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QStringList shown = shown_frames.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const char* f : {"dual_a", "dual_b", "quad", "bezel"}) {
        QCOMPARE(rig.ctl((QByteArray("fra_") + f).constData())->isEnabled(), en.contains(QLatin1String(f)));
        if (qstrcmp(f, "bezel") != 0)
            QCOMPARE(!rig.ctl((QByteArray("fra_") + f).constData())->isHidden(), shown.contains(QLatin1String(f)));
    }
    QCOMPARE(rig.captions("opt_da", 1, 2), options);
    QCOMPARE(rig.captions("opt_db", 1, 2), options);
    QCOMPARE(!rig.ctl("lab_pip")->isHidden(), pip);
    QCOMPARE(!rig.ctl("sha_pip")->isHidden(), pip);
    // The map is grey until the next INP reply; the output buttons are not re-highlighted here
    // except that TV Wall greys them all.
    for (const char* col : {"a", "b", "c", "d"})
        for (int i = 1; i <= 4; ++i) {
            QCOMPARE(rig.w().ctl_at<ShapeWidget>(QStringLiteral("sha_out_%1_in").arg(QLatin1String(col)), i)->fill(), colors::neutral);
            QCOMPARE(rig.w().ctl_at<ClickLabel>(QStringLiteral("lab_out_%1_in").arg(QLatin1String(col)), i)->back_color(), colors::neutral);
        }
    QCOMPARE(rig.highlighted("cmd_out", 4), digit == 3 ? 0 : 2);
    QVERIFY(rig.take_received().isEmpty());
}

void DisplayModesTest::standby_keeps_audio_and_bezel_off_data() {
    QTest::addColumn<int>("digit");
    QTest::addColumn<QString>("outs");
    QTest::addColumn<QString>("shown_frames");
    QTest::newRow("2 Dual PoP") << 2 << "AL|AR|BL|BR" << "dual_a dual_b";
    QTest::newRow("3 TV Wall") << 3 << "Wall|||" << "quad";
    QTest::newRow("4 Dual PiP") << 4 << "AM|AS|BM|BS" << "dual_a dual_b";
    QTest::newRow("5 Quad") << 5 << "Q1|Q2|Q3|Q4" << "quad";
}

void DisplayModesTest::standby_keeps_audio_and_bezel_off() {
    QFETCH(int, digit);
    QFETCH(QString, outs);
    QFETCH(QString, shown_frames);
    Rig rig;
    rig.reply("PWR001\r");
    rig.reply("MOD005\r");  // quad shown
    rig.reply("PWR000\r");
    rig.reply("MOD001\r");  // rows 2 to 4 off
    for (const char* o : {"opt_da(1)", "opt_da(2)", "opt_db(1)", "opt_db(2)"})
        rig.w().ctl<QRadioButton>(QLatin1String(o))->setText(QStringLiteral("kept"));
    rig.reply("MOD00" + QByteArray::number(digit) + '\r');
    QCOMPARE(rig.captions("cmd_out", 1, 4), outs);
    for (const char* f : {"fra_dual_a", "fra_dual_b", "fra_quad", "fra_bezel"}) QVERIFY2(!rig.ctl(f)->isEnabled(), f);
    const QStringList shown = shown_frames.split(QLatin1Char(' '));
    for (const char* f : {"dual_a", "dual_b", "quad"})
        QCOMPARE(!rig.ctl((QByteArray("fra_") + f).constData())->isHidden(), shown.contains(QLatin1String(f)));
    QCOMPARE(rig.captions("opt_da", 1, 2), QStringLiteral("kept|kept"));
    QCOMPARE(rig.captions("opt_db", 1, 2), QStringLiteral("kept|kept"));
    // The slider itself is enabled again; only its frame keeps it off.
    QVERIFY(!rig.w().ctl_at<VbSlider>(QStringLiteral("hsr_sat"), 3)->testAttribute(Qt::WA_ForceDisabled));
    QVERIFY(!rig.ctl("fra_pic")->isEnabled());
}

void DisplayModesTest::matrix_after_dual_keeps_dual_frames_visible() {
    Rig rig;
    rig.reply("PWR001\r");
    rig.reply("MOD002\r");
    rig.reply("MOD001\r");
    QVERIFY(!rig.ctl("fra_dual_a")->isHidden());
    QVERIFY(!rig.ctl("fra_dual_b")->isHidden());
    QVERIFY(!rig.ctl("fra_dual_a")->isEnabled());
    QVERIFY(!rig.ctl("fra_dual_b")->isEnabled());
    QVERIFY(rig.ctl("fra_quad")->isHidden());
}

void DisplayModesTest::pip_indicator_follows_dual_kind() {
    Rig rig;
    rig.reply("PWR001\r");
    rig.echo_device();
    rig.p().modes->cmd_mode_Click(4);
    QCOMPARE(rig.highlighted("cmd_mode", 5), 4);
    QCOMPARE(rig.st().cur_mode, int16_t(2));
    QCOMPARE(rig.st().dual_kind, int16_t(2));
    QVERIFY(!rig.ctl("lab_pip")->isHidden());
    rig.p().modes->cmd_mode_Click(5);
    QVERIFY(rig.ctl("lab_pip")->isHidden());
    QCOMPARE(rig.st().dual_kind, int16_t(2));  // kept while another mode is reported
    rig.p().modes->cmd_mode_Click(2);
    QCOMPARE(rig.st().dual_kind, int16_t(1));
    QVERIFY(rig.ctl("sha_pip")->isHidden());
}

void DisplayModesTest::late_answer_within_settle_wait() {
    Rig rig;
    rig.reply("PWR001\r");
    rig.model.execute("MOD005");
    // Far beyond tx_cmd's own wait (301 slices), well within the settle wait.
    rig.device.answer(QStringLiteral("MOD005"), "MOD005\r", 2500);
    bool disabled_while_settling = true;
    bool answered_in_settle_wait = false;
    const auto device_step = rig.platform.on_pump;
    rig.platform.on_pump = [&] {
        device_step();
        if (rig.st().cur_mode == 5 && !answered_in_settle_wait) {
            answered_in_settle_wait = !rig.link().awaiting_reply;  // unsolicited path, not tx_cmd
            disabled_while_settling = rig.all_modes_enabled(false);
        }
    };
    rig.w().ctl_at<ColorButton>(QStringLiteral("cmd_recall"), 2)->set_back_color(colors::selected);
    QTest::mouseClick(rig.mode(5), Qt::LeftButton);
    QVERIFY(answered_in_settle_wait);
    QVERIFY(disabled_while_settling);

    QStringList expect{"MOD005"};
    for (int n = 1; n <= 4; ++n) expect << QStringLiteral("OUT00%1").arg(n) << QStringLiteral("INP999");
    for (int n = 1; n <= 4; ++n)
        for (const char* c : {"BRI", "CON", "HUE", "SAT"}) expect << QLatin1String(c) + QStringLiteral("99%1").arg(n);
    expect << QStringLiteral("ASP999");
    QCOMPARE(rig.take_received(), expect);
    QCOMPARE(rig.highlighted("cmd_mode", 5), 5);
    QCOMPARE(rig.highlighted("cmd_out", 4), 4);
    QCOMPARE(rig.highlighted("cmd_recall", 4), 0);
    QVERIFY(rig.all_modes_enabled(true));
    QCOMPARE(rig.captions("cmd_out", 1, 4), QStringLiteral("Q1|Q2|Q3|Q4"));
}

void DisplayModesTest::unanswered_mode_click() {
    Rig rig;
    rig.reply("PWR001\r");
    rig.reply("MOD001\r");
    rig.reply("OUT003\r");
    rig.device.never_answer(QStringLiteral("MOD002"));
    rig.p().modes->cmd_mode_Click(2);
    QCOMPARE(rig.take_received(), QStringList{"MOD002"});
    QCOMPARE(rig.st().cur_mode, int16_t(1));
    QCOMPARE(rig.highlighted("cmd_mode", 5), 0);
    QCOMPARE(rig.highlighted("cmd_out", 4), 3);
    QVERIFY(rig.all_modes_enabled(true));
    QCOMPARE(rig.captions("cmd_out", 1, 4), QStringLiteral("A|B|C|D"));
}

void DisplayModesTest::mode_click_with_link_down() {
    Rig rig;
    rig.reply("PWR001\r");
    rig.link().rs232_open = false;
    const qint64 start = rig.platform.now;
    qint64 last_disabled = 0;
    const auto device_step = rig.platform.on_pump;
    rig.platform.on_pump = [&] {
        device_step();
        if (rig.all_modes_enabled(false)) last_disabled = rig.platform.now;
    };
    rig.p().modes->cmd_mode_Click(3);
    QCOMPARE(rig.platform.message_texts(), QStringList{"RS232 port is disconnected !"});
    QVERIFY(rig.take_received().isEmpty());
    // The buttons stayed disabled through the whole settle wait (fake clock).
    QVERIFY2(last_disabled - start >= 5000, qPrintable(QString::number(last_disabled - start)));
    QVERIFY(rig.all_modes_enabled(true));
    QCOMPARE(rig.highlighted("cmd_out", 4), 0);  // TV Wall click: no re-highlight
}

void DisplayModesTest::digits_naming_no_mode_are_ignored_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("MOD000") << QByteArray("MOD000\r");
    QTest::newRow("MOD006") << QByteArray("MOD006\r");
    QTest::newRow("MOD009") << QByteArray("MOD009\r");
    QTest::newRow("MOD00x") << QByteArray("MOD00x\r");
}

void DisplayModesTest::digits_naming_no_mode_are_ignored() {
    QFETCH(QByteArray, reply);
    Rig rig;
    rig.reply("PWR001\r");
    rig.reply("MOD005\r");
    rig.reply("OUT002\r");
    rig.reply("INP004\r");
    rig.reply(reply);
    QCOMPARE(rig.st().cur_mode, int16_t(5));
    QCOMPARE(rig.highlighted("cmd_mode", 5), 5);
    QCOMPARE(rig.captions("cmd_out", 1, 4), QStringLiteral("Q1|Q2|Q3|Q4"));
    QCOMPARE(rig.w().ctl_at<ShapeWidget>(QStringLiteral("sha_out_b_in"), 4)->fill(), colors::routed);
    QVERIFY(rig.ctl("fra_quad")->isEnabled());
    QVERIFY(rig.st().cmd_enable);
}

QTEST_MAIN(DisplayModesTest)
#include "display_modes.moc"
