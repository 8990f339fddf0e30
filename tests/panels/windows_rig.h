#pragma once
// The panel on fakes with the device model answering, for the tests of the
// four secondary windows.

#include "support/panel_rig.h"

#include "device_model.h"

#include <QCoreApplication>
#include <QEvent>
#include <functional>

namespace tavrin::testing {

struct WindowsRig : PanelRig {
    sim::DeviceModel model;
    // Runs for every command the device gets, before it answers.
    std::function<void(const QString&)> on_command;

    WindowsRig() {
        device.responder = [this](const QString& cmd) -> QList<QByteArray> {
            if (on_command) on_command(cmd);
            const QByteArray r = model.execute(cmd.toLatin1());
            if (r.isEmpty()) return {};
            return {r};
        };
        w().move(300, 400);
        take_received();
        serial.writes.clear();
    }
    // A reply the device sends on its own.
    void reply(const QByteArray& bytes) {
        device.send_unsolicited(bytes, false);
        platform.advance(5);
    }
    // Deletes windows that were closed (what the event loop does in the program).
    static void flush_deletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    // Everything written to the serial port since the last call, as one block.
    QByteArray take_wire() {
        QByteArray all;
        for (const QByteArray& b : serial.writes) all += b;
        serial.writes.clear();
        return all;
    }
};

}  // namespace tavrin::testing
