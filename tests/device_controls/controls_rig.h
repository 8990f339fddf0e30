#pragma once
// The whole panel on fakes with the simulator's device model answering, shared
// by the controller tests here and those in routing/ and panels/.

#include "device_model.h"
#include "support/panel_rig.h"

#include <QtTest>

namespace tavrin::testing {

enum class Device { Start, On };
// The picture groups, in the order the picture refresh asks them.
inline const char* const kGroups[] = {"bri", "con", "hue", "sat"};

struct Rig : PanelRig {
    // Start: as after start-up; On: the device has reported it is on.
    explicit Rig(Device device_state = Device::Start, const QByteArray& ini = {})
        : PanelRig(Start::Serial, ini) {
        device.responder = [this](const QString& cmd) -> QList<QByteArray> {
            if (silent.contains(cmd)) return {};
            return {model.execute(cmd.toLatin1())};
        };
        take_received();
        if (device_state == Device::On) reply("PWR001");
    }
    // A reply the device sends unasked (e.g. after a front-panel change).
    void reply(const QByteArray& r) {
        device.send_unsolicited(r + '\r', false);
        platform.advance(5);
    }
    // The device changes and reports it.
    void both(const QByteArray& cmd) {
        model.execute(cmd);
        reply(cmd);
    }
    template <class T = QWidget> T* c(const QString& name) { return w().ctl<T>(name); }
    template <class T = QWidget> T* c(const QString& name, int i) { return w().ctl_at<T>(name, i); }
    ScrollSlider* slider(int g, int row) { return c<ScrollSlider>(QStringLiteral("hsr_") + kGroups[g], row); }
    QLineEdit* box(int g, int row) { return c<QLineEdit>(QStringLiteral("txt_") + kGroups[g], row); }
    // Which button of an array shows the selected colour: 0 none, -1 several.
    int highlighted(const QString& array, int count) {
        int found = 0;
        for (int i = 1; i <= count; ++i)
            if (c<ColorButton>(array, i)->back_color() == colors::selected) found = found ? -1 : i;
        return found;
    }
    // Whether buttons first..last of an array are all enabled (on) or all disabled.
    bool row_is(const QString& array, int first, int last, bool on) {
        for (int i = first; i <= last; ++i)
            if (c(array, i)->isEnabled() != on) return false;
        return true;
    }
    // Runs `act` once while another exchange (the version query) waits for its
    // answer; says whether it ran.
    bool while_busy(const std::function<void()>& act) {
        bool ran = false;
        platform.then_on_pump = [&] {
            if (!ran && link().awaiting_reply()) ran = true, act();
        };
        QTest::mouseClick(c("cmd_ver"), Qt::LeftButton);
        platform.then_on_pump = nullptr;
        return ran;
    }
    sim::DeviceModel model;
    QStringList silent;  // commands the device leaves unanswered
};

// The routing map read.
inline const QStringList kMapQueries{"OUT001", "INP999", "OUT002", "INP999", "OUT003", "INP999", "OUT004", "INP999"};
// The picture refresh: one row in Matrix (cur_mode 1), four otherwise.
inline QStringList picture_queries(int cur_mode) {
    QStringList out;
    for (int n = 1; n <= (cur_mode == 1 ? 1 : 4); ++n)
        for (const char* g : kGroups)
            out << QString(g).toUpper() + (cur_mode == 1 ? QStringLiteral("999") : QStringLiteral("99%1").arg(n));
    return out;
}

}  // namespace tavrin::testing
