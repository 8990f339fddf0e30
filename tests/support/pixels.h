#pragma once
// Counting pixels of a colour in drawn pictures and grabbed widgets.

#include <QColor>
#include <QImage>

namespace tavrin::testing {

// Pixels of img for which pick() holds.
inline int count_pixels(const QImage& img, bool (*pick)(QColor)) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += pick(img.pixelColor(x, y));
    return n;
}
inline bool red(QColor c) { return c.red() > 150 && c.green() < 80 && c.blue() < 80; }

}  // namespace tavrin::testing
