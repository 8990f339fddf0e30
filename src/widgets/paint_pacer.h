#pragma once
// Lets each window repaint at most once per display frame. A query chain
// changes a few controls with every reply, and each repaint of a window costs
// a round trip to the display server; updates that come sooner than a frame
// after the window's last repaint are gathered and painted together when the
// frame is due. The first change after a quiet spell still paints at once.
//
// With a wire gate, a frame that comes due waits (up to a grace time) for the
// next command to leave and is painted at the start of the wait for its
// answer: on a slow line the repaint then overlaps the wire instead of adding
// to the exchange, as it would between an answer and the next command or
// late in a wait. When no command follows in time, the frame is painted
// anyway.

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace tavrin {

class PaintPacer : public QObject {
public:
    // Watches every window of the application while it exists.
    explicit PaintPacer(int frame_ms = 16);
    ~PaintPacer() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // on_wire: a command has left and its answer is not in yet.
    void set_wire_gate(std::function<bool()> on_wire, int grace_ms);
    // A command is about to leave: frames waiting for it are painted at the
    // next turn of the event loop, inside the wait for its answer.
    void command_left();

private:
    // command_out: called just after a command has left.
    void release_due(bool command_out);

    struct Window {
        qint64 last_ns = -1;    // last repaint let through
        bool held = false;      // an update waits for its frame
        QPointer<QWidget> widget;
    };
    // When the window's held frame may be painted, or 0 for now.
    qint64 paint_at(const Window& w, qint64 now, bool command_out) const;
    qint64 frame_ns_;
    QElapsedTimer clock_;
    QTimer timer_;
    QHash<QObject*, Window> windows_;
    bool releasing_ = false;
    std::function<bool()> on_wire_;
    qint64 grace_ns_ = 0;
    bool release_posted_ = false;
};

}  // namespace tavrin
