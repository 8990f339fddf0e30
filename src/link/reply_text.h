#pragma once
// Reading numbers out of reply text. Replies are short fixed-format lines
// ("PWR001", "BRI250", "LAI2Camera 2"); a device that answers garbage must
// not crash or confuse the panel, so every reader here turns what is not a
// number into 0 instead of failing.

#include <QChar>
#include <QString>

namespace tavrin {

// A digit's value; anything else (including non-ASCII digits) counts as 0.
inline int digit_value(QChar c) { return c.isDigit() && c.unicode() < 128 ? c.digitValue() : 0; }
// The value of the reply's last character, which is where most replies carry
// their state ("PWR001" is 1).
inline int last_digit(const QString& reply) { return reply.isEmpty() ? 0 : digit_value(reply.back()); }
// The leading decimal number of a text after blanks ("12x" is 12, "x" is 0).
int leading_number(const QString& text);
// A signed decimal number after blanks, with an optional fraction, rounded to
// the nearest integer (halves to even): " 12.5" is 12, "-3" is -3, "x" is 0.
int rounded_number(const QString& text);

}  // namespace tavrin
