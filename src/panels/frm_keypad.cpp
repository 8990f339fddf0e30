#include "panels/frm_keypad.h"

#include "panels/keypad.h"
#include "widgets/pictures.h"

#include <QKeyEvent>

namespace tavrin {

FrmKeypad::FrmKeypad(Context& c, Keypad& main, QWidget* owner)
    : PanelWindow(owner, QStringLiteral("frm_keypad"), QStringLiteral("Keyboard"), client_w, client_h),
      c_(c),
      main_(main) {
    img_keypad = new ImageBox(this);
    img_keypad->setObjectName(QStringLiteral("img_keypad"));
    const QImage layout = pictures::keypad_layout();
    img_keypad->setGeometry(6, 8, layout.width(), layout.height());
    img_keypad->set_image(layout);
    setFocusPolicy(Qt::StrongFocus);
}

void FrmKeypad::Form_Load() {
    InUse in_use(*this);
    c_.st.keypad_open = true;
    const QRect main_frame = c_.w.frameGeometry();
    place_frame_at(main_frame.left(), main_frame.top() - frame_size().height());
    show();
    activateWindow();
    setFocus();
}

void FrmKeypad::keyPressEvent(QKeyEvent* e) {
    InUse in_use(*this);
    if (!main_.Form_KeyDown(*e)) PanelWindow::keyPressEvent(e);
}

}  // namespace tavrin
