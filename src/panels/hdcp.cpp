#include "panels/hdcp.h"

namespace tavrin {

Hdcp::Hdcp(Context& c) : c_(c) {}

Hdcp::~Hdcp() = default;

void Hdcp::cmd_hdcp_Click() { }

void Hdcp::hdcp_in_out_set(const QString& hdcp_str) { Q_UNUSED(hdcp_str); }

void Hdcp::hdcp_refresh() { }

void Hdcp::on_reply_HPI() { }

void Hdcp::on_reply_HPO() { }

void Hdcp::close_window() { }


}  // namespace tavrin
