#pragma once
// What every controller is handed: the main window's controls, the command
// exchange, the shared state and the platform (clock, pump, messages, timers).

#include "link/link.h"
#include "link/ports.h"
#include "state/panel_state.h"
#include "widgets/control_window.h"
#include "widgets/palette.h"
#include "widgets/controls.h"

namespace tavrin {

struct Context {
    ControlWindow& w;
    Link& link;
    PanelState& st;
    Platform& platform;
};

}  // namespace tavrin
