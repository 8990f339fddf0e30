// Picture adjustment: the parameter encoding both ways in every mode, the
// refresh orders and where they stop, the reset in Matrix and Quad, and that
// a reply never sends a command back.

#include "device_controls/picture.h"
#include "support/panel_rig.h"

#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

const char* const kNames[] = {"bri", "con", "hue", "sat"};
const char* const kCodes[] = {"BRI", "CON", "HUE", "SAT"};

struct Rig : PanelRig {
    // The device on and in the given mode digit (4 = Dual PiP), as after its
    // PWR and MOD replies; nothing sent so far.
    explicit Rig(int mode_digit = 1) {
        reply("PWR001\r");
        reply(QByteArray("MOD00") + QByteArray::number(mode_digit) + '\r');
        take_received();
    }
    void reply(const QByteArray& bytes) {
        device.send_unsolicited(bytes, false);
        platform.advance(5);
    }
    VbSlider* slider(int g, int row) { return w().ctl_at<VbSlider>(QStringLiteral("hsr_") + kNames[g], row); }
    QString box(int g, int row) { return w().ctl_at<QLineEdit>(QStringLiteral("txt_") + kNames[g], row)->text(); }
    void set_box(int g, int row, const QString& t) {
        w().ctl_at<QLineEdit>(QStringLiteral("txt_") + kNames[g], row)->setText(t);
    }
    // Answers every query with a value of its own: row n of group g reports
    // 10 * n + g, Matrix 40 + g.
    void answer_queries() {
        device.responder = [](const QString& cmd) -> QList<QByteArray> {
            const int g = QStringList{"BRI", "CON", "HUE", "SAT"}.indexOf(cmd.left(3));
            if (g < 0) return {cmd.toLatin1() + '\r'};
            if (cmd.mid(3) == QLatin1String("999")) return {(cmd.left(3) + Link::Pad3(40 + g)).toLatin1() + '\r'};
            const int n = cmd.right(1).toInt();
            return {(cmd.left(3) + Link::Pad3((n - 1) * 200 + 10 * n + g)).toLatin1() + '\r'};
        };
    }
};

}  // namespace

class PictureTest : public QObject {
    Q_OBJECT
private slots:
    void slider_sends_and_reply_shows_data();
    void slider_sends_and_reply_shows();
    void reply_decoding_data();
    void reply_decoding();
    void refresh_order_data();
    void refresh_order();
    void reset_data();
    void reset();
    void unanswered_reset_changes_nothing();
    void reply_never_sends_back();
    void slider_change_while_disabled_sends_nothing();
};

void PictureTest::slider_sends_and_reply_shows_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("reply_row");  // the row the device's echo moves
    QTest::newRow("Matrix bri row 1 at 5") << 1 << 0 << 1 << 5 << "BRI005" << 1;
    QTest::newRow("Matrix con row 3 sends the Matrix form") << 1 << 1 << 3 << 77 << "CON077" << 1;
    QTest::newRow("Matrix sat at 100") << 1 << 3 << 1 << 100 << "SAT100" << 1;
    QTest::newRow("Dual PoP bri row 2 at 50") << 2 << 0 << 2 << 50 << "BRI250" << 2;
    QTest::newRow("Dual PoP sat row 1 at 0") << 2 << 3 << 1 << 0 << "SAT000" << 1;
    QTest::newRow("TV Wall hue row 3 at 50") << 3 << 2 << 3 << 50 << "HUE450" << 3;
    QTest::newRow("Dual PiP sat row 4 at 100") << 4 << 3 << 4 << 100 << "SAT700" << 4;
    QTest::newRow("Dual PiP sat row 2 at 0") << 4 << 3 << 2 << 0 << "SAT200" << 2;
    QTest::newRow("Quad con row 2 at 50") << 5 << 1 << 2 << 50 << "CON250" << 2;
    QTest::newRow("Quad bri row 4 at 9") << 5 << 0 << 4 << 9 << "BRI609" << 4;
}

void PictureTest::slider_sends_and_reply_shows() {
    QFETCH(int, mode);
    QFETCH(int, group);
    QFETCH(int, row);
    QFETCH(int, value);
    QFETCH(QString, command);
    QFETCH(int, reply_row);
    Rig rig(mode);
    // The device answers a little later, as the unsolicited path sees it.
    rig.device.answer(command, command.toLatin1() + '\r', 3);
    rig.st().cmd_enable = false;  // start elsewhere so the move is a change
    rig.slider(group, row)->setValue(value == 0 ? 1 : 0);
    rig.st().cmd_enable = true;
    rig.slider(group, row)->setValue(value);
    QCOMPARE(rig.box(group, row), QString::number(value));  // the user's value, no blank
    QCOMPARE(rig.take_received(), QStringList{command});
    rig.platform.advance(10);
    QCOMPARE(rig.box(group, reply_row), QLatin1Char(' ') + QString::number(value));
    QCOMPARE(rig.slider(group, reply_row)->value(), value);
    QVERIFY(rig.take_received().isEmpty());
    QVERIFY(rig.st().cmd_enable);
}

