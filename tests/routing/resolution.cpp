// Output resolution and aspect lists: the 1080i rule per mode, the Matrix lock
// of the other mode buttons, and replies that select without sending.

#include "routing/resolution.h"
#include "support/panel_rig.h"

#include <QComboBox>
#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

struct Rig : PanelRig {
    Rig() {
        // As after a PWR reply with the device on: the button frame and the
        // aspect list can be operated.
        w().control(QStringLiteral("fra_btn"))->setEnabled(true);
        aspect()->setEnabled(true);
        take_received();
    }
    QComboBox* output() { return w().ctl<QComboBox>(QStringLiteral("cbo_output")); }
    QComboBox* aspect() { return w().ctl<QComboBox>(QStringLiteral("cbo_aspect")); }
    ColorButton* mode(int i) { return w().ctl_at<ColorButton>(QStringLiteral("cmd_mode"), i); }
    // A user pick: the list moves, then raises its event.
    void pick(QComboBox* list, int k) {
        list->setCurrentIndex(k);
        emit list->activated(k);
    }
    QList<bool> other_modes_enabled() {
        QList<bool> out;
        for (int i = 2; i <= 5; ++i) out << mode(i)->isEnabled();
        return out;
    }
    void reply(const QByteArray& bytes) {
        device.send_unsolicited(bytes, false);
        platform.advance(5);
    }
};

const QList<bool> all_on{true, true, true, true};
const QList<bool> all_off{false, false, false, false};

}  // namespace

class ResolutionTest : public QObject {
    Q_OBJECT
private slots:
    void matrix_sends_every_entry_and_locks_on_1080i_data();
    void matrix_sends_every_entry_and_locks_on_1080i();
    void matrix_lock_is_lifted_by_the_next_progressive_pick();
    void other_modes_refuse_1080i_data();
    void other_modes_refuse_1080i();
    void other_modes_send_progressive_entries();
    void refusal_without_answer_keeps_the_pick();
    void aspect_pick_sends_its_position();
    void replies_select_without_sending_data();
    void replies_select_without_sending();
    void res_reply_in_matrix_does_not_lock();
};

void ResolutionTest::matrix_sends_every_entry_and_locks_on_1080i_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<bool>("locked");
    for (int k = 0; k < 8; ++k)
        QTest::addRow("position %d", k) << k << QStringLiteral("RES%1").arg(k + 1, 3, 10, QLatin1Char('0'))
                                        << (k == 4 || k == 5);
}

void ResolutionTest::matrix_sends_every_entry_and_locks_on_1080i() {
    QFETCH(int, position);
    QFETCH(QString, sent);
    QFETCH(bool, locked);
    Rig rig;
    rig.echo_device();
    bool list_enabled_while_sending = true;
    rig.device.responder = [&](const QString& cmd) {
        list_enabled_while_sending = rig.output()->isEnabled();
        return QList<QByteArray>{cmd.toLatin1() + '\r'};
    };
    QCOMPARE(rig.st().cur_mode, int16_t(1));
    rig.pick(rig.output(), position);

    QCOMPARE(rig.take_received(), QStringList{sent});
    QVERIFY(!list_enabled_while_sending);
    QVERIFY(rig.output()->isEnabled());
    QCOMPARE(rig.other_modes_enabled(), locked ? all_off : all_on);
    QVERIFY(rig.mode(1)->isEnabled());
    QVERIFY(rig.platform.messages.isEmpty());
}

void ResolutionTest::matrix_lock_is_lifted_by_the_next_progressive_pick() {
    Rig rig;
    rig.device.never_answer(QStringLiteral("RES006"));
    rig.echo_device();
    rig.pick(rig.output(), 5);  // unanswered: the lock applies all the same
    QCOMPARE(rig.other_modes_enabled(), all_off);
    rig.pick(rig.output(), 4);
    QCOMPARE(rig.other_modes_enabled(), all_off);
    rig.pick(rig.output(), 2);
    QCOMPARE(rig.other_modes_enabled(), all_on);
    QCOMPARE(rig.take_received(), (QStringList{"RES006", "RES005", "RES003"}));
}

void ResolutionTest::other_modes_refuse_1080i_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("position");
    for (int mode : {2, 3, 5})
        for (int k : {4, 5}) QTest::addRow("mode %d position %d", mode, k) << mode << k;
}

