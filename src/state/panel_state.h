#pragma once
// The program-wide state every subject shares. One instance, owned by Panel;
// the start values are those of a panel that is loading: cmd_enable stays
// false, so no control sends, until Form_Load has finished.

#include <cstdint>

namespace tavrin {

// The display modes as the mode buttons and the MOD command number them.
// PanelState::cur_mode keeps Dual PiP as dual with dual_kind pip: both dual
// modes have the same outputs, audio choices and picture rows.
struct DisplayMode {
    static constexpr int16_t matrix = 1;
    static constexpr int16_t dual = 2;      // Dual PoP's number; either dual mode in cur_mode
    static constexpr int16_t tv_wall = 3;
    static constexpr int16_t dual_pip = 4;  // a button and MOD number only, never in cur_mode
    static constexpr int16_t quad = 5;
    // Modes with a picture row per output; Matrix has one for all.
    static constexpr bool has_picture_rows(int mode) { return mode == dual || mode == tv_wall || mode == quad; }
};

// PanelState::dual_kind while cur_mode is dual.
struct DualKind {
    static constexpr int16_t pop = 1;
    static constexpr int16_t pip = 2;
};

// A power, lock or audio state the device has not reported yet.
inline constexpr int16_t not_reported = 254;

struct PanelState {
    bool cmd_enable = false;  // control events send only while true
    bool busy = false;        // true while Delay runs

    int16_t cur_mode = DisplayMode::matrix;
    int16_t dual_kind = 0;                 // DualKind, while cur_mode is dual
    int16_t cur_output = 1;                // 1..4
    int16_t cur_input = 1;                 // 1..4
    int16_t pwr_state = not_reported;      // 1 on, 0 standby
    int16_t lock_state = not_reported;     // 1 locked, 0 unlocked
    int16_t audio_state = not_reported;    // 1 on, 0 muted
    bool bezel_max_query = false;
    bool advanced_view = false;

    bool keypad_open = false;
    bool hdcp_open = false;
    bool label_open = false;
    bool pip_open = false;
};

// Holds cmd_enable false for its lifetime, so controls a reply or the panel
// itself sets send nothing from their change events; then sets it to
// `after` (true, unless the caller means to put back an earlier value).
class HoldCommands {
public:
    explicit HoldCommands(PanelState& st, bool after = true) : st_(st), after_(after) { st_.cmd_enable = false; }
    ~HoldCommands() { st_.cmd_enable = after_; }
    HoldCommands(const HoldCommands&) = delete;
    HoldCommands& operator=(const HoldCommands&) = delete;

private:
    PanelState& st_;
    bool after_;
};

}  // namespace tavrin
