#include "panels/keypad.h"

#include "device_controls/audio.h"
#include "device_controls/power.h"
#include "panels/frm_keypad.h"
#include "routing/display_modes.h"
#include "routing/routing_map.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace tavrin {

namespace {

enum class Zone { MainRow, Keypad, Any };

struct Binding {
    int key;
    Zone zone;
    KeyAction action;
};

// Qt keys for the physical keys of the map. The numeric keypad sends its
// digits with Num Lock on and Home/Up/PgUp/Left/Clear/Right/End/Down/PgDn
// with it off; the separate navigation keys send the same keys without the
// keypad flag, and act alike.
constexpr Binding kBindings[] = {
    {Qt::Key_1, Zone::MainRow, KeyAction::Mode1},
    {Qt::Key_2, Zone::MainRow, KeyAction::Mode2},
    {Qt::Key_3, Zone::MainRow, KeyAction::Mode3},
    {Qt::Key_4, Zone::MainRow, KeyAction::Mode4},
    {Qt::Key_5, Zone::MainRow, KeyAction::Mode5},
    {Qt::Key_A, Zone::Any, KeyAction::OutA},
    {Qt::Key_S, Zone::Any, KeyAction::OutB},
    {Qt::Key_D, Zone::Any, KeyAction::OutC},
    {Qt::Key_F, Zone::Any, KeyAction::OutD},
    {Qt::Key_J, Zone::Any, KeyAction::In1},
    {Qt::Key_K, Zone::Any, KeyAction::In2},
    {Qt::Key_L, Zone::Any, KeyAction::In3},
    {Qt::Key_7, Zone::Keypad, KeyAction::Mute},
    {Qt::Key_Home, Zone::Any, KeyAction::Mute},
    {Qt::Key_8, Zone::Keypad, KeyAction::MenuUp},
    {Qt::Key_Up, Zone::Any, KeyAction::MenuUp},
    {Qt::Key_9, Zone::Keypad, KeyAction::Lock},
    {Qt::Key_PageUp, Zone::Any, KeyAction::Lock},
    {Qt::Key_4, Zone::Keypad, KeyAction::MenuLeft},
    {Qt::Key_Left, Zone::Any, KeyAction::MenuLeft},
    {Qt::Key_5, Zone::Keypad, KeyAction::MenuOk},
    {Qt::Key_Clear, Zone::Any, KeyAction::MenuOk},
    {Qt::Key_6, Zone::Keypad, KeyAction::MenuRight},
    {Qt::Key_Right, Zone::Any, KeyAction::MenuRight},
    {Qt::Key_1, Zone::Keypad, KeyAction::MenuExit},
    {Qt::Key_End, Zone::Any, KeyAction::MenuExit},
    {Qt::Key_2, Zone::Keypad, KeyAction::MenuDown},
    {Qt::Key_Down, Zone::Any, KeyAction::MenuDown},
    {Qt::Key_3, Zone::Keypad, KeyAction::MenuMenu},
    {Qt::Key_PageDown, Zone::Any, KeyAction::MenuMenu},
};

// Physical keys told by scan code, whatever character the layout gives them:
// the main-row digits 1-5 (so Shift or an AZERTY layout does not matter) and
// the key right of L.
struct ScanBinding {
    quint32 code;
    KeyAction action;
};
constexpr ScanBinding kX11Scan[] = {
    {10, KeyAction::Mode1}, {11, KeyAction::Mode2}, {12, KeyAction::Mode3},
    {13, KeyAction::Mode4}, {14, KeyAction::Mode5}, {47, KeyAction::In4},
};
constexpr ScanBinding kWindowsScan[] = {
    {0x02, KeyAction::Mode1}, {0x03, KeyAction::Mode2}, {0x04, KeyAction::Mode3},
    {0x05, KeyAction::Mode4}, {0x06, KeyAction::Mode5}, {0x27, KeyAction::In4},
};

}  // namespace

