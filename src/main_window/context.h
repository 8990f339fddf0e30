#pragma once
// What every controller is handed: the window's controls, the command
// exchange, the shared state and the platform (clock, pump, messages, timers).

#include "link/link.h"
#include "link/panel_state.h"
#include "link/ports.h"
#include "main_window/frm_main.h"
#include "widgets/palette.h"

namespace tavrin {

struct Context {
    FrmMain& w;
    Link& link;
    PanelState& st;
    Platform& platform;
};

// Reads the numeric value of a reply character the way the panel always has:
// a digit is its value, anything else counts as 0.
inline int digit_value(QChar c) { return c.isDigit() && c.unicode() < 128 ? c.digitValue() : 0; }
inline int last_digit(const QString& reply) { return reply.isEmpty() ? 0 : digit_value(reply.back()); }
// The leading decimal number of a text ("12x" is 12, "x" is 0).
int leading_number(const QString& text);

}  // namespace tavrin
