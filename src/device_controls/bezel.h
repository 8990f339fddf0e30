#pragma once
// Bezel correction for the video wall.

#include "context/context.h"

#include <array>

class QLineEdit;
class QRadioButton;

namespace tavrin {

class Bezel {
public:
    explicit Bezel(Context& c);
    void hsr_bezel_h_Change();
    void hsr_bezel_v_Change();
    void opt_bezel_onoff_Click(int index);
    void on_reply_BEH();
    void on_reply_BEV();
    void on_reply_BEZ();

private:
    // One direction: its slider, value box and command code.
    struct Axis {
        ScrollSlider* slider = nullptr;
        QLineEdit* box = nullptr;
        QString code;
    };
    void slider_change(Axis& a);
    void value_reply(Axis& a);

    Context& c_;
    Axis h_;
    Axis v_;
    std::array<QRadioButton*, 2> onoff_{};
};

}  // namespace tavrin
