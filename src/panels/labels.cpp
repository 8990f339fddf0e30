#include "panels/labels.h"

namespace tavrin {

Labels::Labels(Context& c) : c_(c) {}

Labels::~Labels() = default;

void Labels::lab_lab_input_Click() { }

void Labels::label_in_set(const QString& lab_in_str) { Q_UNUSED(lab_in_str); }

void Labels::label_in_refresh() { }

void Labels::on_reply_LAB() { }

void Labels::on_reply_LAI() { }

void Labels::close_window() { }


}  // namespace tavrin
