#pragma once

// The panel's pictures, drawn in code so no binary artwork has to be kept in
// step with the widgets. Every function needs a QGuiApplication (text is
// rendered through the platform's fonts).

#include <QIcon>
#include <QImage>
#include <QString>

namespace pictures {

// Power key, 70x36.
QImage power_symbol();  // dark symbol on grey: the key before the device reports
QImage power_none();    // state unknown: grey symbol
QImage power_on();      // green symbol
QImage power_standby(); // red symbol

// Front-panel lock key, 46x32.
QImage lock_caption(); // the word "Lock": the key before the device reports
QImage lock();        // closed padlock
QImage unlock();      // open padlock

// Audio mute key, 46x32.
QImage speaker_on();  // loudspeaker with sound waves
QImage speaker_off(); // loudspeaker crossed out in red

// OSD menu keys, 46x32.
QImage menu_up();
QImage menu_down();
QImage menu_left();
QImage menu_right();
QImage menu_ok();
QImage menu_exit();
QImage menu_menu();

QImage start_prompt();     // 170x13, "Click Refresh to START !" with a left arrow
QImage banner();           // 890x234 product banner
QImage vertical_refresh(); // 16x93, "Refresh" reading top to bottom
QImage keypad_layout();    // 339x96, the keyboard shortcuts

// The program's icon: four screens on a dark blue tile. size x size pixels
// with a transparent corner; app_icon() holds the usual desktop sizes.
QImage app_icon(int size);
QIcon app_icon();
// The sizes the icon is installed at (hicolor theme folders NxN/apps).
const QList<int>& app_icon_sizes();
// Writes <dir>/<N>x<N>/apps/tavrin4x.png for every size. False on any failure.
bool write_app_icons(const QString& dir);

// Writes the seven state bitmaps the panel loads at run time (power_none.bmp,
// power_on.bmp, power_standby.bmp, lock.bmp, unlock.bmp, speaker_on.bmp,
// speaker_off.bmp) as 24-bit BMP into dir, creating it if needed.
// Returns false if the directory or any file could not be written.
bool write_button_bitmaps(const QString& dir);

} // namespace pictures
