// Bezel correction: sliders sending at once, the on/off choice, value and
// limit replies (bezel_max_query), ignored values, and BEZ enabling sliders.

#include "device_controls/bezel.h"
#include "support/panel_rig.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

struct Rig : PanelRig {
    Rig() {
        w().control(QStringLiteral("fra_bezel"))->setEnabled(true);
        take_received();
    }
    VbSlider* slider(char axis) { return w().ctl<VbSlider>(QStringLiteral("hsr_bezel_%1").arg(QLatin1Char(axis))); }
    QLineEdit* box(char axis) { return w().ctl<QLineEdit>(QStringLiteral("txt_bezel_%1").arg(QLatin1Char(axis))); }
    QRadioButton* onoff(int i) { return w().ctl_at<QRadioButton>(QStringLiteral("opt_bezel_onoff"), i); }
    void reply(const QByteArray& bytes) {
        device.send_unsolicited(bytes, false);
        platform.advance(5);
    }
};

}  // namespace

class BezelTest : public QObject {
    Q_OBJECT
private slots:
    void slider_sends_its_value_data();
    void slider_sends_its_value();
    void limit_then_value();
    void limit_below_the_value_pulls_the_slider_down();
    void values_above_254_are_ignored_data();
    void values_above_254_are_ignored();
    void value_above_an_old_limit_widens_the_range();
    void bez_reply_enables_or_disables_the_sliders();
    void on_click_waits_for_the_answer();
};

void BezelTest::slider_sends_its_value_data() {
    QTest::addColumn<char>("axis");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("sent");
    QTest::newRow("h 7") << 'h' << 7 << "BEH007";
    QTest::newRow("h 120") << 'h' << 120 << "BEH120";
    QTest::newRow("v 0") << 'v' << 0 << "BEV000";
    QTest::newRow("v 254") << 'v' << 254 << "BEV254";
}

void BezelTest::slider_sends_its_value() {
    QFETCH(char, axis);
    QFETCH(int, value);
    QFETCH(QString, sent);
    Rig rig;
    rig.echo_device();
    rig.slider(axis)->setValue(value == 0 ? 30 : 0);
    rig.platform.advance(10);
    rig.take_received();
    rig.device.answer(sent, sent.toLatin1() + '\r', 20);  // the echo comes a little later
    rig.slider(axis)->setValue(value);
    QCOMPARE(rig.box(axis)->text(), QString::number(value));  // the user's own value, no blank
    rig.platform.advance(30);  // the echo comes back unsolicited
    QCOMPARE(rig.take_received(), QStringList{sent});
    QCOMPARE(rig.box(axis)->text(), QStringLiteral(" %1").arg(value));
    QCOMPARE(rig.slider(axis)->value(), value);
    QVERIFY(rig.st().cmd_enable);
}

void BezelTest::limit_then_value() {
    Rig rig;
    rig.echo_device();
    rig.box('h')->setText(QStringLiteral(" 12"));
    rig.st().bezel_max_query = true;
    rig.reply("BEH120\r");
    QCOMPARE(rig.slider('h')->maximum(), 120);
    QCOMPARE(rig.slider('v')->maximum(), 254);
    QCOMPARE(rig.box('h')->text(), QStringLiteral(" 12"));
    QVERIFY(!rig.st().bezel_max_query);
    QVERIFY(rig.st().cmd_enable);

    rig.reply("BEH050\r");
    QCOMPARE(rig.slider('h')->value(), 50);
    QCOMPARE(rig.slider('h')->maximum(), 120);
    QCOMPARE(rig.box('h')->text(), QStringLiteral(" 50"));
    QVERIFY(rig.take_received().isEmpty());

    // One flag serves both directions: a BEV answer takes it as well.
    rig.st().bezel_max_query = true;
    rig.reply("BEV090\r");
    QCOMPARE(rig.slider('v')->maximum(), 90);
    QCOMPARE(rig.slider('h')->value(), 50);
    QVERIFY(!rig.st().bezel_max_query);
}

