#include "main_window/startup.h"

namespace tavrin {

Startup::Startup(Context& c, LinkControls& links) : c_(c), links_(links) {}

void Startup::Form_Load() { }

void Startup::Form_Unload() { }

void Startup::cmd_advance_Click() { }

void Startup::cmd_get_ip_Click() { }

void Startup::cmd_ver_Click() { }


}  // namespace tavrin
