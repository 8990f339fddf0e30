// The main window against its layout: every control, where it lies, what it
// says and how it starts. Numbers are the design's twips, written out here on
// their own so a slip in the window's table shows up.

#include "main_window/frm_main.h"

#include <QApplication>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QTest>

using namespace tavrin;

namespace {

constexpr int unknown = -1;

struct Expect {
    QString name;
    const char* cls;
    QString parent;  // "frm_main" for the window
    int l, t, w, h;  // twips; unknown where the design gives no number
    QString caption;
    bool hidden = false;
    bool disabled = false;
};

const char* const button = "tavrin::ColorButton";
const char* const option = "QRadioButton";
const char* const list = "QComboBox";
const char* const slider = "tavrin::VbSlider";
const char* const text = "QLineEdit";
const char* const label = "tavrin::ClickLabel";
const char* const shape = "tavrin::ShapeWidget";
const char* const frame = "QGroupBox";
const char* const image = "tavrin::ImageBox";

QList<Expect> expected() {
    const QString top = QStringLiteral("frm_main");
    QList<Expect> e = {
        {"cmd_refresh", button, top, 60, 60, 1100, 405, "Refresh"},
        {"Image1", image, top, 60, 570, 1095, 495, ""},
        {"cmd_pwr", button, top, 60, 1140, 1100, 585, ""},
        {"cmd_advance", button, top, 60, 1740, 1095, 405, "Advanced"},
        {"cmd_keypad", button, top, 1350, 60, 1515, 345, "Keyboard", true},
        {"fra_btn", frame, top, 1350, 90, 11325, 2115, "", false, true},
        {"fra_rs232", frame, top, 9990, 0, 2655, 1695, "Control Interface"},
        {"fra_dual_a", frame, top, 90, 2430, 1785, 735, "Dual A Audio", false, true},
        {"opt_da(1)", option, "fra_dual_a", 120, 300, 765, 315, "Left"},
        {"opt_da(2)", option, "fra_dual_a", 900, 300, 765, 315, "Right"},
        {"fra_dual_b", frame, top, 90, 3270, 1785, 735, "Dual B Audio", false, true},
        {"opt_db(1)", option, "fra_dual_b", 120, 300, 765, 315, "Left"},
        {"opt_db(2)", option, "fra_dual_b", 900, 300, 765, 315, "Right"},
        {"fra_quad", frame, top, 90, 2430, 1785, 1575, "Quad Audio", true, true},
        {"opt_quad(1)", option, "fra_quad", 210, 390, 615, 315, "Q1"},
        {"opt_quad(2)", option, "fra_quad", 990, 390, 615, 315, "Q2"},
        {"opt_quad(3)", option, "fra_quad", 210, 1050, 615, 315, "Q3"},
        {"opt_quad(4)", option, "fra_quad", 990, 1050, 615, 315, "Q4"},
        {"fra_bezel", frame, top, 1980, 2430, 2505, 1575, "Bezel Correction", false, true},
        {"opt_bezel_onoff(1)", option, "fra_bezel", 120, 270, 615, 315, "On"},
        {"opt_bezel_onoff(0)", option, "fra_bezel", 780, 270, 615, 315, "Off"},
        {"lab_bezel_h", label, "fra_bezel", 120, 660, unknown, unknown, "H Correction"},
        {"hsr_bezel_h", slider, "fra_bezel", 1290, 600, 1035, 375, ""},
        {"txt_bezel_h", text, "fra_bezel", 1530, 600, 555, 375, ""},
        {"lab_bezel_v", label, "fra_bezel", 120, 1110, unknown, unknown, "V Correction"},
        {"hsr_bezel_v", slider, "fra_bezel", 1290, 1080, 1035, 375, ""},
        {"txt_bezel_v", text, "fra_bezel", 1530, 1080, 555, 375, ""},
        {"fra_audio", frame, top, 1980, 4080, 2505, 1035, "Audio EDID", false, true},
        {"opt_audio(0)", option, "fra_audio", 90, 270, unknown, unknown, "2CH"},
        {"opt_audio(1)", option, "fra_audio", 870, 270, unknown, unknown, "6CH"},
        {"opt_audio(2)", option, "fra_audio", 1680, 270, unknown, unknown, "8CH"},
        {"opt_audio(3)", option, "fra_audio", 90, 630, unknown, unknown, "Bitstream"},
        {"opt_audio(4)", option, "fra_audio", 1680, 630, unknown, unknown, "HD"},
        {"fra_pic", frame, top, 4680, 2430, 7965, 2685, "Picture", false, true},
        {"lab_pic", label, "fra_pic", 4920, 2340, unknown, unknown, "Picture"},
        {"cmd_pic_reset", button, "fra_pic", 5640, 2310, 1100, 345, "Reset"},
        {"cmd_pic_refresh", button, "fra_pic", 6750, 2310, 1100, 345, "Refresh"},
        {"lab_aspect", label, top, 150, 4110, 795, 495, "Aspect\nRatio"},
        {"cmd_hdcp", button, top, 1020, 4170, 825, 405, "HDCP", false, true},
        {"cbo_aspect", list, top, 90, 4650, 1755, 375, "", false, true},
        {"fra_recall_save", frame, top, 60, 5190, 7755, 1095, "Recall / Save", false, true},
        {"cmd_get_ip", button, top, 7920, 5190, 1100, 375, "Get IP", false, true},
        {"lab_inq_ip", label, top, 9090, 5250, 315, 315, "IP"},
        {"txt_get_ip", text, top, 9360, 5190, 1965, 345, ""},
        {"Label1", label, top, 8130, 5610, 1395, 315, "Subnet Mask"},
        {"txt_get_mask", text, top, 9360, 5580, 1965, 345, ""},
        {"Label3", label, top, 8400, 5970, 1035, 315, "Gate Way"},
        {"txt_get_gate", text, top, 9360, 5970, 1965, 345, ""},
        {"cmd_fact_reset", button, top, 11460, 5160, 1185, 585, "Factory Reset"},
        {"cmd_ver", button, top, 11460, 5760, 1185, 315, "F/W Ver"},
        {"txt_ver", text, top, 11490, 6090, 675, 390, ""},
        {"txt_ver2", text, top, 12150, 6090, 450, 390, ""},
        {"txt_cmd", "QPlainTextEdit", top, 150, 6600, 11835, 2445, ""},
        {"cmd_clear", button, top, 12060, 6600, 645, 555, QString::fromUtf8("清")},
        // link frame
        {"opt_interface(0)", option, "fra_rs232", 150, 300, 1035, 285, "RS-232"},
        {"opt_interface(1)", option, "fra_rs232", 1290, 300, 1245, 285, "Ethernet"},
        {"cmd_conn", button, "fra_rs232", 120, 630, 1215, 405, "Connect", true},
        {"cmd_disconn", button, "fra_rs232", 1350, 630, 1215, 405, "Disconnect", true},
        {"cbo_com", list, "fra_rs232", 120, 1110, 1215, 375, "", true},
        {"lab_rs232", label, "fra_rs232", 1380, 1200, 1155, 315, "115200,8,N,1"},
        {"cmd_conn_eth", button, "fra_rs232", 120, 630, 1215, 405, "Connect", true},
        {"cmd_disconn_eth", button, "fra_rs232", 1350, 630, 1215, 405, "Disconnect", true, true},
        {"lab_ip", label, "fra_rs232", 120, 1200, 375, 315, "IP :", true},
        {"txt_ip", text, "fra_rs232", 570, 1140, 1965, 345, "", true},
        {"lab_eth_state", label, "fra_rs232", 1590, 1440, 1245, 315, "Connecting...", true},
        // button frame
        {"img_start", image, "fra_btn", 30, 0, 2550, 195, ""},
        {"lab_pip", label, "fra_btn", 1530, 15, 285, 315, "  P", true},
        {"sha_pip", shape, "fra_btn", 1575, -30, 285, 345, "", true},
        {"lab_lab_input", label, "fra_btn", 1950, 15, 285, 315, "  L", true},
        {"sha_lab_in", shape, "fra_btn", 1980, -30, 285, 345, "", true},
        {"cmd_mute", button, "fra_btn", 0, 360, 735, 525, ""},
        {"cmd_menu_up", button, "fra_btn", 780, 360, 735, 525, ""},
        {"cmd_lock", button, "fra_btn", 1560, 360, 735, 525, ""},
        {"cmd_menu_left", button, "fra_btn", 0, 930, 735, 555, ""},
        {"cmd_menu_ok", button, "fra_btn", 780, 930, 735, 555, ""},
        {"cmd_menu_right", button, "fra_btn", 1560, 930, 735, 555, ""},
        {"cmd_menu_exit", button, "fra_btn", 0, 1530, 735, 525, ""},
        {"cmd_menu_down", button, "fra_btn", 780, 1530, 735, 525, ""},
        {"cmd_menu_menu", button, "fra_btn", 1560, 1530, 735, 525, ""},
        {"lab_reso_out", label, "fra_btn", 8700, 1650, 1035, 495, "Output Resolution"},
        {"cbo_output", list, "fra_btn", 9780, 1710, 1515, 375, ""},
    };
    const int mode_left[] = {2550, 3720, 4920, 6090, 7260};
    const int mode_width[] = {1155, 1185, 1155, 1155, 1155};
    const char* mode_caption[] = {"Matrix", "Dual PoP", "TV Wall", "Dual PiP", "Quad"};
    for (int i = 0; i < 5; ++i)
        e.append({QStringLiteral("cmd_mode(%1)").arg(i + 1), button, "fra_btn", mode_left[i], 0, mode_width[i], 435,
                  mode_caption[i]});
    const int out_left[] = {2550, 4050, 5550, 7050};
    for (int i = 0; i < 4; ++i)
        e.append({QStringLiteral("cmd_out(%1)").arg(i + 1), button, "fra_btn", out_left[i], 510, 1365, 495,
                  QString(QChar('A' + i))});
    // Map: per column the left of inputs 1/3 and of inputs 2/4.
    const struct { char col; int left13, left24; } columns[] = {
        {'a', 2610, 3270}, {'b', 4080, 4740}, {'c', 5580, 6240}, {'d', 7110, 7770}};
    for (const auto& c : columns)
        for (int in = 1; in <= 4; ++in) {
            const int l = (in % 2) ? c.left13 : c.left24;
            const int t = in <= 2 ? 1080 : 1620;
            e.append({QStringLiteral("sha_out_%1_in(%2)").arg(c.col).arg(in), shape, "fra_btn", l, t, 585, 465, ""});
            e.append({QStringLiteral("lab_out_%1_in(%2)").arg(c.col).arg(in), label, "fra_btn", l + 30, t + 30, 525,
                      420, QString::number(in)});
        }
    const struct { const char* key; const char* caption; int left; } groups[] = {
        {"con", "Contrast", 120}, {"bri", "Brightness", 2070}, {"sat", "Saturation", 4020}, {"hue", "Hue", 5970}};
    const int row_top[] = {300, 750, 1200, 1650};
    for (const auto& g : groups) {
        const QString f = QStringLiteral("fra_%1").arg(g.key);
        e.append({f, frame, "fra_pic", g.left, 60, 1845, 2175, g.caption});
        for (int i = 1; i <= 4; ++i) {
            const int t = row_top[i - 1];
            e.append({QStringLiteral("lab_%1(%2)").arg(g.key).arg(i), label, f, 60, t, 645, unknown,
                      QStringLiteral("Out %1").arg(QChar('A' + i - 1))});
            e.append({QStringLiteral("hsr_%1(%2)").arg(g.key).arg(i), slider, f, 690, t, 1035, 375, ""});
            e.append({QStringLiteral("txt_%1(%2)").arg(g.key).arg(i), text, f, 930, t, 555, 375, ""});
        }
    }
    const int recall_left[] = {90, 1020, 1950, 2880};
    const int save_left[] = {3960, 4890, 5820, 6750};
    for (int i = 0; i < 4; ++i) {
        e.append({QStringLiteral("cmd_recall(%1)").arg(i + 1), button, "fra_recall_save", recall_left[i], 420, 915,
                  435, QStringLiteral("Recall %1").arg(i + 1)});
        e.append({QStringLiteral("cmd_save(%1)").arg(i + 1), button, "fra_recall_save", save_left[i], 420, 915, 435,
                  QStringLiteral("Save %1").arg(i + 1)});
    }
    return e;
}

QString caption_of(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* t = qobject_cast<QLineEdit*>(w)) return t->text();
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) return t->toPlainText();
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->count() ? QStringLiteral("<filled>") : QString();
    return {};
}

