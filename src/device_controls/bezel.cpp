#include "device_controls/bezel.h"

#include "link/reply_text.h"

#include <QLineEdit>
#include <QRadioButton>

namespace tavrin {

namespace {
// The largest value or limit the panel accepts in a BEH or BEV reply.
constexpr int max_reported = 254;
}  // namespace

Bezel::Bezel(Context& c) : c_(c) {
    ControlWindow& w = c.w;
    h_ = {w.ctl<ScrollSlider>(QStringLiteral("hsr_bezel_h")), w.ctl<QLineEdit>(QStringLiteral("txt_bezel_h")),
          QStringLiteral("BEH")};
    v_ = {w.ctl<ScrollSlider>(QStringLiteral("hsr_bezel_v")), w.ctl<QLineEdit>(QStringLiteral("txt_bezel_v")),
          QStringLiteral("BEV")};
    for (int i = 0; i <= 1; ++i) {
        onoff_[i] = w.ctl_at<QRadioButton>(QStringLiteral("opt_bezel_onoff"), i);
        QObject::connect(onoff_[i], &QRadioButton::clicked, onoff_[i], [this, i] { opt_bezel_onoff_Click(i); });
    }
    QObject::connect(h_.slider, &ScrollSlider::change, h_.slider, [this] { hsr_bezel_h_Change(); });
    QObject::connect(v_.slider, &ScrollSlider::change, v_.slider, [this] { hsr_bezel_v_Change(); });

    c.link.register_handler(QStringLiteral("BEH"), [this] { on_reply_BEH(); });
    c.link.register_handler(QStringLiteral("BEV"), [this] { on_reply_BEV(); });
    c.link.register_handler(QStringLiteral("BEZ"), [this] { on_reply_BEZ(); });
}

void Bezel::slider_change(Axis& a) {
    if (!c_.st.cmd_enable) return;
    if (c_.link.link_up() && c_.link.awaiting_reply()) {
        // Would be dropped while another exchange waits: keep the device's value.
        a.slider->undo_change();
        return;
    }
    const QString s = QString::number(a.slider->value());
    a.box->setText(s);
    c_.link.tx_cmd_nowait(a.code + s.rightJustified(3, QLatin1Char('0')));
}

void Bezel::hsr_bezel_h_Change() { slider_change(h_); }
void Bezel::hsr_bezel_v_Change() { slider_change(v_); }

void Bezel::opt_bezel_onoff_Click(int index) {
    if (!c_.st.cmd_enable) return;
    c_.link.tx_cmd(QStringLiteral("BEZ") + Link::Pad3(index));
}

void Bezel::value_reply(Axis& a) {
    const QString r = c_.link.reply();
    const int v = leading_number(r.right(3));
    if (v > max_reported) return;  // not a value the panel can show; leave everything as it is

    HoldCommands hold(c_.st);
    if (c_.st.bezel_max_query) {
        const int before = a.slider->value();
        a.slider->setMaximum(v);
        // A limit below the current value pulls the slider down with it; the
        // box follows so it never shows a value the slider cannot hold.
        if (a.slider->value() != before) a.box->setText(QStringLiteral(" ") + QString::number(a.slider->value()));
        c_.st.bezel_max_query = false;
    } else {
        // The device accepted this value, so a lower limit read earlier is stale.
        if (v > a.slider->maximum()) a.slider->setMaximum(v);
        a.box->setText(QStringLiteral(" ") + QString::number(v));
        a.slider->setValue(v);
    }
    c_.platform.pump();
}

void Bezel::on_reply_BEH() { value_reply(h_); }
void Bezel::on_reply_BEV() { value_reply(v_); }

void Bezel::on_reply_BEZ() {
    const QString r = c_.link.reply();
    const int d = last_digit(r);
    HoldCommands hold(c_.st);
    if (d == 0 || d == 1) {  // any other digit names no option and is ignored
        onoff_[d]->setChecked(true);
        c_.platform.pump();
        const bool on = !onoff_[0]->isChecked();
        h_.slider->setEnabled(on);
        v_.slider->setEnabled(on);
    }
}

}  // namespace tavrin
