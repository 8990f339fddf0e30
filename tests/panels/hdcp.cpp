// The HDCP window: toggle and placement, the eight queries of every opening
// and where they stop, replies with the window open and closed, option clicks.

#include "panels/frm_hdcp.h"
#include "panels/hdcp.h"
#include "windows_rig.h"

#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

const QStringList kAllQueries{"HPI991", "HPI992", "HPI993", "HPI994", "HPO991", "HPO992", "HPO993", "HPO994"};

// "1010" style: per pair which option is selected (0, 1), '-' for none.
QString selection(FrmHdcp* f, bool input) {
    QString s;
    for (int n = 1; n <= 4; ++n) {
        QRadioButton* on = input ? f->opt_hdcp_in(n, 0) : f->opt_hdcp_out(n, 0);
        QRadioButton* off = input ? f->opt_hdcp_in(n, 1) : f->opt_hdcp_out(n, 1);
        s += on->isChecked() ? QLatin1Char('0') : off->isChecked() ? QLatin1Char('1') : QLatin1Char('-');
    }
    return s;
}

}  // namespace

class HdcpTest : public QObject {
    Q_OBJECT
private slots:
    void button_toggles_and_places_the_window();
    void opening_queries_all_eight_and_shows_the_device_state();
    void refresh_stops_at_the_first_unanswered_query_data();
    void refresh_stops_at_the_first_unanswered_query();
    void frames_are_inert_while_refreshing();
    void replies_select_an_option_and_send_nothing_data();
    void replies_select_an_option_and_send_nothing();
    void replies_while_closed_change_nothing();
    void option_clicks_send_set_commands();
    void closing_by_the_window_system_is_unload();
    void closing_while_refreshing_is_safe();
};

void HdcpTest::button_toggles_and_places_the_window() {
    WindowsRig rig;
    auto* button = rig.w().ctl<ColorButton>(QStringLiteral("cmd_hdcp"));
    button->setEnabled(true);  // as after a PWR reply with the device on
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(rig.st().hdcp_open);
    FrmHdcp* f = rig.p().hdcp->window();
    QVERIFY(f && f->isVisible());
    QCOMPARE(f->windowTitle(), QStringLiteral("HDCP"));
    QCOMPARE(f->size(), QSize(541, 106));
    QCOMPARE(f->parentWidget(), &rig.w());
    // Bottom edge at the level of the HDCP button, left edges aligned.
    const QRect main = rig.w().frameGeometry();
    QCOMPARE(f->frameGeometry().left(), main.left());
    QCOMPARE(f->frameGeometry().top() + f->frameGeometry().height(), main.top() + button->y());

    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!rig.st().hdcp_open);
    QVERIFY(!f->isVisible());
    QVERIFY(!rig.p().hdcp->window());
}

void HdcpTest::opening_queries_all_eight_and_shows_the_device_state() {
    WindowsRig rig;
    rig.model.execute("HPI021");
    rig.model.execute("HPI041");
    rig.model.execute("HPO011");
    rig.model.execute("HPO030");
    rig.model.execute("HPO041");
    rig.p().hdcp->cmd_hdcp_Click();
    QCOMPARE(rig.take_received(), kAllQueries);
    FrmHdcp* f = rig.p().hdcp->window();
    QCOMPARE(selection(f, true), QStringLiteral("0101"));
    QCOMPARE(selection(f, false), QStringLiteral("1001"));
    QVERIFY(rig.st().cmd_enable);
}

void HdcpTest::refresh_stops_at_the_first_unanswered_query_data() {
    QTest::addColumn<QString>("silent");
    QTest::addColumn<int>("sent");
    QTest::newRow("HPI991") << "HPI991" << 1;
    QTest::newRow("HPI993") << "HPI993" << 3;
    QTest::newRow("HPO991") << "HPO991" << 5;
    QTest::newRow("HPO994") << "HPO994" << 8;
}

void HdcpTest::refresh_stops_at_the_first_unanswered_query() {
    QFETCH(QString, silent);
    QFETCH(int, sent);
    WindowsRig rig;
    rig.device.never_answer(silent);
    rig.p().hdcp->cmd_hdcp_Click();
    QCOMPARE(rig.take_received(), kAllQueries.mid(0, sent));
    FrmHdcp* f = rig.p().hdcp->window();
    // Pairs not asked for stay unselected; the frames are usable again.
    QCOMPARE(selection(f, true) + selection(f, false), QString(sent - 1, QLatin1Char('0')) + QString(9 - sent, QLatin1Char('-')));
    QVERIFY(f->fra_hdcp_input->isEnabled());
    QVERIFY(f->fra_hdcp_output->isEnabled());
}

void HdcpTest::frames_are_inert_while_refreshing() {
    WindowsRig rig;
    QList<bool> enabled;
    rig.on_command = [&](const QString&) {
        FrmHdcp* f = rig.p().hdcp->window();
        enabled << (f->fra_hdcp_input->isEnabled() || f->fra_hdcp_output->isEnabled() ||
                    f->opt_hdcp_in(2, 0)->isEnabled());
    };
    rig.p().hdcp->cmd_hdcp_Click();
    QCOMPARE(enabled, QList<bool>(8, false));
    QVERIFY(rig.p().hdcp->window()->opt_hdcp_in(2, 0)->isEnabled());
}

