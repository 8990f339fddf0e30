#pragma once
// Where the panel's files are: the pictures and the resolution list beside
// the program (a build folder, an unpacked copy) or else in the installed
// share folder; the settings beside the program, or in the user's
// configuration folder when the program's folder cannot be written (as
// under /usr).

#include "link/settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tavrin {

// Reads a regular file (after symbolic links) of at most max_bytes. A FIFO,
// device or folder counts as missing: opening a FIFO nobody writes to would
// block the panel for good.
bool read_regular_file(const QString& path, qint64 max_bytes, QByteArray* out);
bool is_regular_file(const QString& path);

struct ProgramFiles {
    // program_dir: the folder of the executable. The installed share folder is
    // found relative to it (bin/ -> share/tavrin4x/), the user folder is
    // QStandardPaths' AppConfigLocation.
    ProgramFiles(const QString& program_dir);  // NOLINT: a folder is all most callers have

    QString program_dir;
    QString data_dir;  // installed pictures and resolution list
    QString user_dir;  // settings when program_dir cannot be written

    static constexpr const char* settings_name = "tavrin_4x.ini";

    // A data file such as "output_reso.txt" or "bmp/lock.bmp": beside the
    // program when it is there, else in data_dir; beside the program when
    // neither has it (so messages name the usual place).
    QString data_file(const QString& name) const;
    // The data files the panel ships with that neither place holds.
    QStringList missing_data() const;

    // The settings file to read at start-up: beside the program, or the one in
    // the user folder when the program folder holds none. A settings file in a
    // folder where nothing can be written gives way to a user folder copy, the
    // only place changes could have been saved.
    QString settings_to_read() const;
    // Writes the settings beside the program, else in the user folder.
    // Returns the file written, or an empty string when no place took them.
    QString store_settings(const Settings& s) const;
};

// The data files the panel ships with, relative to the data folder.
QStringList shipped_data_files();

}  // namespace tavrin
