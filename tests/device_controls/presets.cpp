// Presets: recall and save with the device's marking, the settle wait for a
// late answer, the map re-read after a recall only, and a link that is down.

#include "device_controls/presets.h"
#include "support/panel_rig.h"

#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

const QStringList map_queries{"OUT001", "INP999", "OUT002", "INP999", "OUT003", "INP999", "OUT004", "INP999"};

struct Rig : PanelRig {
    Rig() {
        w().control(QStringLiteral("fra_recall_save"))->setEnabled(true);
        w().control(QStringLiteral("fra_btn"))->setEnabled(true);
        take_received();
    }
    ColorButton* recall(int i) { return w().ctl_at<ColorButton>(QStringLiteral("cmd_recall"), i); }
    ColorButton* save(int i) { return w().ctl_at<ColorButton>(QStringLiteral("cmd_save"), i); }
    QList<QColor> colors(bool recall_row) {
        QList<QColor> out;
        for (int i = 1; i <= 4; ++i) out << (recall_row ? recall(i) : save(i))->back_color();
        return out;
    }
    QList<bool> enabled(bool recall_row) {
        QList<bool> out;
        for (int i = 1; i <= 4; ++i) out << (recall_row ? recall(i) : save(i))->isEnabled();
        return out;
    }
    void reply(const QByteArray& bytes) {
        device.send_unsolicited(bytes, false);
        platform.advance(5);
    }
};

QList<QColor> marked(int n) {
    QList<QColor> out;
    for (int i = 1; i <= 4; ++i) out << (i == n ? colors::selected : colors::neutral);
    return out;
}
const QList<bool> all_enabled{true, true, true, true};
const QList<bool> all_disabled{false, false, false, false};

}  // namespace

class PresetsTest : public QObject {
    Q_OBJECT
private slots:
    void recall_marks_and_rereads_the_map_data();
    void recall_marks_and_rereads_the_map();
    void late_recall_answer_inside_the_settle_wait();
    void unanswered_recall_rereads_nothing();
    void recall_with_the_link_down();
    void save_marks_and_reads_nothing();
    void replies_naming_no_preset_are_ignored();
};

void PresetsTest::recall_marks_and_rereads_the_map_data() {
    QTest::addColumn<int>("index");
    for (int i = 1; i <= 4; ++i) QTest::addRow("Recall %d", i) << i;
}

void PresetsTest::recall_marks_and_rereads_the_map() {
    QFETCH(int, index);
    Rig rig;
    rig.echo_device();
    QList<bool> enabled_during_map_read;
    rig.device.responder = [&](const QString& cmd) {
        if (cmd == QLatin1String("OUT001")) enabled_during_map_read = rig.enabled(true);
        return QList<QByteArray>{(cmd == QLatin1String("INP999") ? QByteArray("INP002") : cmd.toLatin1()) + '\r'};
    };
    rig.save(2)->set_back_color(colors::selected);  // a save marking stands beside it
    rig.recall(1)->set_back_color(colors::selected);

    QTest::mouseClick(rig.recall(index), Qt::LeftButton);

    QCOMPARE(rig.take_received(), QStringList{QStringLiteral("CAL00%1").arg(index)} + map_queries);
    QCOMPARE(rig.colors(true), marked(index));
    QCOMPARE(rig.colors(false), marked(2));
    QCOMPARE(enabled_during_map_read, all_disabled);
    QCOMPARE(rig.enabled(true), all_enabled);
}

void PresetsTest::late_recall_answer_inside_the_settle_wait() {
    Rig rig;
    rig.echo_device();
    // Far beyond tx_cmd's budget of 301 slices (two pumps each), well inside
    // the 5 s settle wait.
    rig.device.answer(QStringLiteral("CAL002"), "CAL002\r", 2500);
    const qint64 start = rig.platform.now;
    rig.p().presets->cmd_recall_Click(2);
    QCOMPARE(rig.colors(true), marked(2));
    QCOMPARE(rig.take_received(), QStringList{"CAL002"} + map_queries);
    QVERIFY(rig.platform.now - start < 5000);  // the wait ended with the answer
    QCOMPARE(rig.enabled(true), all_enabled);
}

void PresetsTest::unanswered_recall_rereads_nothing() {
    Rig rig;
    rig.echo_device();
    rig.device.never_answer(QStringLiteral("CAL004"));
    rig.recall(4)->set_back_color(colors::selected);
    const qint64 start = rig.platform.now;
    rig.p().presets->cmd_recall_Click(4);
    QCOMPARE(rig.take_received(), QStringList{"CAL004"});
    QCOMPARE(rig.colors(true), marked(0));
    QVERIFY(rig.platform.now - start >= 5000);
    QCOMPARE(rig.enabled(true), all_enabled);
}

void PresetsTest::recall_with_the_link_down() {
    Rig rig;
    rig.echo_device();
    rig.link().rs232_open = false;
    rig.serial.close();
    const qint64 start = rig.platform.now;
    QList<bool> enabled_at_message;
    rig.platform.on_message = [&](const QString&) { enabled_at_message = rig.enabled(true); };
    rig.p().presets->cmd_recall_Click(1);
    QCOMPARE(rig.platform.message_texts(), QStringList{"RS232 port is disconnected !"});
    QCOMPARE(enabled_at_message, all_disabled);
    QVERIFY(rig.platform.now - start >= 5000);  // the whole settle wait, in fake time
    QCOMPARE(rig.enabled(true), all_enabled);
    QVERIFY(rig.take_received().isEmpty());
}

void PresetsTest::save_marks_and_reads_nothing() {
    Rig rig;
    rig.echo_device();
    rig.recall(3)->set_back_color(colors::selected);
    QTest::mouseClick(rig.save(1), Qt::LeftButton);
    rig.platform.advance(50);
    QCOMPARE(rig.take_received(), QStringList{"SAV001"});
    QCOMPARE(rig.colors(false), marked(1));
    QCOMPARE(rig.colors(true), marked(3));
    QCOMPARE(rig.enabled(false), all_enabled);

    // A late save answer also ends the settle wait and marks.
    rig.device.answer(QStringLiteral("SAV004"), "SAV004\r", 1500);
    rig.p().presets->cmd_save_Click(4);
    QCOMPARE(rig.take_received(), QStringList{"SAV004"});
    QCOMPARE(rig.colors(false), marked(4));
}

void PresetsTest::replies_naming_no_preset_are_ignored() {
    Rig rig;
    rig.reply("CAL002\r");
    rig.reply("SAV003\r");
    for (const QByteArray r : {"CAL000\r", "CAL005\r", "SAV009\r", "CALx\r"}) rig.reply(r);
    QCOMPARE(rig.colors(true), marked(2));
    QCOMPARE(rig.colors(false), marked(3));
}

QTEST_MAIN(PresetsTest)
#include "presets.moc"
