#pragma once
// Bezel correction for the video wall.

#include "main_window/context.h"

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
    Context& c_;
};

}  // namespace tavrin
