// The small controls and the drawn pictures: sliders report completed changes
// only, colours are painted and kept, pictures show what they stand for, and
// the button bitmaps written to disk load again.

#include "widgets/pictures.h"
#include "widgets/controls.h"

#include <QtTest>

using namespace tavrin;
using namespace pictures;

namespace {

// Pixels of img inside area (all of it if empty) for which pick() holds.
int count(const QImage& img, bool (*pick)(QColor), QRect area = {}) {
    int n = 0;
    const QRect r = area.isEmpty() ? img.rect() : area;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += pick(img.pixelColor(x, y));
    return n;
}
bool red(QColor c) { return c.red() > 150 && c.green() < 80 && c.blue() < 80; }
bool green(QColor c) { return c.green() > 120 && c.red() < 80 && c.blue() < 80; }
bool coloured(QColor c) { return qMax(qAbs(c.red() - c.green()), qAbs(c.green() - c.blue())) > 24; }
bool ink(QColor c) { return c.lightness() < 140; }

}  // namespace

class WidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void slider_reports_completed_changes_only() {
        using V = ScrollSlider;
        const std::tuple<const char*, void (*)(V&), int, int> rows[] = {
            {"right arrow", [](V& s) { QTest::mouseClick(&s, Qt::LeftButton, {}, {s.width() - 5, 12}); }, 1, 1},
            {"trough", [](V& s) { QTest::mouseClick(&s, Qt::LeftButton, {}, {s.width() - 20, 12}); }, 1, 10},
            {"keys", [](V& s) { QTest::keyClick(&s, Qt::Key_PageUp), QTest::keyClick(&s, Qt::Key_Right),
                                QTest::keyClick(&s, Qt::Key_End); }, 3, 100},
            {"set from code", [](V& s) { s.setValue(30), s.setValue(30); }, 1, 30},
            {"thumb held", [](V& s) { s.setSliderDown(true), s.setValue(30), s.setValue(40); }, 0, 40},
            {"thumb released", [](V& s) { s.setSliderDown(true), s.setValue(40), s.setSliderDown(false); }, 1, 40},
            {"thumb back", [](V& s) { s.setSliderDown(true), s.setValue(9), s.setValue(0), s.setSliderDown(false); }, 0, 0},
        };
        for (const auto& [name, act, changes, value] : rows) {
            ScrollSlider s;
            s.setRange(0, 100);
            s.setGeometry(0, 0, 69, 25);
            s.show();
            QVERIFY(QTest::qWaitForWindowExposed(&s));
            QSignalSpy spy(&s, &ScrollSlider::change);
            act(s);
            QCOMPARE(QStringLiteral("%1: %2 changes, value %3").arg(name).arg(spy.count()).arg(s.value()),
                     QStringLiteral("%1: %2 changes, value %3").arg(name).arg(changes).arg(value));
        }
    }

    void colours_are_painted_and_pictures_kept() {
        ColorButton b;
        b.resize(60, 30);
        b.set_back_color(QColor(0x50, 0xC0, 0xFF));
        QCOMPARE(b.grab().toImage().pixelColor(12, 15), QColor(0x50, 0xC0, 0xFF));
        // A bitmap file that cannot be read leaves the picture shown.
        QTemporaryDir dir;
        b.set_picture(lock());
        QVERIFY(!b.load_picture_file(dir.filePath("missing.bmp")) && b.picture() == lock());

        ShapeWidget circle(ShapeWidget::Kind::Circle);
        circle.resize(40, 40);
        circle.set_fill(QColor(0xB0, 0xB0, 0xB0));
        circle.set_border(QColor(0x70, 0x70, 0x70));
        const QImage img = circle.grab().toImage();
        QCOMPARE(img.pixelColor(20, 20), QColor(0xB0, 0xB0, 0xB0));
        QVERIFY(img.pixelColor(1, 1) != QColor(0xB0, 0xB0, 0xB0)); // outside the circle
        QVERIFY(qAbs(img.pixelColor(20, 0).red() - 0x70) < 16);    // the border, give or take smoothing
    }

    void pictures_show_what_they_stand_for() {
        const std::pair<QSize, QList<QImage (*)()>> sizes[] = {
            {{70, 36}, {power_symbol, power_none, power_on, power_standby}},
            {{46, 32}, {lock_caption, lock, unlock, speaker_on, speaker_off, menu_up, menu_down, menu_left,
                        menu_right, menu_ok, menu_exit, menu_menu}},
            {{170, 13}, {start_prompt}}, {{890, 234}, {banner}}, {{16, 93}, {vertical_refresh}}, {{339, 96}, {keypad_layout}}};
        for (const auto& [size, all] : sizes)
            for (auto draw : all)
                QVERIFY(draw().size() == size && count(draw(), ink) > 20);
        // Power grey while unknown, green when on, red in standby; the muted speaker crossed out in red.
        QVERIFY(count(power_none(), coloured) == 0);
        QVERIFY(count(power_on(), green) > 20 && count(power_on(), red) == 0);
        QVERIFY(count(power_standby(), red) > 20 && count(power_standby(), green) == 0);
        QVERIFY(count(speaker_off(), red) > 20 && count(speaker_on(), red) == 0 && lock() != unlock());
        // An arrow is wider towards its base, away from where it points.
        const QRect top(0, 0, 46, 16), bottom(0, 16, 46, 16), left(0, 0, 23, 32), right(23, 0, 23, 32);
        const std::tuple<QImage (*)(), QRect, QRect> arrows[] = {
            {menu_up, top, bottom}, {menu_down, bottom, top}, {menu_left, left, right}, {menu_right, right, left}};
        for (auto [draw, point, base] : arrows)
            QVERIFY(2 * count(draw(), ink, base) > 3 * count(draw(), ink, point));
    }

    void button_bitmaps_are_written_and_load() {
        QTemporaryDir tmp;
        const QDir dir(tmp.filePath("bmp/sub")); // missing folders are made
        QVERIFY(write_button_bitmaps(dir.path()));
        const std::pair<const char*, QImage (*)()> files[] = {
            {"power_none", power_none}, {"power_on", power_on}, {"power_standby", power_standby}, {"lock", lock},
            {"unlock", unlock}, {"speaker_on", speaker_on}, {"speaker_off", speaker_off}};
        for (auto [name, draw] : files) {
            QFile f(dir.filePath(name + QStringLiteral(".bmp")));
            QVERIFY2(f.open(QIODevice::ReadOnly), name);
            const QByteArray head = f.read(30);
            QVERIFY(head.startsWith("BM") && head[28] == 24 && head[29] == 0); // 24 bits per pixel
            QCOMPARE(QImage(f.fileName()).convertToFormat(QImage::Format_RGB32),
                     draw().convertToFormat(QImage::Format_RGB32));
        }
    }
};

QTEST_MAIN(WidgetsTest)
#include "widgets.moc"
