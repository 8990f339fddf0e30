#pragma once
// The faces the windows were laid out for. Each family the layout names is
// followed by a freely available face with the same widths, asked for by
// name: left to itself Fontconfig may pick a wider face, and then captions
// such as "H Correction" no longer fit their controls.

#include <QFont>
#include <QStringList>

namespace tavrin {

// family: as the layout names it ("Arial", "Verdana", "Courier New",
// "新細明體"); points: its size in points.
QFont layout_font(const QString& family, qreal points, bool bold = false);
// The families layout_font() asks for, in order.
QStringList layout_families(const QString& family);

}  // namespace tavrin
