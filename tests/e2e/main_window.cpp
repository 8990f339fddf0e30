// End to end: the real panel (production adapters, offscreen) against the
// real tavrin4x-sim, over TCP loopback and over its virtual serial port. The
// device is set up from the simulator's console, the panel reads it with
// "Refresh", then the panel changes the device and the simulator's state dump
// must follow.

#include "link/qt_ports.h"
#include "main_window/link_controls.h"
#include "main_window/panel.h"
#include "routing/display_modes.h"
#include "support/programs.h"

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace tavrin;

namespace {

// The value after "key " in the state dump, e.g. field(s, "EDID") for "EDID 4,".
QString field(const QString& state, const QString& key) {
    return QRegularExpression(QRegularExpression::escape(key) + " ([^,\\s]+)").match(state).captured(1);
}

void pick(QComboBox* list, int k) {
    list->setCurrentIndex(k);
    emit list->activated(k);
}

}  // namespace

class MainWindowE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!QFile::exists(QStringLiteral(SIM_EXE))) QSKIP("tavrin4x-sim not built");
        // Its virtual serial port is the panel's COM1.
        QString why;
        QVERIFY2(sim_.start(QStringLiteral(SIM_EXE), {"--serial", dir_.filePath("COM1")}, &why), qPrintable(why));
        // A modal message box must never hang the run: close it and remember it.
        QObject::connect(&box_closer_, &QTimer::timeout, this, [this] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                boxes_ << box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
                box->close();
            }
        });
        box_closer_.start(20);
    }
    void cleanupTestCase() { panel_.reset(); }

    void refresh_shows_the_device_and_the_device_follows_the_panel() {
        // The device as an operator left it at its front panel.
        for (const char* line : {"set mode 5", "set quad 3", "set edid 2", "mute", "set bezel 1", "set bezh 40",
                                 "set res 3", "set aspect 2", "set lock 0", "route 4 2"})
            sim_.console(QLatin1String(line));
        make_panel(QStringLiteral("1\r\n1\r\n#TRUE#\r\n\"127.0.0.1:%1\"\r\n").arg(sim_.port).toLatin1());
        panel_->links->cmd_conn_eth_Click();
        QTRY_VERIFY(panel_->link.eth_connected());
        FrmMain& w = panel_->w;
        QTest::mouseClick(w.ctl<ColorButton>(QStringLiteral("cmd_refresh")), Qt::LeftButton);
        const auto checked = [&](const char* group, int i) { return w.ctl_at<QRadioButton>(group, i)->isChecked(); };
        const QStringList shown = {
            QString::number(panel_->st.cur_mode), w.ctl_at<ColorButton>("cmd_mode", 5)->back_color().name(),
            checked("opt_quad", 3) ? "Q3" : "-", checked("opt_audio", 2) ? "8CH" : "-",
            w.ctl<ColorButton>("cmd_mute")->picture_file().section('/', -1), checked("opt_bezel_onoff", 1) ? "on" : "-",
            QString::number(w.ctl<ScrollSlider>("hsr_bezel_h")->value()), QString::number(w.ctl<ScrollSlider>("hsr_bezel_h")->maximum()),
            QString::number(w.ctl<QComboBox>("cbo_output")->currentIndex()),
            QString::number(w.ctl<QComboBox>("cbo_aspect")->currentIndex()), QString::number(panel_->st.lock_state),
            w.ctl<QLineEdit>("txt_ver")->text(), w.ctl<QLineEdit>("txt_ver2")->text(),
            // The map read ends on output D; its routed input is lit.
            QString::number(panel_->st.cur_output), w.ctl_at<ShapeWidget>("sha_out_d_in", 2)->fill().name(),
            w.control("img_start")->isHidden() ? "prompt gone" : "prompt"};
        QCOMPARE(shown.join(' '), QStringLiteral("5 #50c0ff Q3 8CH speaker_off.bmp on 40 200 2 2 0 3.00 A01 4 #00d020 "
                                                 "prompt gone"));
        // Now the panel drives the device.
        panel_->modes->cmd_mode_Click(1);
        pick(w.ctl<QComboBox>("cbo_output"), 6);
        pick(w.ctl<QComboBox>("cbo_aspect"), 4);
        QTest::mouseClick(w.ctl_at<QRadioButton>("opt_audio", 4), Qt::LeftButton);
        QTest::mouseClick(w.ctl<ColorButton>("cmd_mute"), Qt::LeftButton);
        w.ctl_at<ScrollSlider>("hsr_bri", 1)->setValue(70);
        // The slider does not wait for its answer; let it come back before the
        // next exchange, which would otherwise take it for its own and give up.
        QTRY_VERIFY(panel_->link.log_text().contains(QStringLiteral("BRI070")));
        QTest::mouseClick(w.ctl_at<ColorButton>("cmd_out", 2), Qt::LeftButton);
        QTest::mouseClick(w.ctl_at<ClickLabel>("lab_out_b_in", 3), Qt::LeftButton);
        QTest::mouseClick(w.ctl_at<ColorButton>("cmd_save", 2), Qt::LeftButton);
        QString after = sim_.state();
        QStringList got;
        for (const char* key : {"mode", "resolution", "aspect", "EDID", "audio", "BRI matrix"}) got << field(after, key);
        QCOMPARE(got.join(' ') + (after.contains("2<-3 3<-") ? " B from 3" : ""), QStringLiteral("1 7 4 4 on 70 B from 3"));
        QCOMPARE(w.ctl<ColorButton>("cmd_mute")->picture_file().section('/', -1), QStringLiteral("speaker_on.bmp"));
        // Leave Matrix, then recall the preset saved there: the device goes back.
        pick(w.ctl<QComboBox>("cbo_output"), 7);  // 1080p: other modes allowed
        panel_->modes->cmd_mode_Click(5);
        QCOMPARE(field(sim_.state(), "mode"), QStringLiteral("5"));
        QTest::mouseClick(w.ctl_at<ColorButton>("cmd_recall", 2), Qt::LeftButton);
        QCOMPARE(field(sim_.state(), "mode"), QStringLiteral("1"));
        QCOMPARE(w.ctl_at<ColorButton>("cmd_recall", 2)->back_color(), colors::selected);
        QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join('|')));
        // A factory reset restarts the device, which ends the session while the
        // panel waits: one notice, then the panel offers Connect again.
        QTest::mouseClick(w.ctl<ColorButton>("cmd_fact_reset"), Qt::LeftButton);
        QTRY_COMPARE(boxes_, QStringList{"Need to re-connect Ethernet after TAVRIN-4X re-boots ready !"});
        QVERIFY(!panel_->link.eth_connected() && w.control("cmd_conn_eth")->isEnabled());
        boxes_.clear();
        QTRY_VERIFY(!sim_.state().contains("(booting)"));  // ready for the next test
    }

    void the_same_over_the_virtual_serial_port() {
        sim_.console(QStringLiteral("set mode 2"));
        make_panel("0\r\n1\r\n#FALSE#\r\n\"\"\r\n");
        FrmMain& w = panel_->w;
        QCOMPARE(w.ctl<ColorButton>("cmd_conn")->back_color(), colors::routed);
        QTest::mouseClick(w.ctl<ColorButton>("cmd_refresh"), Qt::LeftButton);
        QVERIFY(panel_->st.cur_mode == 2 && w.ctl_at<ColorButton>("cmd_mode", 2)->back_color() == colors::selected);
        QCOMPARE(w.ctl<QLineEdit>("txt_ver")->text(), QStringLiteral("3.00"));
        QTest::mouseClick(w.ctl_at<ColorButton>("cmd_mode", 3), Qt::LeftButton);
        const QString wall = sim_.state();
        QCOMPARE(field(wall, "mode"), QStringLiteral("3"));
        // Refresh in TV Wall reads the wall alone: "Wall" selected, its input lit in column a.
        QTest::mouseClick(w.ctl<ColorButton>("cmd_refresh"), Qt::LeftButton);
        const int routed = QRegularExpression("routing TV Wall\\s*: 1<-(\\d)").match(wall).captured(1).toInt();
        QVERIFY(panel_->st.cur_output == 1 && w.ctl_at<ColorButton>("cmd_out", 1)->back_color() == colors::selected);
        QCOMPARE(w.ctl_at<ShapeWidget>("sha_out_a_in", routed)->fill(), colors::routed);
        QVERIFY(w.ctl_at<ClickLabel>("lab_out_a_in", 4)->isVisibleTo(&w));
        QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join('|')));
    }

private:
    // The panel in its own program folder with the given settings file.
    void make_panel(const QByteArray& ini) {
        panel_.reset();
        QVERIFY(testing::make_program_dir(dir_.path(), ini));
        serial_ = std::make_unique<QtSerialPort>(dir_.path());
        tcp_ = std::make_unique<QtTcpClient>();
        panel_ = std::make_unique<Panel>(platform_, *serial_, *tcp_, dir_.path());
        platform_.set_message_parent(&panel_->w);
        panel_->load();
    }

    QTemporaryDir dir_;
    testing::SimProcess sim_;
    QtPlatform platform_;
    std::unique_ptr<QtSerialPort> serial_;
    std::unique_ptr<QtTcpClient> tcp_;
    std::unique_ptr<Panel> panel_;
    QTimer box_closer_;
    QStringList boxes_;
};

QTEST_MAIN(MainWindowE2E)
#include "main_window.moc"