int px(int twips) { return FrmMain::px(twips); }

// Bottom edge of a control in window coordinates, in pixels.
int bottom_in(const FrmMain& w, const QString& name) {
    QWidget* c = w.control(name);
    return c->mapTo(&w, QPoint(0, c->height())).y();
}
int top_in(const FrmMain& w, const QString& name) {
    QWidget* c = w.control(name);
    return c->mapTo(&w, QPoint(0, 0)).y();
}

const QStringList top_band = {"cmd_refresh", "Image1", "cmd_pwr", "cmd_advance", "fra_btn", "fra_rs232"};
const QStringList middle_band = {"fra_dual_a", "fra_dual_b", "fra_bezel", "fra_audio", "fra_pic", "lab_aspect",
                                 "cmd_hdcp", "cbo_aspect", "fra_recall_save", "cmd_get_ip", "txt_get_gate",
                                 "cmd_fact_reset", "cmd_ver", "txt_ver", "txt_ver2"};

}  // namespace

Q_DECLARE_METATYPE(Expect)

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion"))); }
    void controls_data();
    void controls();
    void every_control_is_expected();
    void operable_after_start_data();
    void operable_after_start();
    void window();
    void quad_frame_lies_on_dual_frames();
    void heights();
    void nothing_covers_what_must_be_clicked();
    void slider_settings();
    void looks();
    void closing_is_announced();
};

