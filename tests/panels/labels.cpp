// The input-label window: the "L" lamp while opening and closing, the five
// queries and where they stop, label commands byte for byte (control
// characters never reach the wire), LAB/LAI replies open and closed.

#include "panels/frm_label.h"
#include "panels/labels.h"
#include "windows_rig.h"

#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {
const QStringList kAllQueries{"LAB999", "LAI991", "LAI992", "LAI993", "LAI994"};

QStringList boxes(FrmLabel* f) {
    QStringList s;
    for (int i = 1; i <= 4; ++i) s << f->txt_lab_in(i)->text();
    return s;
}

void press_enter(QLineEdit* box) { QTest::keyClick(box, Qt::Key_Return); }
}  // namespace

class LabelsTest : public QObject {
    Q_OBJECT
private slots:
    void indicator_toggles_with_the_lamp_red_meanwhile();
    void opening_fills_the_boxes_from_the_device();
    void refresh_stops_at_the_first_unanswered_query();
    void enter_sends_the_label_byte_for_byte_data();
    void enter_sends_the_label_byte_for_byte();
    void pasted_control_characters_are_refused();
    void lai_reply_takes_characters_5_to_16_data();
    void lai_reply_takes_characters_5_to_16();
    void lab_reply_selects_the_switch_and_sends_nothing();
    void replies_while_closed_change_nothing();
    void switch_clicks_send();
};

void LabelsTest::indicator_toggles_with_the_lamp_red_meanwhile() {
    WindowsRig rig;
    auto* indicator = rig.w().ctl<ClickLabel>(QStringLiteral("lab_lab_input"));
    auto* lamp = rig.w().ctl<ShapeWidget>(QStringLiteral("sha_lab_in"));
    indicator->show();
    lamp->show();
    QList<QPair<QColor, bool>> during;
    rig.on_command = [&](const QString&) { during << qMakePair(lamp->fill(), indicator->isEnabled()); };
    rig.w().control(QStringLiteral("fra_btn"))->setEnabled(true);
    QTest::mouseClick(indicator, Qt::LeftButton);
    QVERIFY(rig.st().label_open);
    QCOMPARE(during.size(), 5);
    for (const auto& d : during) {
        QCOMPARE(d.first, colors::red);
        QVERIFY(!d.second);
    }
    QCOMPARE(lamp->fill(), colors::idle_lamp);
    QVERIFY(indicator->isEnabled());

    FrmLabel* f = rig.p().labels->window();
    QCOMPARE(f->windowTitle(), QStringLiteral("Input Labels"));
    QCOMPARE(f->size(), QSize(183, 141));
    // Directly above the main window, right edges aligned.
    const QRect main = rig.w().frameGeometry();
    QCOMPARE(f->frameGeometry().bottom() + 1, main.top());
    QCOMPARE(f->frameGeometry().right(), main.right());

    QTest::mouseClick(indicator, Qt::LeftButton);
    QVERIFY(!rig.st().label_open);
    QVERIFY(!f->isVisible());
    QCOMPARE(lamp->fill(), colors::idle_lamp);
    QVERIFY(indicator->isEnabled());
}

void LabelsTest::opening_fills_the_boxes_from_the_device() {
    WindowsRig rig;
    rig.model.execute("LAB001");
    rig.model.execute("LAI1Camera");
    rig.model.execute("LAI3Stage left");
    rig.p().labels->lab_lab_input_Click();
    QCOMPARE(rig.take_received(), kAllQueries);
    FrmLabel* f = rig.p().labels->window();
    QVERIFY(f->opt_on_off(1)->isChecked());
    QCOMPARE(boxes(f)[0], QStringLiteral("Camera      "));
    QCOMPARE(boxes(f)[2], QStringLiteral("Stage left  "));
    QVERIFY(rig.take_received().isEmpty());  // the switch selection sent nothing back
}

void LabelsTest::refresh_stops_at_the_first_unanswered_query() {
    WindowsRig rig;
    rig.device.never_answer(QStringLiteral("LAI992"));
    rig.p().labels->lab_lab_input_Click();
    QCOMPARE(rig.take_received(), kAllQueries.mid(0, 3));
    FrmLabel* f = rig.p().labels->window();
    QCOMPARE(boxes(f), QStringList({"Input 1     ", "", "", ""}));
    QCOMPARE(rig.w().ctl<ShapeWidget>(QStringLiteral("sha_lab_in"))->fill(), colors::idle_lamp);

    // Refresh empties the boxes before asking again.
    f->txt_lab_in(4)->setText(QStringLiteral("typed"));
    rig.device.answer(QStringLiteral("LAI992"), "LAI2Second      \r");
    QTest::mouseClick(f->cmd_refresh, Qt::LeftButton);
    QCOMPARE(rig.take_received(), kAllQueries);
    QCOMPARE(boxes(f)[1], QStringLiteral("Second      "));
    QCOMPARE(boxes(f)[3], QStringLiteral("Input 4     "));
}

void LabelsTest::enter_sends_the_label_byte_for_byte_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("shown");
    QTest::newRow("eight characters in box 2") << 2 << "Studio B" << QByteArray("LAI2Studio B\r\r") << "Studio B";
    QTest::newRow("empty box 1") << 1 << "" << QByteArray("LAI1\r\r") << "";
    QTest::newRow("blanks kept, no limit") << 4 << " A  long label text " << QByteArray("LAI4 A  long label text \r\r")
                                           << " A  long label text ";
    // A CR or LF inside a label would end the command and start a second one.
    QTest::newRow("embedded CR") << 3 << "AB\rMOD001" << QByteArray("LAI3ABMOD001\r\r") << "ABMOD001";
    QTest::newRow("CR LF and tab") << 3 << "x\r\ny\tz" << QByteArray("LAI3xyz\r\r") << "xyz";
    QTest::newRow("DEL and C1") << 1 << QString::fromUtf8("a\x7f" "b\u0085c") << QByteArray("LAI1abc\r\r") << "abc";
    QTest::newRow("Latin-1 kept") << 2 << QString::fromUtf8("Caf\u00e9") << QByteArray("LAI2Caf\xe9\r\r")
                                  << QString::fromUtf8("Caf\u00e9");
    QTest::newRow("no Latin-1 byte") << 2 << QString::fromUtf8("\u03a9 room") << QByteArray("LAI2? room\r\r")
                                     << QString::fromUtf8("\u03a9 room");
}

