#pragma once
// Power, lock, the seven device-menu keys, factory reset and version display.

#include "context/context.h"

namespace tavrin {

class Picture;

class Power {
public:
    Power(Context& c, Picture& picture);
    void cmd_pwr_Click();
    void on_reply_PWR();
    void cmd_lock_Click();
    void on_reply_LCK();
    void cmd_menu_menu_Click();
    void cmd_menu_exit_Click();
    void cmd_menu_ok_Click();
    void cmd_menu_up_Click();
    void cmd_menu_down_Click();
    void cmd_menu_left_Click();
    void cmd_menu_right_Click();
    void cmd_fact_reset_Click();
    void on_reply_RST();
    void cmd_ver_Click();
    void on_reply_VER();
    void on_reply_VR2();

    // The ten controls a PWR reply enables (device on) or disables (standby),
    // in the order they are switched.
    static const char* const standby_set[10];

private:
    void set_picture(const char* button, const char* file);

    Context& c_;
    Picture& picture_;
};

}  // namespace tavrin