void TestLayout::controls_data() {
    QTest::addColumn<Expect>("e");
    for (const Expect& e : expected()) QTest::newRow(qPrintable(e.name)) << e;
}

void TestLayout::controls() {
    QFETCH(Expect, e);
    FrmMain w(QStringLiteral("/nowhere"));
    QWidget* c = w.control(e.name);
    QCOMPARE(c->objectName(), e.name);
    QVERIFY2(c->inherits(e.cls), c->metaObject()->className());
    QCOMPARE(c->parentWidget()->objectName(), e.parent);
    QCOMPARE(c->x(), px(e.l));
    QCOMPARE(c->y(), px(e.t));
    if (e.w != unknown) QCOMPARE(c->width(), px(e.w));
    if (e.h != unknown) QCOMPARE(c->height(), px(e.h));
    QCOMPARE(caption_of(c), e.caption);
    QCOMPARE(c->isHidden(), e.hidden);
    QCOMPARE(!c->isEnabledTo(c->parentWidget()), e.disabled);
}

void TestLayout::every_control_is_expected() {
    FrmMain w(QStringLiteral("/nowhere"));
    QSet<QString> names;
    for (const Expect& e : expected()) names.insert(e.name);
    QCOMPARE(names.size(), expected().size());
    // Named children beyond the table would be controls nobody designed.
    for (QWidget* c : w.findChildren<QWidget*>()) {
        const QString n = c->objectName();
        if (n.isEmpty() || n.startsWith(QLatin1String("qt_"))) continue;
        if (c->parentWidget() != &w && !names.contains(c->parentWidget()->objectName())) continue;  // inner parts
        QVERIFY2(names.contains(n), qPrintable(n));
    }
}

