#include "routing/routing_map.h"

namespace tavrin {

RoutingMap::RoutingMap(Context& c) : c_(c) {}

void RoutingMap::cmd_out_Click(int index) { Q_UNUSED(index); }

void RoutingMap::lab_out_a_in_Click(int index) { Q_UNUSED(index); }

void RoutingMap::lab_out_b_in_Click(int index) { Q_UNUSED(index); }

void RoutingMap::lab_out_c_in_Click(int index) { Q_UNUSED(index); }

void RoutingMap::lab_out_d_in_Click(int index) { Q_UNUSED(index); }

void RoutingMap::lab_out_in_Click(int column, int index) { Q_UNUSED(column); Q_UNUSED(index); }

void RoutingMap::map_refresh() { }

void RoutingMap::map_show_output(int column) { Q_UNUSED(column); }

void RoutingMap::on_reply_OUT() { }

void RoutingMap::on_reply_INP() { }


}  // namespace tavrin
