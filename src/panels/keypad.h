#pragma once
// The "Keyboard" window: keys drive modes, outputs, inputs, menu keys, lock, mute.

#include "main_window/context.h"

namespace tavrin {

class DisplayModes;
class RoutingMap;
class Power;
class Audio;

class Keypad {
public:
    Keypad(Context& c, DisplayModes& modes, RoutingMap& map, Power& power, Audio& audio);
    ~Keypad();
    void cmd_keypad_Click();
    void close_window();

private:
    Context& c_;
    DisplayModes& modes_;
    RoutingMap& map_;
    Power& power_;
    Audio& audio_;
};

}  // namespace tavrin
