#include "panels/hdcp.h"

#include "link/query_chain.h"
#include "link/reply_text.h"
#include "panels/frm_hdcp.h"

#include <QAbstractButton>

namespace tavrin {

Hdcp::Hdcp(Context& c) : c_(c), win_(c.st.hdcp_open) {
    c_.link.register_handler(QStringLiteral("HPI"), [this] { on_reply_HPI(); });
    c_.link.register_handler(QStringLiteral("HPO"), [this] { on_reply_HPO(); });
    auto* button = qobject_cast<QAbstractButton*>(c_.w.control(QStringLiteral("cmd_hdcp")));
    QObject::connect(button, &QAbstractButton::clicked, button, [this] { cmd_hdcp_Click(); });
}

Hdcp::~Hdcp() = default;

void Hdcp::cmd_hdcp_Click() {
    win_.toggle([this] { return new FrmHdcp(c_, *this, &c_.w); });
}

void Hdcp::close_window() { win_.close(); }

void Hdcp::hdcp_in_out_set(const QString& hdcp_str) { c_.link.tx_cmd(hdcp_str); }

void Hdcp::hdcp_refresh() {
    send_queries(c_.link, {QStringLiteral("HPI991"), QStringLiteral("HPI992"), QStringLiteral("HPI993"),
                           QStringLiteral("HPI994"), QStringLiteral("HPO991"), QStringLiteral("HPO992"),
                           QStringLiteral("HPO993"), QStringLiteral("HPO994")});
}

void Hdcp::on_reply_HPI() { on_reply(true); }

void Hdcp::on_reply_HPO() { on_reply(false); }

void Hdcp::on_reply(bool input) {
    if (!c_.st.hdcp_open) return;
    const QString reply = c_.link.reply();
    HoldCommands hold(c_.st);
    const int n = reply.size() >= 5 ? digit_value(reply[4]) : 0;
    const int s = last_digit(reply);
    // Only 0 and 1 name an option of the pair; other values change nothing.
    if (FrmHdcp* win = win_.window(); win && n >= 1 && n <= 4 && (s == 0 || s == 1)) {
        QRadioButton* o = input ? win->opt_hdcp_in(n, s) : win->opt_hdcp_out(n, s);
        o->setChecked(true);
        c_.platform.pump();
    }
}

FrmHdcp* Hdcp::window() const { return win_.window(); }

}  // namespace tavrin
