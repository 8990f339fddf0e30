#pragma once
// The four presets and the full refresh of the whole panel.

#include "context/context.h"

#include <array>

namespace tavrin {

class Startup;
class RoutingMap;
class Picture;

class Presets {
public:
    Presets(Context& c, Startup& startup, RoutingMap& map, Picture& picture);
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
    Startup& startup_;
    RoutingMap& map_;
    Picture& picture_;
    Row recall_{};
    Row save_{};
    ColorButton* refresh_ = nullptr;
};

}  // namespace tavrin
