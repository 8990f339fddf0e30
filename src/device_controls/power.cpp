#include "device_controls/power.h"

#include "device_controls/on_off.h"
#include "device_controls/picture.h"
#include "link/query_chain.h"
#include "link/reply_text.h"

#include <QLineEdit>

namespace tavrin {

const char* const Power::standby_set[10] = {"cmd_hdcp", "cbo_aspect", "fra_btn",  "fra_recall_save", "fra_dual_a",
                                            "fra_dual_b", "fra_bezel", "fra_pic", "fra_audio",       "fra_quad"};

Power::Power(Context& c, Picture& picture) : c_(c), picture_(picture) {
    c_.link.register_handler(QStringLiteral("PWR"), [this] { on_reply_PWR(); });
    c_.link.register_handler(QStringLiteral("LCK"), [this] { on_reply_LCK(); });
    c_.link.register_handler(QStringLiteral("RST"), [this] { on_reply_RST(); });
    c_.link.register_handler(QStringLiteral("VER"), [this] { on_reply_VER(); });
    c_.link.register_handler(QStringLiteral("VR2"), [this] { on_reply_VR2(); });

    auto on_click = [this](const char* name, void (Power::*routine)()) {
        auto* b = c_.w.ctl<QPushButton>(QLatin1String(name));
        QObject::connect(b, &QPushButton::clicked, b, [this, routine] { (this->*routine)(); });
    };
    on_click("cmd_pwr", &Power::cmd_pwr_Click);
    on_click("cmd_lock", &Power::cmd_lock_Click);
    on_click("cmd_menu_menu", &Power::cmd_menu_menu_Click);
    on_click("cmd_menu_exit", &Power::cmd_menu_exit_Click);
    on_click("cmd_menu_ok", &Power::cmd_menu_ok_Click);
    on_click("cmd_menu_up", &Power::cmd_menu_up_Click);
    on_click("cmd_menu_down", &Power::cmd_menu_down_Click);
    on_click("cmd_menu_left", &Power::cmd_menu_left_Click);
    on_click("cmd_menu_right", &Power::cmd_menu_right_Click);
    on_click("cmd_fact_reset", &Power::cmd_fact_reset_Click);
    on_click("cmd_ver", &Power::cmd_ver_Click);
}

void Power::set_picture(const char* button, const char* file) {
    // A missing bitmap leaves the button as it was.
    c_.w.ctl<ColorButton>(QLatin1String(button))->load_picture_file(c_.w.bitmap_path(QLatin1String(file)));
}

void Power::cmd_pwr_Click() {
    auto* pwr = c_.w.ctl<ColorButton>(QStringLiteral("cmd_pwr"));
    // With the link down (or another exchange waiting) nothing goes out and
    // no answer will come: the click is undone, so the button stays usable
    // and its next click still asks for the opposite of the device's state.
    const bool sent = c_.link.link_up() && !c_.link.awaiting_reply();
    const int16_t state_before = c_.st.pwr_state;
    const QImage picture_before = pwr->picture();
    const QString file_before = pwr->picture_file();

    set_picture("cmd_pwr", "power_none.bmp");
    if (c_.st.pwr_state != 1) {
        c_.st.pwr_state = 1;
        pwr->setEnabled(false);
        c_.link.tx_cmd(QStringLiteral("PWR001"));
        if (sent) set_picture("cmd_mute", "speaker_on.bmp");
    } else {
        c_.st.pwr_state = 0;
        c_.link.tx_cmd(QStringLiteral("PWR000"));
    }
    if (!sent) {
        c_.st.pwr_state = state_before;
        if (file_before.isEmpty() || !pwr->load_picture_file(file_before)) pwr->set_picture(picture_before);
        pwr->setEnabled(true);
    }
}

void Power::on_reply_PWR() {
    const QString reply = c_.link.reply();
    c_.st.pwr_state = int16_t(last_digit(reply));
    c_.w.control(QStringLiteral("cmd_fact_reset"))->setEnabled(true);
    const bool on = c_.st.pwr_state != 0;
    set_picture("cmd_pwr", on ? "power_on.bmp" : "power_standby.bmp");
    for (const char* name : standby_set) c_.w.control(QLatin1String(name))->setEnabled(on);
    // Whatever the device answered, it answered: a power-on click that ends
    // in standby must not leave the one button that can switch it on disabled.
    c_.w.control(QStringLiteral("cmd_pwr"))->setEnabled(true);
}

void Power::cmd_lock_Click() { ask_opposite(c_.link, c_.st.lock_state, QStringLiteral("LCK")); }

void Power::on_reply_LCK() {
    const QString reply = c_.link.reply();
    c_.st.lock_state = int16_t(last_digit(reply));
    set_picture("cmd_lock", c_.st.lock_state != 0 ? "lock.bmp" : "unlock.bmp");
}

void Power::cmd_menu_menu_Click() { c_.link.tx_cmd(QStringLiteral("MNX001")); }
void Power::cmd_menu_exit_Click() { c_.link.tx_cmd(QStringLiteral("MNE001")); }
void Power::cmd_menu_ok_Click() { c_.link.tx_cmd(QStringLiteral("MNO001")); }
void Power::cmd_menu_up_Click() { c_.link.tx_cmd(QStringLiteral("MNU001")); }
void Power::cmd_menu_down_Click() { c_.link.tx_cmd(QStringLiteral("MND001")); }
void Power::cmd_menu_left_Click() { c_.link.tx_cmd(QStringLiteral("MNL001")); }
void Power::cmd_menu_right_Click() { c_.link.tx_cmd(QStringLiteral("MNR001")); }

void Power::cmd_fact_reset_Click() {
    if (c_.link.link_up()) c_.w.control(QStringLiteral("cmd_fact_reset"))->setEnabled(false);
    c_.link.tx_cmd(QStringLiteral("RST001"));
}

void Power::on_reply_RST() {
    const QString reply = c_.link.reply();
    switch (last_digit(reply)) {
    case 1:
        c_.w.control(QStringLiteral("cmd_fact_reset"))->setEnabled(true);
        break;
    case 2:
        picture_.picture_reset();
        break;
    default:
        break;
    }
}

void Power::cmd_ver_Click() { send_queries(c_.link, {QStringLiteral("VER999"), QStringLiteral("VR2999")}); }

void Power::on_reply_VER() {
    const QString reply = c_.link.reply();
    c_.w.ctl<QLineEdit>(QStringLiteral("txt_ver"))->setText(reply.mid(3, 1) + QLatin1Char('.') + reply.right(2));
}

void Power::on_reply_VR2() {
    const QString reply = c_.link.reply();
    c_.w.ctl<QLineEdit>(QStringLiteral("txt_ver2"))->setText(reply.mid(3, 3).trimmed());
}

}  // namespace tavrin
