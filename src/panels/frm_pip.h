#pragma once
// frm_pip, the "DUAL PiP" window: corner, size and swap of the two insets.

#include "context/context.h"
#include "panels/panel_window.h"

#include <QComboBox>
#include <QLabel>
#include <array>

namespace tavrin {

class Pip;

class FrmPip : public PanelWindow {
    Q_OBJECT
public:
    static constexpr int client_w_twips = 3315;
    static constexpr int client_h_twips = 1785;
    static constexpr int left_offset_twips = 5385;  // from the main window's left edge

    FrmPip(Context& c, Pip& main, QWidget* owner);

    void Form_Load();
    void cmd_refresh_Click();
    void cmd_a_pos_Click(int index);
    void cmd_b_pos_Click(int index);
    void cbo_a_size_Click();
    void cbo_b_size_Click();
    void cmd_a_swap_Click();
    void cmd_b_swap_Click();

    // inset 1 = PiP A, 2 = PiP B; corner 0 top left, 1 top right, 2 bottom right, 3 bottom left.
    ColorButton* pos(int inset, int corner) const { return inset == 1 ? cmd_a_pos[corner] : cmd_b_pos[corner]; }
    QComboBox* size_list(int inset) const { return inset == 1 ? cbo_a_size : cbo_b_size; }

    ColorButton* cmd_refresh = nullptr;
    QLabel* lab_a = nullptr;
    QLabel* lab_b = nullptr;
    ColorButton* cmd_a_swap = nullptr;
    ColorButton* cmd_b_swap = nullptr;
    QComboBox* cbo_a_size = nullptr;
    QComboBox* cbo_b_size = nullptr;
    std::array<ColorButton*, 4> cmd_a_pos{};
    std::array<ColorButton*, 4> cmd_b_pos{};
    ShapeWidget* sha_a = nullptr;
    ShapeWidget* sha_b = nullptr;

private:
    void build();
    void build_inset(int inset);
    void build_corners(int inset, int left, int width);
    void size_click(QComboBox* list, int inset);
    Context& c_;
    Pip& main_;
};

}  // namespace tavrin
