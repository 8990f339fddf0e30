#include "routing/display_modes.h"

#include "device_controls/picture.h"
#include "link/query_chain.h"
#include "link/reply_text.h"
#include "routing/routing_map.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <algorithm>

namespace tavrin {

namespace {

const char* const kPicGroups[] = {"con", "bri", "sat", "hue"};

// How the window shows each mode the device reports, MOD 1 to 5.
const DisplayModes::ModeLook kLooks[5] = {
    {DisplayMode::matrix, 0, {"A", "B", "C", "D"}, {"ALL", "", "", ""},
     DisplayModes::AudioFrames::unchanged, {}, {}},
    {DisplayMode::dual, DualKind::pop, {"AL", "AR", "BL", "BR"}, {"AL", "AR", "BL", "BR"},
     DisplayModes::AudioFrames::dual, {"Left", "Right"}, {"fra_dual_a", "fra_dual_b"}},
    {DisplayMode::tv_wall, 0, {"Wall", "", "", ""}, {"Out A", "Out B", "Out C", "Out D"},
     DisplayModes::AudioFrames::unchanged, {}, {"fra_bezel"}},
    {DisplayMode::dual, DualKind::pip, {"AM", "AS", "BM", "BS"}, {"AM", "AS", "BM", "BS"},
     DisplayModes::AudioFrames::dual, {"Main", "Sub"}, {"fra_dual_a", "fra_dual_b"}},
    {DisplayMode::quad, 0, {"Q1", "Q2", "Q3", "Q4"}, {"Q1", "Q2", "Q3", "Q4"},
     DisplayModes::AudioFrames::quad, {}, {"fra_quad"}},
};

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
    for (int n = 0; n < 10 && !link.reply_done(); ++n) link.Delay(0.5f);

    if (link.reply_done()) {
        if (index == DisplayMode::tv_wall) {
            send_queries(link, {QStringLiteral("OUT001"), QStringLiteral("INP999")});
        } else {
            map_.map_refresh();
        }
        if (link.reply_done()) picture_.cmd_pic_refresh_Click();
        if (link.reply_done()) link.tx_cmd(QStringLiteral("ASP999"));
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
    const ModeLook& look = kLooks[digit - 1];
    PanelState& st = c_.st;
    st.cur_mode = look.cur_mode;
    if (look.dual_kind != 0) st.dual_kind = look.dual_kind;
    // Each control goes straight to its new state: turning one off and on
    // again costs a repaint of it and of everything in it.
    for (int i = 1; i <= 5; ++i) mode_button(i)->set_back_color(i == digit ? colors::selected : colors::neutral);

    for (const char* f : {"fra_dual_a", "fra_dual_b", "fra_quad", "fra_bezel"}) {
        // In standby the frames stay off until the device reports power.
        const bool on = st.pwr_state == 1 && std::any_of(std::begin(look.frames_on), std::end(look.frames_on),
                                                         [f](const char* g) { return g && qstrcmp(f, g) == 0; });
        c_.w.control(QLatin1String(f))->setEnabled(on);
    }
    // The map is rebuilt by the INP replies that follow.
    for (int col = 1; col <= 4; ++col)
        for (int i = 1; i <= 4; ++i) map_.paint_cell(col, i, colors::neutral);

    show_outputs(look);
    show_audio_frames(look);
    set_picture_captions(look.rows);
    show_picture_rows(DisplayMode::has_picture_rows(st.cur_mode));
    const bool pip = st.cur_mode == DisplayMode::dual && st.dual_kind == DualKind::pip;
    c_.w.control(QStringLiteral("lab_pip"))->setVisible(pip);
    c_.w.control(QStringLiteral("sha_pip"))->setVisible(pip);
}

void DisplayModes::show_outputs(const ModeLook& look) {
    for (int i = 1; i <= 4; ++i) {
        auto* b = c_.w.ctl_at<ColorButton>(QStringLiteral("cmd_out"), i);
        // The wall's one output is never shown as selected.
        if (look.cur_mode == DisplayMode::tv_wall) b->set_back_color(colors::neutral);
        b->setText(QLatin1String(look.outputs[i - 1]));
    }
}

void DisplayModes::show_audio_frames(const ModeLook& look) {
    if (look.audio == AudioFrames::unchanged) return;
    const bool dual = look.audio == AudioFrames::dual;
    c_.w.control(QStringLiteral("fra_dual_a"))->setVisible(dual);
    c_.w.control(QStringLiteral("fra_dual_b"))->setVisible(dual);
    c_.w.control(QStringLiteral("fra_quad"))->setVisible(!dual);
    if (!dual || c_.st.pwr_state != 1) return;
    for (const char* name : {"opt_da", "opt_db"}) {
        c_.w.ctl_at<QRadioButton>(QLatin1String(name), 1)->setText(QLatin1String(look.options[0]));
        c_.w.ctl_at<QRadioButton>(QLatin1String(name), 2)->setText(QLatin1String(look.options[1]));
    }
}

void DisplayModes::show_picture_rows(bool per_output) {
    // Matrix sets all outputs alike from the first row; the others are blank
    // and locked.
    for (const char* g : kPicGroups) {
        for (int i = 2; i <= 4; ++i) {
            if (!per_output) c_.w.ctl_at<QLineEdit>(QStringLiteral("txt_") + QLatin1String(g), i)->setText(QString());
            c_.w.ctl_at<ScrollSlider>(QStringLiteral("hsr_") + QLatin1String(g), i)->setEnabled(per_output);
        }
    }
}

}  // namespace tavrin
