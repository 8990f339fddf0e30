#pragma once
// frm_main: the main window as an arrangement of controls, built once from the
// layout tables (layout_tables.cpp). Every control's objectName is its name,
// arrays with the index in parentheses: "cmd_mode(3)", "hsr_bri(2)".
// Behaviour lives in the controllers; this class only holds the controls.

#include "link/program_files.h"
#include "widgets/control_window.h"
#include "widgets/controls.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QString>

namespace tavrin {

class FrmMain : public ControlWindow {
    Q_OBJECT
public:
    static constexpr int compact_height_twips = 2640;
    static constexpr int advanced_height_twips = 6780;
    static constexpr int full_width_twips = 12780;
    static constexpr int full_height_twips = 9165;

    explicit FrmMain(ProgramFiles files, QWidget* parent = nullptr);

    // The outer height the "Advanced" toggle chooses; the operator may still
    // stretch the window to bring the traffic log into view.
    void set_height_twips(int twips);
    int height_twips() const { return height_twips_; }

signals:
    // The window is being closed (Form_Unload runs from here).
    void closing();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void build();
    // Title bar and borders, which the outer height includes.
    int frame_height_px() const;
    int height_twips_ = compact_height_twips;
};

}  // namespace tavrin
