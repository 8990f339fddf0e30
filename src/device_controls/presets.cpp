#include "device_controls/presets.h"

namespace tavrin {

Presets::Presets(Context& c, Startup& startup, RoutingMap& map, Picture& picture) : c_(c), startup_(startup), map_(map), picture_(picture) {}

void Presets::cmd_recall_Click(int index) { Q_UNUSED(index); }

void Presets::cmd_save_Click(int index) { Q_UNUSED(index); }

void Presets::cmd_refresh_Click() { }

void Presets::on_reply_CAL() { }

void Presets::on_reply_SAV() { }


}  // namespace tavrin
