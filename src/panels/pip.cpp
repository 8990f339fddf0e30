#include "panels/pip.h"

#include "link/query_chain.h"
#include "link/reply_text.h"
#include "panels/frm_pip.h"

namespace tavrin {

Pip::Pip(Context& c)
    : c_(c),
      lamp_{c.w.ctl<ShapeWidget>(QStringLiteral("sha_pip")), c.w.control(QStringLiteral("lab_pip"))},
      win_(c.st.pip_open) {
    c_.link.register_handler(QStringLiteral("PPO"), [this] { on_reply_PPO(); });
    c_.link.register_handler(QStringLiteral("PSZ"), [this] { on_reply_PSZ(); });
    c_.link.register_handler(QStringLiteral("PSW"), [this] { on_reply_PSW(); });
    auto* label = c_.w.ctl<ClickLabel>(QStringLiteral("lab_pip"));
    QObject::connect(label, &ClickLabel::clicked, label, [this] { lab_pip_Click(); });
}

Pip::~Pip() = default;

void Pip::lab_pip_Click() {
    lamp_.set(colors::red, false);
    c_.platform.pump();
    win_.toggle([this] { return new FrmPip(c_, *this, &c_.w); });
    lamp_.set(colors::idle_lamp, true);
    c_.platform.pump();
}

void Pip::close_window() { win_.close(); }

void Pip::dual_pip_set(const QString& pip_str) { c_.link.tx_cmd(pip_str); }

void Pip::dual_pip_refresh() {
    send_queries(c_.link, {QStringLiteral("PPO991"), QStringLiteral("PPO992"), QStringLiteral("PSZ991"),
                           QStringLiteral("PSZ992")});
}

void Pip::inset_reply(const std::function<void(FrmPip&, int, int)>& apply) {
    if (!c_.st.pip_open) return;
    const QString reply = c_.link.reply();
    HoldCommands hold(c_.st);
    const int inset = reply.size() >= 5 ? digit_value(reply[4]) : 0;
    const int value = last_digit(reply);
    // A corner or size above 3 names no control; the shown one stays.
    if (FrmPip* win = win_.window(); win && (inset == 1 || inset == 2) && value <= 3) apply(*win, inset, value);
}

void Pip::on_reply_PPO() {
    inset_reply([](FrmPip& win, int inset, int corner) {
        for (int k = 0; k < 4; ++k) win.pos(inset, k)->set_back_color(colors::neutral);
        win.pos(inset, corner)->set_back_color(colors::selected);
    });
}

void Pip::on_reply_PSZ() {
    inset_reply([this](FrmPip& win, int inset, int size) {
        win.size_list(inset)->setCurrentIndex(size);
        c_.platform.pump();
    });
}

// A swap changes which picture is the inset, which the window does not show:
// there is nothing to update. The handler is still registered, so a PSW reply
// that arrives unasked is taken as a known reply, not an unknown one.
void Pip::on_reply_PSW() {}

FrmPip* Pip::window() const { return win_.window(); }

}  // namespace tavrin
