#include "main_window/startup.h"

#include "link/program_files.h"
#include "main_window/link_controls.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

namespace tavrin {


Startup::Startup(Context& c, FrmMain& w, LinkControls& links) : c_(c), w_(w), links_(links) {
    QObject::connect(w.ctl<ColorButton>(QStringLiteral("cmd_advance")), &QPushButton::clicked, &w,
                     [this] { cmd_advance_Click(); });
    QObject::connect(w.ctl<ColorButton>(QStringLiteral("cmd_clear")), &QPushButton::clicked, &w,
                     [this] { c_.link.cmd_clear_Click(); });
}

void Startup::Form_Load() {
    Link& link = c_.link;
    warn_missing_files();

    // Loading starts from the first values whatever ran before.
    c_.st = PanelState{};
    link.end_ip_query();
    link.serial_closed();
    link.ethernet_down();
    fill_lists();
    link.cmd_clear_Click();
    restore_settings();
    // On RS-232 this opens the stored port at once.
    links_.opt_interface_Click(link.link_kind());

    w_.set_height_twips(c_.st.advanced_view ? FrmMain::advanced_height_twips : FrmMain::compact_height_twips);
    w_.show();
    c_.platform.pump();
    // Replies are read and controls send only once the window is up: a reply
    // or a click handled earlier would meet a half-loaded panel.
    link.set_tim_rx_enabled(true);
    c_.st.cmd_enable = true;
}

void Startup::warn_missing_files() {
    // Worth a line on the terminal: without them resolutions cannot be set
    // and the state keys show no pictures.
    const QStringList missing = w_.files().missing_data();
    if (!missing.isEmpty())
        qWarning("tavrin4x: missing data files (looked beside the program and in %s): %s",
                 qPrintable(QDir::toNativeSeparators(w_.files().data_dir)), qPrintable(missing.join(QStringLiteral(", "))));
}

void Startup::fill_lists() {
    auto* com = w_.ctl<QComboBox>(QStringLiteral("cbo_com"));
    com->clear();
    for (int n = 1; n <= 9; ++n) com->addItem(QStringLiteral("COM%1:").arg(n));
    auto* aspect = w_.ctl<QComboBox>(QStringLiteral("cbo_aspect"));
    aspect->clear();
    aspect->addItems({QStringLiteral("FULL"), QStringLiteral("4:3 TV"), QStringLiteral("16:9 TV"),
                      QStringLiteral("16:10 TV"), QStringLiteral("Keep Ratio")});
    aspect->setCurrentIndex(-1);
    // Nothing is selected until the device reports what it shows.
    auto* output = w_.ctl<QComboBox>(QStringLiteral("cbo_output"));
    output->clear();
    output->addItems(read_resolution_list(w_.files().data_file(QStringLiteral("output_reso.txt"))));
    output->setCurrentIndex(-1);
}

void Startup::restore_settings() {
    const Settings s = read_settings(w_.files().settings_to_read());
    c_.link.choose_interface(s.link_kind);
    links_.com_port_no = s.com_port_no;
    c_.st.advanced_view = s.advanced_view;
    w_.ctl<QLineEdit>(QStringLiteral("txt_ip"))->setText(s.address);
    // Ethernet starts disconnected, whichever link was stored.
    w_.ctl<ColorButton>(QStringLiteral("cmd_disconn_eth"))->set_back_color(colors::red);
    settings_read_ = true;
    settings_saved_ = false;
}

void Startup::Form_Unload() {
    Link& link = c_.link;
    link.serial().close();
    link.serial_closed();
    save_settings();
}

bool Startup::save_settings() {
    // Before they were read there is nothing of the operator's to keep, and
    // after the first save nothing has changed.
    if (!settings_read_ || settings_saved_) return true;
    settings_saved_ = true;
    Settings s;
    s.link_kind = c_.link.link_kind();
    s.com_port_no = links_.com_port_no;
    s.advanced_view = c_.st.advanced_view;
    s.address = c_.w.ctl<QLineEdit>(QStringLiteral("txt_ip"))->text().trimmed();
    const ProgramFiles& files = c_.w.files();
    if (!files.store_settings(s).isEmpty()) return true;
    // Said once, in the words an operator uses; a failed save leaves any old
    // file as it was.
    const QString text =
        QStringLiteral("The settings (interface, COM port, address, window size) could not be saved: "
                       "neither %1 nor %2 can be written. The next start will not remember them.")
            .arg(QDir::toNativeSeparators(files.program_dir), QDir::toNativeSeparators(files.user_dir));
    if (unattended_exit) qWarning("tavrin4x: %s", qPrintable(text));
    else c_.platform.message(text, MsgIcon::Exclamation);
    return false;
}

void Startup::cmd_advance_Click() {
    if (!c_.st.advanced_view) {
        w_.set_height_twips(FrmMain::advanced_height_twips);
        c_.st.advanced_view = true;
    } else {
        w_.set_height_twips(FrmMain::compact_height_twips);
        c_.st.advanced_view = false;
    }
}

}  // namespace tavrin
