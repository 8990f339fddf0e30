#pragma once
// The "Input Labels" window and the main-window routines and replies that serve it.

#include "context/context.h"
#include "panels/panel_window.h"

namespace tavrin {

class FrmLabel;

class Labels {
public:
    explicit Labels(Context& c);
    ~Labels();
    void lab_lab_input_Click();
    void label_in_set(const QString& lab_in_str);
    void label_in_refresh();
    void on_reply_LAB();
    void on_reply_LAI();
    void close_window();

    // The open window, or null while closed.
    FrmLabel* window() const;

private:
    Context& c_;
    OpenerLamp lamp_;
    WindowSlot<FrmLabel> win_;
};

}  // namespace tavrin