void TestLayout::operable_after_start_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("operable");
    const QStringList blocked = {
        "cmd_mode(1)", "cmd_mode(5)", "cmd_out(1)", "cmd_out(4)", "cmd_menu_up", "cmd_menu_ok", "cmd_menu_menu",
        "cmd_lock", "cmd_mute", "lab_out_a_in(1)", "lab_out_d_in(4)", "cbo_output", "opt_da(1)", "opt_db(2)",
        "opt_quad(3)", "opt_bezel_onoff(1)", "hsr_bezel_v", "opt_audio(3)", "hsr_bri(2)", "hsr_hue(4)",
        "cmd_pic_reset", "cmd_recall(1)", "cmd_save(4)", "cbo_aspect", "cmd_hdcp", "lab_pip", "lab_lab_input"};
    const QStringList usable = {"cmd_refresh", "cmd_pwr", "cmd_advance", "opt_interface(0)", "opt_interface(1)",
                                "cmd_conn", "cmd_disconn", "cbo_com", "cmd_conn_eth", "txt_ip",
                                "cmd_fact_reset", "cmd_ver", "cmd_clear"};
    for (const QString& n : blocked) QTest::newRow(qPrintable(n)) << n << false;
    for (const QString& n : usable) QTest::newRow(qPrintable(n)) << n << true;
}

