// The main window as built, against numbers written down here (pixels are
// twips / 15), and how it paints while a query chain runs. Text extents are
// measured with the fonts the package depends on (scripts/setup.sh).

#include "main_window/frm_main.h"
#include "support/panel_rig.h"
#include "support/pixels.h"
#include "widgets/paint_pacer.h"
#include "widgets/pictures.h"

#include <QPlainTextEdit>
#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

// A frame's title, a slider's range and steps, else the text of a button, label or box.
QString caption_of(QWidget* w) {
    if (auto* s = qobject_cast<QAbstractSlider*>(w))
        return QStringLiteral("%1..%2 by %3/%4")
            .arg(s->minimum()).arg(s->maximum()).arg(s->singleStep()).arg(s->pageStep());
    return w->property(qobject_cast<QGroupBox*>(w) ? "title" : "text").toString();
}

// What a control covers in its container: a label only as far as its text
// reaches (captions may run under the box they name), anything else whole.
QRect covered(QWidget* w) {
    auto* l = qobject_cast<QLabel*>(w);
    if (!l || l->text().isEmpty()) return w->geometry();
    const int flags = int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0);
    return l->fontMetrics().boundingRect(l->contentsRect(), flags, l->text()).translated(w->pos());
}

// Edges may meet this much (the twips do not all fall on whole pixels).
constexpr int slack = 3;

// Controls that share a place on purpose, as pairs of groups.
const std::pair<const char*, const char*> stacked[] = {
    // Shown one group at a time, by the interface chosen.
    {"cmd_conn cmd_disconn cbo_com lab_rs232", "cmd_conn_eth cmd_disconn_eth lab_ip txt_ip lab_eth_state"},
    {"fra_dual_a fra_dual_b", "fra_quad"},  // by display mode
    {"img_start", "sha_pip lab_pip sha_lab_in lab_lab_input"},  // the prompt before Refresh, the lamps after
    {"sha_lab_in", "lab_lab_input"},                             // a letter on its lamp
    {"fra_btn", "cmd_keypad fra_rs232"},  // on the button frame's empty corners
};
bool may_stack(const QString& a, const QString& b) {
    // A label or value box on the shape or slider of the same name.
    const QString pair = a.left(4) + b.left(4);
    if (a.mid(4) == b.mid(4) && QStringList{"lab_sha_", "sha_lab_", "txt_hsr_", "hsr_txt_"}.contains(pair)) return true;
    for (const auto& [one, other] : stacked) {
        const QStringList x = QString(one).split(' '), y = QString(other).split(' ');
        if ((x.contains(a) && y.contains(b)) || (x.contains(b) && y.contains(a))) return true;
    }
    return false;
}

