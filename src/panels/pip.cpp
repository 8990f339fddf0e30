#include "panels/pip.h"

#include "link/query_chain.h"
#include "link/reply_text.h"
#include "panels/frm_pip.h"

namespace tavrin {

Pip::Pip(Context& c) : c_(c), win_(c.st.pip_open) {
    c_.link.register_handler(QStringLiteral("PPO"), [this] { on_reply_PPO(); });
    c_.link.register_handler(QStringLiteral("PSZ"), [this] { on_reply_PSZ(); });
    c_.link.register_handler(QStringLiteral("PSW"), [this] { on_reply_PSW(); });
    auto* label = c_.w.ctl<ClickLabel>(QStringLiteral("lab_pip"));
    QObject::connect(label, &ClickLabel::clicked, label, [this] { lab_pip_Click(); });
}

Pip::~Pip() = default;

void Pip::set_lamp(const QColor& fill, bool indicator_enabled) {
    c_.w.ctl<ShapeWidget>(QStringLiteral("sha_pip"))->set_fill(fill);
    c_.w.control(QStringLiteral("lab_pip"))->setEnabled(indicator_enabled);
}

void Pip::lab_pip_Click() {
    set_lamp(colors::red, false);
    c_.platform.pump();
    win_.toggle([this] { return new FrmPip(c_, *this, &c_.w); });
    set_lamp(colors::idle_lamp, true);
    c_.platform.pump();
}

void Pip::close_window() { win_.close(); }

void Pip::dual_pip_set(const QString& pip_str) { c_.link.tx_cmd(pip_str); }

void Pip::dual_pip_refresh() {
    send_queries(c_.link, {QStringLiteral("PPO991"), QStringLiteral("PPO992"), QStringLiteral("PSZ991"),
                           QStringLiteral("PSZ992")});
}

void Pip::on_reply_PPO() {
    if (!c_.st.pip_open) return;
    const QString reply = c_.link.reply();
    HoldCommands hold(c_.st);
    const int w = reply.size() >= 5 ? digit_value(reply[4]) : 0;
    const int p = last_digit(reply);
    // A corner above 3 names no button; the shown position stays.
    if (FrmPip* win = win_.window(); win && (w == 1 || w == 2) && p <= 3) {
        for (int k = 0; k < 4; ++k) win->pos(w, k)->set_back_color(colors::neutral);
        win->pos(w, p)->set_back_color(colors::selected);
    }
}

void Pip::on_reply_PSZ() {
    if (!c_.st.pip_open) return;
    const QString reply = c_.link.reply();
    HoldCommands hold(c_.st);
    const int w = reply.size() >= 5 ? digit_value(reply[4]) : 0;
    const int z = last_digit(reply);
    if (FrmPip* win = win_.window(); win && (w == 1 || w == 2) && z <= 3) {
        win->size_list(w)->setCurrentIndex(z);
        c_.platform.pump();
    }
}

void Pip::on_reply_PSW() {}

FrmPip* Pip::window() const { return win_.window(); }

}  // namespace tavrin
