// The picture and bezel sliders report completed changes only: one per
// click or key, none while the thumb is held, one on its release. The state
// keys' pictures show the state in its colour.

#include "support/pixels.h"
#include "widgets/controls.h"
#include "widgets/pictures.h"

#include <QtTest>

using namespace tavrin;
using namespace pictures;
using namespace tavrin::testing;

namespace {
bool green(QColor c) { return c.green() > 120 && c.red() < 80 && c.blue() < 80; }
bool coloured(QColor c) { return qMax(qAbs(c.red() - c.green()), qAbs(c.green() - c.blue())) > 24; }
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
            {"thumb held", [](V& s) { s.setSliderDown(true), s.setValue(30), s.setValue(40), s.setSliderDown(false); }, 1, 40},
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

    void state_pictures_in_their_colours() {
        // Power grey while unknown, green when on, red in standby; the muted speaker crossed out in red.
        QVERIFY(count_pixels(power_none(), coloured) == 0);
        QVERIFY(count_pixels(power_on(), green) > 20 && count_pixels(power_on(), red) == 0);
        QVERIFY(count_pixels(power_standby(), red) > 20 && count_pixels(power_standby(), green) == 0);
        QVERIFY(count_pixels(speaker_off(), red) > 20 && count_pixels(speaker_on(), red) == 0 && lock() != unlock());
    }
};

QTEST_MAIN(WidgetsTest)
#include "widgets.moc"
