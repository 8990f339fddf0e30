#include "panels/frm_hdcp.h"

#include "panels/hdcp.h"
#include "widgets/fonts.h"

#include <QFontMetrics>
#include <QStyle>

namespace tavrin {

using twips::px;

namespace {

// The centre of the k-th head of a column-head caption, so the option
// columns sit under their heads whatever the font measures. Heads are
// separated by runs of blanks; a single blank belongs to the head ("OUT A").
QList<int> word_centres(const QLabel* head) {
    const QFontMetrics fm(head->font());
    const QString t = head->text();
    const auto gap_at = [&](int k) { return k + 1 < t.size() && t[k] == QLatin1Char(' ') && t[k + 1] == QLatin1Char(' '); };
    QList<int> centres;
    int i = 0;
    while (i < t.size()) {
        while (i < t.size() && t[i] == QLatin1Char(' ')) ++i;
        if (i >= t.size()) break;
        int j = i;
        while (j < t.size() && !gap_at(j)) ++j;
        while (t[j - 1] == QLatin1Char(' ')) --j;
        const int left = fm.horizontalAdvance(t.left(i));
        const int right = fm.horizontalAdvance(t.left(j));
        centres.append(head->x() + (left + right) / 2);
        i = j;
    }
    return centres;
}
// The input half and the output half: row heads left of the option columns,
// one caption of column heads above them. In twips.
struct HalfLook {
    const char* frame_name;
    const char* caption;
    const char* label_name;
    const char* heads;
    const char* upper;  // row heads
    const char* lower;
    int left, width, head_x;
};
constexpr HalfLook kHalves[2] = {
    {"fra_hdcp_input", "HDCP Input", "lab_hdcp_input", "IN1      IN2      IN3      IN4", "On", "Off", 435, 3180, 600},
    {"fra_hdcp_output", "HDCP Output", "lab_hdcp_output", "OUT A     OUT B     OUT C    OUT D", "Follow Input",
     "Follow Output", 3690, 4365, 1380},
};
constexpr int frame_h = 1560, upper_y = 780, lower_y = 1140, row_h = 300;

}  // namespace

FrmHdcp::FrmHdcp(Context& c, Hdcp& main, QWidget* owner)
    : PanelWindow(owner, QStringLiteral("frm_hdcp"), QStringLiteral("HDCP"), px(client_w_twips), px(client_h_twips)),
      c_(c),
      main_(main) {
    build();
}

void FrmHdcp::build() {
    setFont(layout_font(QStringLiteral("Arial"), 9));
    cmd_refresh = add_refresh_button(30, 45, 345, 1485, [this] { cmd_refresh_Click(); });
    build_half(0);
    build_half(1);
}

void FrmHdcp::build_half(int h) {
    const HalfLook& half = kHalves[h];
    const int head_x = px(half.head_x), width = px(half.width);
    auto* fra = new QGroupBox(QString::fromLatin1(half.caption), this);
    fra->setObjectName(QString::fromLatin1(half.frame_name));
    fra->setGeometry(px(half.left), 0, width, px(frame_h));
    (h == 0 ? fra_hdcp_input : fra_hdcp_output) = fra;

    std::array<QLabel*, 3>& labels = h == 0 ? lab_hdcp_input : lab_hdcp_output;
    auto make_label = [&](int index, const char* text, QRect r) {
        auto* l = new QLabel(QString::fromLatin1(text), fra);
        l->setObjectName(QStringLiteral("%1(%2)").arg(QString::fromLatin1(half.label_name)).arg(index));
        l->setGeometry(r);
        labels[index] = l;
        return l;
    };
    QLabel* heads = make_label(0, half.heads, QRect(head_x, px(390), width - head_x - px(60), px(285)));
    make_label(1, half.upper, QRect(px(90), px(upper_y), head_x - px(90), px(row_h)));
    make_label(2, half.lower, QRect(px(90), px(lower_y), head_x - px(90), px(row_h)));

    const QList<int> centres = word_centres(heads);
    for (int col = 0; col < 4; ++col)
        build_pair(fra, h, col, col < centres.size() ? centres[col] : head_x + col * px(600));
}

void FrmHdcp::build_pair(QGroupBox* frame, int h, int col, int centre_x) {
    // Inputs use fra_i(0..3) left to right; the outputs fra_i(7..4).
    const int frame_index = h == 0 ? col : 7 - col;
    auto* pair = new QGroupBox(frame);
    pair->setObjectName(QStringLiteral("fra_i(%1)").arg(frame_index));
    pair->setFlat(true);
    pair->setStyleSheet(QStringLiteral("QGroupBox { border: 0; margin: 0; padding: 0; }"));
    const int w = px(300), upper = px(upper_y), lower = px(lower_y), height = px(row_h);
    pair->setGeometry(centre_x - w / 2, upper, w, lower - upper + height);
    fra_i[frame_index] = pair;

    auto& opts = h == 0 ? in_[col] : out_[col];
    const int n = col + 1;
    for (int index = 0; index < 2; ++index) {
        auto* o = new QRadioButton(pair);
        o->setObjectName(QStringLiteral("%1%2(%3)")
                             .arg(h == 0 ? QStringLiteral("opt_hdcp_in") : QStringLiteral("opt_hdcp_out"))
                             .arg(n)
                             .arg(index));
        // A bare indicator, centred in its column.
        const int iw = o->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, o) + 2;
        o->setGeometry((w - iw) / 2, index == 0 ? 0 : lower - upper, iw, height);
        opts[index] = o;
        if (h == 0)
            QObject::connect(o, &QRadioButton::clicked, this, [this, n, index] { opt_hdcp_in_Click(n, index); });
        else
            QObject::connect(o, &QRadioButton::clicked, this, [this, n, index] { opt_hdcp_out_Click(n, index); });
    }
}

void FrmHdcp::Form_Load() {
    InUse in_use(*this);
    c_.st.hdcp_open = true;
    // The panel's bottom edge comes to lie near the level of the HDCP button.
    const QRect main_frame = c_.w.frameGeometry();
    const int button_top = c_.w.control(QStringLiteral("cmd_hdcp"))->mapTo(&c_.w, QPoint(0, 0)).y();
    place_frame_at(main_frame.left(), main_frame.top() + button_top - frame_size().height());
    show();
    activateWindow();
    cmd_refresh_Click();
}

void FrmHdcp::cmd_refresh_Click() {
    InUse in_use(*this);
    fra_hdcp_input->setEnabled(false);
    fra_hdcp_output->setEnabled(false);
    c_.platform.pump();
    main_.hdcp_refresh();
    fra_hdcp_input->setEnabled(true);
    fra_hdcp_output->setEnabled(true);
}

void FrmHdcp::opt_hdcp_in_Click(int n, int index) {
    InUse in_use(*this);
    if (!c_.st.cmd_enable) return;
    main_.hdcp_in_out_set(QStringLiteral("HPI0%1%2").arg(n).arg(index));
}

void FrmHdcp::opt_hdcp_out_Click(int n, int index) {
    InUse in_use(*this);
    if (!c_.st.cmd_enable) return;
    main_.hdcp_in_out_set(QStringLiteral("HPO0%1%2").arg(n).arg(index));
}

}  // namespace tavrin
