#include "device_controls/presets.h"

#include "device_controls/picture.h"
#include "device_controls/power.h"
#include "link/reply_text.h"

namespace tavrin {

Presets::Presets(Context& c, Power& power, Picture& picture, std::function<void()> read_map)
    : c_(c), power_(power), picture_(picture), read_map_(std::move(read_map)) {
    ControlWindow& w = c.w;
    for (int i = 1; i <= 4; ++i) {
        recall_[i - 1] = w.ctl_at<ColorButton>(QStringLiteral("cmd_recall"), i);
        save_[i - 1] = w.ctl_at<ColorButton>(QStringLiteral("cmd_save"), i);
        QObject::connect(recall_[i - 1], &QPushButton::clicked, recall_[i - 1], [this, i] { cmd_recall_Click(i); });
        QObject::connect(save_[i - 1], &QPushButton::clicked, save_[i - 1], [this, i] { cmd_save_Click(i); });
    }
    refresh_ = w.ctl<ColorButton>(QStringLiteral("cmd_refresh"));
    QObject::connect(refresh_, &QPushButton::clicked, refresh_, [this] { cmd_refresh_Click(); });

    c.link.register_handler(QStringLiteral("CAL"), [this] { on_reply_CAL(); });
    c.link.register_handler(QStringLiteral("SAV"), [this] { on_reply_SAV(); });
}

bool Presets::send_and_settle(Row& row, const QString& code, int index) {
    for (ColorButton* b : row) {
        b->set_back_color(colors::neutral);
        b->setEnabled(false);
    }
    c_.link.tx_cmd(code + Link::Pad3(index));
    // The device may take a while to apply a preset; a late answer still
    // arrives (unsolicited) and sets reply_done.
    for (int waited = 0; waited < 10 && !c_.link.reply_done(); ++waited) c_.link.Delay(0.5f);
    return c_.link.reply_done();
}

void Presets::cmd_recall_Click(int index) {
    if (send_and_settle(recall_, QStringLiteral("CAL"), index)) read_map_();
    for (ColorButton* b : recall_) b->setEnabled(true);
}

void Presets::cmd_save_Click(int index) {
    send_and_settle(save_, QStringLiteral("SAV"), index);
    for (ColorButton* b : save_) b->setEnabled(true);
}

void Presets::mark(Row& row) {
    const int n = last_digit(c_.link.reply());
    if (n < 1 || n > 4) return;  // names no preset
    for (ColorButton* b : row) b->set_back_color(colors::neutral);
    row[n - 1]->set_back_color(colors::selected);
}

void Presets::on_reply_CAL() { mark(recall_); }
void Presets::on_reply_SAV() { mark(save_); }

void Presets::cmd_refresh_Click() {
    ControlWindow& w = c_.w;
    Link& link = c_.link;
    refresh_->setEnabled(false);
    refresh_->set_back_color(colors::in_progress);

    w.control(QStringLiteral("img_start"))->hide();
    for (const char* name : {"cmd_keypad", "lab_lab_input", "sha_lab_in"}) w.control(QLatin1String(name))->show();

    power_.cmd_ver_Click();

    // Values before limits; the power state before the mode (whose reply
    // narrows the frames power enabled); everything after MOD with the mode
    // just reported.
    static const char* const queries[] = {"AUA999", "AUB999", "AUD999", "AUE999", "AUQ999", "BEH999",
                                          "BEV999", "BEZ999", "BEH998", "BEV998", "LCK999", "PWR999",
                                          "RES999", "MOD999", "OUT999", "INP999", "ASP999"};
    bool complete = link.reply_done();
    for (const char* q : queries) {
        if (!complete) break;
        const QString query = QLatin1String(q);
        if (query == QLatin1String("OUT999") && c_.st.cur_mode == DisplayMode::tv_wall) continue;  // one output
        if (query == QLatin1String("BEH998") || query == QLatin1String("BEV998")) c_.st.bezel_max_query = true;
        link.tx_cmd(query);
        // A limit query that went unanswered (or was answered out of range)
        // must not turn the next ordinary BEH/BEV echo into a new limit.
        if (query == QLatin1String("BEH998") || query == QLatin1String("BEV998")) c_.st.bezel_max_query = false;
        complete = link.reply_done() || query == QLatin1String("ASP999");
    }
    if (complete) {
        read_map_();
        if (c_.st.advanced_view) picture_.cmd_pic_refresh_Click();
    }

    refresh_->set_back_color(colors::neutral);
    refresh_->setEnabled(true);
}

}  // namespace tavrin
