#include "widgets/vb_controls.h"

#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>

using tavrin::ClickLabel;
using tavrin::ColorButton;
using tavrin::ShapeWidget;
using tavrin::VbSlider;

class TestVbControls : public QObject {
    Q_OBJECT
private slots:
    void slider_change_rule_data();
    void slider_change_rule();
    void slider_arrow_click_by_mouse();
    void button_back_colour_is_painted();
    void button_missing_picture_keeps_current();
    void label_click_data();
    void label_click();
    void shapes_fill_and_let_clicks_through();
};

// Steps applied to a fresh slider 0..100, large step 10, standing at 0.
enum Step { arrow_right, page_right, press, release, set_30, set_40, set_0 };

void TestVbControls::slider_change_rule_data() {
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<int>("changes");
    QTest::addColumn<int>("value");
    QTest::newRow("arrow click") << QList<int>{arrow_right} << 1 << 1;
    QTest::newRow("page click") << QList<int>{page_right} << 1 << 10;
    QTest::newRow("two arrow clicks") << QList<int>{arrow_right, arrow_right} << 2 << 2;
    QTest::newRow("value set from code") << QList<int>{set_30} << 1 << 30;
    QTest::newRow("same value set again") << QList<int>{set_0} << 0 << 0;
    QTest::newRow("drag, not yet released") << QList<int>{press, set_30, set_40} << 0 << 40;
    QTest::newRow("drag released") << QList<int>{press, set_30, set_40, release} << 1 << 40;
    QTest::newRow("drag back to start") << QList<int>{press, set_30, set_0, release} << 0 << 0;
    QTest::newRow("drag after a click") << QList<int>{arrow_right, press, set_30, release} << 2 << 30;
}

void TestVbControls::slider_change_rule() {
    QFETCH(QList<int>, steps);
    QFETCH(int, changes);
    QFETCH(int, value);
    VbSlider s;
    s.setRange(0, 100);
    s.setPageStep(10);
    QCOMPARE(s.singleStep(), 1);
    QSignalSpy spy(&s, &VbSlider::change);
    for (int step : steps) {
        switch (step) {
        case arrow_right: s.triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
        case page_right: s.triggerAction(QAbstractSlider::SliderPageStepAdd); break;
        case press: s.setSliderDown(true); break;
        case release: s.setSliderDown(false); break;
        case set_30: s.setValue(30); break;
        case set_40: s.setValue(40); break;
        case set_0: s.setValue(0); break;
        }
    }
    QCOMPARE(spy.count(), changes);
    QCOMPARE(s.value(), value);
}

void TestVbControls::slider_arrow_click_by_mouse() {
    VbSlider s;
    s.setRange(0, 100);
    s.resize(69, 25);
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    QStyleOptionSlider opt;
    opt.initFrom(&s);
    opt.orientation = Qt::Horizontal;
    opt.minimum = s.minimum();
    opt.maximum = s.maximum();
    opt.sliderPosition = s.sliderPosition();
    opt.sliderValue = s.value();
    opt.singleStep = s.singleStep();
    opt.pageStep = s.pageStep();
    const QRect add = s.style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarAddLine, &s);
    const QRect sub = s.style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSubLine, &s);
    // The value boxes leave 16 px at each end of the slider for the arrows.
    QCOMPARE(add.width(), 16);
    QCOMPARE(sub.width(), 16);
    QSignalSpy spy(&s, &VbSlider::change);
    QTest::mouseClick(&s, Qt::LeftButton, {}, add.center());
    QCOMPARE(s.value(), 1);
    QCOMPARE(spy.count(), 1);
    QTest::mouseClick(&s, Qt::LeftButton, {}, sub.center());
    QCOMPARE(s.value(), 0);
    QCOMPARE(spy.count(), 2);
}

void TestVbControls::button_back_colour_is_painted() {
    ColorButton b;
    b.resize(60, 30);
    QCOMPARE(b.back_color(), QColor(0xC0, 0xC0, 0xC0));
    b.set_back_color(QColor(0x50, 0xC0, 0xFF));
    QCOMPARE(b.grab().toImage().pixelColor(12, 15), QColor(0x50, 0xC0, 0xFF));
    b.set_back_color(QColor(0x00, 0xD0, 0x20));
    QCOMPARE(b.grab().toImage().pixelColor(12, 15), QColor(0x00, 0xD0, 0x20));
}

void TestVbControls::button_missing_picture_keeps_current() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QImage red(46, 32, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString file = dir.filePath(QStringLiteral("red.bmp"));
    QVERIFY(red.save(file));

    ColorButton b;
    QImage design(46, 32, QImage::Format_RGB32);
    design.fill(Qt::blue);
    b.set_picture(design);
    QVERIFY(!b.load_picture_file(dir.filePath(QStringLiteral("missing.bmp"))));
    QCOMPARE(b.picture().pixelColor(5, 5), QColor(Qt::blue));
    QVERIFY(b.picture_file().isEmpty());

    QVERIFY(b.load_picture_file(file));
    QCOMPARE(b.picture().pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(b.picture_file(), file);
    QVERIFY(!b.load_picture_file(dir.filePath(QStringLiteral("gone.bmp"))));
    QCOMPARE(b.picture().pixelColor(5, 5), QColor(Qt::red));
    QCOMPARE(b.picture_file(), file);
}

void TestVbControls::label_click_data() {
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("release_outside");
    QTest::addColumn<int>("clicks");
    QTest::newRow("left click") << true << int(Qt::LeftButton) << false << 1;
    QTest::newRow("right click") << true << int(Qt::RightButton) << false << 0;
    QTest::newRow("disabled") << false << int(Qt::LeftButton) << false << 0;
    QTest::newRow("released outside") << true << int(Qt::LeftButton) << true << 0;
}

void TestVbControls::label_click() {
    QFETCH(bool, enabled);
    QFETCH(int, button);
    QFETCH(bool, release_outside);
    QFETCH(int, clicks);
    QWidget host;
    host.resize(100, 60);
    auto* l = new ClickLabel(&host);
    l->setGeometry(10, 10, 40, 30);
    l->setText(QStringLiteral("  P"));
    l->setEnabled(enabled);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QSignalSpy spy(l, &ClickLabel::clicked);
    const auto b = Qt::MouseButton(button);
    QTest::mousePress(l, b, {}, QPoint(20, 15));
    QTest::mouseRelease(l, b, {}, release_outside ? QPoint(70, 15) : QPoint(20, 15));
    QCOMPARE(spy.count(), clicks);
}

void TestVbControls::shapes_fill_and_let_clicks_through() {
    QWidget host;
    host.resize(60, 60);
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, Qt::white);
    host.setPalette(pal);
    host.setAutoFillBackground(true);
    auto* circle = new ShapeWidget(ShapeWidget::Kind::Circle, &host);
    circle->setGeometry(0, 0, 40, 40);
    circle->set_fill(QColor(0xB0, 0xB0, 0xB0));
    circle->set_border(QColor(0x70, 0x70, 0x70));
    const QImage img = host.grab().toImage();
    QCOMPARE(img.pixelColor(20, 20), QColor(0xB0, 0xB0, 0xB0));
    QCOMPARE(img.pixelColor(1, 1), QColor(Qt::white));  // outside the circle
    QVERIFY(qAbs(img.pixelColor(20, 0).red() - 0x70) < 16);  // the border, give or take antialiasing
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QCOMPARE(host.childAt(20, 20), nullptr);
}

QTEST_MAIN(TestVbControls)
#include "vb_controls.moc"
