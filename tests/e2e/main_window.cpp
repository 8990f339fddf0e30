// End to end: the real panel (production adapters, offscreen) against the
// real tavrin4x-sim over TCP loopback. The panel reads what was set at the
// simulator's console, then changes the device and the simulator's state dump
// must follow.

#include "link/qt_ports.h"
#include "main_window/link_controls.h"
#include "main_window/panel.h"
#include "routing/display_modes.h"
#include "support/programs.h"

#include <QApplication>
#include <QtTest>

using namespace tavrin;

class MainWindowE2E : public QObject {
    Q_OBJECT
private slots:
    void over_tcp() {
        if (!QFile::exists(QStringLiteral(SIM_EXE))) QSKIP("tavrin4x-sim not built");
        testing::SimProcess sim;
        QString why;
        QVERIFY2(sim.start(QStringLiteral(SIM_EXE), {}, &why), qPrintable(why));
        // A modal message box must never hang the run: close it and remember it.
        QStringList boxes;
        QTimer box_closer;
        QObject::connect(&box_closer, &QTimer::timeout, [&boxes] {
            if (QWidget* box = QApplication::activeModalWidget())
                boxes << box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text(), box->close();
        });
        box_closer.start(20);
        for (const char* line : {"set mode 5", "set quad 3", "set bezh 40", "set res 3", "route 4 2"})
            sim.console(QLatin1String(line));
        // The console spaces a line's replies 30 ms apart ("route" sends two);
        // let them all go out before a panel listens, or the late one would
        // arrive in the middle of its refresh.
        QTest::qWait(200);
        QTemporaryDir dir;
        const QString ini = QStringLiteral("1\r\n1\r\n#TRUE#\r\n\"127.0.0.1:%1\"\r\n").arg(sim.port);
        QVERIFY(testing::make_program_dir(dir.path(), ini.toLatin1()));
        QtPlatform platform;
        QtSerialPort serial{dir.path()};
        QtTcpClient tcp;
        Panel panel(platform, serial, tcp, dir.path());
        platform.set_message_parent(&panel.w);
        panel.load();
        panel.links->cmd_conn_eth_Click();
        QTRY_VERIFY(panel.link.eth_connected());
        FrmMain& w = panel.w;
        QTest::mouseClick(w.ctl<ColorButton>(QStringLiteral("cmd_refresh")), Qt::LeftButton);
        const QStringList shown = {
            QString::number(panel.st.cur_mode), w.ctl_at<QRadioButton>("opt_quad", 3)->isChecked() ? "Q3" : "-",
            QString::number(w.ctl<ScrollSlider>("hsr_bezel_h")->value()),
            QString::number(w.ctl<QComboBox>("cbo_output")->currentIndex()), w.ctl<QLineEdit>("txt_ver")->text(),
            w.ctl_at<ShapeWidget>("sha_out_d_in", 2)->fill().name()};
        QCOMPARE(shown.join(' '), QStringLiteral("5 Q3 40 2 3.00 #00d020"));
        // Now the panel drives the device.
        panel.modes->cmd_mode_Click(1);
        QTest::mouseClick(w.ctl_at<QRadioButton>("opt_audio", 4), Qt::LeftButton);
        w.ctl_at<ScrollSlider>("hsr_bri", 1)->setValue(70);
        // The slider does not wait for its answer; let it come back before the
        // next exchange, which would otherwise take it for its own and give up.
        QTRY_VERIFY(panel.link.log_text().contains(QStringLiteral("BRI070")));
        QTest::mouseClick(w.ctl_at<ColorButton>("cmd_out", 2), Qt::LeftButton);
        QTest::mouseClick(w.ctl_at<ClickLabel>("lab_out_b_in", 3), Qt::LeftButton);
        const QString after = sim.state();
        QStringList got;
        for (const char* key : {"mode", "EDID", "BRI matrix"})  // the value after "key " in the dump
            got << QRegularExpression(QString(key) + " ([^,\\s]+)").match(after).captured(1);
        QCOMPARE(got.join(' ') + (after.contains("2<-3 3<-") ? " B from 3" : ""), QStringLiteral("1 4 70 B from 3"));
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.join('|')));
    }
};

QTEST_MAIN(MainWindowE2E)
#include "main_window.moc"