void TestLayout::operable_after_start() {
    QFETCH(QString, name);
    QFETCH(bool, operable);
    FrmMain w(QStringLiteral("/nowhere"));
    // isEnabled() is false when the control or any frame around it is disabled.
    QCOMPARE(w.control(name)->isEnabled(), operable);
}

void TestLayout::window() {
    FrmMain w(QStringLiteral("/opt/panel"));
    QCOMPARE(w.windowTitle(), QStringLiteral("TAVRIN-4X v3.00 "));
    QCOMPARE(w.width(), px(12780));
    QCOMPARE(w.bitmap_path(QStringLiteral("lock.bmp")), QStringLiteral("/opt/panel/bmp/lock.bmp"));
    QCOMPARE(w.ctl_at<ColorButton>(QStringLiteral("cmd_mode"), 3)->text(), QStringLiteral("TV Wall"));
    QVERIFY(!w.control(QStringLiteral("img_start"))->isHidden());
    for (const char* n : {"cbo_output", "cbo_aspect", "cbo_com"}) {
        auto* c = w.ctl<QComboBox>(n);
        QCOMPARE(c->count(), 0);
        QVERIFY(!c->isEditable());
    }
}

void TestLayout::quad_frame_lies_on_dual_frames() {
    FrmMain w(QStringLiteral("/nowhere"));
    const QRect a = w.control(QStringLiteral("fra_dual_a"))->geometry();
    const QRect b = w.control(QStringLiteral("fra_dual_b"))->geometry();
    QCOMPARE(w.control(QStringLiteral("fra_quad"))->geometry(), a.united(b));
}

