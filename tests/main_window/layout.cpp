// The main window against its layout tables: every control where its row puts
// it (15 twips to the pixel), with its caption, font, colours and start state;
// what can be operated right after start-up; the two heights and stretching
// to the traffic log.

#include "main_window/frm_main.h"
#include "main_window/layout_tables.h"
#include "widgets/pictures.h"

#include <QTest>

#include <cmath>

using namespace tavrin;
using layout::Kind;

namespace {

const char* const classes[] = {"tavrin::ColorButton", "QRadioButton", "QComboBox", "tavrin::ScrollSlider",
                               "QLineEdit", "QPlainTextEdit", "tavrin::ClickLabel", "tavrin::ShapeWidget",
                               "tavrin::ShapeWidget", "QGroupBox", "QGroupBox", "tavrin::ImageBox"};  // by Kind

int px(int twips) { return int(std::lround(twips / 15.0)); }

QString caption_of(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* t = qobject_cast<QLineEdit*>(w)) return t->text();
    return qobject_cast<QPlainTextEdit*>(w) ? static_cast<QPlainTextEdit*>(w)->toPlainText() : QString();
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void every_control_as_its_row_says_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(layout::rows().size()); ++i) QTest::newRow(layout::rows()[i].name) << i;
    }
    void every_control_as_its_row_says() {
        QFETCH(int, row);
        const layout::Row& r = layout::rows()[row];
        FrmMain w(QStringLiteral("/nowhere"));
        QWidget* c = w.control(r.name);
        QCOMPARE(c->objectName(), QString(r.name));
        QVERIFY2(c->inherits(classes[int(r.kind)]), c->metaObject()->className());
        QCOMPARE(c->parentWidget()->objectName(), QString(*r.container ? r.container : "frm_main"));
        QCOMPARE(c->geometry(), QRect(px(r.l), px(r.t), px(r.w), px(r.h)));
        QCOMPARE(caption_of(c), QString::fromUtf8(r.caption));
        QCOMPARE(c->isHidden(), bool(r.flags & layout::hidden));
        QCOMPARE(!c->isEnabledTo(c->parentWidget()), bool(r.flags & layout::disabled));
        const layout::FontSpec& f = layout::font_spec(r.font);
        QVERIFY(c->font().family() == QString::fromUtf8(f.family) && c->font().pointSizeF() == f.points &&
                c->font().bold() == f.bold);
        if (auto* b = qobject_cast<ColorButton*>(c))
            QVERIFY((!r.back || b->back_color() == QColor(r.back)) && (!r.picture || b->picture() == r.picture()));
        if (auto* s = qobject_cast<ShapeWidget*>(c))
            QVERIFY(s->fill() == QColor(r.back) && s->border() == QColor(r.border ? r.border : 0xFF000000) &&
                    (s->kind() == ShapeWidget::Kind::Circle) == (r.kind == Kind::Circle));
        if (auto* s = qobject_cast<ScrollSlider*>(c))
            QVERIFY(s->minimum() == r.range.min && s->maximum() == r.range.max && s->pageStep() == r.range.large &&
                    s->singleStep() == 1);
        if (auto* t = qobject_cast<QLineEdit*>(c)) QCOMPARE(t->isReadOnly(), bool(r.flags & layout::read_only));
        if (auto* i = qobject_cast<ImageBox*>(c)) QCOMPARE(i->pixmap().size(), r.picture().size());
    }

    void what_can_be_operated_right_after_start() {
        FrmMain w(QStringLiteral("/nowhere"));
        // isEnabled() counts the frames around a control too.
        for (const QString& n :
             QStringLiteral("cmd_mode(1) cmd_mode(5) cmd_out(1) cmd_out(4) cmd_menu_up cmd_menu_ok cmd_lock cmd_mute "
                            "lab_out_a_in(1) lab_out_d_in(4) cbo_output opt_da(1) opt_db(2) opt_quad(3) hsr_bezel_v "
                            "opt_bezel_onoff(1) opt_audio(3) hsr_bri(2) hsr_hue(4) cmd_pic_reset cmd_recall(1) "
                            "cmd_save(4) cbo_aspect cmd_hdcp cmd_get_ip lab_pip lab_lab_input").split(' '))
            QVERIFY2(!w.control(n)->isEnabled(), qPrintable(n));
        for (const QString& n : QStringLiteral("cmd_refresh cmd_pwr cmd_advance opt_interface(0) opt_interface(1) "
                                               "cmd_conn cmd_disconn cbo_com cmd_conn_eth txt_ip cmd_fact_reset "
                                               "cmd_ver cmd_clear txt_cmd").split(' '))
            QVERIFY2(w.control(n)->isEnabled(), qPrintable(n));
        // The start prompt lies in the disabled button frame, yet keeps its red.
        const auto red = [](const QImage& img) {
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const QColor c = img.pixelColor(x, y);
                    n += c.red() > 150 && c.green() < 80 && c.blue() < 80;
                }
            return n;
        };
        const QImage prompt = w.control(QStringLiteral("img_start"))->grab().toImage();
        QVERIFY(red(pictures::start_prompt()) > 100);
        QCOMPARE(red(prompt), red(pictures::start_prompt()));
    }

    void title_heights_and_stretching() {
        FrmMain w(QStringLiteral("/nowhere"));
        QCOMPARE(w.windowTitle(), QStringLiteral("TAVRIN-4X v3.00 "));
        QCOMPARE(w.width(), 852);  // 12780 twips
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // The top band shows in both views, the middle band (from 2430 twips) only
        // in the tall one, the traffic log (from 6600) in neither.
        for (int twips : {2640, 6780, 2640}) {
            w.set_height_twips(twips);
            QVERIFY(w.frameGeometry().height() <= px(twips));
            for (const layout::Row& r : layout::rows()) {
                const QRect g = w.control(r.name)->geometry();
                const bool shows = r.t < 2430 || (twips == 6780 && r.t < 6600);
                if (!*r.container) QVERIFY2(shows ? g.bottom() < w.height() : g.top() >= w.height(), r.name);
            }
        }
        // Stretched by hand it reaches the whole log, no further than the design;
        // never shorter than the compact view.
        QVERIFY(w.maximumHeight() > w.control(QStringLiteral("txt_cmd"))->geometry().bottom());
        QVERIFY(w.maximumHeight() <= px(9165));
        QCOMPARE(w.minimumHeight(), w.height());
    }
};

QTEST_MAIN(LayoutTest)
#include "layout.moc"
