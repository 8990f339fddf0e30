#include "main_window/link_controls.h"

#include "link/link_values.h"
#include "link/qt_ports.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace tavrin {

namespace {
const char* const kRs232Group[] = {"cmd_conn", "cmd_disconn", "cbo_com", "lab_rs232"};
}

LinkControls::LinkControls(Context& c) : c_(c) {
    tim_eth_ = c.platform.make_timer();
    tim_eth_->set_interval(7000);
    tim_eth_->on_timeout = [this] { tim_eth_Timer(); };
    c.link.tcp().on_connected = [this] { wsk_client_Connect(); };
    c.link.tcp().on_error = [this](const QString&) { wsk_client_Error(); };
    c.link.serial().on_lost = [this](const QString& cause) { serial_lost(cause); };
    c.link.register_tcp_only_handler(QStringLiteral("EXT"), [this] { on_reply_EXT(); });

    ControlWindow& w = c.w;
    QObject::connect(w.ctl<ColorButton>(QStringLiteral("cmd_conn")), &QPushButton::clicked, &w,
                     [this] { cmd_conn_Click(); });
    QObject::connect(w.ctl<ColorButton>(QStringLiteral("cmd_disconn")), &QPushButton::clicked, &w,
                     [this] { cmd_disconn_Click(); });
    QObject::connect(w.ctl<QComboBox>(QStringLiteral("cbo_com")), &QComboBox::activated, &w,
                     [this](int) { cbo_com_Click(); });
    QObject::connect(w.ctl<ColorButton>(QStringLiteral("cmd_conn_eth")), &QPushButton::clicked, &w,
                     [this] { cmd_conn_eth_Click(); });
    QObject::connect(w.ctl<ColorButton>(QStringLiteral("cmd_disconn_eth")), &QPushButton::clicked, &w,
                     [this] { cmd_disconn_eth_Click(); });
    QObject::connect(w.ctl<ColorButton>(QStringLiteral("cmd_get_ip")), &QPushButton::clicked, &w,
                     [this] { cmd_get_ip_Click(); });
    for (int i = 0; i <= 1; ++i) {
        QObject::connect(w.ctl_at<QRadioButton>(QStringLiteral("opt_interface"), i), &QRadioButton::clicked, &w,
                         [this, i] { opt_interface_Click(i); });
    }
}

// ------------------------------------------------------------------ serial

void LinkControls::set_comm() {
    ControlWindow& w = c_.w;
    Link& link = c_.link;
    auto* conn = w.ctl<ColorButton>(QStringLiteral("cmd_conn"));
    auto* disconn = w.ctl<ColorButton>(QStringLiteral("cmd_disconn"));
    if (link.rs232_open()) link.serial().close();
    if (!link.serial().open(com_port_no)) {
        QString text = QStringLiteral("COM%1: Fail !").arg(com_port_no);
        if (const QString why = link.serial().open_failure(); !why.isEmpty()) text += QLatin1Char('\n') + why;
        c_.platform.message(text, MsgIcon::None);
        conn->set_back_color(colors::neutral);
        disconn->set_back_color(colors::red);
        link.serial_closed();
        c_.platform.pump();
        return;
    }
    link.serial().discard_queues();
    link.serial_opened();
    conn->set_back_color(colors::routed);
    disconn->set_back_color(colors::neutral);
    c_.platform.pump();
    // A half-received reply of the previous port is forgotten.
    link.forget_reception();
}

void LinkControls::cbo_com_Click() {
    const int index = c_.w.ctl<QComboBox>(QStringLiteral("cbo_com"))->currentIndex();
    com_port_no = int16_t(index + 1);
    if (c_.st.cmd_enable) set_comm();
}

void LinkControls::cmd_conn_Click() { set_comm(); }

void LinkControls::cmd_disconn_Click() {
    Link& link = c_.link;
    if (!link.rs232_open()) return;
    c_.w.ctl<ColorButton>(QStringLiteral("cmd_conn"))->set_back_color(colors::neutral);
    c_.w.ctl<ColorButton>(QStringLiteral("cmd_disconn"))->set_back_color(colors::red);
    link.serial().close();
    link.serial_closed();
}

