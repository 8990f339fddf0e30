#include "routing/resolution.h"

namespace tavrin {

Resolution::Resolution(Context& c) : c_(c) {}

void Resolution::cbo_output_Click() { }

void Resolution::cbo_aspect_Click() { }

void Resolution::on_reply_RES() { }

void Resolution::on_reply_ASP() { }


}  // namespace tavrin
