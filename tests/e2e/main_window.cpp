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
#include <memory>

using namespace tavrin;

namespace {
// The value after "key " in the state dump, e.g. field(s, "EDID") for "EDID 4,".
QString field(const QString& state, const QString& key) {
    return QRegularExpression(QRegularExpression::escape(key) + " ([^,\\s]+)").match(state).captured(1);
}
}  // namespace

class MainWindowE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!QFile::exists(QStringLiteral(SIM_EXE))) QSKIP("tavrin4x-sim not built");
        QString why;
        QVERIFY2(sim_.start(QStringLiteral(SIM_EXE), {}, &why), qPrintable(why));
        // A modal message box must never hang the run: close it and remember it.
        QObject::connect(&box_closer_, &QTimer::timeout, this, [this] {
            if (QWidget* box = QApplication::activeModalWidget())
                boxes_ << box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text(), box->close();
        });
        box_closer_.start(20);
    }
    void cleanupTestCase() { panel_.reset(); }

    void over_tcp() {
        for (const char* line : {"set mode 5", "set quad 3", "set bezh 40", "set res 3", "route 4 2"})
            sim_.console(QLatin1String(line));
        // The console spaces a line's replies 30 ms apart ("route" sends two);
        // let them all go out before a panel listens, or the late one would
        // arrive in the middle of its refresh.
        QTest::qWait(200);
        const QString ini = QStringLiteral("1\r\n1\r\n#TRUE#\r\n\"127.0.0.1:%1\"\r\n").arg(sim_.port);
        QVERIFY(testing::make_program_dir(dir_.path(), ini.toLatin1()));
        panel_ = std::make_unique<Panel>(platform_, serial_, tcp_, dir_.path());
        platform_.set_message_parent(&panel_->w);
        panel_->load();
        panel_->links->cmd_conn_eth_Click();
        QTRY_VERIFY(panel_->link.eth_connected());
        FrmMain& w = panel_->w;
        QTest::mouseClick(w.ctl<ColorButton>(QStringLiteral("cmd_refresh")), Qt::LeftButton);
        const QStringList shown = {
            QString::number(panel_->st.cur_mode), w.ctl_at<QRadioButton>("opt_quad", 3)->isChecked() ? "Q3" : "-",
            QString::number(w.ctl<ScrollSlider>("hsr_bezel_h")->value()),
            QString::number(w.ctl<QComboBox>("cbo_output")->currentIndex()), w.ctl<QLineEdit>("txt_ver")->text(),
            w.ctl_at<ShapeWidget>("sha_out_d_in", 2)->fill().name()};
        QCOMPARE(shown.join(' '), QStringLiteral("5 Q3 40 2 3.00 #00d020"));
        // Now the panel drives the device.
        panel_->modes->cmd_mode_Click(1);
        QTest::mouseClick(w.ctl_at<QRadioButton>("opt_audio", 4), Qt::LeftButton);
        w.ctl_at<ScrollSlider>("hsr_bri", 1)->setValue(70);
        // The slider does not wait for its answer; let it come back before the
        // next exchange, which would otherwise take it for its own and give up.
        QTRY_VERIFY(panel_->link.log_text().contains(QStringLiteral("BRI070")));
        QTest::mouseClick(w.ctl_at<ColorButton>("cmd_out", 2), Qt::LeftButton);
        QTest::mouseClick(w.ctl_at<ClickLabel>("lab_out_b_in", 3), Qt::LeftButton);
        const QString after = sim_.state();
        QStringList got;
        for (const char* key : {"mode", "EDID", "BRI matrix"}) got << field(after, key);
        QCOMPARE(got.join(' ') + (after.contains("2<-3 3<-") ? " B from 3" : ""), QStringLiteral("1 4 70 B from 3"));
        QVERIFY2(boxes_.isEmpty(), qPrintable(boxes_.join('|')));
    }

private:
    QTemporaryDir dir_;
    testing::SimProcess sim_;
    QtPlatform platform_;
    QtSerialPort serial_{dir_.path()};
    QtTcpClient tcp_;
    std::unique_ptr<Panel> panel_;
    QTimer box_closer_;
    QStringList boxes_;
};

QTEST_MAIN(MainWindowE2E)
#include "main_window.moc"
