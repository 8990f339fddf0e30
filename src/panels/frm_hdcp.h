#pragma once
// frm_hdcp, the "HDCP" window: HDCP on/off per input, follow input/output per
// output. Its controls call the main-window routines of Hdcp; the HPI/HPO
// replies fill it through Hdcp while it is open.

#include "context/context.h"
#include "panels/panel_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <array>

namespace tavrin {

class Hdcp;

class FrmHdcp : public PanelWindow {
    Q_OBJECT
public:
    static constexpr int client_w_twips = 8115;
    static constexpr int client_h_twips = 1590;

    FrmHdcp(Context& c, Hdcp& main, QWidget* owner);

    void Form_Load();
    void cmd_refresh_Click();
    void opt_hdcp_in_Click(int n, int index);   // opt_hdcp_in1..4_Click
    void opt_hdcp_out_Click(int n, int index);  // opt_hdcp_out1..4_Click

    // [n-1][index]: opt_hdcp_inN(index), opt_hdcp_outN(index).
    QRadioButton* opt_hdcp_in(int n, int index) const { return in_[n - 1][index]; }
    QRadioButton* opt_hdcp_out(int n, int index) const { return out_[n - 1][index]; }

    ColorButton* cmd_refresh = nullptr;
    QGroupBox* fra_hdcp_input = nullptr;
    QGroupBox* fra_hdcp_output = nullptr;
    std::array<QLabel*, 3> lab_hdcp_input{};
    std::array<QLabel*, 3> lab_hdcp_output{};
    std::array<QGroupBox*, 8> fra_i{};

private:
    void build();
    void build_half(int h);  // 0 inputs, 1 outputs
    void build_pair(QGroupBox* frame, int h, int col, int centre_x);
    Context& c_;
    Hdcp& main_;
    std::array<std::array<QRadioButton*, 2>, 4> in_{};
    std::array<std::array<QRadioButton*, 2>, 4> out_{};
};

}  // namespace tavrin
