#include "panels/frm_pip.h"

#include "panels/pip.h"
#include "widgets/fonts.h"

namespace tavrin {

using twips::px;

FrmPip::FrmPip(Context& c, Pip& main, QWidget* owner)
    : PanelWindow(owner, QStringLiteral("frm_pip"), QStringLiteral("DUAL PiP"), px(client_w_twips), px(client_h_twips)),
      c_(c),
      main_(main) {
    build();
}

void FrmPip::build() {
    setFont(layout_font(QStringLiteral("Arial"), 9));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, colors::neutral);
    setPalette(pal);
    cmd_refresh = add_refresh_button(30, 60, 345, 1665, [this] { cmd_refresh_Click(); });
    build_inset(1);
    build_inset(2);
}

void FrmPip::build_inset(int inset) {
    const QString ab = inset == 1 ? QStringLiteral("a") : QStringLiteral("b");
    const int left = px(inset == 1 ? 480 : 1920);
    const int width = px(1335);
    QFont bold_verdana = layout_font(QStringLiteral("Verdana"), 9);
    bold_verdana.setBold(true);

    auto* head = new QLabel(inset == 1 ? QStringLiteral("PiP A") : QStringLiteral("PiP B"), this);
    head->setObjectName(QStringLiteral("lab_") + ab);
    head->setFont(bold_verdana);
    head->setAlignment(Qt::AlignCenter);
    head->setGeometry(left, px(45), width, px(270));

    auto* swap = new ColorButton(this);
    swap->setText(QStringLiteral("SWAP"));
    swap->setObjectName(QStringLiteral("cmd_%1_swap").arg(ab));
    swap->setFont(layout_font(QStringLiteral("Verdana"), 8));
    swap->setGeometry(left + px(120), px(330), width - px(240), px(330));

    auto* list = new QComboBox(this);
    list->setObjectName(QStringLiteral("cbo_%1_size").arg(ab));
    list->setGeometry(left + px(60), px(720), width - px(120), px(330));
    wheel_only_with_focus(list);

    if (inset == 1) {
        lab_a = head, cmd_a_swap = swap, cbo_a_size = list;
        QObject::connect(swap, &QPushButton::clicked, this, [this] { cmd_a_swap_Click(); });
        QObject::connect(list, &QComboBox::activated, this, [this] { cbo_a_size_Click(); });
    } else {
        lab_b = head, cmd_b_swap = swap, cbo_b_size = list;
        QObject::connect(swap, &QPushButton::clicked, this, [this] { cmd_b_swap_Click(); });
        QObject::connect(list, &QComboBox::activated, this, [this] { cbo_b_size_Click(); });
    }
    build_corners(inset, left, width);
}

void FrmPip::build_corners(int inset, int left, int width) {
    // The picture outline with its four corners.
    const QString ab = inset == 1 ? QStringLiteral("a") : QStringLiteral("b");
    const int bw = px(315), bh = px(225), gap = px(120);
    const int block_w = 2 * bw + gap, block_h = 2 * bh + px(60);
    const int bx = left + (width - block_w) / 2, by = px(1140);
    auto* outline = new ShapeWidget(ShapeWidget::Kind::Outline, this);
    outline->setObjectName(QStringLiteral("sha_") + ab);
    outline->set_border(colors::black);
    outline->setGeometry(bx - px(60), by - px(45), block_w + px(120), block_h + px(60));
    (inset == 1 ? sha_a : sha_b) = outline;
    const QPoint corners[4] = {{bx, by}, {bx + bw + gap, by}, {bx + bw + gap, by + bh + px(60)}, {bx, by + bh + px(60)}};
    std::array<ColorButton*, 4>& pos_buttons = inset == 1 ? cmd_a_pos : cmd_b_pos;
    for (int k = 0; k < 4; ++k) {
        auto* b = new ColorButton(this);
        b->setObjectName(QStringLiteral("cmd_%1_pos(%2)").arg(ab).arg(k));
        b->setGeometry(QRect(corners[k], QSize(bw, bh)));
        b->set_back_color(colors::neutral);
        pos_buttons[k] = b;
        if (inset == 1) QObject::connect(b, &QPushButton::clicked, this, [this, k] { cmd_a_pos_Click(k); });
        else QObject::connect(b, &QPushButton::clicked, this, [this, k] { cmd_b_pos_Click(k); });
    }
}

void FrmPip::Form_Load() {
    InUse in_use(*this);
    c_.st.pip_open = true;
    const QRect main_frame = c_.w.frameGeometry();
    place_frame_at(main_frame.left() + px(left_offset_twips), main_frame.top() - frame_size().height());
    for (QComboBox* list : {cbo_a_size, cbo_b_size}) {
        list->clear();
        list->addItems({QStringLiteral("Large"), QStringLiteral("Medium"), QStringLiteral("Small"), QStringLiteral("Off")});
        list->setCurrentIndex(-1);
    }
    show();
    activateWindow();
    cmd_refresh_Click();
}

void FrmPip::cmd_refresh_Click() {
    InUse in_use(*this);
    if (c_.st.cur_mode == DisplayMode::dual && c_.st.dual_kind == DualKind::pip) main_.dual_pip_refresh();
}

void FrmPip::cmd_a_pos_Click(int index) {
    InUse in_use(*this);
    if (c_.st.cmd_enable) main_.dual_pip_set(QStringLiteral("PPO01%1").arg(index));
}

void FrmPip::cmd_b_pos_Click(int index) {
    InUse in_use(*this);
    if (c_.st.cmd_enable) main_.dual_pip_set(QStringLiteral("PPO02%1").arg(index));
}

void FrmPip::size_click(QComboBox* list, int inset) {
    InUse in_use(*this);
    if (!c_.st.cmd_enable) return;
    const int index = list->currentIndex();
    if (index < 0 || index > 9) return;
    // Disabled while the command waits, so a second size cannot follow it.
    list->setEnabled(false);
    main_.dual_pip_set(QStringLiteral("PSZ0%1%2").arg(inset).arg(index));
    list->setEnabled(true);
}

void FrmPip::cbo_a_size_Click() { size_click(cbo_a_size, 1); }

void FrmPip::cbo_b_size_Click() { size_click(cbo_b_size, 2); }

void FrmPip::cmd_a_swap_Click() {
    InUse in_use(*this);
    if (c_.st.cmd_enable) main_.dual_pip_set(QStringLiteral("PSW001"));
}

void FrmPip::cmd_b_swap_Click() {
    InUse in_use(*this);
    if (c_.st.cmd_enable) main_.dual_pip_set(QStringLiteral("PSW002"));
}

}  // namespace tavrin
