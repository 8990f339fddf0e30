#pragma once
// A window whose controls are found by name, and the program files its
// pictures come from. Controllers reach the controls through this, never
// through the window that builds them. Arrays carry the index in
// parentheses: "cmd_mode(3)", "hsr_bri(2)".

#include "link/program_files.h"

#include <QHash>
#include <QString>
#include <QWidget>

namespace tavrin {

// Window positions and sizes are given in twips, 15 to a pixel.
namespace twips {
constexpr int per_pixel = 15;
int px(int length);  // twips to pixels, rounded
}  // namespace twips

class ControlWindow : public QWidget {
    Q_OBJECT
public:
    explicit ControlWindow(ProgramFiles files, QWidget* parent = nullptr);

    // Looks a control up by name; aborts with the name when it does not exist
    // (a typo in a controller must fail loudly in the first test).
    QWidget* control(const QString& name) const;
    template <class T> T* ctl(const QString& name) const {
        auto* w = qobject_cast<T*>(control(name));
        Q_ASSERT_X(w, "ControlWindow::ctl", qPrintable(name));
        return w;
    }
    // Shorthands for arrays: ctl_at<ColorButton>("cmd_mode", 3) is "cmd_mode(3)".
    template <class T> T* ctl_at(const QString& name, int index) const {
        auto* w = qobject_cast<T*>(control_at(name, index));
        Q_ASSERT_X(w, "ControlWindow::ctl_at", qPrintable(name));
        return w;
    }
    // Reply handlers look controls up for every reply: arrays are found by
    // their name and index without building "name(index)".
    QWidget* control_at(const QString& name, int index) const;

    const ProgramFiles& files() const { return files_; }
    // "bmp/<file>" beside the program, else in the installed share folder.
    QString bitmap_path(const QString& file) const;

protected:
    // Registers w under name, which also becomes its objectName.
    void add_control(const QString& name, QWidget* w);

private:
    ProgramFiles files_;
    QHash<QString, QWidget*> controls_;
    QHash<QString, QList<QWidget*>> arrays_;  // "name(i)" at [i]
};

}  // namespace tavrin
