#pragma once
// The program-wide state every subject shares. One instance, owned by the main
// window; the start values are those the panel has before Form_Load's last step.
// 254 in a state variable means "nothing reported yet".

#include <cstdint>

namespace tavrin {

struct PanelState {
    bool cmd_enable = false;  // control events send only while true
    bool busy = false;        // true while Delay runs

    int16_t cur_mode = 1;     // 1 Matrix, 2 Dual PoP/PiP, 3 TV Wall, 5 Quad
    int16_t dual_kind = 0;    // 1 Dual PoP, 2 Dual PiP while cur_mode is 2
    int16_t cur_output = 1;   // 1..4
    int16_t cur_input = 1;    // 1..4
    int16_t pwr_state = 254;  // 1 on, 0 standby
    int16_t lock_state = 254; // 1 locked, 0 unlocked
    int16_t audio_state = 254;// 1 on, 0 muted
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
