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

    // Which audio frame a mode shows: the two dual frames, the quad frame,
    // or whichever was shown before.
    enum class AudioFrames { unchanged, dual, quad };
    // How the window shows one reported mode.
    struct ModeLook {
        int16_t cur_mode;
        int16_t dual_kind;          // 0: left as it is
        const char* outputs[4];     // output button captions
        const char* rows[4];        // picture row captions
        AudioFrames audio;
        const char* options[2];     // captions of the dual audio choices
        const char* frames_on[2];   // frames usable in this mode while the device is on
    };

private:
    ColorButton* mode_button(int index) const;
    void set_picture_captions(const char* const captions[4]);
    void show_outputs(const ModeLook& look);
    void show_audio_frames(const ModeLook& look);
    void show_picture_rows(bool per_output);

    Context& c_;
    RoutingMap& map_;
    Picture& picture_;
};

}  // namespace tavrin
