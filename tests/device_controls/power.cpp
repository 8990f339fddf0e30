// Power, lock, menu keys, factory reset and version: the power click from the
// start state, standby and the standby set, the lock toggle, the RST, VER and
// VR2 replies, and a missing bitmap.

#include "device_controls/power.h"
#include "support/panel_rig.h"

#include <QFile>
#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

struct Rig : PanelRig {
    Rig() { take_received(); }
    void reply(const QByteArray& bytes) {
        device.send_unsolicited(bytes, false);
        platform.advance(5);
    }
    ColorButton* button(const char* name) { return w().ctl<ColorButton>(QLatin1String(name)); }
    QString bmp(const char* file) { return w().bitmap_path(QLatin1String(file)); }
    bool enabled(const char* name) { return w().control(QLatin1String(name))->isEnabled(); }
};

}  // namespace

class PowerTest : public QObject {
    Q_OBJECT
private slots:
    void power_on_from_start();
    void standby_and_back();
    void power_click_with_link_down_stays_usable();
    void any_pwr_reply_enables_factory_reset_data();
    void any_pwr_reply_enables_factory_reset();
    void factory_reset_with_link_down_stays_enabled();
    void lock_toggles_from_start();
    void menu_keys_data();
    void menu_keys();
    void rst_reply_data();
    void rst_reply();
    void version_replies_data();
    void version_replies();
    void missing_bitmap_keeps_the_picture();
};

void PowerTest::power_on_from_start() {
    Rig rig;
    QCOMPARE(rig.st().pwr_state, int16_t(254));
    for (const char* name : Power::standby_set) QVERIFY2(!rig.enabled(name), name);

    // Watch the button while the device thinks about it.
    bool seen_disabled = false;
    rig.device.answer(QStringLiteral("PWR001"), "PWR001\r", 50);
    const auto device_step = rig.platform.on_pump;
    rig.platform.on_pump = [&] {
        if (rig.link().awaiting_reply && !rig.enabled("cmd_pwr") &&
            rig.button("cmd_pwr")->picture_file() == rig.bmp("power_none.bmp"))
            seen_disabled = true;
        device_step();
    };
    QTest::mouseClick(rig.button("cmd_pwr"), Qt::LeftButton);
    QVERIFY(seen_disabled);
    QCOMPARE(rig.take_received(), QStringList{"PWR001"});
    QCOMPARE(rig.st().pwr_state, int16_t(1));
    QCOMPARE(rig.button("cmd_pwr")->picture_file(), rig.bmp("power_on.bmp"));
    QCOMPARE(rig.button("cmd_mute")->picture_file(), rig.bmp("speaker_on.bmp"));
    QVERIFY(rig.enabled("cmd_pwr"));
    for (const char* name : Power::standby_set) QVERIFY2(rig.enabled(name), name);
}

void PowerTest::standby_and_back() {
    Rig rig;
    rig.echo_device();
    rig.reply("PWR001\r");
    QTest::mouseClick(rig.button("cmd_pwr"), Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList{"PWR000"});
    QCOMPARE(rig.button("cmd_pwr")->picture_file(), rig.bmp("power_standby.bmp"));
    for (const char* name : Power::standby_set) QVERIFY2(!rig.enabled(name), name);
    for (const char* name : {"cmd_pwr", "cmd_refresh", "cmd_fact_reset", "opt_interface(0)", "opt_interface(1)"})
        QVERIFY2(rig.enabled(name), name);
    QCOMPARE(rig.st().pwr_state, int16_t(0));

    // The next click asks to switch on again.
    QTest::mouseClick(rig.button("cmd_pwr"), Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList{"PWR001"});
    for (const char* name : Power::standby_set) QVERIFY2(rig.enabled(name), name);

    // Standby reported while the button is disabled by a power-on click: it
    // stays disabled until the device reports on.
    rig.device.never_answer(QStringLiteral("PWR001"));
    rig.reply("PWR000\r");
    rig.p().power->cmd_pwr_Click();
    QVERIFY(!rig.enabled("cmd_pwr"));
    rig.reply("PWR000\r");
    QVERIFY(!rig.enabled("cmd_pwr"));
    rig.reply("PWR001\r");
    QVERIFY(rig.enabled("cmd_pwr"));
}

void PowerTest::power_click_with_link_down_stays_usable() {
    Rig rig;
    rig.link().rs232_open = false;
    rig.p().power->cmd_pwr_Click();
    QCOMPARE(rig.platform.message_texts(), QStringList{"RS232 port is disconnected !"});
    QVERIFY(rig.take_received().isEmpty());
    // Nothing went out, so nothing will come back to enable the button.
    QVERIFY(rig.enabled("cmd_pwr"));
    QCOMPARE(rig.button("cmd_pwr")->picture_file(), rig.bmp("power_none.bmp"));
    QCOMPARE(rig.st().pwr_state, int16_t(1));
}

void PowerTest::any_pwr_reply_enables_factory_reset_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("on");
    QTest::newRow("PWR000") << QByteArray("PWR000\r") << false;
    QTest::newRow("PWR001") << QByteArray("PWR001\r") << true;
    QTest::newRow("PWR002 counts as on") << QByteArray("PWR002\r") << true;
    QTest::newRow("PWR00x reads as standby") << QByteArray("PWR00x\r") << false;
}

void PowerTest::any_pwr_reply_enables_factory_reset() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, on);
    Rig rig;
    rig.device.never_answer(QStringLiteral("RST001"));
    QTest::mouseClick(rig.button("cmd_fact_reset"), Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList{"RST001"});
    QVERIFY(!rig.enabled("cmd_fact_reset"));
    rig.reply(reply);
    QVERIFY(rig.enabled("cmd_fact_reset"));
    QCOMPARE(rig.button("cmd_pwr")->picture_file(), rig.bmp(on ? "power_on.bmp" : "power_standby.bmp"));
    for (const char* name : Power::standby_set) QCOMPARE(rig.enabled(name), on);
}

