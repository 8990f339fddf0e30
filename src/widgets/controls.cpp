#include "widgets/controls.h"

#include "link/program_files.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <filesystem>
#include <qdrawutil.h>

namespace tavrin {

// ---------------------------------------------------------------- ColorButton

namespace {
// Key pictures decoded ahead of time, by file path, with what the file was
// then: a file replaced or gone since is read again.
struct FileStamp {
    qint64 size = -1;  // -1: no regular file
    qint64 modified = 0;
    bool operator==(const FileStamp&) const = default;
};
// Straight from the file system: no time zone work on a reply's path.
FileStamp stamp_of(const QString& path) {
    std::error_code ec;
#ifdef Q_OS_WIN
    const std::filesystem::path p(path.toStdWString());
#else
    const std::filesystem::path p(QFile::encodeName(path).toStdString());
#endif
    if (!std::filesystem::is_regular_file(p, ec) || ec) return {};
    const auto size = std::filesystem::file_size(p, ec);
    if (ec) return {};
    const auto modified = std::filesystem::last_write_time(p, ec);
    if (ec) return {};
    return {qint64(size), qint64(modified.time_since_epoch().count())};
}
struct Preloaded {
    FileStamp stamp;
    QImage image;
};
QHash<QString, Preloaded>& preloaded() {
    static QHash<QString, Preloaded> cache;
    return cache;
}

bool read_picture(const QString& path, QImage* out) {
    if (auto it = preloaded().constFind(path); it != preloaded().constEnd()) {
        const FileStamp now = stamp_of(path);
        if (now.size >= 0 && now == it->stamp) {
            *out = it->image;
            return true;
        }
    }
    // Read through the regular-file check: a FIFO in place of a picture
    // would otherwise hang the panel at the first reply that shows it.
    QByteArray bytes;
    QImage img;
    if (!tavrin::read_regular_file(path, 16 * 1024 * 1024, &bytes) || !img.loadFromData(bytes)) return false;
    *out = img;
    return true;
}
}  // namespace

ColorButton::ColorButton(QWidget* parent) : QPushButton(parent) {
    // paintEvent covers every pixel with the (solid) back colour: what lies
    // beneath need not be painted first whenever the key changes.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ColorButton::preload_picture(const QString& path) {
    // Looked at before reading: a file that changes in between is read again
    // at its first use rather than kept stale.
    const FileStamp before = stamp_of(path);
    QImage img;
    preloaded().remove(path);
    if (before.size >= 0 && read_picture(path, &img)) preloaded().insert(path, {before, img});
}

void ColorButton::set_back_color(const QColor& c) {
    if (c == back_) return;
    back_ = c;
    update();
}

void ColorButton::set_picture(const QImage& img) {
    picture_ = img;
    picture_file_.clear();
    shown_ = QPixmap();
    update();
}

bool ColorButton::load_picture_file(const QString& path) {
    // Every power or mute reply names its picture again: the one showing
    // already came from that file.
    if (!path.isEmpty() && path == picture_file_) return true;
    QImage img;
    if (!read_picture(path, &img)) return false;  // keep what is shown: a missing file must not blank the key
    picture_ = img;
    picture_file_ = path;
    shown_ = QPixmap();
    update();
    return true;
}

const QPixmap& ColorButton::shown_picture() {
    // Converted (and greyed) once per picture and state, not on every paint.
    const bool enabled = isEnabled();
    if (shown_.isNull() || shown_enabled_ != enabled) {
        shown_ = QPixmap::fromImage(picture_);
        if (!enabled) shown_ = QIcon(shown_).pixmap(shown_.size(), QIcon::Disabled);
        shown_enabled_ = enabled;
    }
    return shown_;
}

bool ColorButton::caption_wraps(int width) {
    // Measuring the caption shapes its text; the answer only changes with
    // the caption, the font or the room.
    if (text() != wrap_text_ || width != wrap_width_ || font() != wrap_font_) {
        wrap_text_ = text();
        wrap_width_ = width;
        wrap_font_ = font();
        wraps_ = fontMetrics().horizontalAdvance(wrap_text_) > width;
    }
    return wraps_;
}

void ColorButton::paintEvent(QPaintEvent*) {
    // Drawn by hand so the back colour is exactly the one set: the status
    // colours (selected, routed, in progress) must read the same everywhere.
    QPainter p(this);
    const QRect r = rect();
    const bool sunken = isDown() || isChecked();
    p.fillRect(r, back_);
    qDrawWinButton(&p, r, palette(), sunken, nullptr);

    const QPoint shift = sunken ? QPoint(1, 1) : QPoint(0, 0);
    const QRect inner = r.adjusted(3, 3, -3, -3).translated(shift);

    if (!picture_.isNull()) {
        const QPixmap& pm = shown_picture();
        const QPoint at(r.x() + (r.width() - pm.width()) / 2, r.y() + (r.height() - pm.height()) / 2);
        p.drawPixmap(at + shift, pm);
    }
    if (!text().isEmpty()) {
        p.setFont(font());
        int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
        // A caption wider than the key wraps onto a second line rather than
        // being cut off at both ends.
        if (caption_wraps(inner.width())) flags |= Qt::TextWordWrap;
        if (isEnabled()) {
            p.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
            p.drawText(inner, flags, text());
        } else {
            // Etched, so a disabled caption stays legible on any back colour.
            p.setPen(Qt::white);
            p.drawText(inner.translated(1, 1), flags, text());
            p.setPen(colors::dimmed_text);
            p.drawText(inner, flags, text());
        }
    }
    if (hasFocus()) {
        QStyleOptionFocusRect fr;
        fr.initFrom(this);
        fr.rect = r.adjusted(4, 4, -4, -4);
        fr.backgroundColor = back_;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fr, &p, this);
    }
}

