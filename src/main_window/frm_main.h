#pragma once
// frm_main: the main window as an arrangement of controls, built once from the
// layout tables (layout_tables.cpp). Every control's objectName is its name,
// arrays with the index in parentheses: "cmd_mode(3)", "hsr_bri(2)".
// Behaviour lives in the controllers; this class only holds the controls.

#include "link/program_files.h"
#include "widgets/vb_controls.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QString>
#include <QWidget>

namespace tavrin {

class FrmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr int twips_per_pixel = 15;
    static constexpr int compact_height_twips = 2640;
    static constexpr int advanced_height_twips = 6780;
    static constexpr int design_width_twips = 12780;
    static constexpr int design_height_twips = 9165;
    static int px(int twips);  // twips to pixels, rounded

    explicit FrmMain(ProgramFiles files, QWidget* parent = nullptr);

    // Looks a control up by name; aborts with the name when it does not exist
    // (a typo in a controller must fail loudly in the first test).
    QWidget* control(const QString& name) const;
    template <class T> T* ctl(const QString& name) const {
        auto* w = qobject_cast<T*>(control(name));
        Q_ASSERT_X(w, "FrmMain::ctl", qPrintable(name));
        return w;
    }
    // Shorthands for arrays: ctl_at<ColorButton>("cmd_mode", 3) is "cmd_mode(3)".
    template <class T> T* ctl_at(const QString& name, int index) const {
        auto* w = qobject_cast<T*>(control_at(name, index));
        Q_ASSERT_X(w, "FrmMain::ctl_at", qPrintable(name));
        return w;
    }
    // Reply handlers look controls up for every reply: arrays are found by
    // their name and index without building "name(index)".
    QWidget* control_at(const QString& name, int index) const;

    // The outer height the "Advanced" toggle chooses; the operator may still
    // stretch the window to bring the traffic log into view.
    void set_height_twips(int twips);
    int height_twips() const { return height_twips_; }

    const QString& program_dir() const { return files_.program_dir; }
    const ProgramFiles& files() const { return files_; }
    // "bmp/<file>" beside the program, else in the installed share folder.
    QString bitmap_path(const QString& file) const;

signals:
    // The window is being closed (Form_Unload runs from here).
    void closing();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void build();
    // Title bar and borders, which the outer height includes.
    int frame_height_px() const;
    ProgramFiles files_;
    QHash<QString, QWidget*> controls_;
    QHash<QString, QList<QWidget*>> arrays_;  // "name(i)" at [i]
    int height_twips_ = compact_height_twips;
};

}  // namespace tavrin
