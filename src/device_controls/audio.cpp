#include "device_controls/audio.h"

#include "device_controls/on_off.h"
#include "link/reply_text.h"

#include <QRadioButton>

namespace tavrin {

Audio::Audio(Context& c) : c_(c) {
    ControlWindow& w = c.w;
    groups_ = {{
        {QStringLiteral("opt_audio"), QStringLiteral("AUE"), 0, 4},
        {QStringLiteral("opt_da"), QStringLiteral("AUA"), 1, 2},
        {QStringLiteral("opt_db"), QStringLiteral("AUB"), 1, 2},
        {QStringLiteral("opt_quad"), QStringLiteral("AUQ"), 1, 4},
    }};
    // Each group's options report through the group's own click routine.
    using Click = void (Audio::*)(int);
    const Click click[] = {&Audio::opt_audio_Click, &Audio::opt_da_Click, &Audio::opt_db_Click,
                           &Audio::opt_quad_Click};
    for (int g = 0; g < int(groups_.size()); ++g) {
        Group& grp = groups_[g];
        for (int i = grp.first; i <= grp.last; ++i) {
            auto* opt = w.ctl_at<QRadioButton>(grp.control, i);
            QObject::connect(opt, &QRadioButton::clicked, opt, [this, f = click[g], i] { (this->*f)(i); });
        }
    }
    mute_ = w.ctl<ColorButton>(QStringLiteral("cmd_mute"));
    QObject::connect(mute_, &QPushButton::clicked, mute_, [this] { cmd_mute_Click(); });

    Link& link = c.link;
    link.register_handler(QStringLiteral("AUE"), [this] { on_reply_AUE(); });
    link.register_handler(QStringLiteral("AUA"), [this] { on_reply_AUA(); });
    link.register_handler(QStringLiteral("AUB"), [this] { on_reply_AUB(); });
    link.register_handler(QStringLiteral("AUQ"), [this] { on_reply_AUQ(); });
    link.register_handler(QStringLiteral("AUD"), [this] { on_reply_AUD(); });
}

void Audio::option_click(int group, int index) {
    if (!c_.st.cmd_enable) return;
    c_.link.tx_cmd(groups_[group].code + Link::Pad3(index));
}

void Audio::option_reply(int group) {
    const QString r = c_.link.reply();
    const Group& grp = groups_[group];
    const int d = last_digit(r);
    HoldCommands hold(c_.st);
    // A digit that names no option of the group is ignored.
    if (d >= grp.first && d <= grp.last) c_.w.ctl_at<QRadioButton>(grp.control, d)->setChecked(true);
    c_.platform.pump();
}

void Audio::opt_audio_Click(int index) { option_click(0, index); }
void Audio::opt_da_Click(int index) { option_click(1, index); }
void Audio::opt_db_Click(int index) { option_click(2, index); }
void Audio::opt_quad_Click(int index) { option_click(3, index); }

void Audio::cmd_mute_Click() { ask_opposite(c_.link, c_.st.audio_state, QStringLiteral("AUD")); }

void Audio::on_reply_AUE() { option_reply(0); }
void Audio::on_reply_AUA() { option_reply(1); }
void Audio::on_reply_AUB() { option_reply(2); }
void Audio::on_reply_AUQ() { option_reply(3); }

void Audio::on_reply_AUD() {
    const QString r = c_.link.reply();
    c_.st.audio_state = int16_t(last_digit(r));
    mute_->load_picture_file(c_.w.bitmap_path(c_.st.audio_state != 0 ? QStringLiteral("speaker_on.bmp")
                                                                     : QStringLiteral("speaker_off.bmp")));
}

}  // namespace tavrin