void HdcpTest::replies_select_an_option_and_send_nothing_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("inputs");
    QTest::addColumn<QString>("outputs");
    QTest::newRow("input 3 off") << QByteArray("HPI031\r") << "0010" << "0000";
    QTest::newRow("input 1 on") << QByteArray("HPI010\r") << "0000" << "0000";
    QTest::newRow("output D follow input") << QByteArray("HPO040\r") << "0000" << "0000";
    QTest::newRow("output A follow output") << QByteArray("HPO011\r") << "0000" << "1000";
    // Fifth character naming no port, last digit naming no option, non-digits.
    QTest::newRow("port 0") << QByteArray("HPI001\r") << "0000" << "0000";
    QTest::newRow("port 5") << QByteArray("HPI051\r") << "0000" << "0000";
    QTest::newRow("port 9") << QByteArray("HPO091\r") << "0000" << "0000";
    QTest::newRow("port x") << QByteArray("HPI0x1\r") << "0000" << "0000";
    QTest::newRow("setting 7") << QByteArray("HPI027\r") << "0000" << "0000";
    QTest::newRow("short") << QByteArray("HPI1\r") << "0000" << "0000";
}

void HdcpTest::replies_select_an_option_and_send_nothing() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, inputs);
    QFETCH(QString, outputs);
    WindowsRig rig;
    rig.p().hdcp->cmd_hdcp_Click();  // the model reports all 0
    rig.take_received();
    rig.reply(reply);
    FrmHdcp* f = rig.p().hdcp->window();
    QCOMPARE(selection(f, true), inputs);
    QCOMPARE(selection(f, false), outputs);
    QVERIFY(rig.take_received().isEmpty());
    QVERIFY(rig.st().cmd_enable);
}

void HdcpTest::replies_while_closed_change_nothing() {
    WindowsRig rig;
    rig.p().hdcp->cmd_hdcp_Click();
    rig.p().hdcp->cmd_hdcp_Click();
    rig.st().cmd_enable = false;  // a handler that ran would set it again
    rig.reply("HPI031\r");
    rig.reply("HPO040\r");
    QVERIFY(!rig.st().cmd_enable);
    QVERIFY(!rig.st().hdcp_open);
}

void HdcpTest::option_clicks_send_set_commands() {
    WindowsRig rig;
    rig.p().hdcp->cmd_hdcp_Click();
    rig.take_received();
    FrmHdcp* f = rig.p().hdcp->window();
    QTest::mouseClick(f->opt_hdcp_in(4, 1), Qt::LeftButton);
    QTest::mouseClick(f->opt_hdcp_in(1, 1), Qt::LeftButton);
    QTest::mouseClick(f->opt_hdcp_out(2, 1), Qt::LeftButton);
    QTest::mouseClick(f->opt_hdcp_out(2, 0), Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList({"HPI041", "HPI011", "HPO021", "HPO020"}));
    QCOMPARE(rig.model.state().hdcp_in[4], 1);
    // The device's answers keep the options where they are.
    QCOMPARE(selection(f, true), QStringLiteral("1001"));
    QCOMPARE(selection(f, false), QStringLiteral("0000"));

    rig.st().cmd_enable = false;
    QTest::mouseClick(f->opt_hdcp_in(3, 1), Qt::LeftButton);
    QVERIFY(rig.take_received().isEmpty());
}

void HdcpTest::closing_by_the_window_system_is_unload() {
    WindowsRig rig;
    rig.p().hdcp->cmd_hdcp_Click();
    QPointer<FrmHdcp> first = rig.p().hdcp->window();
    rig.reply("HPI031\r");
    first->close();
    QVERIFY(!rig.st().hdcp_open);
    WindowsRig::flush_deletes();
    QVERIFY(first.isNull());
    rig.take_received();
    // The button opens it again, fresh, with the eight queries again.
    rig.p().hdcp->cmd_hdcp_Click();
    QVERIFY(rig.st().hdcp_open);
    QCOMPARE(rig.take_received(), kAllQueries);
    QCOMPARE(selection(rig.p().hdcp->window(), true), QStringLiteral("0000"));
}

void HdcpTest::closing_while_refreshing_is_safe() {
    WindowsRig rig;
    QPointer<FrmHdcp> f;
    rig.on_command = [&](const QString& cmd) {
        if (cmd == QLatin1String("HPI993")) {
            f = rig.p().hdcp->window();
            rig.p().hdcp->cmd_hdcp_Click();  // the operator closes it mid-way
            WindowsRig::flush_deletes();     // the event loop gets a turn
        }
    };
    rig.model.execute("HPI041");
    rig.p().hdcp->cmd_hdcp_Click();
    QVERIFY(!rig.st().hdcp_open);
    QVERIFY(!rig.p().hdcp->window());
    QVERIFY(rig.st().cmd_enable);
    // The window outlived its own refresh and goes afterwards.
    WindowsRig::flush_deletes();
    QVERIFY(f.isNull());
}

QTEST_MAIN(HdcpTest)
#include "hdcp.moc"
