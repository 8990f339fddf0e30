#pragma once
// The "DUAL PiP" window and the main-window routines and replies that serve it.

#include "context/context.h"
#include "panels/panel_window.h"

#include <functional>

namespace tavrin {

class FrmPip;

class Pip {
public:
    explicit Pip(Context& c);
    ~Pip();
    void lab_pip_Click();
    void dual_pip_set(const QString& pip_str);
    void dual_pip_refresh();
    void on_reply_PPO();
    void on_reply_PSZ();
    void on_reply_PSW();
    void close_window();

    // The open window, or null while closed.
    FrmPip* window() const;

private:
    // A PPO or PSZ reply, "PPO0" inset value: apply(window, inset, value)
    // when both name something the window shows.
    void inset_reply(const std::function<void(FrmPip&, int, int)>& apply);
    Context& c_;
    OpenerLamp lamp_;
    WindowSlot<FrmPip> win_;
};

}  // namespace tavrin
