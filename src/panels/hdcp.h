#pragma once
// The "HDCP" window and the main-window routines and replies that serve it.

#include "main_window/context.h"

namespace tavrin {

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

private:
    Context& c_;
};

}  // namespace tavrin
