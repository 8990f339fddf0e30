// What the panel draws while a query chain runs: windows repaint at most once
// a frame, and then while an answer is awaited, yet Refresh shows its running
// colour; the traffic box is left alone while out of sight and shows the
// whole log once it comes into view; key pictures decoded ahead of time still
// follow their files.

#include "device_controls/presets.h"
#include "context/context.h"
#include "support/panel_rig.h"
#include "widgets/paint_pacer.h"

#include "widgets/pictures.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {
// Counts paint events of one widget, and those painted in a given colour.
struct PaintSpy : QObject {
    explicit PaintSpy(QWidget* w) : w_(w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            ++paints;
            if (auto* b = qobject_cast<ColorButton*>(w_); b && b->back_color() == colors::in_progress) ++running;
        }
        return false;
    }
    QWidget* w_;
    int paints = 0, running = 0;
};
QString shown(const QString& log) { return QString(log).replace(QLatin1Char('\r'), QLatin1Char('\n')); }
}  // namespace

class PacingTest : public QObject {
    Q_OBJECT
private slots:
    void updates_wait_for_the_frame() {
        QWidget window;
        auto* child = new QWidget(&window);
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PaintSpy spy(child);
        {
            PaintPacer pacer(60 * 1000);  // a frame longer than the test
            child->update();
            QCoreApplication::processEvents();
            QCOMPARE(spy.paints, 1);  // after a quiet spell: at once
            for (int i = 0; i < 20; ++i) {
                child->update();
                QCoreApplication::processEvents();
            }
            QCOMPARE(spy.paints, 1);  // the rest waits for the frame
        }
        QCoreApplication::processEvents();
        QCOMPARE(spy.paints, 2);  // nothing is lost: painted once the pacer lets go
    }

    // On a slow line a repaint should overlap the wait for an answer, not sit
    // between an answer and the next command.
    void frames_due_between_exchanges_wait_for_the_next_command() {
        QWidget window;
        auto* child = new QWidget(&window);
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PaintSpy spy(child);
        bool on_wire = false;
        {
            PaintPacer pacer(0);  // every frame due at once
            pacer.set_wire_gate([&] { return on_wire; }, 60 * 1000);
            child->update();
            QCoreApplication::processEvents();
            QCOMPARE(spy.paints, 1);  // after a quiet spell: at once
            child->update();
            for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
            QCOMPARE(spy.paints, 1);  // due, but no command is out
            pacer.command_left();     // not yet on the wire: still waits
            QCoreApplication::processEvents();
            QCOMPARE(spy.paints, 1);
            on_wire = true;
            pacer.command_left();
            QCoreApplication::processEvents();
            QCOMPARE(spy.paints, 2);  // painted while the answer is awaited
            child->update();          // late in that wait: for the next command
            for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
            QCOMPARE(spy.paints, 2);
        }
        QCoreApplication::processEvents();
        QCOMPARE(spy.paints, 3);  // nothing is lost
        {
            // No command follows: the frame goes out after the grace time.
            PaintPacer pacer(0);
            pacer.set_wire_gate([] { return false; }, 1);
            child->update();
            QCoreApplication::processEvents();
            child->update();
            QTRY_COMPARE(spy.paints, 5);
        }
    }

    void preloaded_pictures_follow_their_files() {
        QTemporaryDir tmp;
        QVERIFY(pictures::write_button_bitmaps(tmp.path()));
        const QDir dir(tmp.path());
        const QString file = dir.filePath(QStringLiteral("lock.bmp"));
        auto rgb = [](const QImage& i) { return i.convertToFormat(QImage::Format_RGB32); };
        ColorButton::preload_picture(file);
        ColorButton a;
        QVERIFY(a.load_picture_file(file) && rgb(a.picture()) == rgb(pictures::lock()));
        // Replaced after the preload: the key shows what the file holds now.
        QVERIFY(QFile::remove(file) && QFile::copy(dir.filePath(QStringLiteral("power_on.bmp")), file));
        ColorButton b;
        QVERIFY(b.load_picture_file(file) && rgb(b.picture()) == rgb(pictures::power_on()));
        // Gone: the key keeps what it shows.
        QVERIFY(QFile::remove(file));
        ColorButton c;
        c.set_picture(pictures::unlock());
        QVERIFY(!c.load_picture_file(file) && c.picture() == pictures::unlock());
    }

    void refresh_shows_its_running_colour() {
        PanelRig rig;
        rig.echo_device();
        rig.w().show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.w()));
        QTest::qWait(40);  // more than a frame since the window was last painted
        PaintSpy spy(rig.w().control(QStringLiteral("cmd_refresh")));
        rig.p().presets->cmd_refresh_Click();
        QVERIFY(rig.take_received().size() > 20);  // a chain ran, one paint for it so far
        QCOMPARE(spy.running, 1);
    }

    void traffic_box_out_of_sight() {
        PanelRig rig;
        rig.echo_device();
        auto* box = rig.w().ctl<QPlainTextEdit>(QStringLiteral("txt_cmd"));
        rig.w().show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.w()));
        QVERIFY(box->visibleRegion().isEmpty());  // below the edge in the advanced view
        int changes = 0;
        connect(box->document(), &QTextDocument::contentsChanged, [&] { ++changes; });
        for (int i = 0; i < 45; ++i) rig.link().tx_cmd(QStringLiteral("MNU001"));  // past the clear at 80
        rig.platform.advance(5);
        QCOMPARE(changes, 0);
        QVERIFY(rig.link().log_lines < 80);  // cleared on the way

        // Stretched down to the log: it shows what was logged meanwhile, and
        // keeps up from then on, across the next clear too.
        rig.w().resize(rig.w().width(), rig.w().maximumHeight());
        QTRY_COMPARE(box->toPlainText(), shown(rig.link().log_text()));
        for (int i = 0; i < 40; ++i) {
            rig.link().tx_cmd(QStringLiteral("MND001"));
            rig.platform.advance(1);
            QCOMPARE(box->toPlainText(), shown(rig.link().log_text()));
        }
        QVERIFY(rig.link().log_lines < 80);  // cleared on the way
    }
};

QTEST_MAIN(PacingTest)
#include "pacing.moc"
