#pragma once
// The five display modes and the re-layout of the window per reported mode.

#include "context/context.h"

namespace tavrin {

class RoutingMap;
class Picture;

class DisplayModes {
public:
    DisplayModes(Context& c, RoutingMap& map, Picture& picture);
    void cmd_mode_Click(int index);
    void on_reply_MOD();
    // The mode button is switched off by itself (1080i chosen in Matrix, or a
    // mode change under way), not merely through its frame as in standby.
    bool mode_locked(int index) const;

private:
    ColorButton* mode_button(int index) const;
    void set_picture_captions(const char* const captions[4]);

    Context& c_;
    RoutingMap& map_;
    Picture& picture_;
};

}  // namespace tavrin
