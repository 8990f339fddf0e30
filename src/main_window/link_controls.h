#pragma once
// The "Control Interface" frame: choice of link, the serial port and the
// Ethernet connection with its watchdog; and Get IP, which asks the device
// for its Ethernet address over the serial link.

#include "context/context.h"

#include <memory>

namespace tavrin {

class LinkControls {
public:
    explicit LinkControls(Context& c);
    // serial
    void set_comm();
    void cbo_com_Click();
    void cmd_conn_Click();
    void cmd_disconn_Click();
    // The open port went away: closed as by Disconnect, and said once.
    void serial_lost(const QString& cause);
    // interface choice and Ethernet
    void opt_interface_Click(int index);
    void cmd_conn_eth_Click();
    void wsk_client_Connect();
    void tim_eth_Timer();
    void cmd_disconn_eth_Click();
    void on_reply_EXT();
    // The established connection failed: the same end as a lost connection.
    void wsk_client_Error();
    // Get IP: address, mask and gateway into their boxes.
    void cmd_get_ip_Click();

    int16_t com_port_no = 1;
    Timer& tim_eth() { return *tim_eth_; }

private:
    void eth_lost();

    Context& c_;
    std::unique_ptr<Timer> tim_eth_;
};

}  // namespace tavrin
