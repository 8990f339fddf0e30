#pragma once
// Audio EDID, dual A/B and quad audio choices, and mute.

#include "context/context.h"

#include <array>

namespace tavrin {

class Audio {
public:
    explicit Audio(Context& c);
    void opt_audio_Click(int index);
    void opt_da_Click(int index);
    void opt_db_Click(int index);
    void opt_quad_Click(int index);
    void cmd_mute_Click();
    void on_reply_AUE();
    void on_reply_AUA();
    void on_reply_AUB();
    void on_reply_AUQ();
    void on_reply_AUD();

private:
    // One option group: its control array, command code and index range.
    struct Group {
        QString control;
        QString code;
        int first;
        int last;
    };
    void option_click(int group, int index);
    void option_reply(int group);

    Context& c_;
    std::array<Group, 4> groups_;
    ColorButton* mute_ = nullptr;
};

}  // namespace tavrin
