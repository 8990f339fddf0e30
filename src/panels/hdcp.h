#pragma once
// The "HDCP" window and the main-window routines and replies that serve it.

#include "context/context.h"
#include "panels/panel_window.h"

namespace tavrin {

class FrmHdcp;

class Hdcp {
public:
    explicit Hdcp(Context& c);
    ~Hdcp();
    void cmd_hdcp_Click();
    void hdcp_in_out_set(const QString& hdcp_str);
    void hdcp_refresh();
    void on_reply_HPI();
    void on_reply_HPO();
    void close_window();

    // The open window, or null while closed.
    FrmHdcp* window() const;

private:
    void on_reply(bool input);
    Context& c_;
    WindowSlot<FrmHdcp> win_;
};

}  // namespace tavrin
