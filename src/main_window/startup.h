#pragma once
// Start-up, shutdown and the window-wide buttons: Advanced, Get IP, F/W Ver.

#include "main_window/context.h"

namespace tavrin {

class LinkControls;

class Startup {
public:
    Startup(Context& c, LinkControls& links);
    void Form_Load();
    void Form_Unload();
    void cmd_advance_Click();
    void cmd_get_ip_Click();
    void cmd_ver_Click();

private:
    Context& c_;
    LinkControls& links_;
};

}  // namespace tavrin
