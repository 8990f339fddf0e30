#include "panels/frm_label.h"

#include "panels/labels.h"
#include "widgets/fonts.h"

#include <QKeyEvent>

namespace tavrin {

using twips::px;

namespace {
bool is_control(QChar ch) { return ch.category() == QChar::Other_Control; }
}  // namespace

FrmLabel::FrmLabel(Context& c, Labels& main, QWidget* owner)
    : PanelWindow(owner, QStringLiteral("frm_label"), QStringLiteral("Input Labels"), px(client_w_twips),
                  px(client_h_twips)),
      c_(c),
      main_(main) {
    build();
}

void FrmLabel::build() {
    setFont(layout_font(QStringLiteral("Arial"), 9));
    QFont verdana = layout_font(QStringLiteral("Verdana"), 9);

    cmd_refresh = add_refresh_button(30, 60, 405, 1995, [this] { cmd_refresh_Click(); });

    const struct {
        int index;
        const char* caption;
        int left;
    } switches[] = {{1, "ON", 540}, {0, "OFF", 1440}};
    for (const auto& s : switches) {
        auto* o = new QRadioButton(QString::fromLatin1(s.caption), this);
        o->setObjectName(QStringLiteral("opt_on_off(%1)").arg(s.index));
        o->setFont(verdana);
        o->setGeometry(px(s.left), px(90), px(855), px(315));
        on_off_[s.index] = o;
        const int index = s.index;
        QObject::connect(o, &QRadioButton::clicked, this, [this, index] { opt_on_off_Click(index); });
    }

    QFont bold_verdana = verdana;
    bold_verdana.setBold(true);
    for (int i = 0; i < 4; ++i) {
        const int top = px(525 + i * 390);
        auto* shape = new ShapeWidget(ShapeWidget::Kind::Rect, this);
        shape->setObjectName(QStringLiteral("sha_lab_in(%1)").arg(i));
        shape->set_fill(colors::unlit);
        shape->set_border(colors::lamp_border);
        shape->setGeometry(px(540), top, px(315), px(315));
        sha_lab_in[i] = shape;

        auto* no = new QLabel(QString::number(i + 1), this);
        no->setObjectName(QStringLiteral("lab_no(%1)").arg(i));
        no->setFont(bold_verdana);
        no->setAlignment(Qt::AlignCenter);
        no->setGeometry(shape->geometry());
        lab_no[i] = no;

        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txt_lab_in(%1)").arg(i + 1));
        box->setFont(layout_font(QStringLiteral("Courier New"), 9));
        box->setMaxLength(12);  // all the device keeps; a longer line is refused as a whole
        box->setGeometry(px(930), top - px(15), px(1695), px(345));
        box->installEventFilter(this);
        // Pasted control characters are refused at once, so the box never
        // shows something other than what Enter would send.
        QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString& t) {
            const QString clean = without_control_chars(t);
            if (clean == t) return;
            const int cursor = box->cursorPosition() - int(t.left(box->cursorPosition()).size() -
                                                           without_control_chars(t.left(box->cursorPosition())).size());
            box->setText(clean);
            box->setCursorPosition(cursor);
        });
        txt_[i] = box;
    }
}

bool FrmLabel::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        for (int i = 0; i < 4; ++i) {
            if (watched != txt_[i]) continue;
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
                txt_lab_in_KeyPress(i + 1, 13);
                return true;
            }
        }
    }
    return PanelWindow::eventFilter(watched, e);
}

void FrmLabel::Form_Load() {
    InUse in_use(*this);
    c_.st.label_open = true;
    // Directly above the main window, right edges aligned.
    const QRect main_frame = c_.w.frameGeometry();
    const QSize own = frame_size();
    place_frame_at(main_frame.left() + main_frame.width() - own.width(), main_frame.top() - own.height());
    show();
    activateWindow();
    c_.platform.pump();
    cmd_refresh_Click();
}

void FrmLabel::cmd_refresh_Click() {
    InUse in_use(*this);
    for (QLineEdit* box : txt_) box->setText(QString());
    main_.label_in_refresh();
}

void FrmLabel::opt_on_off_Click(int index) {
    InUse in_use(*this);
    if (!c_.st.cmd_enable) return;
    main_.label_in_set(QStringLiteral("LAB00%1").arg(index));
}

void FrmLabel::txt_lab_in_KeyPress(int index, int key_ascii) {
    if (key_ascii != 13) return;
    InUse in_use(*this);
    QLineEdit* box = txt_lab_in(index);
    // What is sent is what the box shows.
    const QString clean = without_control_chars(box->text());
    if (clean != box->text()) box->setText(clean);
    main_.label_in_set(label_command(index, clean));
}

QString FrmLabel::without_control_chars(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar ch : text)
        if (!is_control(ch)) out.append(ch);
    return out;
}

QString FrmLabel::label_command(int index, const QString& text) {
    // The label's own CR, then tx_cmd adds the terminating one.
    return QStringLiteral("LAI") + QString::number(index) + without_control_chars(text) + QLatin1Char('\r');
}

}  // namespace tavrin
