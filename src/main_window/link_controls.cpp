#include "main_window/link_controls.h"

namespace tavrin {

LinkControls::LinkControls(Context& c) : c_(c) { tim_eth_ = c.platform.make_timer(); }

void LinkControls::set_comm() { }

void LinkControls::cbo_com_Click() { }

void LinkControls::cmd_conn_Click() { }

void LinkControls::cmd_disconn_Click() { }

void LinkControls::opt_interface_Click(int index) { Q_UNUSED(index); }

void LinkControls::cmd_conn_eth_Click() { }

void LinkControls::wsk_client_Connect() { }

void LinkControls::tim_eth_Timer() { }

void LinkControls::cmd_disconn_eth_Click() { }

void LinkControls::on_reply_EXT() { }


}  // namespace tavrin
