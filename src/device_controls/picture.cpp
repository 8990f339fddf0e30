#include "device_controls/picture.h"

namespace tavrin {

Picture::Picture(Context& c) : c_(c) {}

void Picture::hsr_bri_Change(int index) { Q_UNUSED(index); }

void Picture::hsr_con_Change(int index) { Q_UNUSED(index); }

void Picture::hsr_hue_Change(int index) { Q_UNUSED(index); }

void Picture::hsr_sat_Change(int index) { Q_UNUSED(index); }

void Picture::on_reply_BRI() { }

void Picture::on_reply_CON() { }

void Picture::on_reply_HUE() { }

void Picture::on_reply_SAT() { }

void Picture::cmd_pic_refresh_Click() { }

void Picture::cmd_pic_reset_Click() { }

void Picture::picture_reset() { }


}  // namespace tavrin
