// End to end: the real panel (production adapters, offscreen) against the
// real tavrin4x-sim over TCP loopback. The device is set up from the
// simulator's console, the panel reads it with "Refresh", then the panel
// changes the device and the simulator's state dump must follow.

#include "device_controls/audio.h"
#include "device_controls/presets.h"
#include "link/qt_ports.h"
#include "main_window/link_controls.h"
#include "main_window/panel.h"
#include "routing/display_modes.h"
#include "support/programs.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace tavrin;

namespace {

// The value after "key " in the state dump, e.g. field(s, "EDID") for "EDID 4,".
QString field(const QString& state, const QString& key) {
    const QRegularExpression re(QRegularExpression::escape(key) + QStringLiteral(" ([^,\\s]+)"));
    return re.match(state).captured(1);
}

}  // namespace

class MainWindowE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void refresh_shows_the_device_and_the_device_follows_the_panel();
    void the_same_over_the_virtual_serial_port();
    void cleanupTestCase();

private:
    // Builds the panel in its own program dir with the given settings file.
    void make_panel(const QByteArray& ini_text);
    bool connect_panel();

    std::unique_ptr<testing::SimProcess> sim_;
    QTemporaryDir dir_;
    QtPlatform platform_;
    std::unique_ptr<QtSerialPort> serial_;
    std::unique_ptr<QtTcpClient> tcp_;
    std::unique_ptr<Panel> panel_;
    QTimer box_closer_;
    QStringList boxes_;
};

void MainWindowE2E::initTestCase() {
    sim_ = std::make_unique<testing::SimProcess>();
    QString why;
    // The simulator's virtual serial port is the panel's COM1.
    if (!sim_->start(QStringLiteral(SIM_EXE), {QStringLiteral("--serial"), dir_.filePath(QStringLiteral("COM1"))}, &why))
        QSKIP(qPrintable(why));
    // A modal message box must never hang the run: close it and remember it.
    QObject::connect(&box_closer_, &QTimer::timeout, this, [this] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            boxes_ << box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
            box->close();
        }
    });
    box_closer_.start(20);
}

void MainWindowE2E::cleanupTestCase() {
    panel_.reset();
    sim_.reset();
}

void MainWindowE2E::make_panel(const QByteArray& ini_text) {
    panel_.reset();
    QVERIFY(testing::make_program_dir(dir_.path(), ini_text));
    serial_ = std::make_unique<QtSerialPort>(dir_.path());
    tcp_ = std::make_unique<QtTcpClient>();
    panel_ = std::make_unique<Panel>(platform_, *serial_, *tcp_, dir_.path());
    platform_.set_message_parent(&panel_->w);
    panel_->load();
}

bool MainWindowE2E::connect_panel() {
    panel_->w.ctl<QLineEdit>(QStringLiteral("txt_ip"))->setText(QStringLiteral("127.0.0.1:%1").arg(sim_->port));
    panel_->links->cmd_conn_eth_Click();
    QDeadlineTimer deadline(10000);
    while (!panel_->link.eth_connected && !deadline.hasExpired()) QTest::qWait(10);
    return panel_->link.eth_connected;
}