void BezelTest::limit_below_the_value_pulls_the_slider_down() {
    Rig rig;
    rig.echo_device();
    rig.reply("BEV200\r");
    QCOMPARE(rig.slider('v')->value(), 200);
    rig.st().bezel_max_query = true;
    rig.reply("BEV100\r");
    QCOMPARE(rig.slider('v')->maximum(), 100);
    QCOMPARE(rig.slider('v')->value(), 100);
    QCOMPARE(rig.box('v')->text(), QStringLiteral(" 100"));
    QVERIFY(rig.take_received().isEmpty());  // the move was not sent
    QVERIFY(rig.st().cmd_enable);
}

void BezelTest::values_above_254_are_ignored_data() {
    QTest::addColumn<bool>("enable");
    QTest::addColumn<bool>("max_query");
    QTest::newRow("enabled, value") << true << false;
    QTest::newRow("disabled, value") << false << false;
    QTest::newRow("enabled, limit") << true << true;
}

void BezelTest::values_above_254_are_ignored() {
    QFETCH(bool, enable);
    QFETCH(bool, max_query);
    Rig rig;
    rig.reply("BEH040\r");
    rig.st().cmd_enable = enable;
    rig.st().bezel_max_query = max_query;
    rig.reply("BEH300\r");
    rig.reply("BEV255\r");
    QCOMPARE(rig.slider('h')->value(), 40);
    QCOMPARE(rig.slider('h')->maximum(), 254);
    QCOMPARE(rig.slider('v')->maximum(), 254);
    QCOMPARE(rig.box('h')->text(), QStringLiteral(" 40"));
    QCOMPARE(rig.st().cmd_enable, enable);
    QCOMPARE(rig.st().bezel_max_query, max_query);
}

void BezelTest::value_above_an_old_limit_widens_the_range() {
    Rig rig;
    rig.st().bezel_max_query = true;
    rig.reply("BEH100\r");
    rig.reply("BEH180\r");  // the device accepted more than the limit read earlier
    QCOMPARE(rig.slider('h')->value(), 180);
    QCOMPARE(rig.box('h')->text(), QStringLiteral(" 180"));
    QVERIFY(rig.slider('h')->maximum() >= 180);
}

void BezelTest::bez_reply_enables_or_disables_the_sliders() {
    Rig rig;
    rig.echo_device();
    rig.box('h')->setText(QStringLiteral(" 5"));
    rig.reply("BEZ000\r");
    QVERIFY(rig.onoff(0)->isChecked());
    QVERIFY(!rig.slider('h')->isEnabled() && !rig.slider('v')->isEnabled());
    QCOMPARE(rig.box('h')->text(), QStringLiteral(" 5"));

    rig.reply("BEZ001\r");
    QVERIFY(rig.onoff(1)->isChecked() && !rig.onoff(0)->isChecked());
    QVERIFY(rig.slider('h')->isEnabled() && rig.slider('v')->isEnabled());

    rig.reply("BEZ007\r");  // names no option
    QVERIFY(rig.onoff(1)->isChecked());
    QVERIFY(rig.slider('h')->isEnabled());
    QVERIFY(rig.st().cmd_enable);
    QVERIFY(rig.take_received().isEmpty());
}

void BezelTest::on_click_waits_for_the_answer() {
    Rig rig;
    rig.echo_device();
    rig.reply("BEZ000\r");
    rig.device.never_answer(QStringLiteral("BEZ001"));
    QTest::mouseClick(rig.onoff(1), Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList{"BEZ001"});
    QVERIFY(rig.onoff(1)->isChecked());
    QVERIFY(!rig.slider('h')->isEnabled());  // only the answer enables them

    rig.device.answer(QStringLiteral("BEZ001"), "BEZ001\r");
    rig.p().bezel->opt_bezel_onoff_Click(1);
    QVERIFY(rig.slider('h')->isEnabled() && rig.slider('v')->isEnabled());
    QTest::mouseClick(rig.onoff(0), Qt::LeftButton);
    QCOMPARE(rig.take_received(), (QStringList{"BEZ001", "BEZ000"}));
    QVERIFY(!rig.slider('v')->isEnabled());
}

QTEST_MAIN(BezelTest)
#include "bezel.moc"
