#include "panels/panel_window.h"

#include <QCloseEvent>

namespace tavrin {

PanelWindow::PanelWindow(QWidget* owner, const QString& name, const QString& title, int client_w, int client_h)
    : QWidget(owner, Qt::Tool) {
    // Parented to the main window so it stays above it and goes with it.
    setObjectName(name);
    setWindowTitle(title);
    setFixedSize(client_w, client_h);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

QMargins PanelWindow::owner_margins() const {
    const QWidget* o = parentWidget();
    if (!o) return {};
    const QRect f = o->frameGeometry();
    const QRect g = o->geometry();
    return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
}

QSize PanelWindow::frame_size() const {
    const QRect f = frameGeometry();
    if (testAttribute(Qt::WA_WState_Created) && f.size() != size()) return f.size();
    const QMargins m = owner_margins();
    return size().grownBy(m);
}

void PanelWindow::place_frame_at(int left, int top) {
    // move() of a top-level window positions its frame.
    move(left, top);
}

void PanelWindow::retire() {
    retired_ = true;
    hide();
    if (in_use_ == 0) deleteLater();
}

void PanelWindow::closeEvent(QCloseEvent* e) {
    e->accept();
    if (unload_sent_) return;
    unload_sent_ = true;
    emit unloaded();
}

PanelWindow::InUse::InUse(PanelWindow& w) : w_(w) { ++w_.in_use_; }

PanelWindow::InUse::~InUse() {
    if (--w_.in_use_ == 0 && w_.retired_) w_.deleteLater();
}

}  // namespace tavrin