KeyAction Keypad::key_action(int qt_key, Qt::KeyboardModifiers mods, quint32 scan_code, ScanCodes codes) {
    const bool have_scan = scan_code != 0 && codes != ScanCodes::None;
    if (have_scan) {
        const auto scan_lookup = [scan_code](const auto& table) {
            for (const ScanBinding& b : table)
                if (b.code == scan_code) return b.action;
            return KeyAction::None;
        };
        const KeyAction a = codes == ScanCodes::X11 ? scan_lookup(kX11Scan) : scan_lookup(kWindowsScan);
        if (a != KeyAction::None) return a;
    } else if (qt_key == Qt::Key_Semicolon) {
        // Without a scan code the character is all there is.
        return KeyAction::In4;
    }
    const bool keypad = mods.testFlag(Qt::KeypadModifier);
    for (const Binding& b : kBindings) {
        if (b.key != qt_key) continue;
        if (b.zone == Zone::Any || (b.zone == Zone::Keypad) == keypad) return b.action;
    }
    return KeyAction::None;
}

ScanCodes Keypad::native_scan_codes() {
#if defined(Q_OS_WIN)
    return ScanCodes::Windows;
#elif defined(Q_OS_MACOS)
    return ScanCodes::None;
#else
    return ScanCodes::X11;
#endif
}

bool Keypad::pauses_after(KeyAction a) {
    return a == KeyAction::MenuUp || a == KeyAction::MenuDown || a == KeyAction::MenuLeft ||
           a == KeyAction::MenuRight;
}

Keypad::Keypad(Context& c, DisplayModes& modes, RoutingMap& map, Power& power, Audio& audio)
    : c_(c), modes_(modes), map_(map), power_(power), audio_(audio), win_(c.st.keypad_open) {
    auto* button = qobject_cast<QAbstractButton*>(c_.w.control(QStringLiteral("cmd_keypad")));
    QObject::connect(button, &QAbstractButton::clicked, button, [this] { cmd_keypad_Click(); });
}

Keypad::~Keypad() = default;

void Keypad::cmd_keypad_Click() {
    win_.toggle([this] { return new FrmKeypad(c_, *this, &c_.w); });
}

void Keypad::close_window() { win_.close(); }

bool Keypad::Form_KeyDown(const QKeyEvent& e) {
    const KeyAction a = key_action(e.key(), e.modifiers(), e.nativeScanCode(), native_scan_codes());
    if (a == KeyAction::None) return false;
    // A key never starts a second action while one waits for the device,
    // and held arrows are not queued behind the pause.
    if (c_.st.busy) return true;
    perform(a);
    return true;
}

void Keypad::perform(KeyAction a) {
    switch (a) {
    case KeyAction::None: return;
    case KeyAction::Mode1:
    case KeyAction::Mode2:
    case KeyAction::Mode3:
    case KeyAction::Mode4:
    case KeyAction::Mode5: {
        const int index = int(a) - int(KeyAction::Mode1) + 1;
        // The 1080i lock holds for the keys as for the buttons; standby,
        // which only switches the buttons' frame off, does not stop them.
        if (!modes_.mode_locked(index)) modes_.cmd_mode_Click(index);
        break;
    }
    case KeyAction::OutA: map_.cmd_out_Click(1); break;
    case KeyAction::OutB: map_.cmd_out_Click(2); break;
    case KeyAction::OutC: map_.cmd_out_Click(3); break;
    case KeyAction::OutD: map_.cmd_out_Click(4); break;
    case KeyAction::In1:
    case KeyAction::In2:
    case KeyAction::In3:
    case KeyAction::In4: {
        const int n = int(a) - int(KeyAction::In1) + 1;
        const int column = c_.st.cur_output;
        if (column >= 1 && column <= 4) map_.lab_out_in_Click(column, n);
        break;
    }
    case KeyAction::Mute: audio_.cmd_mute_Click(); break;
    case KeyAction::MenuUp: power_.cmd_menu_up_Click(); break;
    case KeyAction::Lock: power_.cmd_lock_Click(); break;
    case KeyAction::MenuLeft: power_.cmd_menu_left_Click(); break;
    case KeyAction::MenuOk: power_.cmd_menu_ok_Click(); break;
    case KeyAction::MenuRight: power_.cmd_menu_right_Click(); break;
    case KeyAction::MenuExit: power_.cmd_menu_exit_Click(); break;
    case KeyAction::MenuDown: power_.cmd_menu_down_Click(); break;
    case KeyAction::MenuMenu: power_.cmd_menu_menu_Click(); break;
    }
    if (pauses_after(a)) c_.link.Delay(0.05f);
}

FrmKeypad* Keypad::window() const { return win_.window(); }

}  // namespace tavrin
