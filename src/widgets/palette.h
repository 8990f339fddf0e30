#pragma once
// The panel's colours, one name per meaning. Controllers paint state with
// them, and the window tables, the controls' defaults and the drawn pictures
// take their colours from here too, so a state reads the same everywhere.

#include <QColor>

namespace tavrin::colors {

inline constexpr QColor neutral{0xC0, 0xC0, 0xC0};      // buttons and map cells at rest, version boxes
inline constexpr QColor selected{0x50, 0xC0, 0xFF};     // the chosen mode, output, preset, PiP corner
inline constexpr QColor routed{0x00, 0xD0, 0x20};       // the routed input; also: link connected
inline constexpr QColor red{0xFF, 0x00, 0x00};          // link down; a lamp whose window is opening
inline constexpr QColor in_progress{0xC0, 0xC0, 0x00};  // a button whose action is under way
inline constexpr QColor idle_lamp{0xA0, 0xA0, 0xA0};    // lamps once used; borders of unselected map cells
inline constexpr QColor unlit{0xB0, 0xB0, 0xB0};        // lamps before first use, picture frames, value boxes
inline constexpr QColor lamp_border{0x70, 0x70, 0x70};
inline constexpr QColor black{0x00, 0x00, 0x00};
inline constexpr QColor dimmed_text{0x80, 0x80, 0x80};  // captions of disabled controls

}  // namespace tavrin::colors
