#pragma once
// What the four secondary windows share: a fixed-size tool window owned by the
// main window, a Form_Unload raised however it is closed, and a lifetime that
// survives being closed while one of its own routines is still waiting for the
// device (a refresh, a key action): such a window is hidden at once and only
// deleted after that routine has returned.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

namespace tavrin {

class ColorButton;
class ShapeWidget;

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
    // The tall Refresh key down the window's left edge, "Refresh" reading
    // top to bottom; geometry in twips. A click runs on_click.
    ColorButton* add_refresh_button(int left, int top, int width, int height, std::function<void()> on_click);
    void closeEvent(QCloseEvent* e) override;

private:
    QMargins owner_margins() const;
    int in_use_ = 0;
    bool retired_ = false;
    bool unload_sent_ = false;
};

// The lamp and its letter on the main window that open a window ("P", "L"):
// red and deaf to clicks while the window opens or closes.
struct OpenerLamp {
    ShapeWidget* lamp;
    QWidget* letter;
    void set(const QColor& fill, bool clickable);
};

// The one window of a controller: a new Window at every opening, its open
// flag (in PanelState) cleared however it is closed, and the window deleted
// with the controller. Window is a PanelWindow with a Form_Load().
template <class Window>
class WindowSlot {
public:
    explicit WindowSlot(bool& open_flag) : open_(open_flag) {}
    ~WindowSlot() { delete win_.data(); }
    WindowSlot(const WindowSlot&) = delete;
    WindowSlot& operator=(const WindowSlot&) = delete;

    bool is_open() const { return open_; }
    // Takes a freshly made window and loads it (Form_Load sets the flag).
    void open(Window* w) {
        win_ = w;
        QObject::connect(w, &PanelWindow::unloaded, w, [this, w] {
            // Form_Unload. A window closed after a newer one was opened (it
            // was still busy) leaves the newer one's flag alone.
            if (win_ == w) {
                open_ = false;
                win_ = nullptr;
            }
            w->retire();
        });
        w->Form_Load();
    }
    void close() {
        if (win_) win_->close();
        open_ = false;
    }
    // Closes the open window, or opens make()'s.
    template <class Make>
    void toggle(Make make) {
        if (open_) close();
        else open(make());
    }
    // The open window, or null while closed.
    Window* window() const { return win_.data(); }

private:
    bool& open_;
    QPointer<Window> win_;
};

}  // namespace tavrin
