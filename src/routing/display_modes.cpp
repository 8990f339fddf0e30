#include "routing/display_modes.h"

namespace tavrin {

DisplayModes::DisplayModes(Context& c, RoutingMap& map, Picture& picture) : c_(c), map_(map), picture_(picture) {}

void DisplayModes::cmd_mode_Click(int index) { Q_UNUSED(index); }

void DisplayModes::on_reply_MOD() { }


}  // namespace tavrin
