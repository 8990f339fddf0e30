// The dual PiP window: the "P" lamp, the four queries only in Dual PiP,
// positions as coloured corners, size lists, SWAP, replies open and closed.

#include "panels/frm_pip.h"
#include "panels/pip.h"
#include "windows_rig.h"

#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

// The selected corner of an inset (0..3), -1 for none, -2 for more than one.
int corner(FrmPip* f, int inset) {
    int found = -1;
    for (int k = 0; k < 4; ++k) {
        const QColor c = f->pos(inset, k)->back_color();
        if (c == colors::selected) found = found == -1 ? k : -2;
        else if (c != colors::neutral) return -3;
    }
    return found;
}

struct PipRig : WindowsRig {
    void dual_pip() {
        st().cur_mode = 2;
        st().dual_kind = 2;
    }
    FrmPip* open() {
        p().pip->lab_pip_Click();
        return p().pip->window();
    }
};

}  // namespace

class PipTest : public QObject {
    Q_OBJECT
private slots:
    void indicator_toggles_with_the_lamp_red_meanwhile();
    void opening_in_dual_pip_queries_the_insets();
    void opening_in_other_modes_sends_nothing_data();
    void opening_in_other_modes_sends_nothing();
    void refresh_stops_at_the_first_unanswered_query();
    void position_replies_colour_one_corner_data();
    void position_replies_colour_one_corner();
    void size_replies_select_without_sending_data();
    void size_replies_select_without_sending();
    void replies_while_closed_change_nothing();
    void clicks_send_and_wait_for_the_device();
};

void PipTest::indicator_toggles_with_the_lamp_red_meanwhile() {
    PipRig rig;
    rig.dual_pip();
    auto* indicator = rig.w().ctl<ClickLabel>(QStringLiteral("lab_pip"));
    auto* lamp = rig.w().ctl<ShapeWidget>(QStringLiteral("sha_pip"));
    rig.w().control(QStringLiteral("fra_btn"))->setEnabled(true);  // device on
    QList<QPair<QColor, bool>> during;
    rig.on_command = [&](const QString&) { during << qMakePair(lamp->fill(), indicator->isEnabled()); };
    FrmPip* f = rig.open();
    QVERIFY(rig.st().pip_open);
    QCOMPARE(during.size(), 4);
    for (const auto& d : during) {
        QCOMPARE(d.first, colors::red);
        QVERIFY(!d.second);
    }
    QCOMPARE(lamp->fill(), colors::idle_lamp);
    QVERIFY(indicator->isEnabled());
    QCOMPARE(f->windowTitle(), QStringLiteral("DUAL PiP"));
    QCOMPARE(f->size(), QSize(221, 119));
    const QRect main = rig.w().frameGeometry();
    QCOMPARE(f->frameGeometry().left(), main.left() + 359);  // 5385 twips
    QCOMPARE(f->frameGeometry().bottom() + 1, main.top());

    rig.p().pip->lab_pip_Click();
    QVERIFY(!rig.st().pip_open);
    QVERIFY(!f->isVisible());
    QCOMPARE(lamp->fill(), colors::idle_lamp);
}

void PipTest::opening_in_dual_pip_queries_the_insets() {
    PipRig rig;
    rig.dual_pip();
    rig.model.execute("PPO012");
    rig.model.execute("PPO023");
    rig.model.execute("PSZ011");
    rig.model.execute("PSZ023");
    FrmPip* f = rig.open();
    QCOMPARE(rig.take_received(), QStringList({"PPO991", "PPO992", "PSZ991", "PSZ992"}));
    QCOMPARE(corner(f, 1), 2);
    QCOMPARE(corner(f, 2), 3);
    QCOMPARE(f->cbo_a_size->currentText(), QStringLiteral("Medium"));
    QCOMPARE(f->cbo_b_size->currentText(), QStringLiteral("Off"));
    QVERIFY(rig.take_received().isEmpty());  // selections by replies sent nothing
    QVERIFY(rig.st().cmd_enable);
}

void PipTest::opening_in_other_modes_sends_nothing_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("dual_kind");
    QTest::newRow("Dual PoP") << 2 << 1;
    QTest::newRow("Matrix") << 1 << 0;
    QTest::newRow("TV Wall") << 3 << 2;
    QTest::newRow("Quad") << 5 << 2;
}

void PipTest::opening_in_other_modes_sends_nothing() {
    QFETCH(int, mode);
    QFETCH(int, dual_kind);
    PipRig rig;
    rig.st().cur_mode = mode;
    rig.st().dual_kind = dual_kind;
    FrmPip* f = rig.open();
    QVERIFY(rig.st().pip_open);
    QVERIFY(rig.take_received().isEmpty());
    QCOMPARE(corner(f, 1), -1);
    QCOMPARE(corner(f, 2), -1);
    QCOMPARE(f->cbo_a_size->currentIndex(), -1);
    QCOMPARE(f->cbo_b_size->count(), 4);
    QCOMPARE(f->cbo_b_size->itemText(2), QStringLiteral("Small"));
}