void MainWindowE2E::refresh_shows_the_device_and_the_device_follows_the_panel() {
    // The device as an operator left it at its front panel.
    for (const char* line : {"set mode 5", "set quad 3", "set edid 2", "mute", "set bezel 1", "set bezh 40",
                             "set bezv 20", "set res 3", "set aspect 2", "set lock 0"})
        sim_->console(QLatin1String(line));
    const QString before = sim_->state();
    QVERIFY2(before.contains(QStringLiteral("mode 5 (Quad)")), qPrintable(before));

    make_panel(QStringLiteral("1\r\n1\r\n#TRUE#\r\n\"127.0.0.1:%1\"\r\n").arg(sim_->port).toLatin1());
    QVERIFY(connect_panel());
    FrmMain& w = panel_->w;

    QTest::mouseClick(w.ctl<ColorButton>(QStringLiteral("cmd_refresh")), Qt::LeftButton);

    QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join(QLatin1Char('|'))));
    QCOMPARE(panel_->st.cur_mode, int16_t(5));
    QCOMPARE(panel_->st.pwr_state, int16_t(1));
    QCOMPARE(panel_->st.lock_state, int16_t(0));
    QVERIFY(w.ctl_at<QRadioButton>(QStringLiteral("opt_quad"), 3)->isChecked());
    QVERIFY(w.ctl_at<QRadioButton>(QStringLiteral("opt_audio"), 2)->isChecked());
    QCOMPARE(panel_->st.audio_state, int16_t(0));
    QCOMPARE(w.ctl<ColorButton>(QStringLiteral("cmd_mute"))->picture_file(),
             w.bitmap_path(QStringLiteral("speaker_off.bmp")));
    QVERIFY(w.ctl_at<QRadioButton>(QStringLiteral("opt_bezel_onoff"), 1)->isChecked());
    const QRegularExpression bezel(QStringLiteral("H (\\d+)/(\\d+), V (\\d+)/(\\d+)"));
    const auto b = bezel.match(before);
    QVERIFY(b.hasMatch());
    QCOMPARE(w.ctl<ScrollSlider>(QStringLiteral("hsr_bezel_h"))->value(), b.captured(1).toInt());
    QCOMPARE(w.ctl<ScrollSlider>(QStringLiteral("hsr_bezel_h"))->maximum(), b.captured(2).toInt());
    QCOMPARE(w.ctl<ScrollSlider>(QStringLiteral("hsr_bezel_v"))->value(), b.captured(3).toInt());
    QCOMPARE(w.ctl<ScrollSlider>(QStringLiteral("hsr_bezel_v"))->maximum(), b.captured(4).toInt());
    QCOMPARE(w.ctl<QComboBox>(QStringLiteral("cbo_output"))->currentIndex() + 1,
             field(before, QStringLiteral("resolution")).toInt());
    QCOMPARE(w.ctl<QComboBox>(QStringLiteral("cbo_aspect"))->currentIndex(),
             field(before, QStringLiteral("aspect")).toInt());
    QCOMPARE(w.ctl_at<ColorButton>(QStringLiteral("cmd_mode"), 5)->back_color(), colors::selected);
    QCOMPARE(w.ctl<QLineEdit>(QStringLiteral("txt_ver"))->text(), QStringLiteral("3.00"));
    QCOMPARE(w.ctl<QLineEdit>(QStringLiteral("txt_ver2"))->text(), QStringLiteral("A01"));
    QVERIFY(w.control(QStringLiteral("img_start"))->isHidden());
    // The map read ends on output D; its routed input is lit.
    QCOMPARE(panel_->st.cur_output, int16_t(4));
    const QRegularExpression quad_route(QStringLiteral("routing Quad\\s*: 1<-(\\d) 2<-(\\d) 3<-(\\d) 4<-(\\d)"));
    const auto r = quad_route.match(before);
    QVERIFY(r.hasMatch());
    QCOMPARE(w.ctl_at<ShapeWidget>(QStringLiteral("sha_out_d_in"), r.captured(4).toInt())->fill(), colors::routed);

    // Now the panel drives the device.
    auto pick = [](QComboBox* list, int k) {
        list->setCurrentIndex(k);
        emit list->activated(k);
    };
    panel_->modes->cmd_mode_Click(1);
    QCOMPARE(panel_->st.cur_mode, int16_t(1));
    pick(w.ctl<QComboBox>(QStringLiteral("cbo_output")), 6);
    pick(w.ctl<QComboBox>(QStringLiteral("cbo_aspect")), 4);
    QTest::mouseClick(w.ctl_at<QRadioButton>(QStringLiteral("opt_audio"), 4), Qt::LeftButton);
    QTest::mouseClick(w.ctl<ColorButton>(QStringLiteral("cmd_mute")), Qt::LeftButton);
    w.ctl_at<ScrollSlider>(QStringLiteral("hsr_bri"), 1)->setValue(70);
    QTest::mouseClick(w.ctl_at<ColorButton>(QStringLiteral("cmd_out"), 2), Qt::LeftButton);
    QTest::mouseClick(w.ctl_at<ClickLabel>(QStringLiteral("lab_out_b_in"), 3), Qt::LeftButton);
    QTest::mouseClick(w.ctl_at<ColorButton>(QStringLiteral("cmd_save"), 2), Qt::LeftButton);
    QCOMPARE(w.ctl_at<ColorButton>(QStringLiteral("cmd_save"), 2)->back_color(), colors::selected);
    QTest::qWait(50);  // the slider's answer comes back on its own

    QString after = sim_->state();
    QVERIFY2(after.contains(QStringLiteral("mode 1 (Matrix)")), qPrintable(after));
    QCOMPARE(field(after, QStringLiteral("resolution")), QStringLiteral("7"));
    QCOMPARE(field(after, QStringLiteral("aspect")), QStringLiteral("4"));
    QCOMPARE(field(after, QStringLiteral("EDID")), QStringLiteral("4"));
    QCOMPARE(field(after, QStringLiteral("audio")), QStringLiteral("on"));
    QCOMPARE(field(after, QStringLiteral("BRI matrix")), QStringLiteral("70"));
    QVERIFY2(after.contains(QStringLiteral("2<-3 3<-")), qPrintable(after));
    QCOMPARE(w.ctl<ColorButton>(QStringLiteral("cmd_mute"))->picture_file(),
             w.bitmap_path(QStringLiteral("speaker_on.bmp")));

    // Leave Matrix, then recall the preset saved there: the device goes back.
    pick(w.ctl<QComboBox>(QStringLiteral("cbo_output")), 7);  // 1080p: other modes allowed
    panel_->modes->cmd_mode_Click(5);
    QVERIFY(sim_->state().contains(QStringLiteral("mode 5 (Quad)")));
    QTest::mouseClick(w.ctl_at<ColorButton>(QStringLiteral("cmd_recall"), 2), Qt::LeftButton);
    after = sim_->state();
    QVERIFY2(after.contains(QStringLiteral("mode 1 (Matrix)")), qPrintable(after));
    QCOMPARE(w.ctl_at<ColorButton>(QStringLiteral("cmd_recall"), 2)->back_color(), colors::selected);
    QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join(QLatin1Char('|'))));

    // A factory reset restarts the device, which ends the session while the
    // panel waits: one notice, then the panel offers Connect again.
    QTest::mouseClick(w.ctl<ColorButton>(QStringLiteral("cmd_fact_reset")), Qt::LeftButton);
    QTRY_COMPARE(boxes_, QStringList{QStringLiteral("Need to re-connect Ethernet after TAVRIN-4X re-boots ready !")});
    QVERIFY(!panel_->link.eth_connected && w.control(QStringLiteral("cmd_conn_eth"))->isEnabled());
    boxes_.clear();
    QTRY_VERIFY(!sim_->state().contains(QStringLiteral("(booting)")));  // ready for the next test
}

