#include "main_window/context.h"

namespace tavrin {

int leading_number(const QString& text) {
    const QString t = text.trimmed();
    int value = 0;
    bool any = false;
    for (QChar c : t) {
        if (!c.isDigit() || c.unicode() >= 128) break;
        value = value * 10 + c.digitValue();
        any = true;
        if (value > 100000) break;
    }
    return any ? value : 0;
}

}  // namespace tavrin
