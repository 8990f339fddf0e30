#include "routing/display_modes.h"

#include "device_controls/picture.h"
#include "link/query_chain.h"
#include "link/reply_text.h"
#include "routing/routing_map.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

namespace tavrin {

namespace {
const char* const kPicGroups[] = {"con", "bri", "sat", "hue"};
}  // namespace

DisplayModes::DisplayModes(Context& c, RoutingMap& map, Picture& picture) : c_(c), map_(map), picture_(picture) {
    c_.link.register_handler(QStringLiteral("MOD"), [this] { on_reply_MOD(); });
    for (int i = 1; i <= 5; ++i) {
        ColorButton* b = mode_button(i);
        QObject::connect(b, &QPushButton::clicked, b, [this, i] { cmd_mode_Click(i); });
    }
}

ColorButton* DisplayModes::mode_button(int index) const {
    return c_.w.ctl_at<ColorButton>(QStringLiteral("cmd_mode"), index);
}

bool DisplayModes::mode_locked(int index) const {
    ColorButton* b = mode_button(index);
    return !b->isEnabledTo(b->parentWidget());
}

void DisplayModes::cmd_mode_Click(int index) {
    if (index < 1 || index > 5) return;
    Link& link = c_.link;
    // No second mode change can start inside this chain.
    for (int i = 1; i <= 5; ++i) {
        mode_button(i)->set_back_color(colors::neutral);
        mode_button(i)->setEnabled(false);
    }
    // Nothing is shown as selected while the mode changes.
    for (int i = 1; i <= 4; ++i) {
        c_.w.ctl_at<ColorButton>(QStringLiteral("cmd_out"), i)->set_back_color(colors::neutral);
        c_.w.ctl_at<ColorButton>(QStringLiteral("cmd_recall"), i)->set_back_color(colors::neutral);
        c_.w.ctl_at<ColorButton>(QStringLiteral("cmd_save"), i)->set_back_color(colors::neutral);
    }
    link.tx_cmd(QStringLiteral("MOD") + Link::Pad3(index));

    // The device takes a while to switch; a late MOD reply still counts.
    for (int n = 0; n < 10 && !link.reply_done; ++n) link.Delay(0.5f);

    if (link.reply_done) {
        if (index == DisplayMode::tv_wall) {
            send_queries(link, {QStringLiteral("OUT001"), QStringLiteral("INP999")});
        } else {
            map_.map_refresh();
        }
        if (link.reply_done) picture_.cmd_pic_refresh_Click();
        if (link.reply_done) link.tx_cmd(QStringLiteral("ASP999"));
    }
    if (index != DisplayMode::tv_wall && c_.st.cur_output >= 1 && c_.st.cur_output <= 4)
        c_.w.ctl_at<ColorButton>(QStringLiteral("cmd_out"), c_.st.cur_output)->set_back_color(colors::selected);
    for (int i = 1; i <= 5; ++i) mode_button(i)->setEnabled(true);
}

void DisplayModes::set_picture_captions(const char* const captions[4]) {
    for (const char* g : kPicGroups)
        for (int i = 1; i <= 4; ++i)
            c_.w.ctl_at<QLabel>(QStringLiteral("lab_") + QLatin1String(g), i)->setText(QLatin1String(captions[i - 1]));
}

void DisplayModes::on_reply_MOD() {
    const int digit = last_digit(c_.link.reply());
    // A digit that names no mode leaves the panel as it is.
    if (digit < 1 || digit > 5) return;
    PanelState& st = c_.st;
    ControlWindow& w = c_.w;
    st.cur_mode = int16_t(digit);
    for (int i = 1; i <= 5; ++i) mode_button(i)->set_back_color(colors::neutral);
    mode_button(digit)->set_back_color(colors::selected);

    auto* dual_a = w.ctl<QGroupBox>(QStringLiteral("fra_dual_a"));
    auto* dual_b = w.ctl<QGroupBox>(QStringLiteral("fra_dual_b"));
    auto* quad = w.ctl<QGroupBox>(QStringLiteral("fra_quad"));
    auto* bezel = w.ctl<QGroupBox>(QStringLiteral("fra_bezel"));
    for (QGroupBox* f : {dual_a, dual_b, quad, bezel}) f->setEnabled(false);

    // The map is rebuilt by the INP replies that follow.
    for (int col = 1; col <= 4; ++col)
        for (int i = 1; i <= 4; ++i) map_.paint_cell(col, i, colors::neutral);

    const bool on = st.pwr_state == 1;
    auto out_captions = [&](const char* const caps[4]) {
        for (int i = 1; i <= 4; ++i)
            w.ctl_at<ColorButton>(QStringLiteral("cmd_out"), i)->setText(QLatin1String(caps[i - 1]));
    };
    auto show_dual = [&](bool dual) {
        dual_a->setVisible(dual);
        dual_b->setVisible(dual);
        quad->setVisible(!dual);
    };
    auto dual_options = [&](const char* first, const char* second) {
        for (const char* name : {"opt_da", "opt_db"}) {
            w.ctl_at<QRadioButton>(QLatin1String(name), 1)->setText(QLatin1String(first));
            w.ctl_at<QRadioButton>(QLatin1String(name), 2)->setText(QLatin1String(second));
        }
        dual_a->setEnabled(true);
        dual_b->setEnabled(true);
    };

    switch (digit) {
    case 1: {
        static const char* const outs[4] = {"A", "B", "C", "D"};
        static const char* const pics[4] = {"ALL", "", "", ""};
        out_captions(outs);
        set_picture_captions(pics);
        for (const char* g : kPicGroups) {
            for (int i = 2; i <= 4; ++i) {
                w.ctl_at<QLineEdit>(QStringLiteral("txt_") + QLatin1String(g), i)->setText(QString());
                w.ctl_at<VbSlider>(QStringLiteral("hsr_") + QLatin1String(g), i)->setEnabled(false);
            }
        }
        break;
    }
    case 2: {
        static const char* const caps[4] = {"AL", "AR", "BL", "BR"};
        st.dual_kind = 1;
        out_captions(caps);
        show_dual(true);
        if (on) dual_options("Left", "Right");
        set_picture_captions(caps);
        break;
    }
    case 3: {
        static const char* const pics[4] = {"Out A", "Out B", "Out C", "Out D"};
        for (int i = 1; i <= 4; ++i) {
            auto* b = w.ctl_at<ColorButton>(QStringLiteral("cmd_out"), i);
            b->set_back_color(colors::neutral);
            b->setText(QString());
        }
        w.ctl_at<ColorButton>(QStringLiteral("cmd_out"), 1)->setText(QStringLiteral("Wall"));
        if (on) bezel->setEnabled(true);
        set_picture_captions(pics);
        break;
    }
    case 4: {
        static const char* const caps[4] = {"AM", "AS", "BM", "BS"};
        st.cur_mode = 2;
        st.dual_kind = 2;
        out_captions(caps);
        show_dual(true);
        if (on) dual_options("Main", "Sub");
        set_picture_captions(caps);
        break;
    }
    case 5: {
        static const char* const caps[4] = {"Q1", "Q2", "Q3", "Q4"};
        out_captions(caps);
        show_dual(false);
        if (on) quad->setEnabled(true);
        set_picture_captions(caps);
        break;
    }
    }

    if (st.cur_mode == 2 || st.cur_mode == 3 || st.cur_mode == 5) {
        for (const char* g : kPicGroups)
            for (int i = 2; i <= 4; ++i) w.ctl_at<VbSlider>(QStringLiteral("hsr_") + QLatin1String(g), i)->setEnabled(true);
    }
    const bool pip = st.cur_mode == 2 && st.dual_kind == 2;
    w.control(QStringLiteral("lab_pip"))->setVisible(pip);
    w.control(QStringLiteral("sha_pip"))->setVisible(pip);
}

}  // namespace tavrin
