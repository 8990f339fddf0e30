#include "widgets/fonts.h"

namespace tavrin {

QStringList layout_families(const QString& family) {
    // The Debian packages that bring them: fonts-liberation2 (Arial and
    // Courier New widths), fonts-dejavu-core (Verdana's widths, near enough)
    // and fonts-wqy-microhei (the Chinese caption of the clear button).
    static const struct {
        const char* family;
        const char* stand_ins;
    } table[] = {
        {"Arial", "Liberation Sans"},
        {"Courier New", "Liberation Mono"},
        {"Verdana", "DejaVu Sans"},
        {"新細明體", "PMingLiU|WenQuanYi Micro Hei"},
    };
    QStringList out{family};
    for (const auto& row : table)
        if (family == QString::fromUtf8(row.family)) out += QString::fromUtf8(row.stand_ins).split(QLatin1Char('|'));
    return out;
}

QFont layout_font(const QString& family, qreal points, bool bold) {
    QFont f(family);
    f.setFamilies(layout_families(family));
    f.setStyleHint(family.contains(QLatin1String("Courier")) ? QFont::Monospace : QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

}  // namespace tavrin