void PictureTest::reply_decoding_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("row");    // 0: no control takes it
    QTest::addColumn<int>("value");
    QTest::newRow("Matrix BRI042") << 1 << QByteArray("BRI042") << 0 << 1 << 42;
    QTest::newRow("Matrix no number reads 0") << 1 << QByteArray("CONx!z") << 1 << 1 << 0;
    QTest::newRow("Quad HUE450") << 5 << QByteArray("HUE450") << 2 << 3 << 50;
    QTest::newRow("Quad SAT700") << 5 << QByteArray("SAT700") << 3 << 4 << 100;
    QTest::newRow("Dual PiP CON200") << 4 << QByteArray("CON200") << 1 << 2 << 0;
    QTest::newRow("TV Wall BRI100") << 3 << QByteArray("BRI100") << 0 << 1 << 100;
    QTest::newRow("Matrix BRI150 above 100") << 1 << QByteArray("BRI150") << 0 << 0 << 0;
    QTest::newRow("Matrix BRI250 above 100") << 1 << QByteArray("BRI250") << 0 << 0 << 0;
    QTest::newRow("Quad BRI150 above 100") << 5 << QByteArray("BRI150") << 0 << 0 << 0;
    QTest::newRow("Quad BRI800 row 5") << 5 << QByteArray("BRI800") << 0 << 0 << 0;
    QTest::newRow("Dual PoP SAT999 row 5") << 2 << QByteArray("SAT999") << 3 << 0 << 0;
}

void PictureTest::reply_decoding() {
    QFETCH(int, mode);
    QFETCH(QByteArray, reply);
    QFETCH(int, group);
    QFETCH(int, row);
    QFETCH(int, value);
    Rig rig(mode);
    for (int g = 0; g < 4; ++g)
        for (int i = 1; i <= 4; ++i) {
            rig.slider(g, i)->setValue(7);
            rig.set_box(g, i, QStringLiteral("old"));
        }
    rig.take_received();
    rig.st().cmd_enable = false;  // e.g. before start-up has finished
    rig.reply(reply + '\r');
    QVERIFY(rig.st().cmd_enable);
    QVERIFY(rig.take_received().isEmpty());
    for (int g = 0; g < 4; ++g)
        for (int i = 1; i <= 4; ++i) {
            const bool named = g == group && i == row;
            QCOMPARE(rig.box(g, i), named ? QLatin1Char(' ') + QString::number(value) : QStringLiteral("old"));
            QCOMPARE(rig.slider(g, i)->value(), named ? value : 7);
        }
}

void PictureTest::refresh_order_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("silent");  // the query the device leaves unanswered
    QTest::addColumn<int>("sent");        // how many queries go out

    QTest::newRow("Matrix all answered") << 1 << "" << 4;
    QTest::newRow("Matrix CON999 unanswered") << 1 << "CON999" << 2;
    QTest::newRow("Matrix HUE999 unanswered") << 1 << "HUE999" << 3;
    QTest::newRow("Quad all answered") << 5 << "" << 16;
    QTest::newRow("Quad CON992 unanswered") << 5 << "CON992" << 6;
    QTest::newRow("Quad SAT991 unanswered goes on") << 5 << "SAT991" << 16;
    QTest::newRow("Quad SAT993 unanswered goes on") << 5 << "SAT993" << 16;
    QTest::newRow("Quad BRI991 unanswered") << 5 << "BRI991" << 1;
    QTest::newRow("Quad HUE994 unanswered") << 5 << "HUE994" << 15;
    QTest::newRow("Dual PoP all answered") << 2 << "" << 16;
    QTest::newRow("TV Wall all answered") << 3 << "" << 16;
    QTest::newRow("Dual PiP all answered") << 4 << "" << 16;
}

