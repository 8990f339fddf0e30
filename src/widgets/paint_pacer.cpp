#include "widgets/paint_pacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <limits>

namespace tavrin {

PaintPacer::PaintPacer(int frame_ms) : frame_ns_(qint64(frame_ms) * 1000000) {
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { release_due(false); });
    QCoreApplication::instance()->installEventFilter(this);
}

PaintPacer::~PaintPacer() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
    // Whatever still waits is painted in the ordinary way.
    for (Window& w : windows_)
        if (w.held && w.widget) QCoreApplication::postEvent(w.widget, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

void PaintPacer::set_wire_gate(std::function<bool()> on_wire, int grace_ms) {
    on_wire_ = std::move(on_wire);
    grace_ns_ = qint64(grace_ms) * 1000000;
}

void PaintPacer::command_left() {
    if (release_posted_) return;
    release_posted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            release_posted_ = false;
            release_due(on_wire_ && on_wire_());
        },
        Qt::QueuedConnection);
}

qint64 PaintPacer::paint_at(const Window& w, qint64 now, bool command_out) const {
    const qint64 frame_at = w.last_ns + frame_ns_;
    if (now < frame_at) return frame_at;
    // Due. Right after a command has left there is a whole answer's wait to
    // paint in; any other moment of a chain may be just before the next
    // command, or late in a wait, so the frame waits for a command a little.
    // A frame long overdue (a quiet spell) is painted at once.
    if (!on_wire_ || command_out) return 0;
    const qint64 grace_at = frame_at + grace_ns_;
    return now < grace_at ? grace_at : 0;
}

bool PaintPacer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::UpdateRequest || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow()) return false;
    Window& w = windows_[watched];
    if (w.widget != widget) w = Window{-1, false, widget};  // new, or another window at a freed address
    const qint64 now = clock_.nsecsElapsed();
    const qint64 at = w.last_ns < 0 ? 0 : paint_at(w, now, false);
    if (releasing_ || at == 0) {
        w.last_ns = now;
        w.held = false;
        return false;
    }
    // Too soon: the window's repaint manager keeps collecting damage and
    // sends no further request until this one has been handled, which
    // release_due does when the frame is due.
    w.held = true;
    const qint64 due_ms = (at - now + 999999) / 1000000;
    if (!timer_.isActive() || timer_.remainingTime() > due_ms) timer_.start(int(std::max<qint64>(due_ms, 1)));
    return true;
}

void PaintPacer::release_due(bool command_out) {
    const qint64 now = clock_.nsecsElapsed();
    qint64 next_ms = std::numeric_limits<qint64>::max();
    for (auto it = windows_.begin(); it != windows_.end(); ++it) {
        Window& w = it.value();
        if (!w.held) continue;
        if (!w.widget) {
            w.held = false;
            continue;
        }
        if (const qint64 at = paint_at(w, now, command_out); at > 0) {
            next_ms = std::min(next_ms, (at - now + 999999) / 1000000);
            continue;
        }
        w.held = false;
        QEvent request(QEvent::UpdateRequest);
        releasing_ = true;
        QCoreApplication::sendEvent(w.widget, &request);
        releasing_ = false;
    }
    if (next_ms != std::numeric_limits<qint64>::max()) timer_.start(int(std::max<qint64>(next_ms, 1)));
}

}  // namespace tavrin
