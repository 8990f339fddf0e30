#pragma once
// The settings file "tavrin_4x.ini" and the resolution list "output_reso.txt",
// both beside the program.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace tavrin {

struct Settings {
    int16_t link_kind = 0;      // 0 RS-232, 1 Ethernet
    int16_t com_port_no = 1;    // 1..9
    bool advanced_view = false;
    QString address;            // txt_ip, outer blanks removed
};

// Reads the four records; anything missing or malformed keeps its default,
// and so does a path that is not a regular file.
Settings read_settings(const QString& path);
// Writes the four CR LF lines to a new file that then replaces the old one,
// so a crash mid-write never leaves a truncated settings file. A folder that
// takes no new file while the file itself is writable gets the file
// rewritten in place instead. Text is Latin-1 bytes; an address Latin-1
// cannot hold is written as UTF-8, which reading recognises.
bool write_settings(const QString& path, const Settings& s);
// One name per line up to "END" (not included); a missing file gives none.
QStringList read_resolution_list(const QString& path);

}  // namespace tavrin
