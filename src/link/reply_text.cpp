#include "link/reply_text.h"

#include <cmath>

namespace tavrin {

namespace {
bool ascii_digit(QChar c) { return c.isDigit() && c.unicode() < 128; }
}  // namespace

int leading_number(const QString& text) {
    const QString t = text.trimmed();
    int value = 0;
    bool any = false;
    for (QChar c : t) {
        if (!ascii_digit(c)) break;
        value = value * 10 + c.digitValue();
        any = true;
        if (value > 100000) break;
    }
    return any ? value : 0;
}

int rounded_number(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) negative = t[i++] == QLatin1Char('-');
    double v = 0;
    while (i < t.size() && ascii_digit(t[i])) v = v * 10 + t[i++].digitValue();
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        double scale = 0.1;
        for (++i; i < t.size() && ascii_digit(t[i]); ++i, scale /= 10) v += t[i].digitValue() * scale;
    }
    const int r = int(std::nearbyint(v));  // default rounding: halves to even
    return negative ? -r : r;
}

}  // namespace tavrin
