#pragma once
// Ends the panel through its normal unload when the session does not close
// the window itself: SIGTERM (kill, a logout), SIGINT (Ctrl+C in the
// terminal that started it) and SIGHUP (that terminal going away) close the
// main window the usual way, and a display connection that breaks (Qt then
// ends the process) still gets the settings written on the way out.

#include <QObject>

class QSocketNotifier;

namespace tavrin {

class Panel;

class ShutdownGuard : public QObject {
public:
    // One per process, made before Panel::load() and gone before the panel.
    explicit ShutdownGuard(Panel& panel);
    ~ShutdownGuard() override;

    // A signal asked the panel to end (perhaps while it was still starting:
    // the caller then skips the event loop).
    bool requested() const { return requested_; }

private:
    void on_signal();
    Panel& panel_;
    QSocketNotifier* notifier_ = nullptr;
    bool requested_ = false;
};

}  // namespace tavrin
