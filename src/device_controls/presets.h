#pragma once
// The four presets and the full refresh of the whole panel.

#include "main_window/context.h"

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
    Context& c_;
    Startup& startup_;
    RoutingMap& map_;
    Picture& picture_;
};

}  // namespace tavrin