void LabelsTest::enter_sends_the_label_byte_for_byte() {
    QFETCH(int, box);
    QFETCH(QString, typed);
    QFETCH(QByteArray, wire);
    QFETCH(QString, shown);
    WindowsRig rig;
    rig.p().labels->lab_lab_input_Click();
    rig.take_received();
    rig.take_wire();
    FrmLabel* f = rig.p().labels->window();
    rig.device.responder = nullptr;  // unanswered: the box keeps what was sent
    f->txt_lab_in(box)->setText(typed);
    rig.st().cmd_enable = false;  // Enter does not consult it
    press_enter(f->txt_lab_in(box));
    QCOMPARE(rig.take_wire(), wire);
    QCOMPARE(rig.take_received().size(), 1);  // one command line, nothing behind it
    QCOMPARE(f->txt_lab_in(box)->text(), shown);
}

void LabelsTest::pasted_control_characters_are_refused() {
    WindowsRig rig;
    rig.p().labels->lab_lab_input_Click();
    QLineEdit* box = rig.p().labels->window()->txt_lab_in(2);
    box->setText(QStringLiteral("AB"));
    box->setCursorPosition(1);
    box->insert(QStringLiteral("x\ry"));  // as a paste does
    QCOMPARE(box->text(), QStringLiteral("AxyB"));
    QCOMPARE(box->cursorPosition(), 3);
}

void LabelsTest::lai_reply_takes_characters_5_to_16_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("twelve with two trailing blanks") << QByteArray("LAI3STAGE LEFT  \r")
                                                     << QStringList({"", "", "STAGE LEFT  ", ""});
    QTest::newRow("longer reply") << QByteArray("LAI4ABCDEFGHIJKLMNOP\r") << QStringList({"", "", "", "ABCDEFGHIJKL"});
    QTest::newRow("shorter reply") << QByteArray("LAI1Cam\r") << QStringList({"Cam", "", "", ""});
    QTest::newRow("17 characters without CR") << QByteArray("LAI2ABCDEFGHIJKLM")
                                              << QStringList({"", "ABCDEFGHIJKL", "", ""});
    QTest::newRow("input 0") << QByteArray("LAI0ABCDEFGHIJKL\r") << QStringList({"", "", "", ""});
    QTest::newRow("input 5") << QByteArray("LAI5ABCDEFGHIJKL\r") << QStringList({"", "", "", ""});
    QTest::newRow("input x") << QByteArray("LAIxABCDEFGHIJKL\r") << QStringList({"", "", "", ""});
}

void LabelsTest::lai_reply_takes_characters_5_to_16() {
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, shown);
    WindowsRig rig;
    rig.device.responder = nullptr;  // a silent device: the boxes stay empty
    rig.p().labels->lab_lab_input_Click();
    rig.reply(reply);
    QCOMPARE(boxes(rig.p().labels->window()), shown);
    QVERIFY(rig.st().cmd_enable);
}

void LabelsTest::lab_reply_selects_the_switch_and_sends_nothing() {
    WindowsRig rig;
    rig.p().labels->lab_lab_input_Click();
    FrmLabel* f = rig.p().labels->window();
    QVERIFY(f->opt_on_off(0)->isChecked());
    rig.take_received();
    rig.reply("LAB001\r");
    QVERIFY(f->opt_on_off(1)->isChecked());
    rig.reply("LAB007\r");  // names no option
    QVERIFY(f->opt_on_off(1)->isChecked());
    rig.reply("LAB000\r");
    QVERIFY(f->opt_on_off(0)->isChecked());
    QVERIFY(rig.take_received().isEmpty());
    QVERIFY(rig.st().cmd_enable);
}

void LabelsTest::replies_while_closed_change_nothing() {
    WindowsRig rig;
    rig.p().labels->lab_lab_input_Click();
    QPointer<FrmLabel> f = rig.p().labels->window();
    f->close();  // through the window system
    QVERIFY(!rig.st().label_open);
    rig.st().cmd_enable = false;
    rig.reply("LAB001\r");
    rig.reply("LAI1ABCDEFGHIJKL\r");
    QVERIFY(!rig.st().cmd_enable);
    // The indicator opens it again, fresh.
    rig.st().cmd_enable = true;
    rig.p().labels->lab_lab_input_Click();
    QVERIFY(rig.st().label_open);
    QVERIFY(rig.p().labels->window() != f.data());
}

void LabelsTest::switch_clicks_send() {
    WindowsRig rig;
    rig.p().labels->lab_lab_input_Click();
    rig.take_received();
    FrmLabel* f = rig.p().labels->window();
    QTest::mouseClick(f->opt_on_off(1), Qt::LeftButton);
    QTest::mouseClick(f->opt_on_off(0), Qt::LeftButton);
    QCOMPARE(rig.take_received(), QStringList({"LAB001", "LAB000"}));
    rig.st().cmd_enable = false;
    QTest::mouseClick(f->opt_on_off(1), Qt::LeftButton);
    QVERIFY(rig.take_received().isEmpty());
}

QTEST_MAIN(LabelsTest)
#include "labels.moc"
