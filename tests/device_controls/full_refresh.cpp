// The full refresh against a modelled device: the complete command sequence
// per mode, power state and view, where an unanswered query ends it, and the
// controls showing what the device holds afterwards.

#include "device_controls/presets.h"
#include "device_model.h"
#include "support/panel_rig.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

const QByteArray compact_ini("0\r\n1\r\n#FALSE#\r\n\"\"\r\n");

// The panel on fakes with the simulator's device model answering.
struct Rig : PanelRig {
    explicit Rig(bool advanced = true) : PanelRig(Start::Serial, advanced ? QByteArray() : compact_ini) {
        device.responder = [this](const QString& cmd) {
            QList<QByteArray> out;
            if (!silent.contains(cmd)) out << model.execute(cmd.toLatin1());
            return out;
        };
        take_received();
    }
    // Sets the device up as its front panel would.
    void device_does(const QStringList& commands) {
        for (const QString& c : commands) QVERIFY2(!model.execute(c.toLatin1()).startsWith("ERR"), qPrintable(c));
    }
    sim::DeviceModel model;
    QStringList silent;
};

QStringList head() {
    return {"VER999", "VR2999", "AUA999", "AUB999", "AUD999", "AUE999", "AUQ999", "BEH999", "BEV999",
            "BEZ999", "BEH998", "BEV998", "LCK999", "PWR999", "RES999", "MOD999"};
}
QStringList map_queries() {
    return {"OUT001", "INP999", "OUT002", "INP999", "OUT003", "INP999", "OUT004", "INP999"};
}
QStringList picture_queries(bool rows) {
    if (!rows) return {"BRI999", "CON999", "HUE999", "SAT999"};
    QStringList out;
    for (int n = 1; n <= 4; ++n)
        for (const char* code : {"BRI", "CON", "HUE", "SAT"}) out << QLatin1String(code) + QStringLiteral("99") + QString::number(n);
    return out;
}

}  // namespace

class FullRefreshTest : public QObject {
    Q_OBJECT
private slots:
    void sequence_data();
    void sequence();
    void quad_device_shows_on_every_control();
    void button_and_start_image_while_running();
    void unanswered_query_ends_the_chain_data();
    void unanswered_query_ends_the_chain();
    void link_down_shows_one_message();
};

void FullRefreshTest::sequence_data() {
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<bool>("advanced");
    QTest::addColumn<QStringList>("expected");
    const QStringList tail_with_out{"OUT999", "INP999", "ASP999"};
    QTest::newRow("quad, advanced") << QStringList{"MOD005"} << true
                                    << head() + tail_with_out + map_queries() + picture_queries(true);
    QTest::newRow("quad, compact") << QStringList{"MOD005"} << false << head() + tail_with_out + map_queries();
    QTest::newRow("tv wall, advanced") << QStringList{"MOD003"} << true
                                       << head() + QStringList{"INP999", "ASP999"} + map_queries() +
                                              picture_queries(true);
    QTest::newRow("matrix, advanced") << QStringList{"MOD001"} << true
                                      << head() + tail_with_out + map_queries() + picture_queries(false);
    QTest::newRow("dual pip, advanced") << QStringList{"MOD004"} << true
                                        << head() + tail_with_out + map_queries() + picture_queries(true);
    QTest::newRow("quad, standby") << QStringList{"MOD005", "PWR000"} << true
                                   << head() + tail_with_out + map_queries() + picture_queries(true);
}

void FullRefreshTest::sequence() {
    QFETCH(QStringList, setup);
    QFETCH(bool, advanced);
    QFETCH(QStringList, expected);
    Rig rig(advanced);
    rig.device_does(setup);
    QCOMPARE(rig.st().advanced_view, advanced);
    QTest::mouseClick(rig.w().ctl<ColorButton>(QStringLiteral("cmd_refresh")), Qt::LeftButton);
    QCOMPARE(rig.take_received(), expected);
    QVERIFY(rig.platform.messages.isEmpty());
    QVERIFY(!rig.st().bezel_max_query);
}