void PictureTest::refresh_order() {
    QFETCH(int, mode);
    QFETCH(QString, silent);
    QFETCH(int, sent);
    Rig rig(mode);
    rig.answer_queries();
    if (!silent.isEmpty()) rig.device.never_answer(silent);

    QStringList full;
    if (mode == 1) {
        for (const char* c : kCodes) full << QLatin1String(c) + QStringLiteral("999");
    } else {
        for (int n = 1; n <= 4; ++n)
            for (const char* c : kCodes) full << QLatin1String(c) + QStringLiteral("99") + QString::number(n);
    }
    rig.w().control(QStringLiteral("fra_pic"))->setEnabled(true);
    QTest::mouseClick(rig.w().ctl<QPushButton>(QStringLiteral("cmd_pic_refresh")), Qt::LeftButton);
    QCOMPARE(rig.take_received(), full.mid(0, sent));

    // Every answered query has moved its row as the answer came in.
    for (int k = 0; k < sent; ++k) {
        if (full[k] == silent) continue;
        const int g = k % 4;
        const int row = mode == 1 ? 1 : k / 4 + 1;
        const int expect = mode == 1 ? 40 + g : 10 * row + g;
        QCOMPARE(rig.slider(g, row)->value(), expect);
        QCOMPARE(rig.box(g, row), QLatin1Char(' ') + QString::number(expect));
    }
    QVERIFY(rig.st().cmd_enable);
}

void PictureTest::reset_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("rows_reset");
    QTest::newRow("Matrix: row 1 only") << 1 << 1;
    QTest::newRow("Quad: all rows") << 5 << 4;
    QTest::newRow("Dual PoP: all rows") << 2 << 4;
}

void PictureTest::reset() {
    QFETCH(int, mode);
    QFETCH(int, rows_reset);
    Rig rig(mode);
    for (int g = 0; g < 4; ++g)
        for (int i = 1; i <= 4; ++i) {
            rig.slider(g, i)->setValue(13);
            rig.set_box(g, i, QStringLiteral("13"));
        }
    rig.take_received();
    rig.device.answer(QStringLiteral("RST002"), "RST002\r");
    rig.w().control(QStringLiteral("fra_pic"))->setEnabled(true);
    QTest::mouseClick(rig.w().ctl<QPushButton>(QStringLiteral("cmd_pic_reset")), Qt::LeftButton);
    rig.platform.advance(5);
    QCOMPARE(rig.take_received(), QStringList{"RST002"});  // the sliders' moves send nothing
    for (int g = 0; g < 4; ++g)
        for (int i = 1; i <= 4; ++i) {
            const bool reset = i <= rows_reset;
            QCOMPARE(rig.box(g, i), reset ? QStringLiteral("50") : QStringLiteral("13"));
            QCOMPARE(rig.slider(g, i)->value(), reset ? 50 : 13);
        }
    QVERIFY(rig.st().cmd_enable);
}

void PictureTest::unanswered_reset_changes_nothing() {
    Rig rig(5);
    rig.slider(0, 2)->setValue(30);
    rig.take_received();
    rig.device.never_answer(QStringLiteral("RST002"));
    rig.p().picture->cmd_pic_reset_Click();
    QCOMPARE(rig.take_received(), QStringList{"RST002"});
    QCOMPARE(rig.slider(0, 2)->value(), 30);
    QCOMPARE(rig.box(0, 2), QStringLiteral("30"));
}

void PictureTest::reply_never_sends_back() {
    Rig rig(5);
    rig.slider(1, 2)->setValue(20);
    rig.take_received();
    QCOMPARE(rig.box(1, 2), QStringLiteral("20"));

    // While a reply handler holds cmd_enable false and pumps, the operator
    // steps contrast row 2: that change must send nothing and leave its box.
    int inside_handler = 0;
    const auto device_step = rig.platform.on_pump;
    rig.platform.on_pump = [&] {
        device_step();
        if (!rig.st().cmd_enable && inside_handler++ == 0)
            rig.slider(1, 2)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    };
    rig.reply("BRI260\r");
    QVERIFY(inside_handler > 0);
    QCOMPARE(rig.slider(1, 2)->value(), 21);  // the step happened ...
    QCOMPARE(rig.box(1, 2), QStringLiteral("20"));  // ... but was not taken as a user change
    QCOMPARE(rig.slider(0, 2)->value(), 60);
    QCOMPARE(rig.box(0, 2), QStringLiteral(" 60"));
    QVERIFY(rig.take_received().isEmpty());
    QVERIFY(rig.st().cmd_enable);

    // Outside the handler the same step sends as usual.
    rig.slider(1, 2)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(rig.take_received(), QStringList{"CON222"});
}

void PictureTest::slider_change_while_disabled_sends_nothing() {
    Rig rig(5);
    rig.set_box(2, 3, QStringLiteral("old"));
    rig.st().cmd_enable = false;
    rig.slider(2, 3)->setValue(40);
    QCOMPARE(rig.box(2, 3), QStringLiteral("old"));
    rig.st().cmd_enable = true;
    rig.p().picture->hsr_hue_Change(3);
    QCOMPARE(rig.take_received(), QStringList{"HUE440"});
}

QTEST_MAIN(PictureTest)
#include "picture.moc"