void TestLayout::heights() {
    FrmMain w(QStringLiteral("/nowhere"));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const auto outer = [&] { return w.frameGeometry().height(); };

    w.set_height_twips(FrmMain::compact_height_twips);
    QCOMPARE(w.height_twips(), 2640);
    QVERIFY(outer() <= px(2640));
    for (const QString& n : top_band) QVERIFY2(bottom_in(w, n) <= w.height(), qPrintable(n));
    for (const QString& n : middle_band) QVERIFY2(top_in(w, n) >= w.height(), qPrintable(n + QString(" %1 %2 %3").arg(top_in(w, n)).arg(w.height()).arg(outer())));
    QVERIFY(top_in(w, QStringLiteral("txt_cmd")) >= w.height());
    const int compact = w.height();

    w.set_height_twips(FrmMain::advanced_height_twips);
    QCOMPARE(w.height_twips(), 6780);
    QVERIFY(outer() <= px(6780));
    for (const QString& n : top_band + middle_band) QVERIFY2(bottom_in(w, n) <= w.height(), qPrintable(n));
    QVERIFY(top_in(w, QStringLiteral("txt_cmd")) >= w.height());
    QVERIFY(w.height() > compact);

    // By hand the operator reaches the whole log, and no further than the design.
    QVERIFY(w.maximumHeight() >= bottom_in(w, QStringLiteral("txt_cmd")));
    QVERIFY(w.maximumHeight() <= px(9165));
    QCOMPARE(w.minimumHeight(), compact);
    w.set_height_twips(FrmMain::compact_height_twips);
    QCOMPARE(w.height(), compact);
}

void TestLayout::nothing_covers_what_must_be_clicked() {
    FrmMain w(QStringLiteral("/nowhere"));
    // Show what later replies show, so overlaps between all groups count.
    for (const char* n : {"cmd_keypad", "cmd_conn", "cmd_disconn", "cbo_com", "lab_pip", "lab_lab_input"})
        w.control(n)->show();
    w.resize(w.width(), w.maximumHeight());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const auto hit = [&](QWidget* c, QPoint local) {
        QWidget* at = w.childAt(c->mapTo(&w, local));
        return at == c || c->isAncestorOf(at);
    };
    for (const Expect& e : expected()) {
        QWidget* c = w.control(e.name);
        if (!c->isVisible() || c->inherits(frame) || c->inherits(shape) || c->inherits(image)) continue;
        if (c->inherits(slider)) {
            // The value box sits on the trough; both arrows stay free.
            QVERIFY2(hit(c, QPoint(7, c->height() / 2)), qPrintable(e.name));
            QVERIFY2(hit(c, QPoint(c->width() - 8, c->height() / 2)), qPrintable(e.name));
            continue;
        }
        QVERIFY2(hit(c, c->rect().center()), qPrintable(e.name));
    }
}

