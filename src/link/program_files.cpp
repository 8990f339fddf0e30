#include "link/program_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

// The installed share folder as seen from the installed program's folder;
// the build sets it from its install layout.
#ifndef TAVRIN_DATA_FROM_BIN
#define TAVRIN_DATA_FROM_BIN "../share/tavrin4x"
#endif

namespace tavrin {

bool read_regular_file(const QString& path, qint64 max_bytes, QByteArray* out) {
    out->clear();
#ifdef Q_OS_UNIX
    // O_NONBLOCK: a FIFO opens at once (and is then refused) instead of
    // waiting for a writer that never comes.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    *out = f.read(max_bytes);
    return true;
#else
    if (!is_regular_file(path)) return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    *out = f.read(max_bytes);
    return true;
#endif
}

bool is_regular_file(const QString& path) {
    // stat, never open: looking must not block on a FIFO.
    return QFileInfo(path).isFile();
}

namespace {

// access() rather than the permission bits: it also knows read-only mounts
// and immutable files, which deny even the superuser.
bool writable(const QString& path) {
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
#else
    return QFileInfo(path).isWritable();
#endif
}

}  // namespace

QStringList shipped_data_files() {
    return {QStringLiteral("output_reso.txt"),      QStringLiteral("bmp/power_none.bmp"),
            QStringLiteral("bmp/power_on.bmp"),     QStringLiteral("bmp/power_standby.bmp"),
            QStringLiteral("bmp/lock.bmp"),         QStringLiteral("bmp/unlock.bmp"),
            QStringLiteral("bmp/speaker_on.bmp"),   QStringLiteral("bmp/speaker_off.bmp")};
}

ProgramFiles::ProgramFiles(const QString& dir)
    : program_dir(dir),
      data_dir(QDir::cleanPath(QDir(dir).filePath(QStringLiteral(TAVRIN_DATA_FROM_BIN)))),
      user_dir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)) {}

QString ProgramFiles::data_file(const QString& name) const {
    const QString beside = QDir(program_dir).filePath(name);
    if (is_regular_file(beside)) return beside;
    const QString installed = QDir(data_dir).filePath(name);
    if (is_regular_file(installed)) return installed;
    return beside;
}

QStringList ProgramFiles::missing_data() const {
    QStringList out;
    for (const QString& name : shipped_data_files())
        if (!is_regular_file(data_file(name))) out << name;
    return out;
}

QString ProgramFiles::settings_to_read() const {
    const QString name = QLatin1String(settings_name);
    const QString beside = QDir(program_dir).filePath(name);
    const QString user = user_dir.isEmpty() ? QString() : QDir(user_dir).filePath(name);
    const bool user_has = !user.isEmpty() && is_regular_file(user);
    if (is_regular_file(beside) && (!user_has || writable(beside) || writable(program_dir))) return beside;
    if (user_has) return user;
    return beside;
}

QString ProgramFiles::store_settings(const Settings& s) const {
    const QString name = QLatin1String(settings_name);
    const QString beside = QDir(program_dir).filePath(name);
    if (write_settings(beside, s)) return beside;
    if (user_dir.isEmpty() || !QDir().mkpath(user_dir)) return {};
    const QString user = QDir(user_dir).filePath(name);
    if (write_settings(user, s)) return user;
    return {};
}

}  // namespace tavrin
