#include "panels/panel_window.h"

#include "widgets/control_window.h"
#include "widgets/pictures.h"
#include "widgets/controls.h"

#include <QCloseEvent>
#include <QScreen>

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
    // A window "above" a main window at the top of the screen would open out
    // of the operator's reach: it goes below the main window instead when
    // there is room, and its whole frame stays on the owner's screen.
    const QScreen* s = parentWidget() ? parentWidget()->screen() : nullptr;
    if (s) {
        const QRect avail = s->availableGeometry();
        const QSize f = frame_size();
        const int below = parentWidget()->frameGeometry().bottom() + 1;
        if (top < avail.top() && below + f.height() <= avail.bottom() + 1) top = below;
        left = qBound(avail.left(), left, qMax(avail.left(), avail.right() + 1 - f.width()));
        top = qBound(avail.top(), top, qMax(avail.top(), avail.bottom() + 1 - f.height()));
    }
    // move() of a top-level window positions its frame.
    move(left, top);
}

ColorButton* PanelWindow::add_refresh_button(int left, int top, int width, int height,
                                             std::function<void()> on_click) {
    using twips::px;
    auto* b = new ColorButton(this);
    b->setObjectName(QStringLiteral("cmd_refresh"));
    b->setGeometry(px(left), px(top), px(width), px(height));
    b->set_picture(pictures::vertical_refresh());
    b->setToolTip(QStringLiteral("Refresh"));
    QObject::connect(b, &QPushButton::clicked, this, std::move(on_click));
    return b;
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

void OpenerLamp::set(const QColor& fill, bool clickable) {
    lamp->set_fill(fill);
    letter->setEnabled(clickable);
}

PanelWindow::InUse::InUse(PanelWindow& w) : w_(w) { ++w_.in_use_; }

PanelWindow::InUse::~InUse() {
    if (--w_.in_use_ == 0 && w_.retired_) w_.deleteLater();
}

}  // namespace tavrin