void ResolutionTest::other_modes_refuse_1080i() {
    QFETCH(int, mode);
    QFETCH(int, position);
    Rig rig;
    rig.st().cur_mode = int16_t(mode);
    rig.device.answer(QStringLiteral("RES999"), "RES008\r");
    bool back_before_message = false;
    rig.platform.on_message = [&](const QString&) { back_before_message = rig.output()->currentIndex() == 7; };

    rig.pick(rig.output(), position);

    QCOMPARE(rig.take_received(), QStringList{"RES999"});
    QCOMPARE(rig.platform.messages.size(), 1);
    QCOMPARE(rig.platform.messages[0].first,
             QStringLiteral("1080i50/60 are not supported for Dual PoP, TV Wall, Dual PiP, Quad"));
    QCOMPARE(rig.platform.messages[0].second, MsgIcon::Exclamation);
    QVERIFY(back_before_message);
    QCOMPARE(rig.output()->currentIndex(), 7);
    QVERIFY(rig.st().cmd_enable);
    QCOMPARE(rig.other_modes_enabled(), all_on);
    rig.platform.advance(20);  // nothing trails behind
    QVERIFY(rig.take_received().isEmpty());
}

void ResolutionTest::other_modes_send_progressive_entries() {
    Rig rig;
    rig.echo_device();
    rig.st().cur_mode = 5;
    rig.pick(rig.output(), 6);
    rig.pick(rig.output(), 3);
    QCOMPARE(rig.take_received(), (QStringList{"RES007", "RES004"}));
    QVERIFY(rig.platform.messages.isEmpty());
    QCOMPARE(rig.other_modes_enabled(), all_on);  // the lock is a Matrix matter
}

void ResolutionTest::refusal_without_answer_keeps_the_pick() {
    Rig rig;
    rig.st().cur_mode = 2;
    rig.device.never_answer(QStringLiteral("RES999"));
    rig.pick(rig.output(), 4);
    QCOMPARE(rig.output()->currentIndex(), 4);
    QCOMPARE(rig.platform.messages.size(), 1);
    QVERIFY(rig.st().cmd_enable);
}

void ResolutionTest::aspect_pick_sends_its_position() {
    Rig rig;
    rig.echo_device();
    bool enabled_while_sending = true;
    rig.device.responder = [&](const QString& cmd) {
        enabled_while_sending = rig.aspect()->isEnabled();
        return QList<QByteArray>{cmd.toLatin1() + '\r'};
    };
    for (int k = 0; k <= 4; ++k) rig.pick(rig.aspect(), k);
    QCOMPARE(rig.take_received(), (QStringList{"ASP000", "ASP001", "ASP002", "ASP003", "ASP004"}));
    QVERIFY(!enabled_while_sending);
    QVERIFY(rig.aspect()->isEnabled());

    rig.st().cmd_enable = false;  // e.g. inside a reply handler
    rig.pick(rig.aspect(), 1);
    rig.pick(rig.output(), 1);
    QVERIFY(rig.take_received().isEmpty());
}

void ResolutionTest::replies_select_without_sending_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("selected");
    QTest::newRow("RES001") << QByteArray("RES001\r") << "cbo_output" << 3 << 0;
    QTest::newRow("RES014 last two digits") << QByteArray("RES114\r") << "cbo_output" << 3 << 13;
    QTest::newRow("RES000 clears") << QByteArray("RES000\r") << "cbo_output" << 3 << -1;
    // Numbers naming no entry clear the selection (an older entry would be wrong).
    QTest::newRow("RES099 beyond the list") << QByteArray("RES099\r") << "cbo_output" << 3 << -1;
    QTest::newRow("ASP002") << QByteArray("ASP002\r") << "cbo_aspect" << 0 << 2;
    QTest::newRow("ASP004") << QByteArray("ASP004\r") << "cbo_aspect" << 0 << 4;
    QTest::newRow("ASP007 beyond the list") << QByteArray("ASP007\r") << "cbo_aspect" << 2 << -1;
}

void ResolutionTest::replies_select_without_sending() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, list);
    QFETCH(int, start);
    QFETCH(int, selected);
    Rig rig;
    rig.echo_device();
    auto* cbo = rig.w().ctl<QComboBox>(list);
    cbo->setCurrentIndex(start);
    QList<bool> enable_at_change;
    QObject::connect(cbo, &QComboBox::currentIndexChanged, cbo,
                     [&](int) { enable_at_change << rig.st().cmd_enable; });

    rig.reply(reply);

    QCOMPARE(cbo->currentIndex(), selected);
    QCOMPARE(enable_at_change, QList<bool>{false});
    QVERIFY(rig.st().cmd_enable);
    QVERIFY(rig.take_received().isEmpty());
}

void ResolutionTest::res_reply_in_matrix_does_not_lock() {
    Rig rig;
    rig.reply("RES005\r");
    QCOMPARE(rig.output()->currentIndex(), 4);
    QCOMPARE(rig.other_modes_enabled(), all_on);
}

QTEST_MAIN(ResolutionTest)
#include "resolution.moc"
