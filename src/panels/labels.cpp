#include "panels/labels.h"

#include "link/query_chain.h"
#include "link/reply_text.h"
#include "panels/frm_label.h"

namespace tavrin {

Labels::Labels(Context& c)
    : c_(c),
      lamp_{c.w.ctl<ShapeWidget>(QStringLiteral("sha_lab_in")), c.w.control(QStringLiteral("lab_lab_input"))},
      win_(c.st.label_open) {
    c_.link.register_handler(QStringLiteral("LAB"), [this] { on_reply_LAB(); });
    c_.link.register_handler(QStringLiteral("LAI"), [this] { on_reply_LAI(); });
    auto* label = c_.w.ctl<ClickLabel>(QStringLiteral("lab_lab_input"));
    QObject::connect(label, &ClickLabel::clicked, label, [this] { lab_lab_input_Click(); });
}

Labels::~Labels() = default;

void Labels::lab_lab_input_Click() {
    // The lamp stays red, and the indicator takes no clicks, while the
    // window opens with its five queries or closes.
    lamp_.set(colors::red, false);
    c_.platform.pump();
    if (win_.is_open()) {
        close_window();
        lamp_.set(colors::idle_lamp, true);
        c_.platform.pump();
    } else {
        win_.open(new FrmLabel(c_, *this, &c_.w));
        lamp_.set(colors::idle_lamp, true);
    }
}

void Labels::close_window() { win_.close(); }

void Labels::label_in_set(const QString& lab_in_str) { c_.link.tx_cmd(lab_in_str); }

void Labels::label_in_refresh() {
    send_queries(c_.link, {QStringLiteral("LAB999"), QStringLiteral("LAI991"), QStringLiteral("LAI992"),
                           QStringLiteral("LAI993"), QStringLiteral("LAI994")});
}

void Labels::on_reply_LAB() {
    if (!c_.st.label_open) return;
    const QString reply = c_.link.reply();
    HoldCommands hold(c_.st);
    const int s = last_digit(reply);
    // Only 0 (OFF) and 1 (ON) name an option.
    if (win_.window() && (s == 0 || s == 1)) {
        win_.window()->opt_on_off(s)->setChecked(true);
        c_.platform.pump();
    }
}

void Labels::on_reply_LAI() {
    if (!c_.st.label_open) return;
    const QString reply = c_.link.reply();
    HoldCommands hold(c_.st);
    const int n = reply.size() >= 4 ? digit_value(reply[3]) : 0;
    if (win_.window() && n >= 1 && n <= 4) {
        // Characters 5 to 16; the device's trailing blanks stay.
        win_.window()->txt_lab_in(n)->setText(reply.mid(4, 12));
        c_.platform.pump();
    }
}

FrmLabel* Labels::window() const { return win_.window(); }

}  // namespace tavrin