void LinkControls::serial_lost(const QString& cause) {
    if (!c_.link.rs232_open()) return;
    cmd_disconn_Click();
    c_.platform.message(QStringLiteral("COM%1: Connection lost !\n%2\nPress Connect when it is back.")
                            .arg(com_port_no)
                            .arg(cause),
                        MsgIcon::Critical);
}

// ------------------------------------------------------------------ interface choice

void LinkControls::opt_interface_Click(int index) {
    ControlWindow& w = c_.w;
    Link& link = c_.link;
    link.choose_interface(int16_t(index));
    for (const char* name : {"cmd_conn", "cmd_disconn", "cbo_com", "lab_rs232", "cmd_conn_eth", "cmd_disconn_eth",
                             "lab_ip", "txt_ip"})
        w.control(QLatin1String(name))->hide();
    auto* conn_eth = w.ctl<ColorButton>(QStringLiteral("cmd_conn_eth"));
    auto* disconn_eth = w.ctl<ColorButton>(QStringLiteral("cmd_disconn_eth"));
    if (link.link_kind() == LinkKind::rs232) {
        tim_eth_->set_enabled(false);
        tim_eth_->set_interval(7000);
        link.tcp().close();
        link.ethernet_down();
        conn_eth->setEnabled(true);
        conn_eth->set_back_color(colors::neutral);
        disconn_eth->setEnabled(false);
        disconn_eth->set_back_color(colors::red);
        // A connection attempt that was running is over too.
        w.control(QStringLiteral("lab_eth_state"))->hide();
        for (const char* name : kRs232Group) w.control(QLatin1String(name))->show();
        w.control(QStringLiteral("cmd_get_ip"))->setEnabled(true);
        {
            // Showing the stored port must not open it a second time.
            HoldCommands hold(c_.st, c_.st.cmd_enable);
            w.ctl<QComboBox>(QStringLiteral("cbo_com"))->setCurrentIndex(com_port_no - 1);
            c_.platform.pump();
        }
        set_comm();
    } else {
        if (link.rs232_open()) {
            link.serial_closed();
            link.serial().close();
        }
        conn_eth->show();
        disconn_eth->show();
        w.control(QStringLiteral("cmd_get_ip"))->setEnabled(false);
        w.control(QStringLiteral("lab_ip"))->show();
        w.control(QStringLiteral("txt_ip"))->show();
    }
    w.ctl_at<QRadioButton>(QStringLiteral("opt_interface"), index == 0 ? 0 : 1)->setChecked(true);
}

// ------------------------------------------------------------------ Ethernet

void LinkControls::cmd_conn_eth_Click() {
    ControlWindow& w = c_.w;
    Link& link = c_.link;
    auto* conn_eth = w.ctl<ColorButton>(QStringLiteral("cmd_conn_eth"));
    conn_eth->setEnabled(false);
    tim_eth_->set_enabled(true);
    QString host;
    quint16 port = 23;
    const QString text = w.ctl<QLineEdit>(QStringLiteral("txt_ip"))->text();
    if (!parse_host_port(text, &host, &port)) {
        // An unusable port number: the attempt cannot reach anything, and the
        // watchdog reports it like any other unreachable address.
        host = text.trimmed();
        port = 0;
    }
    if (link.tcp().state() != TcpClient::State::Connected) {
        conn_eth->set_back_color(colors::in_progress);
        w.ctl<ColorButton>(QStringLiteral("cmd_disconn_eth"))->set_back_color(colors::neutral);
        if (port != 0 && !host.isEmpty()) link.tcp().connect_to(host, port);
        w.control(QStringLiteral("lab_eth_state"))->show();
    } else {
        c_.platform.message(QStringLiteral("Ethernet is already connected!"), MsgIcon::Critical);
    }
}

