#include "device_controls/picture.h"

#include "link/query_chain.h"
#include "link/reply_text.h"

#include <QLineEdit>
#include <QPushButton>

namespace tavrin {

namespace {

struct GroupDef {
    const char* code;  // on the wire
    const char* name;  // control suffix: hsr_<name>(i), txt_<name>(i)
};
constexpr GroupDef kGroups[] = {{"BRI", "bri"}, {"CON", "con"}, {"HUE", "hue"}, {"SAT", "sat"}};

}  // namespace

Picture::Picture(Context& c) : c_(c) {
    c_.link.register_handler(QStringLiteral("BRI"), [this] { on_reply_BRI(); });
    c_.link.register_handler(QStringLiteral("CON"), [this] { on_reply_CON(); });
    c_.link.register_handler(QStringLiteral("HUE"), [this] { on_reply_HUE(); });
    c_.link.register_handler(QStringLiteral("SAT"), [this] { on_reply_SAT(); });

    // Each group's sliders report through the group's own change routine.
    using Change = void (Picture::*)(int);
    const Change change[] = {&Picture::hsr_bri_Change, &Picture::hsr_con_Change, &Picture::hsr_hue_Change,
                             &Picture::hsr_sat_Change};
    for (int g = Bri; g <= Sat; ++g) {
        for (int i = 1; i <= 4; ++i) {
            ScrollSlider* s = slider(Group(g), i);
            QObject::connect(s, &ScrollSlider::change, s, [this, f = change[g], i] { (this->*f)(i); });
            boxes_[g * 4 + i - 1] = value_box(Group(g), i);
            sliders_[g * 4 + i - 1] = s;
        }
    }
    auto* refresh = c_.w.ctl<QPushButton>(QStringLiteral("cmd_pic_refresh"));
    QObject::connect(refresh, &QPushButton::clicked, refresh, [this] { cmd_pic_refresh_Click(); });
    auto* reset = c_.w.ctl<QPushButton>(QStringLiteral("cmd_pic_reset"));
    QObject::connect(reset, &QPushButton::clicked, reset, [this] { cmd_pic_reset_Click(); });
}

ScrollSlider* Picture::slider(Group g, int row) const {
    if (row >= 1 && row <= 4 && sliders_[g * 4 + row - 1]) return sliders_[g * 4 + row - 1];
    return c_.w.ctl_at<ScrollSlider>(QStringLiteral("hsr_") + QLatin1String(kGroups[g].name), row);
}

QLineEdit* Picture::value_box(Group g, int row) const {
    if (row >= 1 && row <= 4 && boxes_[g * 4 + row - 1]) return boxes_[g * 4 + row - 1];
    return c_.w.ctl_at<QLineEdit>(QStringLiteral("txt_") + QLatin1String(kGroups[g].name), row);
}

void Picture::hsr_bri_Change(int index) { slider_change(Bri, index); }
void Picture::hsr_con_Change(int index) { slider_change(Con, index); }
void Picture::hsr_hue_Change(int index) { slider_change(Hue, index); }
void Picture::hsr_sat_Change(int index) { slider_change(Sat, index); }

void Picture::slider_change(Group g, int index) {
    if (!c_.st.cmd_enable) return;
    const int mode = c_.st.cur_mode;
    if (mode != DisplayMode::matrix && !DisplayMode::has_picture_rows(mode)) return;
    if (index < 1 || index > 4) return;
    if (c_.link.link_up() && c_.link.awaiting_reply()) {
        // Another exchange waits, so the command would be dropped: show again
        // what the device still holds.
        slider(g, index)->undo_change();
        return;
    }
    const int v = slider(g, index)->value();
    value_box(g, index)->setText(QString::number(v));
    const int p = mode == DisplayMode::matrix ? v : (index - 1) * 200 + v;
    c_.link.tx_cmd_nowait(QLatin1String(kGroups[g].code) + Link::Pad3(p));
}

void Picture::on_reply_BRI() { on_reply(Bri); }
void Picture::on_reply_CON() { on_reply(Con); }
void Picture::on_reply_HUE() { on_reply(Hue); }
void Picture::on_reply_SAT() { on_reply(Sat); }

void Picture::on_reply(Group g) {
    const QString reply = c_.link.reply();
    const int p = rounded_number(reply.right(3));
    HoldCommands hold(c_.st);
    int row = 0;
    int v = 0;
    if (c_.st.cur_mode == DisplayMode::matrix) {
        row = 1;
        v = p;
    } else if (DisplayMode::has_picture_rows(c_.st.cur_mode) && p >= 0) {
        row = p / 200 + 1;
        v = p - 200 * (p / 200);
    }
    // A value no slider can take (above 100, or a row past the fourth) is
    // ignored rather than clamped: showing a value the device did not report
    // would be worse than keeping the last one.
    if (row >= 1 && row <= 4 && v >= 0 && v <= 100) {
        value_box(g, row)->setText(QLatin1Char(' ') + QString::number(v));
        slider(g, row)->setValue(v);
    }
    // The slider's change event runs with cmd_enable false and sends nothing.
    c_.platform.pump();
}

void Picture::cmd_pic_refresh_Click() {
    const int mode = c_.st.cur_mode;
    QStringList queries;
    if (mode == DisplayMode::matrix) {
        for (int g = Bri; g <= Sat; ++g) queries << QLatin1String(kGroups[g].code) + QStringLiteral("999");
    } else if (DisplayMode::has_picture_rows(mode)) {
        for (int n = 1; n <= 4; ++n)
            for (int g = Bri; g <= Sat; ++g)
                queries << QLatin1String(kGroups[g].code) + QStringLiteral("99") + QString::number(n);
    }
    // An unanswered saturation query does not end the refresh.
    send_queries(c_.link, queries, [](const QString& q) { return q.startsWith(QLatin1String(kGroups[Sat].code)); });
}

void Picture::cmd_pic_reset_Click() { c_.link.tx_cmd(QStringLiteral("RST002")); }

void Picture::picture_reset() {
    HoldCommands hold(c_.st);
    const int rows = c_.st.cur_mode == DisplayMode::matrix ? 1 : 4;
    for (int i = 1; i <= rows; ++i) {
        for (int g = Bri; g <= Sat; ++g) value_box(Group(g), i)->setText(QStringLiteral("50"));
        for (int g = Bri; g <= Sat; ++g) slider(Group(g), i)->setValue(50);
    }
    c_.platform.pump();
}

}  // namespace tavrin
