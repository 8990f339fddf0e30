#pragma once
// Start-up, shutdown, the settings file and the Advanced toggle.

#include "context/context.h"
#include "main_window/frm_main.h"

namespace tavrin {

class LinkControls;

class Startup {
public:
    Startup(Context& c, FrmMain& w, LinkControls& links);
    void Form_Load();
    void Form_Unload();
    // The settings as Form_Unload writes them, once per run; false when no
    // place could be written (the operator has then been told).
    bool save_settings();
    // Nobody is there to press OK (a signal or a lost display ends the panel):
    // a failure to save is reported on the terminal instead of a message box.
    bool unattended_exit = false;
    void cmd_advance_Click();

private:
    void warn_missing_files();
    void fill_lists();
    void restore_settings();  // from the settings file

    Context& c_;
    FrmMain& w_;
    LinkControls& links_;
    bool settings_read_ = false;
    bool settings_saved_ = false;
};

}  // namespace tavrin
