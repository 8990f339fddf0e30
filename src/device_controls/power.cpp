#include "device_controls/power.h"

namespace tavrin {

Power::Power(Context& c, Picture& picture) : c_(c), picture_(picture) {}

void Power::cmd_pwr_Click() { }

void Power::on_reply_PWR() { }

void Power::cmd_lock_Click() { }

void Power::on_reply_LCK() { }

void Power::cmd_menu_menu_Click() { }

void Power::cmd_menu_exit_Click() { }

void Power::cmd_menu_ok_Click() { }

void Power::cmd_menu_up_Click() { }

void Power::cmd_menu_down_Click() { }

void Power::cmd_menu_left_Click() { }

void Power::cmd_menu_right_Click() { }

void Power::cmd_fact_reset_Click() { }

void Power::on_reply_RST() { }

void Power::on_reply_VER() { }

void Power::on_reply_VR2() { }


}  // namespace tavrin