void LinkControls::wsk_client_Connect() {
    ControlWindow& w = c_.w;
    // A connection that completes after the operator gave up (or switched to
    // RS-232) is not ours any more.
    if (!tim_eth_->enabled() || c_.link.link_kind() != LinkKind::ethernet) {
        c_.link.tcp().close();
        return;
    }
    c_.link.ethernet_up();
    tim_eth_->set_interval(100);
    tim_eth_->set_enabled(true);
    w.control(QStringLiteral("lab_eth_state"))->hide();
    w.ctl<ColorButton>(QStringLiteral("cmd_conn_eth"))->set_back_color(colors::routed);
    auto* disconn_eth = w.ctl<ColorButton>(QStringLiteral("cmd_disconn_eth"));
    disconn_eth->setEnabled(true);
    disconn_eth->set_back_color(colors::neutral);
}

void LinkControls::tim_eth_Timer() {
    ControlWindow& w = c_.w;
    Link& link = c_.link;
    if (link.eth_connected()) {
        if (link.tcp().state() != TcpClient::State::Connected) eth_lost();
        return;
    }
    tim_eth_->set_enabled(false);
    c_.platform.message(QStringLiteral("Client could not find Server."), MsgIcon::Critical);
    if (link.tcp().state() != TcpClient::State::Closed) link.tcp().close();
    w.control(QStringLiteral("lab_eth_state"))->hide();
    auto* conn_eth = w.ctl<ColorButton>(QStringLiteral("cmd_conn_eth"));
    conn_eth->setEnabled(true);
    conn_eth->set_back_color(colors::neutral);
    w.ctl<ColorButton>(QStringLiteral("cmd_disconn_eth"))->set_back_color(colors::red);
}

void LinkControls::cmd_disconn_eth_Click() {
    ControlWindow& w = c_.w;
    Link& link = c_.link;
    tim_eth_->set_enabled(false);
    link.tcp().close();
    link.ethernet_down();
    tim_eth_->set_interval(7000);
    auto* conn_eth = w.ctl<ColorButton>(QStringLiteral("cmd_conn_eth"));
    conn_eth->setEnabled(true);
    conn_eth->set_back_color(colors::neutral);
    auto* disconn_eth = w.ctl<ColorButton>(QStringLiteral("cmd_disconn_eth"));
    disconn_eth->setEnabled(false);
    disconn_eth->set_back_color(colors::red);
}

void LinkControls::eth_lost() {
    // A restarting device drops the connection; the re-connect notice says
    // all there is to say, and the restart closes our end itself.
    if (c_.link.device_restarting()) return;
    tim_eth_->set_enabled(false);
    c_.platform.message(QStringLiteral("Ethernet is disconnected !"), MsgIcon::Critical);
    cmd_disconn_eth_Click();
}

void LinkControls::wsk_client_Error() {
    // An attempt that fails is reported by the watchdog's first tick.
    if (c_.link.eth_connected()) eth_lost();
}

void LinkControls::on_reply_EXT() { cmd_disconn_eth_Click(); }

// ------------------------------------------------------------------ device address

void LinkControls::cmd_get_ip_Click() {
    ControlWindow& w = c_.w;
    Link& link = c_.link;
    auto* button = w.ctl<ColorButton>(QStringLiteral("cmd_get_ip"));
    button->setEnabled(false);
    button->set_back_color(colors::in_progress);
    const struct {
        const char* query;
        const char* box;
    } steps[] = {{"EIP999", "txt_get_ip"}, {"EMK999", "txt_get_mask"}, {"EGW999", "txt_get_gate"}};
    for (const auto& s : steps) w.ctl<QLineEdit>(QLatin1String(s.box))->clear();
    for (int step = 0; step < 3; ++step) {
        link.start_ip_step(int16_t(step));
        link.tx_cmd_nowait(QLatin1String(steps[step].query));
        for (int i = 0; i < 51 && !link.ip_answered(); ++i) link.Delay(0.001f);
        if (!link.ip_answered()) break;
        // The answer ends with its carriage return; the box shows the text.
        QString answer = link.reply();
        if (answer.endsWith(QLatin1Char('\r'))) answer.chop(1);
        w.ctl<QLineEdit>(QLatin1String(steps[step].box))->setText(answer);
    }
    link.end_ip_query();
    button->set_back_color(colors::neutral);
    button->setEnabled(link.link_kind() == LinkKind::rs232);
}

}  // namespace tavrin
