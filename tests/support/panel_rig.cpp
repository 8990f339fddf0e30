#include "support/panel_rig.h"

#include "main_window/link_controls.h"

#include <QDir>
#include <QFile>

namespace tavrin::testing {

namespace {
void copy_tree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDir src(from);
    for (const QFileInfo& fi : src.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (fi.isDir()) copy_tree(fi.filePath(), QDir(to).filePath(fi.fileName()));
        else QFile::copy(fi.filePath(), QDir(to).filePath(fi.fileName()));
    }
}
}  // namespace

PanelRig::PanelRig(Start how, const QByteArray& settings_text) {
    copy_tree(QStringLiteral(TAVRIN_DATA_DIR), dir.path());
    QByteArray ini = settings_text;
    if (ini.isEmpty())
        ini = how == Start::Ethernet ? QByteArray("1\r\n1\r\n#TRUE#\r\n\"127.0.0.1\"\r\n")
                                     : QByteArray("0\r\n1\r\n#TRUE#\r\n\"\"\r\n");
    QFile f(dir.filePath(QStringLiteral("tavrin_4x.ini")));
    if (f.open(QIODevice::WriteOnly)) f.write(ini);
    f.close();
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
