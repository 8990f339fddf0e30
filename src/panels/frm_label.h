#pragma once
// frm_label, the "Input Labels" window: the device's label display switch and
// the names of the four inputs. Enter in a label box sends that label.

#include "context/context.h"
#include "panels/panel_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <array>

namespace tavrin {

class Labels;

class FrmLabel : public PanelWindow {
    Q_OBJECT
public:
    static constexpr int client_w_twips = 2745;
    static constexpr int client_h_twips = 2115;

    FrmLabel(Context& c, Labels& main, QWidget* owner);

    void Form_Load();
    void cmd_refresh_Click();
    void opt_on_off_Click(int index);
    // Enter (character 13) in box index sends that box's label.
    void txt_lab_in_KeyPress(int index, int key_ascii);

    // The label command for box index and the text as typed. Control
    // characters are taken out: a CR or LF inside a label would end the
    // command early and put the rest on the wire as a second command.
    static QString label_command(int index, const QString& text);
    static QString without_control_chars(const QString& text);

    QLineEdit* txt_lab_in(int index) const { return txt_[index - 1]; }  // 1..4
    QRadioButton* opt_on_off(int index) const { return on_off_[index]; }  // 0 OFF, 1 ON

    ColorButton* cmd_refresh = nullptr;
    std::array<ShapeWidget*, 4> sha_lab_in{};
    std::array<QLabel*, 4> lab_no{};

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void build();
    Context& c_;
    Labels& main_;
    std::array<QLineEdit*, 4> txt_{};
    std::array<QRadioButton*, 2> on_off_{};
};

}  // namespace tavrin