// ---------------------------------------------------------------- ShapeWidget

ShapeWidget::ShapeWidget(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    // A shape is decoration: clicks fall through to what lies beneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeWidget::set_fill(const QColor& c) {
    if (c == fill_) return;
    fill_ = c;
    update();
}

void ShapeWidget::set_border(const QColor& c) {
    if (c == border_) return;
    border_ = c;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, kind_ == Kind::Circle || kind_ == Kind::RoundRect);
    p.setPen(QPen(border_, 1));
    p.setBrush(kind_ == Kind::Outline ? QBrush(Qt::NoBrush) : QBrush(fill_));
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    switch (kind_) {
    case Kind::RoundRect: {
        const qreal radius = qMin(r.width(), r.height()) / 4.0;
        p.drawRoundedRect(r, radius, radius);
        break;
    }
    case Kind::Circle:
        p.drawEllipse(r);
        break;
    case Kind::Rect:
    case Kind::Outline:
        p.drawRect(r);
        break;
    }
}

// ----------------------------------------------------------------- ClickLabel

ClickLabel::ClickLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    // The style's disabled text is about as light as the neutral cell colour;
    // in standby the map's numbers must stay readable, only dimmed.
    QPalette pal = palette();
    pal.setColor(QPalette::Disabled, QPalette::WindowText, colors::dimmed_text);
    setPalette(pal);
}

void ClickLabel::set_back_color(const QColor& c) {
    // A palette change reaches every child and repaints: only when it changes.
    if (c == back_ && c.isValid() == autoFillBackground()) return;
    back_ = c;
    if (!c.isValid()) {
        setAutoFillBackground(false);
        return;
    }
    QPalette pal = palette();
    pal.setColor(QPalette::Window, c);
    setPalette(pal);
    setAutoFillBackground(true);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    // Only a release over the label counts, so a press can still be taken back
    // by moving off before letting go.
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && isEnabled() && isVisible())
        emit clicked();
}

// ------------------------------------------------------------ wheel and focus

namespace {

class WheelNeedsFocus : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::Wheel || static_cast<QWidget*>(watched)->hasFocus()) return false;
        e->ignore();  // on to the parent, as for a control that takes no wheel
        return true;
    }
};

}  // namespace

void wheel_only_with_focus(QWidget* w) {
    static QPointer<WheelNeedsFocus> filter;
    if (!filter) filter = new WheelNeedsFocus(qApp);  // lives as long as the application
    // Not Qt::WheelFocus: the wheel itself must not hand out the focus.
    w->setFocusPolicy(Qt::StrongFocus);
    w->installEventFilter(filter);
}

// ------------------------------------------------------------------- ScrollSlider

namespace {

// The panel's value boxes cover the trough of their slider and leave exactly
// 16 px at each end; the arrows must be that wide to stay whole and clickable.
class SliderStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    static constexpr int arrow_width = 16;
    int pixelMetric(PixelMetric m, const QStyleOption* opt, const QWidget* w) const override {
        if (m == PM_ScrollBarExtent) return arrow_width;
        return QProxyStyle::pixelMetric(m, opt, w);
    }
};

QStyle* slider_style() {
    static QPointer<QStyle> style;
    if (!style) {
        style = new SliderStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(qApp);  // lives as long as the application
    }
    return style;
}

}  // namespace

ScrollSlider::ScrollSlider(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    setStyle(slider_style());
    setSingleStep(1);
    setPageStep(10);
    // Operable from the keyboard like any slider, Right raising the value
    // (a scroll bar takes no focus and reverses its keys by default).
    wheel_only_with_focus(this);
    setInvertedControls(false);
    connect(this, &QAbstractSlider::valueChanged, this, [this](int v) {
        if (!isSliderDown()) completed(v);
    });
    connect(this, &QAbstractSlider::sliderReleased, this, [this] {
        if (value() != settled_) completed(value());
    });
}

void ScrollSlider::completed(int v) {
    if (undoing_) return;
    previous_ = settled_;
    settled_ = v;
    emit change();
}

void ScrollSlider::undo_change() {
    undoing_ = true;
    setValue(previous_);
    undoing_ = false;
    settled_ = value();
}

// ------------------------------------------------------------------- ImageBox

ImageBox::ImageBox(QWidget* parent) : QLabel(parent) {
    setScaledContents(true);
}

void ImageBox::set_image(const QImage& img) {
    setPixmap(QPixmap::fromImage(img));
}

void ImageBox::paintEvent(QPaintEvent*) {
    // QLabel would grey the picture while a frame around it is disabled; the
    // start prompt sits in the button frame exactly while that is so.
    QPainter p(this);
    drawFrame(&p);
    const QPixmap pm = pixmap();
    if (pm.isNull()) return;
    // Scaled smoothly once per size, as the label itself would.
    const QRect cr = contentsRect();
    const qreal dpr = devicePixelRatio();
    const QSize want = cr.size() * dpr;
    if (scaled_.size() != want || scaled_from_ != pm.cacheKey()) {
        scaled_ = pm.size() == want ? pm : pm.scaled(want, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled_.setDevicePixelRatio(dpr);
        scaled_from_ = pm.cacheKey();
    }
    p.drawPixmap(cr.topLeft(), scaled_);
}

}  // namespace tavrin