// Counts the paint events of one widget.
struct PaintSpy : QObject {
    explicit PaintSpy(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override { return paints += e->type() == QEvent::Paint, false; }
    int paints = 0;
};
QString shown(const QString& log) { return QString(log).replace(QLatin1Char('\r'), QLatin1Char('\n')); }
}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void controls_as_built() {
        // Name, kind, container, x y width height, caption; after '|' the font where it was chosen.
        const char* const rows[] = {
            "cmd_refresh ColorButton frm_main 4 4 73 27 Refresh|Arial 9",
            "cmd_keypad ColorButton frm_main 90 4 101 23 Keyboard",
            "cmd_mode(2) ColorButton fra_btn 248 0 79 29 Dual PoP|Arial 9.75 bold",
            "cmd_out(3) ColorButton fra_btn 370 34 91 33 C|Verdana 14.25 bold",
            "lab_out_c_in(2) ClickLabel fra_btn 418 74 35 28 2",
            "fra_rs232 QGroupBox frm_main 666 0 177 113 Control Interface",
            "opt_interface(1) QRadioButton fra_rs232 86 20 83 19 Ethernet",
            "cmd_disconn_eth ColorButton fra_rs232 90 42 81 27 Disconnect",
            "txt_ip QLineEdit fra_rs232 38 76 131 23 |Courier New 9", "fra_quad QGroupBox frm_main 6 162 119 105 Quad Audio",
            "opt_quad(4) QRadioButton fra_quad 66 70 41 21 Q4", "opt_audio(3) QRadioButton fra_audio 6 42 89 21 Bitstream",
            "fra_hue QGroupBox fra_pic 398 4 123 145 Hue", "lab_hue(4) ClickLabel fra_hue 4 110 43 25 Out D",
            "hsr_hue(4) ScrollSlider fra_hue 46 110 69 25 0..100 by 1/10",
            "cmd_pic_refresh ColorButton fra_pic 450 154 73 23 Refresh",
            "lab_aspect ClickLabel frm_main 10 274 53 33 Aspect\nRatio",
            "cmd_save(4) ColorButton fra_recall_save 450 28 61 29 Save 4",
            "cmd_get_ip ColorButton frm_main 528 346 73 25 Get IP", "cmd_clear ColorButton frm_main 804 440 43 37 清|新細明體 12",
        };
        FrmMain w(QStringLiteral("/nowhere"));
        for (const char* text : rows) {
            const QString row = QString::fromUtf8(text);
            QWidget* c = w.control(row.section(' ', 0, 0));
            const QFont f = c->font();
            const QString font = QStringLiteral("|%1 %2%3").arg(f.family()).arg(f.pointSizeF()).arg(f.bold() ? " bold" : "");
            const QString got = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 ")
                                    .arg(c->objectName(), QString(c->metaObject()->className()).remove("tavrin::"),
                                         c->parentWidget()->objectName())
                                    .arg(c->x()).arg(c->y()).arg(c->width()).arg(c->height()) +
                                caption_of(c) + (row.contains('|') ? font : QString());
            QCOMPARE(got, row);
        }
        // Every control: hidden, disabled, inside its container, not over another.
        const QString hidden = "cmd_keypad sha_pip lab_pip sha_lab_in lab_lab_input fra_quad cmd_conn cmd_disconn "
                               "cbo_com cmd_conn_eth cmd_disconn_eth lab_ip txt_ip lab_eth_state";
        // The standby set, Get IP (until RS-232 is chosen) and Disconnect of Ethernet.
        const QString disabled = "fra_btn fra_dual_a fra_dual_b fra_quad fra_bezel fra_audio fra_pic cmd_hdcp "
                                 "cbo_aspect fra_recall_save cmd_get_ip cmd_disconn_eth";
        QStringList hidden_got, disabled_got;
        QList<QWidget*> all;
        for (QWidget* c : w.findChildren<QWidget*>()) {
            const QString name = c->objectName();
            QWidget* box = c->parentWidget();
            // The controls: named, in the window or in a named frame of it.
            if (name.isEmpty() || (box != &w && !(qobject_cast<QGroupBox*>(box) && !box->objectName().isEmpty())))
                continue;
            all << c;
            if (c->isHidden()) hidden_got << name;
            if (!c->isEnabledTo(box)) disabled_got << name;
            // Inside its container (the window: all 12780 x 9165 twips of it), give or take the slack.
            const QRect room = (box == &w ? QRect(0, 0, 852, 611) : box->rect()).adjusted(-slack, -slack, slack, slack);
            QVERIFY2(room.contains(covered(c)), qPrintable(name));
            // Value boxes show what the device reports; only the sliders take input.
            if (auto* edit = qobject_cast<QLineEdit*>(c); edit && name.startsWith("txt_") &&
                                                         w.findChild<ScrollSlider*>("hsr_" + name.mid(4)))
                QVERIFY2(edit->isReadOnly() && edit->alignment() == Qt::AlignCenter, qPrintable(name));
        }
        const auto sorted = [](QStringList names) { return names.sort(), names; };
        QCOMPARE(sorted(hidden_got), sorted(hidden.split(' ')));
        QCOMPARE(sorted(disabled_got), sorted(disabled.split(' ')));
        // No control on another of its container, unless they share the place on purpose.
        for (QWidget* a : all)
            for (QWidget* b : all) {
                if (a >= b || a->parentWidget() != b->parentWidget() || may_stack(a->objectName(), b->objectName()))
                    continue;
                const QRect both = covered(a) & covered(b);
                QVERIFY2(both.width() <= slack || both.height() <= slack,
                         qPrintable(a->objectName() + " on " + b->objectName()));
            }
        // The start prompt lies in the disabled button frame, yet keeps its red.
        const QImage prompt = w.control(QStringLiteral("img_start"))->grab().toImage();
        QVERIFY(count_pixels(pictures::start_prompt(), red) > 100);
        QCOMPARE(count_pixels(prompt, red), count_pixels(pictures::start_prompt(), red));
    }

    // Updates wait for the frame, and on a slow line a due frame waits for the
    // next command so that its repaint overlaps the wait for the answer, not
    // the time between an answer and the next command. Nothing is lost.
    void paint_pacing() {
        QWidget window;
        auto* child = new QWidget(&window);
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PaintSpy spy(child);
        const auto update = [child](int turns) {
            child->update();
            for (int i = 0; i < turns; ++i) QCoreApplication::processEvents();
        };
        {
            PaintPacer pacer(60 * 1000);  // a frame longer than the test
            update(1);
            QCOMPARE(spy.paints, 1);  // after a quiet spell: at once
            for (int i = 0; i < 20; ++i) update(1);
            QCOMPARE(spy.paints, 1);  // the rest waits for the frame
        }
        QCoreApplication::processEvents();
        QCOMPARE(spy.paints, 2);  // painted once the pacer lets go
        bool on_wire = false;
        {
            PaintPacer pacer(0);  // every frame due at once
            pacer.set_wire_gate([&] { return on_wire; }, 60 * 1000);
            update(1);
            update(5);
            QCOMPARE(spy.paints, 3);  // due, but no command is out
            pacer.command_left();     // not yet on the wire: still waits
            QCoreApplication::processEvents();
            QCOMPARE(spy.paints, 3);
            on_wire = true;
            pacer.command_left();
            QCoreApplication::processEvents();
            QCOMPARE(spy.paints, 4);  // painted while the answer is awaited
        }
        QCoreApplication::processEvents();
        PaintPacer pacer(0);  // no command follows: the frame goes out after the grace time
        pacer.set_wire_gate([] { return false; }, 1);
        update(1);
        update(0);
        QTRY_COMPARE(spy.paints, 6);
    }

    void traffic_box_out_of_sight() {
        PanelRig rig;
        rig.device.echo_everything();
        auto* box = rig.w().ctl<QPlainTextEdit>(QStringLiteral("txt_cmd"));
        rig.w().show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.w()));
        QVERIFY(box->visibleRegion().isEmpty());  // below the edge in the advanced view
        QSignalSpy changes(box->document(), &QTextDocument::contentsChanged);
        for (int i = 0; i < 45; ++i) rig.link().tx_cmd(QStringLiteral("MNU001"));  // past the clear at 80
        rig.platform.advance(5);
        QCOMPARE(changes.count(), 0);
        QVERIFY(rig.link().log_lines() < 80);  // cleared on the way

        // Stretched down to the log: it shows what was logged meanwhile, and
        // keeps up from then on, across the next clear too.
        rig.w().resize(rig.w().width(), rig.w().maximumHeight());
        QTRY_COMPARE(box->toPlainText(), shown(rig.link().log_text()));
        for (int i = 0; i < 40; ++i) {
            rig.link().tx_cmd(QStringLiteral("MND001"));
            rig.platform.advance(1);
            QCOMPARE(box->toPlainText(), shown(rig.link().log_text()));
        }
        QVERIFY(rig.link().log_lines() < 80);  // cleared on the way
    }
};

QTEST_MAIN(LayoutTest)
#include "layout.moc"
