#pragma once
// The whole panel (main window and every controller) on fake ports: a program
// directory of its own with the shipped data files, a fake clock, and the
// scripted device on both links. Tests drive it through the controllers'
// routines or by clicking the real widgets.

#include "main_window/panel.h"
#include "support/fake_env.h"

#include <QComboBox>
#include <QTemporaryDir>
#include <memory>

namespace tavrin::testing {

struct PanelRig : FakeDevice {
    enum class Start { Serial, Ethernet, NoLoad };

    // Serial: settings say RS-232 port 1, so start-up opens the fake port.
    // Ethernet: settings say Ethernet; the rig then connects the fake socket.
    explicit PanelRig(Start how = Start::Serial, const QByteArray& settings_text = QByteArray());

    QTemporaryDir dir;
    std::unique_ptr<Panel> panel;

    Panel& p() { return *panel; }
    FrmMain& w() { return panel->w; }
    PanelState& st() { return panel->st; }
    Link& link() { return panel->link; }

    // Connects over Ethernet through the real button and the fake socket.
    void connect_ethernet(const QString& address = QStringLiteral("127.0.0.1"));
    // Commands the device received since the last call.
    QStringList take_received();
    QString path(const QString& file) const { return dir.filePath(file); }
};

// An operator's pick in a list: the list moves, then raises its event.
inline void pick(QComboBox* list, int k) { list->setCurrentIndex(k), emit list->activated(k); }

}  // namespace tavrin::testing
