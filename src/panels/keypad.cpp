#include "panels/keypad.h"

namespace tavrin {

Keypad::Keypad(Context& c, DisplayModes& modes, RoutingMap& map, Power& power, Audio& audio) : c_(c), modes_(modes), map_(map), power_(power), audio_(audio) {}

Keypad::~Keypad() = default;

void Keypad::cmd_keypad_Click() { }

void Keypad::close_window() { }


}  // namespace tavrin
