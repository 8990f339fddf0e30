#pragma once
// The device's two-state settings (lock, mute): a click asks for the opposite
// of the state last known, and from "not reported" for on.

#include "link/link.h"

#include <QString>
#include <cstdint>

namespace tavrin {

// state: 1 on, 0 off, anything else not known. It takes the asked-for value
// at once, so a second click before the answer asks for the opposite again.
inline void ask_opposite(Link& link, int16_t& state, const QString& code) {
    const bool on = state != 1;
    state = on ? 1 : 0;
    link.tx_cmd(code + (on ? QStringLiteral("001") : QStringLiteral("000")));
}

}  // namespace tavrin