void MainWindowE2E::the_same_over_the_virtual_serial_port() {
    sim_->console(QStringLiteral("set mode 2"));
    make_panel("0\r\n1\r\n#FALSE#\r\n\"\"\r\n");
    FrmMain& w = panel_->w;
    QVERIFY(panel_->link.rs232_open);
    QCOMPARE(w.ctl<ColorButton>(QStringLiteral("cmd_conn"))->back_color(), colors::routed);

    QTest::mouseClick(w.ctl<ColorButton>(QStringLiteral("cmd_refresh")), Qt::LeftButton);
    QCOMPARE(panel_->st.cur_mode, int16_t(2));
    QCOMPARE(w.ctl_at<ColorButton>(QStringLiteral("cmd_mode"), 2)->back_color(), colors::selected);
    QCOMPARE(w.ctl<QLineEdit>(QStringLiteral("txt_ver"))->text(), QStringLiteral("3.00"));

    QTest::mouseClick(w.ctl_at<ColorButton>(QStringLiteral("cmd_mode"), 3), Qt::LeftButton);
    QCOMPARE(panel_->st.cur_mode, int16_t(3));
    const QString wall = sim_->state();
    QVERIFY2(wall.contains(QStringLiteral("mode 3 (TV Wall)")), qPrintable(wall));

    // Refresh in TV Wall reads the wall alone: "Wall" selected, its input lit in column a.
    QTest::mouseClick(w.ctl<ColorButton>(QStringLiteral("cmd_refresh")), Qt::LeftButton);
    const auto routed = QRegularExpression(QStringLiteral("routing TV Wall\\s*: 1<-(\\d)")).match(wall);
    QVERIFY2(routed.hasMatch(), qPrintable(wall));
    QCOMPARE(panel_->st.cur_output, int16_t(1));
    QCOMPARE(w.ctl_at<ColorButton>(QStringLiteral("cmd_out"), 1)->back_color(), colors::selected);
    QCOMPARE(w.ctl_at<ShapeWidget>(QStringLiteral("sha_out_a_in"), routed.captured(1).toInt())->fill(),
             colors::routed);
    QVERIFY(w.ctl_at<ClickLabel>(QStringLiteral("lab_out_a_in"), 4)->isVisibleTo(&w));
    QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join(QLatin1Char('|'))));
}

QTEST_MAIN(MainWindowE2E)
#include "main_window.moc"