void PowerTest::factory_reset_with_link_down_stays_enabled() {
    Rig rig;
    rig.link().rs232_open = false;
    rig.p().power->cmd_fact_reset_Click();
    QVERIFY(rig.enabled("cmd_fact_reset"));
    QCOMPARE(rig.platform.message_texts(), QStringList{"RS232 port is disconnected !"});
}

void PowerTest::lock_toggles_from_start() {
    Rig rig;
    rig.reply("PWR001\r");
    QCOMPARE(rig.st().lock_state, int16_t(254));
    const QImage design = rig.button("cmd_lock")->picture();
    rig.device.never_answer(QStringLiteral("LCK001"));
    rig.device.never_answer(QStringLiteral("LCK000"));
    QTest::mouseClick(rig.button("cmd_lock"), Qt::LeftButton);
    QTest::mouseClick(rig.button("cmd_lock"), Qt::LeftButton);
    QCOMPARE(rig.take_received(), (QStringList{"LCK001", "LCK000"}));
    QCOMPARE(rig.button("cmd_lock")->picture(), design);  // the click paints nothing

    rig.p().power->cmd_lock_Click();  // asks to lock
    rig.reply("LCK000\r");             // but the device reports unlocked
    QCOMPARE(rig.button("cmd_lock")->picture_file(), rig.bmp("unlock.bmp"));
    rig.p().power->cmd_lock_Click();
    rig.reply("LCK001\r");
    QCOMPARE(rig.button("cmd_lock")->picture_file(), rig.bmp("lock.bmp"));
    rig.p().power->cmd_lock_Click();
    QCOMPARE(rig.take_received(), (QStringList{"LCK001", "LCK001", "LCK000"}));
}

void PowerTest::menu_keys_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("command");
    QTest::newRow("menu") << "cmd_menu_menu" << "MNX001";
    QTest::newRow("exit") << "cmd_menu_exit" << "MNE001";
    QTest::newRow("ok") << "cmd_menu_ok" << "MNO001";
    QTest::newRow("up") << "cmd_menu_up" << "MNU001";
    QTest::newRow("down") << "cmd_menu_down" << "MND001";
    QTest::newRow("left") << "cmd_menu_left" << "MNL001";
    QTest::newRow("right") << "cmd_menu_right" << "MNR001";
}

void PowerTest::menu_keys() {
    QFETCH(QString, button);
    QFETCH(QString, command);
    Rig rig;
    rig.echo_device();
    rig.reply("PWR001\r");
    rig.st().cmd_enable = false;  // the keys send regardless
    QTest::mouseClick(rig.w().ctl<ColorButton>(button), Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList{command});
    QVERIFY(rig.link().reply_done);  // answered, no handler needed
}

void PowerTest::rst_reply_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("fact_enabled");
    QTest::addColumn<bool>("picture_reset");
    QTest::newRow("RST001") << QByteArray("RST001\r") << true << false;
    QTest::newRow("RST002") << QByteArray("RST002\r") << false << true;
    QTest::newRow("RST000") << QByteArray("RST000\r") << false << false;
}

void PowerTest::rst_reply() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, fact_enabled);
    QFETCH(bool, picture_reset);
    Rig rig;
    rig.w().control(QStringLiteral("cmd_fact_reset"))->setEnabled(false);
    auto* box = rig.w().ctl_at<QLineEdit>(QStringLiteral("txt_hue"), 1);
    box->setText(QStringLiteral("x"));
    rig.reply(reply);
    QCOMPARE(rig.enabled("cmd_fact_reset"), fact_enabled);
    QCOMPARE(box->text(), picture_reset ? QStringLiteral("50") : QStringLiteral("x"));
    QCOMPARE(rig.w().ctl_at<VbSlider>(QStringLiteral("hsr_hue"), 1)->value(), picture_reset ? 50 : 0);
    QVERIFY(rig.take_received().isEmpty());
}

void PowerTest::version_replies_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("shown");
    QTest::newRow("VER300") << QByteArray("VER300\r") << "txt_ver" << "3.00";
    QTest::newRow("VER123") << QByteArray("VER123\r") << "txt_ver" << "1.23";
    QTest::newRow("VR2A01") << QByteArray("VR2A01\r") << "txt_ver2" << "A01";
    QTest::newRow("VR2 blanks trimmed") << QByteArray("VR2 7 \r") << "txt_ver2" << "7";
}

void PowerTest::version_replies() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, box);
    QFETCH(QString, shown);
    Rig rig;
    rig.reply(reply);
    QCOMPARE(rig.w().ctl<QLineEdit>(box)->text(), shown);
}

void PowerTest::missing_bitmap_keeps_the_picture() {
    Rig rig;
    rig.device.never_answer(QStringLiteral("PWR001"));
    rig.p().power->cmd_pwr_Click();
    const QImage none = rig.button("cmd_pwr")->picture();
    QVERIFY(!none.isNull());
    QVERIFY(QFile::remove(rig.bmp("power_on.bmp")));
    rig.reply("PWR001\r");
    QCOMPARE(rig.button("cmd_pwr")->picture(), none);
    QVERIFY(rig.enabled("cmd_pwr"));  // the rest of the reply still applies
    QVERIFY(rig.enabled("fra_btn"));
}

QTEST_MAIN(PowerTest)
#include "power.moc"
