#pragma once
// frm_keypad, the "Keyboard" window: a picture of the key layout; the keys
// pressed while it has the focus go to Keypad::Form_KeyDown.

#include "context/context.h"
#include "panels/panel_window.h"

namespace tavrin {

class Keypad;

class FrmKeypad : public PanelWindow {
    Q_OBJECT
public:
    static constexpr int client_w = 353;
    static constexpr int client_h = 112;

    FrmKeypad(Context& c, Keypad& main, QWidget* owner);
    void Form_Load();

    ImageBox* img_keypad = nullptr;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool focusNextPrevChild(bool) override { return false; }  // Tab is a key like any other

private:
    Context& c_;
    Keypad& main_;
};

}  // namespace tavrin
