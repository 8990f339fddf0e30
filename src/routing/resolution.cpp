#include "routing/resolution.h"

#include "link/reply_text.h"

#include <QComboBox>

namespace tavrin {

namespace {
// List positions of 1080i50 and 1080i60 in output_reso.txt; the device shows
// interlaced output only when every output carries one full picture.
bool is_1080i(int position) { return position == 4 || position == 5; }
}  // namespace

Resolution::Resolution(Context& c) : c_(c) {
    ControlWindow& w = c.w;
    output_ = w.ctl<QComboBox>(QStringLiteral("cbo_output"));
    aspect_ = w.ctl<QComboBox>(QStringLiteral("cbo_aspect"));
    for (int i = 1; i <= 5; ++i) mode_buttons_[i - 1] = w.ctl_at<ColorButton>(QStringLiteral("cmd_mode"), i);

    QObject::connect(output_, &QComboBox::activated, output_, [this](int) { cbo_output_Click(); });
    QObject::connect(aspect_, &QComboBox::activated, aspect_, [this](int) { cbo_aspect_Click(); });

    c.link.register_handler(QStringLiteral("RES"), [this] { on_reply_RES(); });
    c.link.register_handler(QStringLiteral("ASP"), [this] { on_reply_ASP(); });
}

void Resolution::cbo_output_Click() {
    if (!c_.st.cmd_enable) return;
    const int k = output_->currentIndex();
    if (k < 0) return;

    if (c_.st.cur_mode != DisplayMode::matrix && is_1080i(k)) {
        // Refused: ask the device what it shows so its answer puts the list back.
        HoldCommands hold(c_.st);
        c_.link.tx_cmd(QStringLiteral("RES999"));
        c_.platform.message(QStringLiteral("1080i50/60 are not supported for Dual PoP, TV Wall, Dual PiP, Quad"),
                            MsgIcon::Exclamation);
        return;
    }

    output_->setEnabled(false);
    c_.link.tx_cmd(QStringLiteral("RES") + Link::Pad3(k + 1));
    if (c_.st.cur_mode == DisplayMode::matrix) {
        // In Matrix an interlaced output rules out the other four modes.
        const bool allow_other_modes = !is_1080i(k);
        for (int i = 2; i <= 5; ++i) mode_buttons_[i - 1]->setEnabled(allow_other_modes);
    }
    output_->setEnabled(true);
}

void Resolution::cbo_aspect_Click() {
    if (!c_.st.cmd_enable) return;
    const int k = aspect_->currentIndex();
    if (k < 0) return;
    aspect_->setEnabled(false);
    c_.link.tx_cmd(QStringLiteral("ASP") + Link::Pad3(k));
    aspect_->setEnabled(true);
}

void Resolution::select_reported(QComboBox* list, int position) {
    HoldCommands hold(c_.st);
    // A number that names no entry clears the selection rather than leaving an
    // older, now wrong, entry on show.
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
    c_.platform.pump();
}

void Resolution::on_reply_RES() {
    const QString r = c_.link.reply();
    const int number = leading_number(r.right(2));
    select_reported(output_, number - 1);
}

void Resolution::on_reply_ASP() {
    const QString r = c_.link.reply();
    select_reported(aspect_, last_digit(r));
}

}  // namespace tavrin
