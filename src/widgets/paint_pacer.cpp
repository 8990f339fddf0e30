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
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { release_due(); });
    QCoreApplication::instance()->installEventFilter(this);
}

PaintPacer::~PaintPacer() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
    // Whatever still waits is painted in the ordinary way.
    for (Window& w : windows_)
        if (w.held && w.widget) QCoreApplication::postEvent(w.widget, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

bool PaintPacer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::UpdateRequest || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow()) return false;
    Window& w = windows_[watched];
    if (w.widget != widget) w = Window{-1, false, widget};  // new, or another window at a freed address
    const qint64 now = clock_.nsecsElapsed();
    if (releasing_ || w.last_ns < 0 || now - w.last_ns >= frame_ns_) {
        w.last_ns = now;
        w.held = false;
        return false;
    }
    // Too soon: the window's repaint manager keeps collecting damage and
    // sends no further request until this one has been handled, which
    // release_due does when the frame is due.
    w.held = true;
    const qint64 due_ms = (w.last_ns + frame_ns_ - now + 999999) / 1000000;
    if (!timer_.isActive() || timer_.remainingTime() > due_ms) timer_.start(int(std::max<qint64>(due_ms, 1)));
    return true;
}

void PaintPacer::release_due() {
    const qint64 now = clock_.nsecsElapsed();
    qint64 next_ms = std::numeric_limits<qint64>::max();
    for (auto it = windows_.begin(); it != windows_.end(); ++it) {
        Window& w = it.value();
        if (!w.held) continue;
        if (!w.widget) {
            w.held = false;
            continue;
        }
        const qint64 left = w.last_ns + frame_ns_ - now;
        if (left > 0) {
            next_ms = std::min(next_ms, (left + 999999) / 1000000);
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