void TestLayout::slider_settings() {
    FrmMain w(QStringLiteral("/nowhere"));
    for (const char* g : {"bri", "con", "hue", "sat"})
        for (int i = 1; i <= 4; ++i) {
            auto* s = w.ctl_at<VbSlider>(QStringLiteral("hsr_%1").arg(g), i);
            QCOMPARE(s->minimum(), 0);
            QCOMPARE(s->maximum(), 100);
            QCOMPARE(s->pageStep(), 10);
            QCOMPARE(s->singleStep(), 1);
            QCOMPARE(s->orientation(), Qt::Horizontal);
            auto* box = w.ctl_at<QLineEdit>(QStringLiteral("txt_%1").arg(g), i);
            QVERIFY(box->isReadOnly());
            QVERIFY(box->text().isEmpty());
        }
    for (const char* n : {"hsr_bezel_h", "hsr_bezel_v"}) {
        auto* s = w.ctl<VbSlider>(n);
        QCOMPARE(s->minimum(), 0);
        QCOMPARE(s->maximum(), 254);
        QCOMPARE(s->pageStep(), 10);
    }
    QVERIFY(w.ctl<QLineEdit>("txt_bezel_h")->isReadOnly());
    QVERIFY(!w.ctl<QLineEdit>("txt_ip")->isReadOnly());
    auto* log = w.ctl<QPlainTextEdit>("txt_cmd");
    QVERIFY(log->isReadOnly());
    QCOMPARE(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

void TestLayout::looks() {
    FrmMain w(QStringLiteral("/nowhere"));
    const QColor grey(0xC0, 0xC0, 0xC0), panel(0xB0, 0xB0, 0xB0);
    const auto font_is = [&](const char* n, const char* family, qreal points, bool bold) {
        const QFont f = w.control(n)->font();
        return f.family() == QString::fromUtf8(family) && qFuzzyCompare(f.pointSizeF(), points) && f.bold() == bold;
    };
    QVERIFY(font_is("cmd_refresh", "Arial", 9, false));
    QVERIFY(font_is("cmd_mode(2)", "Arial", 9.75, true));
    QVERIFY(font_is("cmd_out(3)", "Verdana", 14.25, true));
    QVERIFY(font_is("lab_out_c_in(2)", "Verdana", 14.25, false));
    QVERIFY(font_is("cbo_output", "Arial", 11.25, false));
    QVERIFY(font_is("lab_lab_input", "Arial", 9, true));
    for (const char* n : {"txt_cmd", "txt_ip", "txt_ver", "txt_ver2", "txt_get_ip", "txt_get_mask", "txt_get_gate"})
        QVERIFY2(w.control(n)->font().family() == QStringLiteral("Courier New"), n);
    QCOMPARE(w.control("cmd_clear")->font().family(), QString::fromUtf8("新細明體"));

    QCOMPARE(w.ctl<ColorButton>("cmd_pwr")->back_color(), grey);
    for (const char* n : {"cmd_pwr", "cmd_mute", "cmd_lock", "cmd_menu_up", "cmd_menu_down", "cmd_menu_left",
                          "cmd_menu_right", "cmd_menu_ok", "cmd_menu_exit", "cmd_menu_menu"})
        QVERIFY2(!w.ctl<ColorButton>(n)->picture().isNull(), n);
    QCOMPARE(w.ctl<ColorButton>("cmd_pwr")->picture().size(), QSize(70, 36));
    QCOMPARE(w.ctl<ColorButton>("cmd_menu_ok")->picture().size(), QSize(46, 32));
    QCOMPARE(w.ctl<ImageBox>("img_start")->pixmap().size(), QSize(170, 13));
    QVERIFY(!w.ctl<ImageBox>("Image1")->pixmap().isNull());

    for (const char* n : {"sha_pip", "sha_lab_in"}) {
        auto* s = w.ctl<ShapeWidget>(n);
        QCOMPARE(s->kind(), ShapeWidget::Kind::Circle);
        QCOMPARE(s->fill(), panel);
        QCOMPARE(s->border(), QColor(0x70, 0x70, 0x70));
    }
    for (const char* col : {"a", "b", "c", "d"})
        for (int i = 1; i <= 4; ++i) {
            auto* s = w.ctl_at<ShapeWidget>(QStringLiteral("sha_out_%1_in").arg(col), i);
            QCOMPARE(s->kind(), ShapeWidget::Kind::RoundRect);
            QCOMPARE(s->fill(), grey);
            auto* l = w.ctl_at<ClickLabel>(QStringLiteral("lab_out_%1_in").arg(col), i);
            QCOMPARE(l->back_color(), grey);
            QVERIFY(!l->isHidden());
        }
    QCOMPARE(w.control("lab_eth_state")->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    for (const char* n : {"fra_pic", "fra_bri", "fra_con", "fra_hue", "fra_sat"}) {
        QWidget* f = w.control(n);
        QVERIFY2(f->autoFillBackground() && f->palette().color(QPalette::Window) == panel, n);
    }
    for (const char* n : {"txt_bri(1)", "txt_sat(4)", "txt_bezel_h", "txt_bezel_v"})
        QCOMPARE(w.control(n)->palette().color(QPalette::Base), panel);
    for (const char* n : {"txt_ver", "txt_ver2"}) QCOMPARE(w.control(n)->palette().color(QPalette::Base), grey);
}

void TestLayout::closing_is_announced() {
    FrmMain w(QStringLiteral("/nowhere"));
    w.show();
    int closings = 0;
    connect(&w, &FrmMain::closing, this, [&] { ++closings; });
    w.close();
    QCOMPARE(closings, 1);
}

QTEST_MAIN(TestLayout)
#include "layout.moc"
