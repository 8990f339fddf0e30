#pragma once
// What the four secondary windows share: a fixed-size tool window owned by the
// main window, a Form_Unload raised however it is closed, and a lifetime that
// survives being closed while one of its own routines is still waiting for the
// device (a refresh, a key action): such a window is hidden at once and only
// deleted after that routine has returned.

#include <QString>
#include <QWidget>

namespace tavrin {

class PanelWindow : public QWidget {
    Q_OBJECT
public:
    PanelWindow(QWidget* owner, const QString& name, const QString& title, int client_w, int client_h);

    // Puts the window's outer frame with its top-left corner at (left, top),
    // screen coordinates. Before the window system has framed the window its
    // decorations are taken to be those of the owner.
    void place_frame_at(int left, int top);
    // The outer frame size, estimated from the owner's decorations until known.
    QSize frame_size() const;

    // Closed for good: hidden now, deleted once no routine of it runs.
    void retire();

    // Held while a routine of the window may pump events (and so may see the
    // window closed underneath it).
    class InUse {
    public:
        explicit InUse(PanelWindow& w);
        ~InUse();
        InUse(const InUse&) = delete;
        InUse& operator=(const InUse&) = delete;

    private:
        PanelWindow& w_;
    };

signals:
    // Form_Unload: the window is being closed, by its toggle, by the main
    // window closing, or by the window system.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QMargins owner_margins() const;
    int in_use_ = 0;
    bool retired_ = false;
    bool unload_sent_ = false;
};

}  // namespace tavrin
