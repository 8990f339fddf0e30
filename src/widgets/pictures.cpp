#include "widgets/pictures.h"

#include "widgets/palette.h"

#include <QDir>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace pictures {

namespace {

constexpr QColor kGround = tavrin::colors::neutral;  // the buttons the pictures sit on
const QColor kInk(0x10, 0x10, 0x10);
constexpr QColor kRed = tavrin::colors::red;

QImage canvas(int w, int h, const QColor& ground = kGround) {
    // RGB32 rather than ARGB: the pictures are opaque and BMP has no alpha anyway.
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(ground);
    return img;
}

void begin(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
}

// DejaVu ships with every Debian desktop; the style hint keeps other systems
// on a plain sans face instead of whatever the default happens to be.
QFont font(int pixels, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif, QFont::PreferAntialias);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void text(QPainter& p, const QRectF& r, const QString& s, const QFont& f, const QColor& c,
          int align = Qt::AlignCenter) {
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, align, s);
}

// IEC 60417 power symbol: a ring open at the top with a bar through the gap.
void draw_power(QPainter& p, QPointF centre, qreal radius, const QColor& c, qreal width) {
    QPen pen(c, width, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRectF ring(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    const int gap = 50; // degrees left open either side of the bar
    p.drawArc(ring, (90 + gap) * 16, (360 - 2 * gap) * 16);
    p.drawLine(QPointF(centre.x(), centre.y() - radius - width * 0.6), QPointF(centre.x(), centre.y() - 1));
}

QImage power_picture(const QColor& symbol) {
    QImage img = canvas(70, 36);
    QPainter p(&img);
    begin(p);
    draw_power(p, QPointF(35, 19), 11, symbol, 3.2);
    return img;
}

// Padlock centred in a 46x32 picture; open lifts the shackle out of its left socket.
QImage padlock(bool open) {
    QImage img = canvas(46, 32);
    QPainter p(&img);
    begin(p);
    const QRectF body(14, 14, 18, 14);
    QPen shackle(kInk, 3, Qt::SolidLine, Qt::FlatCap);
    p.setPen(shackle);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    if (!open) {
        path.moveTo(17.5, body.top() + 1);
        path.lineTo(17.5, 10);
        path.arcTo(QRectF(17.5, 4.5, 11, 11), 180, -180);
        path.lineTo(28.5, body.top() + 1);
    } else {
        // Shackle swung up and to the right, the left leg clear of the body.
        path.moveTo(28.5, body.top() + 1);
        path.lineTo(28.5, 8);
        path.arcTo(QRectF(28.5, 2.5, 11, 11), 180, -180);
        path.lineTo(39.5, 12);
    }
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRoundedRect(body, 2, 2);
    // Keyhole, so the body reads as a lock and not a plain block.
    p.setBrush(kGround);
    p.drawEllipse(QPointF(body.center().x(), body.top() + 5.5), 2.2, 2.2);
    p.drawRect(QRectF(body.center().x() - 1, body.top() + 6, 2, 5));
    return img;
}

// Loudspeaker: magnet box plus cone, opening to the right.
void draw_speaker(QPainter& p, QPointF origin, qreal scale, const QColor& c) {
    QPolygonF cone;
    const qreal x = origin.x(), y = origin.y(), s = scale;
    cone << QPointF(x, y - 3 * s) << QPointF(x + 4 * s, y - 3 * s) << QPointF(x + 9 * s, y - 8 * s)
         << QPointF(x + 9 * s, y + 8 * s) << QPointF(x + 4 * s, y + 3 * s) << QPointF(x, y + 3 * s);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(cone);
}

QImage speaker_picture(bool sound, bool muted) {
    QImage img = canvas(46, 32);
    QPainter p(&img);
    begin(p);
    const qreal scale = 1.3;
    const QPointF origin(muted ? 8 : 9, 16);
    draw_speaker(p, origin, scale, kInk);
    if (sound) {
        // Waves centred just behind the cone's mouth, so they fan out from it.
        const QPointF mouth(origin.x() + 9 * scale - 2, origin.y());
        p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 3; ++i) {
            const qreal r = 6 + 4.5 * i;
            p.drawArc(QRectF(mouth.x() - r, mouth.y() - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
        }
    }
    if (muted) {
        p.setPen(QPen(kRed, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(26, 10), QPointF(38, 22));
        p.drawLine(QPointF(38, 10), QPointF(26, 22));
    }
    return img;
}

enum class Way { Up, Down, Left, Right };

// Filled triangle with its point towards way, fitting a box of size centred on c.
void draw_triangle(QPainter& p, QPointF c, qreal size, Way way, const QColor& colour) {
    const qreal h = size / 2;
    QPolygonF t;
    switch (way) {
    case Way::Up:
        t << QPointF(c.x(), c.y() - h) << QPointF(c.x() + h, c.y() + h * 0.7)
          << QPointF(c.x() - h, c.y() + h * 0.7);
        break;
    case Way::Down:
        t << QPointF(c.x(), c.y() + h) << QPointF(c.x() + h, c.y() - h * 0.7)
          << QPointF(c.x() - h, c.y() - h * 0.7);
        break;
    case Way::Left:
        t << QPointF(c.x() - h, c.y()) << QPointF(c.x() + h * 0.7, c.y() - h)
          << QPointF(c.x() + h * 0.7, c.y() + h);
        break;
    case Way::Right:
        t << QPointF(c.x() + h, c.y()) << QPointF(c.x() - h * 0.7, c.y() - h)
          << QPointF(c.x() - h * 0.7, c.y() + h);
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(t);
}

QImage arrow_key(Way way) {
    QImage img = canvas(46, 32);
    QPainter p(&img);
    begin(p);
    draw_triangle(p, QPointF(23, 16), 16, way, kInk);
    return img;
}

QImage word_key(const QString& word, int pixels = 12) {
    QImage img = canvas(46, 32);
    QPainter p(&img);
    begin(p);
    text(p, img.rect(), word, font(pixels, true), kInk);
    return img;
}

} // namespace

QImage power_symbol() {
    return power_picture(kInk);
}
QImage power_none() {
    return power_picture(QColor(0x80, 0x80, 0x80));
}
QImage power_on() {
    return power_picture(QColor(0x00, 0xA0, 0x00));
}
QImage power_standby() {
    return power_picture(QColor(0xE0, 0x00, 0x00));
}

QImage lock_caption() {
    return word_key(QStringLiteral("Lock"));
}
QImage lock() {
    return padlock(false);
}
QImage unlock() {
    return padlock(true);
}

QImage speaker_on() {
    return speaker_picture(true, false);
}
QImage speaker_off() {
    return speaker_picture(false, true);
}

QImage menu_up() {
    return arrow_key(Way::Up);
}
QImage menu_down() {
    return arrow_key(Way::Down);
}
QImage menu_left() {
    return arrow_key(Way::Left);
}
QImage menu_right() {
    return arrow_key(Way::Right);
}
QImage menu_ok() {
    return word_key(QStringLiteral("OK"));
}
QImage menu_exit() {
    return word_key(QStringLiteral("Exit"));
}
QImage menu_menu() {
    return word_key(QStringLiteral("Menu"));
}

QImage start_prompt() {
    QImage img = canvas(170, 13);
    QPainter p(&img);
    begin(p);
    // Arrow pointing left at the Refresh button beside it.
    p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(6, 6.5), QPointF(15, 6.5));
    draw_triangle(p, QPointF(4.5, 6.5), 9, Way::Left, kRed);
    text(p, QRectF(17, 0, 153, 13), QStringLiteral("Click Refresh to START !"), font(11, true), kRed,
         Qt::AlignLeft | Qt::AlignVCenter);
    return img;
}

QImage banner() {
    QImage img = canvas(890, 234);
    QPainter p(&img);
    begin(p);
    QLinearGradient ground(0, 0, 0, 234);
    ground.setColorAt(0, QColor(0xE8, 0xEC, 0xF2));
    ground.setColorAt(1, QColor(0xB4, 0xBE, 0xCC));
    p.fillRect(img.rect(), ground);

    // Heavy letters: the banner is shown about twelve times smaller.
    QFont big = font(150, true);
    big.setLetterSpacing(QFont::PercentageSpacing, 96);
    QLinearGradient ink(0, 10, 0, 170);
    ink.setColorAt(0, QColor(0x1C, 0x3C, 0x78));
    ink.setColorAt(1, QColor(0x06, 0x12, 0x30));
    QPainterPath title;
    title.addText(0, 0, big, QStringLiteral("TAVRIN-4X"));
    // Fit the lettering into its box whatever face the system substituted.
    const QRectF box(24, 14, 842, 136);
    QRectF tb = title.boundingRect();
    const qreal k = std::min(box.width() / tb.width(), box.height() / tb.height());
    title = QTransform::fromScale(k, k).map(title);
    tb = title.boundingRect();
    title.translate(box.center().x() - tb.center().x(), box.top() - tb.top());
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(title);

    text(p, QRectF(0, 160, 890, 70), QStringLiteral("Video Processor"), font(60, true),
         QColor(0x20, 0x30, 0x50));
    return img;
}

QImage vertical_refresh() {
    QImage img = canvas(16, 93);
    QPainter p(&img);
    begin(p);
    // Turned clockwise, so the text reads from top to bottom.
    p.translate(16, 0);
    p.rotate(90);
    text(p, QRectF(0, 0, 93, 16), QStringLiteral("Refresh"), font(12, true), kInk);
    return img;
}

namespace {

const QColor kKeyBorder(0x80, 0x80, 0x80);

void draw_cap(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kKeyBorder, 1));
    p.setBrush(QColor(0xF4, 0xF4, 0xF4));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
}

// A cap with only its key letter, captioned above.
void letter_cap(QPainter& p, const QRectF& r, const QString& key, const QString& caption) {
    draw_cap(p, r);
    text(p, r, key, font(13, true), kRed);
    text(p, QRectF(r.center().x() - 25, r.top() - 12, 50, 12), caption, font(9), kInk,
         Qt::AlignHCenter | Qt::AlignBottom);
}

enum class Glyph { Text, Up, Down, Left, Right, Mute };

// A numeric-keypad cap: digit in the corner, what it does in the middle.
void keypad_cap(QPainter& p, const QRectF& r, const QString& digit, Glyph glyph, const QString& word = {}) {
    draw_cap(p, r);
    text(p, QRectF(r.left() + 3, r.top() + 2, 12, 12), digit, font(10, true), kRed,
         Qt::AlignLeft | Qt::AlignTop);
    const QPointF c(r.center().x() + 3, r.center().y() + 3);
    switch (glyph) {
    case Glyph::Text:
        text(p, QRectF(r.left() + 1, c.y() - 5.5, r.width() - 2, 14), word, font(9, true), kInk);
        break;
    case Glyph::Up:
        draw_triangle(p, c, 11, Way::Up, kInk);
        break;
    case Glyph::Down:
        draw_triangle(p, c, 11, Way::Down, kInk);
        break;
    case Glyph::Left:
        draw_triangle(p, c, 11, Way::Left, kInk);
        break;
    case Glyph::Right:
        draw_triangle(p, c, 11, Way::Right, kInk);
        break;
    case Glyph::Mute:
        draw_speaker(p, QPointF(c.x() - 8, c.y()), 0.75, kInk);
        p.setPen(QPen(kRed, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(c.x() + 2, c.y() - 4), QPointF(c.x() + 9, c.y() + 4));
        p.drawLine(QPointF(c.x() + 9, c.y() - 4), QPointF(c.x() + 2, c.y() + 4));
        break;
    }
}

} // namespace

QImage keypad_layout() {
    QImage img = canvas(339, 96, QColor(0xDD, 0xDD, 0xDD));
    QPainter p(&img);
    begin(p);

    // Display modes on 1-5.
    const QStringList modes{"Matrix", "PoP", "Wall", "PiP", "Quad"};
    for (int i = 0; i < 5; ++i)
        letter_cap(p, QRectF(15 + i * 40, 16, 26, 26), QString::number(i + 1), modes[i]);

    // Outputs on the left hand, inputs on the right hand of the home row.
    const QString outKeys = QStringLiteral("ASDF"), inKeys = QStringLiteral("JKL;");
    for (int i = 0; i < 4; ++i) {
        letter_cap(p, QRectF(5 + i * 25, 64, 22, 26), outKeys.mid(i, 1), QString(QChar('A' + i)));
        letter_cap(p, QRectF(115 + i * 25, 64, 22, 26), inKeys.mid(i, 1), QString::number(i + 1));
    }

    // Menu and front-panel keys on the numeric keypad.
    const qreal x0 = 225, y0 = 3, w = 35, h = 28, gap = 3;
    auto cell = [&](int col, int row) { return QRectF(x0 + col * (w + gap), y0 + row * (h + gap), w, h); };
    keypad_cap(p, cell(0, 0), "7", Glyph::Mute);
    keypad_cap(p, cell(1, 0), "8", Glyph::Up);
    keypad_cap(p, cell(2, 0), "9", Glyph::Text, "Lock");
    keypad_cap(p, cell(0, 1), "4", Glyph::Left);
    keypad_cap(p, cell(1, 1), "5", Glyph::Text, "OK");
    keypad_cap(p, cell(2, 1), "6", Glyph::Right);
    keypad_cap(p, cell(0, 2), "1", Glyph::Text, "Exit");
    keypad_cap(p, cell(1, 2), "2", Glyph::Down);
    keypad_cap(p, cell(2, 2), "3", Glyph::Text, "Menu");
    return img;
}

bool write_button_bitmaps(const QString& dir) {
    if (!QDir().mkpath(dir)) return false;
    const struct {
        const char* name;
        QImage (*draw)();
    } files[] = {
        {"power_none.bmp", power_none},
        {"power_on.bmp", power_on},
        {"power_standby.bmp", power_standby},
        {"lock.bmp", lock},
        {"unlock.bmp", unlock},
        {"speaker_on.bmp", speaker_on},
        {"speaker_off.bmp", speaker_off},
    };
    const QDir out(dir);
    bool ok = true;
    for (const auto& f : files) {
        // RGB888 makes the BMP writer emit 24 bits per pixel.
        const QImage img = f.draw().convertToFormat(QImage::Format_RGB888);
        ok = img.save(out.filePath(QString::fromLatin1(f.name)), "BMP") && ok;
    }
    return ok;
}

QImage app_icon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    begin(p);
    const qreal s = size;
    // Whole pixels at the small sizes keep the tiles sharp.
    const qreal margin = std::max<qreal>(1, std::round(s * 0.04));
    const QRectF tile(margin, margin, s - 2 * margin, s - 2 * margin);
    QLinearGradient ground(0, tile.top(), 0, tile.bottom());
    ground.setColorAt(0, QColor(0x2A, 0x52, 0x9A));
    ground.setColorAt(1, QColor(0x06, 0x12, 0x30));
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawRoundedRect(tile, s * 0.16, s * 0.16);

    // The four outputs, each showing one of the four inputs.
    const QColor screens[] = {QColor(0x4F, 0xC3, 0xF7), QColor(0x81, 0xC7, 0x84), QColor(0xFF, 0xB7, 0x4D),
                              QColor(0xE5, 0x73, 0x73)};
    const qreal pad = std::max<qreal>(2, std::round(s * 0.16));
    const qreal gap = std::max<qreal>(1, std::round(s * 0.06));
    const qreal cell = (s - 2 * pad - gap) / 2;
    for (int i = 0; i < 4; ++i) {
        const QRectF r(pad + (i % 2) * (cell + gap), pad + (i / 2) * (cell + gap), cell, cell);
        QLinearGradient glow(0, r.top(), 0, r.bottom());
        glow.setColorAt(0, screens[i].lighter(125));
        glow.setColorAt(1, screens[i]);
        p.setBrush(glow);
        p.drawRoundedRect(r, s * 0.03, s * 0.03);
    }
    return img;
}

const QList<int>& app_icon_sizes() {
    static const QList<int> sizes{16, 22, 24, 32, 48, 64, 128, 256};
    return sizes;
}

QIcon app_icon() {
    QIcon icon;
    for (int size : app_icon_sizes()) icon.addPixmap(QPixmap::fromImage(app_icon(size)));
    return icon;
}

bool write_app_icons(const QString& dir) {
    bool ok = true;
    for (int size : app_icon_sizes()) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(dir).arg(size);
        ok = QDir().mkpath(folder) && app_icon(size).save(folder + QStringLiteral("/tavrin4x.png"), "PNG") && ok;
    }
    return ok;
}

} // namespace pictures
