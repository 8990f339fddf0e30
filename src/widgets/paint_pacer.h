#pragma once
// Lets each window repaint at most once per display frame. A query chain
// changes a few controls with every reply, and each repaint of a window costs
// a round trip to the display server; updates that come sooner than a frame
// after the window's last repaint are gathered and painted together when the
// frame is due. The first change after a quiet spell still paints at once.

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace tavrin {

class PaintPacer : public QObject {
public:
    // Watches every window of the application while it exists.
    explicit PaintPacer(int frame_ms = 16);
    ~PaintPacer() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void release_due();

    struct Window {
        qint64 last_ns = -1;    // last repaint let through
        bool held = false;      // an update waits for its frame
        QPointer<QWidget> widget;
    };
    qint64 frame_ns_;
    QElapsedTimer clock_;
    QTimer timer_;
    QHash<QObject*, Window> windows_;
    bool releasing_ = false;
};

}  // namespace tavrin