void FullRefreshTest::quad_device_shows_on_every_control() {
    Rig rig;
    rig.device_does({"MOD005", "AUQ003", "AUE002", "AUD000", "BEZ001", "BEH040", "BEV120", "RES003", "ASP002",
                     "LCK001"});
    rig.p().presets->cmd_refresh_Click();
    FrmMain& w = rig.w();

    QVERIFY(w.ctl_at<QRadioButton>(QStringLiteral("opt_quad"), 3)->isChecked());
    QVERIFY(w.ctl_at<QRadioButton>(QStringLiteral("opt_audio"), 2)->isChecked());
    QVERIFY(w.ctl_at<QRadioButton>(QStringLiteral("opt_da"), 1)->isChecked());
    QVERIFY(w.ctl_at<QRadioButton>(QStringLiteral("opt_db"), 1)->isChecked());
    QCOMPARE(rig.st().audio_state, int16_t(0));
    QCOMPARE(w.ctl<ColorButton>(QStringLiteral("cmd_mute"))->picture_file(),
             w.bitmap_path(QStringLiteral("speaker_off.bmp")));
    QVERIFY(w.ctl_at<QRadioButton>(QStringLiteral("opt_bezel_onoff"), 1)->isChecked());
    auto* h = w.ctl<VbSlider>(QStringLiteral("hsr_bezel_h"));
    auto* v = w.ctl<VbSlider>(QStringLiteral("hsr_bezel_v"));
    // Values are read under the old range, then the device's limits apply.
    QCOMPARE(h->maximum(), rig.model.config().bezel_h_max);
    QCOMPARE(v->maximum(), rig.model.config().bezel_v_max);
    QCOMPARE(h->value(), 40);
    QCOMPARE(v->value(), 120);
    QCOMPARE(w.ctl<QLineEdit>(QStringLiteral("txt_bezel_h"))->text(), QStringLiteral(" 40"));
    QCOMPARE(w.ctl<QComboBox>(QStringLiteral("cbo_output"))->currentIndex(), 2);
    QCOMPARE(w.ctl<QComboBox>(QStringLiteral("cbo_aspect"))->currentIndex(), 2);
    QCOMPARE(rig.st().cur_mode, int16_t(5));
    QCOMPARE(rig.st().lock_state, int16_t(1));
    QCOMPARE(rig.st().pwr_state, int16_t(1));
    QCOMPARE(rig.st().cur_output, int16_t(4));  // the map read ends on output D
    QVERIFY(rig.st().cmd_enable);
    QVERIFY(rig.take_received().size() > 40);  // nothing was sent back by a reply
}

void FullRefreshTest::button_and_start_image_while_running() {
    Rig rig;
    auto* refresh = rig.w().ctl<ColorButton>(QStringLiteral("cmd_refresh"));
    QColor color_during;
    bool enabled_during = true;
    rig.device.responder = [&, inner = rig.device.responder](const QString& cmd) {
        if (cmd == QLatin1String("MOD999")) {
            color_during = refresh->back_color();
            enabled_during = refresh->isEnabled();
        }
        return inner(cmd);
    };
    QVERIFY(!rig.w().control(QStringLiteral("img_start"))->isHidden());
    rig.p().presets->cmd_refresh_Click();
    QCOMPARE(color_during, colors::in_progress);
    QVERIFY(!enabled_during);
    QCOMPARE(refresh->back_color(), colors::neutral);
    QVERIFY(refresh->isEnabled());
    QVERIFY(rig.w().control(QStringLiteral("img_start"))->isHidden());
    for (const char* name : {"cmd_keypad", "lab_lab_input", "sha_lab_in"})
        QVERIFY2(!rig.w().control(QLatin1String(name))->isHidden(), name);
}

void FullRefreshTest::unanswered_query_ends_the_chain_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("silent");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("version") << "MOD005" << "VER999" << QStringList{"VER999"};
    QTest::newRow("second version") << "MOD005" << "VR2999" << QStringList{"VER999", "VR2999"};
    QTest::newRow("lock") << "MOD005" << "LCK999" << head().mid(0, 13);
    QTest::newRow("bezel limit") << "MOD005" << "BEH998" << head().mid(0, 11);
    QTest::newRow("mode") << "MOD005" << "MOD999" << head();
    QTest::newRow("output") << "MOD005" << "OUT999" << head() + QStringList{"OUT999"};
    QTest::newRow("input") << "MOD003" << "INP999" << head() + QStringList{"INP999"};
    // The last query's outcome does not matter: the map and picture follow.
    QTest::newRow("aspect") << "MOD001" << "ASP999"
                            << head() + QStringList{"OUT999", "INP999", "ASP999"} + map_queries() +
                                   picture_queries(false);
}

void FullRefreshTest::unanswered_query_ends_the_chain() {
    QFETCH(QString, mode);
    QFETCH(QString, silent);
    QFETCH(QStringList, expected);
    Rig rig;
    rig.device_does({mode});
    rig.silent << silent;
    rig.p().presets->cmd_refresh_Click();
    QCOMPARE(rig.take_received(), expected);
    auto* refresh = rig.w().ctl<ColorButton>(QStringLiteral("cmd_refresh"));
    QVERIFY(refresh->isEnabled());
    QCOMPARE(refresh->back_color(), colors::neutral);
    if (silent == QLatin1String("BEH998")) QVERIFY(rig.st().bezel_max_query);  // still waiting for a limit
}

void FullRefreshTest::link_down_shows_one_message() {
    Rig rig;
    rig.link().rs232_open = false;
    rig.serial.close();
    rig.p().presets->cmd_refresh_Click();
    QCOMPARE(rig.platform.message_texts(), QStringList{"RS232 port is disconnected !"});
    QVERIFY(rig.take_received().isEmpty());
    QVERIFY(rig.w().ctl<ColorButton>(QStringLiteral("cmd_refresh"))->isEnabled());
}

QTEST_MAIN(FullRefreshTest)
#include "full_refresh.moc"