void PipTest::refresh_stops_at_the_first_unanswered_query() {
    PipRig rig;
    rig.dual_pip();
    rig.device.never_answer(QStringLiteral("PPO992"));
    FrmPip* f = rig.open();
    QCOMPARE(rig.take_received(), QStringList({"PPO991", "PPO992"}));
    QCOMPARE(corner(f, 1), 0);
    QCOMPARE(corner(f, 2), -1);
    QCOMPARE(f->cbo_a_size->currentIndex(), -1);
}

void PipTest::position_replies_colour_one_corner_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::newRow("B bottom left") << QByteArray("PPO023\r") << 1 << 3;
    QTest::newRow("A top right") << QByteArray("PPO011\r") << 1 << 0;
    QTest::newRow("A bottom right") << QByteArray("PPO012\r") << 2 << 0;
    // Out-of-range digits name no button: the shown corners stay.
    QTest::newRow("corner 4") << QByteArray("PPO014\r") << 1 << 0;
    QTest::newRow("corner 9") << QByteArray("PPO029\r") << 1 << 0;
    QTest::newRow("inset 3") << QByteArray("PPO032\r") << 1 << 0;
    QTest::newRow("inset 0") << QByteArray("PPO002\r") << 1 << 0;
    QTest::newRow("inset x") << QByteArray("PPO0x2\r") << 1 << 0;
}

void PipTest::position_replies_colour_one_corner() {
    QFETCH(QByteArray, reply);
    QFETCH(int, a);
    QFETCH(int, b);
    PipRig rig;
    rig.dual_pip();
    rig.model.execute("PPO011");
    FrmPip* f = rig.open();  // A top right, B top left
    rig.take_received();
    rig.reply(reply);
    QCOMPARE(corner(f, 1), a);
    QCOMPARE(corner(f, 2), b);
    QVERIFY(rig.take_received().isEmpty());
    QVERIFY(rig.st().cmd_enable);
}

void PipTest::size_replies_select_without_sending_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::newRow("A Small") << QByteArray("PSZ012\r") << 2 << 0;
    QTest::newRow("B Off") << QByteArray("PSZ023\r") << 0 << 3;
    QTest::newRow("size 4") << QByteArray("PSZ014\r") << 0 << 0;
    QTest::newRow("inset 7") << QByteArray("PSZ071\r") << 0 << 0;
}

void PipTest::size_replies_select_without_sending() {
    QFETCH(QByteArray, reply);
    QFETCH(int, a);
    QFETCH(int, b);
    PipRig rig;
    rig.dual_pip();
    FrmPip* f = rig.open();
    rig.take_received();
    rig.reply(reply);
    QCOMPARE(f->cbo_a_size->currentIndex(), a);
    QCOMPARE(f->cbo_b_size->currentIndex(), b);
    QVERIFY(rig.take_received().isEmpty());
    QVERIFY(rig.st().cmd_enable);
}

void PipTest::replies_while_closed_change_nothing() {
    PipRig rig;
    rig.dual_pip();
    FrmPip* f = rig.open();
    f->close();  // through the window system
    QVERIFY(!rig.st().pip_open);
    rig.st().cmd_enable = false;
    rig.reply("PPO023\r");
    rig.reply("PSZ012\r");
    rig.reply("PSW001\r");
    QVERIFY(!rig.st().cmd_enable);
}

void PipTest::clicks_send_and_wait_for_the_device() {
    PipRig rig;
    rig.dual_pip();
    FrmPip* f = rig.open();
    rig.take_received();

    // A position click colours nothing itself: an unanswered one changes nothing.
    rig.device.never_answer(QStringLiteral("PPO012"));
    QTest::mouseClick(f->cmd_a_pos[2], Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList({"PPO012"}));
    QCOMPARE(corner(f, 1), 0);
    QTest::mouseClick(f->cmd_b_pos[3], Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList({"PPO023"}));
    QCOMPARE(corner(f, 2), 3);

    // The size list is disabled while its command waits.
    QList<bool> list_enabled;
    rig.on_command = [&](const QString&) { list_enabled << f->cbo_b_size->isEnabled(); };
    f->cbo_b_size->setCurrentIndex(1);
    emit f->cbo_b_size->activated(1);  // the operator picks "Medium"
    QCOMPARE(rig.take_received(), QStringList({"PSZ021"}));
    QCOMPARE(list_enabled, QList<bool>({false}));
    QVERIFY(f->cbo_b_size->isEnabled());
    QCOMPARE(rig.model.state().pip_size[2], 1);

    QTest::mouseClick(f->cmd_a_swap, Qt::LeftButton);
    QTest::mouseClick(f->cmd_b_swap, Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList({"PSW001", "PSW002"}));
    QCOMPARE(corner(f, 2), 3);

    rig.st().cmd_enable = false;
    QTest::mouseClick(f->cmd_a_pos[1], Qt::LeftButton);
    QTest::mouseClick(f->cmd_a_swap, Qt::LeftButton);
    emit f->cbo_a_size->activated(0);
    QVERIFY(rig.take_received().isEmpty());
}

QTEST_MAIN(PipTest)
#include "pip.moc"
