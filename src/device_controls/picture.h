#pragma once
// Brightness, contrast, hue and saturation: four groups of four rows.

#include "context/context.h"

#include <array>

class QLineEdit;

namespace tavrin {

class Picture {
public:
    explicit Picture(Context& c);
    void hsr_bri_Change(int index);
    void hsr_con_Change(int index);
    void hsr_hue_Change(int index);
    void hsr_sat_Change(int index);
    void on_reply_BRI();
    void on_reply_CON();
    void on_reply_HUE();
    void on_reply_SAT();
    void cmd_pic_refresh_Click();
    void cmd_pic_reset_Click();
    // The reset the device's "RST..2" answer triggers.
    void picture_reset();

    // The groups in the order the refresh asks them: brightness, contrast,
    // hue, saturation.
    enum Group { Bri = 0, Con = 1, Hue = 2, Sat = 3 };

private:
    void slider_change(Group g, int index);
    void on_reply(Group g);
    ScrollSlider* slider(Group g, int row) const;
    QLineEdit* value_box(Group g, int row) const;

    Context& c_;
    // Looked up once: every reply of a refresh reaches for them.
    std::array<ScrollSlider*, 16> sliders_{};
    std::array<QLineEdit*, 16> boxes_{};
};

}  // namespace tavrin
