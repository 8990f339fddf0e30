#include "support/panel_rig.h"

#include "main_window/link_controls.h"
#include "support/programs.h"

namespace tavrin::testing {

PanelRig::PanelRig(Start how, const QByteArray& settings_text) {
    QByteArray ini = settings_text;
    if (ini.isEmpty())
        ini = how == Start::Ethernet ? QByteArray("1\r\n1\r\n#TRUE#\r\n\"127.0.0.1\"\r\n")
                                     : QByteArray("0\r\n1\r\n#TRUE#\r\n\"\"\r\n");
    make_program_dir(dir.path(), ini);
    ProgramFiles files(dir.path());
    files.user_dir = dir.filePath(QStringLiteral("user-config"));  // never the real one
    panel = std::make_unique<Panel>(platform, serial, tcp, files);
    if (how == Start::NoLoad) return;
    panel->load();
    if (how == Start::Ethernet) connect_ethernet();
}

void PanelRig::connect_ethernet(const QString& address) {
    w().ctl<QLineEdit>(QStringLiteral("txt_ip"))->setText(address);
    panel->links->cmd_conn_eth_Click();
    tcp.accept_connection();
    platform.pump();
}

QStringList PanelRig::take_received() {
    QStringList out = device.received;
    device.received.clear();
    return out;
}

}  // namespace tavrin::testing
