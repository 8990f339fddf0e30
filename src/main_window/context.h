#pragma once
// What every controller is handed: the window's controls, the command
// exchange, the shared state and the platform (clock, pump, messages, timers).

#include "link/link.h"
#include "link/ports.h"
#include "main_window/frm_main.h"
#include "widgets/palette.h"
#include "state/panel_state.h"

namespace tavrin {

struct Context {
    FrmMain& w;
    Link& link;
    PanelState& st;
    Platform& platform;
};

}  // namespace tavrin
