#include "device_controls/bezel.h"

namespace tavrin {

Bezel::Bezel(Context& c) : c_(c) {}

void Bezel::hsr_bezel_h_Change() { }

void Bezel::hsr_bezel_v_Change() { }

void Bezel::opt_bezel_onoff_Click(int index) { Q_UNUSED(index); }

void Bezel::on_reply_BEH() { }

void Bezel::on_reply_BEV() { }

void Bezel::on_reply_BEZ() { }


}  // namespace tavrin
