#pragma once
// The four presets and the full refresh of the whole panel.

#include "context/context.h"

#include <array>
#include <functional>

namespace tavrin {

class Picture;
class Power;

class Presets {
public:
    // read_map: reads the routing map anew (after a recall and a refresh).
    Presets(Context& c, Power& power, Picture& picture, std::function<void()> read_map);
    void cmd_recall_Click(int index);
    void cmd_save_Click(int index);
    void cmd_refresh_Click();
    void on_reply_CAL();
    void on_reply_SAV();

private:
    using Row = std::array<ColorButton*, 4>;
    // Greys and disables the row, sends the preset command and gives a late
    // answer up to 5 s more; returns whether the device answered.
    bool send_and_settle(Row& row, const QString& code, int index);
    void mark(Row& row);

    Context& c_;
    Power& power_;
    Picture& picture_;
    std::function<void()> read_map_;
    Row recall_{};
    Row save_{};
    ColorButton* refresh_ = nullptr;
};

}  // namespace tavrin
