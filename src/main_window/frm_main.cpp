#include "main_window/frm_main.h"

#include "main_window/layout_tables.h"
#include "widgets/fonts.h"
#include "widgets/palette.h"

#include <QCloseEvent>
#include <QFont>
#include <QPalette>
#include <QStyleOptionGroupBox>
#include <QStylePainter>

namespace tavrin {

using twips::px;

namespace {

// The button frame groups its controls for enabling only; it has no border
// and no caption, and paints nothing.
class BareGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {}
};

// A frame whose caption lies under its own inner frames: only the border is
// drawn, so no sliver of the caption peeks out beside them.
class CoveredCaptionGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionGroupBox opt;
        initStyleOption(&opt);
        opt.subControls &= ~QStyle::SC_GroupBoxLabel;
        p.drawComplexControl(QStyle::CC_GroupBox, opt);
    }
};

// What the window adds around its client area when the window system does not
// say (before the window is shown, or without decorations): a title bar and
// borders 20 pixels high together. The compact and full heights count them in.
constexpr int nominal_frame_twips = 300;

QFont make_font(layout::Font f) {
    const layout::FontSpec& spec = layout::font_spec(f);
    return layout_font(QString::fromUtf8(spec.family), spec.points, spec.bold);
}

void set_role(QWidget* w, QPalette::ColorRole role, QRgb c) {
    QPalette pal = w->palette();
    pal.setColor(role, QColor::fromRgb(c));
    w->setPalette(pal);
}

QWidget* make_button(const layout::Row& r, QWidget* parent) {
    auto* b = new ColorButton(parent);
    b->setText(QString::fromUtf8(r.caption));
    if (r.back) b->set_back_color(QColor::fromRgb(r.back));
    if (r.picture) b->set_picture(r.picture());
    return b;
}

QWidget* make_slider(const layout::Row& r, QWidget* parent) {
    auto* s = new ScrollSlider(parent);
    s->setRange(r.range.min, r.range.max);
    s->setPageStep(r.range.large);
    return s;
}

QWidget* make_text_box(const layout::Row& r, QWidget* parent) {
    auto* t = new QLineEdit(parent);
    t->setText(QString::fromUtf8(r.caption));
    t->setReadOnly(r.flags & layout::read_only);
    if (r.flags & layout::centred) t->setAlignment(Qt::AlignCenter);
    // The version and value boxes are narrow; the toolkit's own margins
    // would eat a character.
    t->setTextMargins(0, 0, 0, 0);
    if (r.back) set_role(t, QPalette::Base, r.back);
    return t;
}

QWidget* make_log_box(QWidget* parent) {
    auto* t = new QPlainTextEdit(parent);
    t->setReadOnly(true);
    t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return t;
}

QWidget* make_label(const layout::Row& r, QWidget* parent) {
    const QString caption = QString::fromUtf8(r.caption);
    auto* l = new ClickLabel(parent);
    l->setText(caption);
    l->setWordWrap(!caption.startsWith(QLatin1Char(' ')));  // wrapping would drop the indicator's blanks
    l->setAlignment(r.flags & layout::centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    if (r.back) l->set_back_color(QColor::fromRgb(r.back));
    return l;
}

QWidget* make_shape(const layout::Row& r, QWidget* parent) {
    auto* s = new ShapeWidget(r.kind == layout::Kind::Circle ? ShapeWidget::Kind::Circle : ShapeWidget::Kind::RoundRect,
                              parent);
    if (r.back) s->set_fill(QColor::fromRgb(r.back));
    s->set_border(r.border ? QColor::fromRgb(r.border) : colors::black);
    return s;
}

QWidget* make_frame(const layout::Row& r, QWidget* parent) {
    const QString caption = QString::fromUtf8(r.caption);
    QGroupBox* g = nullptr;
    if (r.kind == layout::Kind::BareFrame)
        g = new BareGroupBox(parent);
    else if (r.flags & layout::caption_covered)
        g = new CoveredCaptionGroupBox(caption, parent);
    else
        g = new QGroupBox(caption, parent);
    if (r.back) {
        set_role(g, QPalette::Window, r.back);
        g->setAutoFillBackground(true);
    }
    return g;
}

QWidget* make_control(const layout::Row& r, QWidget* parent) {
    using layout::Kind;
    switch (r.kind) {
    case Kind::Button: return make_button(r, parent);
    case Kind::Option: return new QRadioButton(QString::fromUtf8(r.caption), parent);
    case Kind::Dropdown: {
        auto* c = new QComboBox(parent);
        c->setEditable(false);
        wheel_only_with_focus(c);
        return c;
    }
    case Kind::Slider: return make_slider(r, parent);
    case Kind::TextBox: return make_text_box(r, parent);
    case Kind::LogBox: return make_log_box(parent);
    case Kind::Label: return make_label(r, parent);
    case Kind::RoundRect:
    case Kind::Circle: return make_shape(r, parent);
    case Kind::Frame:
    case Kind::BareFrame: return make_frame(r, parent);
    case Kind::Image: {
        auto* i = new ImageBox(parent);
        if (r.picture) i->set_image(r.picture());
        return i;
    }
    }
    return nullptr;
}

}  // namespace

FrmMain::FrmMain(ProgramFiles files, QWidget* parent) : ControlWindow(std::move(files), parent) {
    setObjectName(QStringLiteral("frm_main"));
    setWindowTitle(QStringLiteral("TAVRIN-4X v3.00 "));
    setFont(make_font(layout::Font::standard));
    build();
    setFixedWidth(px(full_width_twips));
    // The operator may pull the window down to the traffic log, never past
    // the full client area, and not shorter than the compact view.
    setMaximumHeight(px(full_height_twips));
    set_height_twips(compact_height_twips);
}

void FrmMain::build() {
    for (const layout::Row& r : layout::rows()) {
        const QString name = QString::fromUtf8(r.name);
        QWidget* parent = *r.container ? control(QString::fromUtf8(r.container)) : this;
        QWidget* w = make_control(r, parent);
        add_control(name, w);
        w->setGeometry(px(r.l), px(r.t), px(r.w), px(r.h));
        if (r.font != layout::Font::standard) w->setFont(make_font(r.font));
        if (r.fore) set_role(w, QPalette::WindowText, r.fore);
        if (r.flags & layout::hidden) w->setVisible(false);
        if (r.flags & layout::disabled) w->setEnabled(false);
    }
}

int FrmMain::frame_height_px() const {
    // The outer heights count in a title bar; a thinner (or absent) one must
    // still leave the middle band below the compact height.
    const int extra = isVisible() ? frameGeometry().height() - geometry().height() : 0;
    return qMax(extra, px(nominal_frame_twips));
}

void FrmMain::set_height_twips(int twips) {
    height_twips_ = twips;
    const int frame = frame_height_px();
    setMinimumHeight(qMax(1, px(compact_height_twips) - frame));
    resize(width(), qBound(minimumHeight(), px(twips) - frame, maximumHeight()));
}

void FrmMain::closeEvent(QCloseEvent* e) {
    emit closing();
    QWidget::closeEvent(e);
}

}  // namespace tavrin
