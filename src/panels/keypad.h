#pragma once
// The "Keyboard" window: keys drive modes, outputs, inputs, menu keys, lock, mute.

#include "context/context.h"
#include "panels/panel_window.h"

#include <Qt>

class QKeyEvent;

namespace tavrin {

class DisplayModes;
class RoutingMap;
class Power;
class Audio;
class FrmKeypad;

// What a key of the keyboard window does.
enum class KeyAction {
    None,
    Mode1, Mode2, Mode3, Mode4, Mode5,  // cmd_mode_Click(1..5)
    OutA, OutB, OutC, OutD,             // cmd_out_Click(1..4)
    In1, In2, In3, In4,                 // input n for the selected output
    Mute, MenuUp, Lock,
    MenuLeft, MenuOk, MenuRight,
    MenuExit, MenuDown, MenuMenu,
};

// Which native scan codes a key event carries (they name physical keys).
enum class ScanCodes {
    None,     // no usable scan codes (offscreen, macOS): Qt keys only
    X11,      // xcb and Wayland: evdev code + 8
    Windows,  // set-1 make codes
};

class Keypad {
public:
    Keypad(Context& c, DisplayModes& modes, RoutingMap& map, Power& power, Audio& audio);
    ~Keypad();
    void cmd_keypad_Click();
    void close_window();

    // The key map. Modifiers other than the keypad flag are not consulted;
    // the keypad flag tells numeric-keypad digits from main-row digits.
    static KeyAction key_action(int qt_key, Qt::KeyboardModifiers mods, quint32 scan_code, ScanCodes codes);
    // The scan-code set of the system the program runs on.
    static ScanCodes native_scan_codes();
    // The four direction keys pause 50 ms after their routine.
    static bool pauses_after(KeyAction a);

    // Form_KeyDown: returns false for keys outside the map.
    bool Form_KeyDown(const QKeyEvent& e);
    // Runs the main-window routine of an action, then the pause if it has one.
    void perform(KeyAction a);

    // The open window, or null while closed.
    FrmKeypad* window() const;

private:
    Context& c_;
    DisplayModes& modes_;
    RoutingMap& map_;
    Power& power_;
    Audio& audio_;
    WindowSlot<FrmKeypad> win_;
};

}  // namespace tavrin
