#include "link/settings.h"

#include "link/program_files.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace tavrin {

namespace {

// The files hold one byte per character (Latin-1). Text that Latin-1 cannot
// hold is written as UTF-8; such a file is told apart on reading by being
// valid UTF-8 with a character beyond Latin-1 in it.
QByteArray encode(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 0xFF) return text.toUtf8();
    return text.toLatin1();
}

QString decode(const QByteArray& bytes) {
    bool plain = true;
    for (char c : bytes)
        if (uchar(c) >= 0x80) plain = false;
    if (!plain) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString wide = utf8.decode(bytes);
        if (!utf8.hasError())
            for (QChar c : wide)
                if (c.unicode() > 0xFF) return wide;
    }
    return QString::fromLatin1(bytes);
}

// The file rewritten through its own inode, for a folder that takes no new
// file while the file itself may be written. Flushed to the disk before the
// panel goes on, since there is no old copy to fall back on.
bool write_in_place(const QString& path, const QByteArray& bytes) {
#ifdef Q_OS_UNIX
    // Non-blocking so a FIFO without a reader fails at once instead of hanging.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    qsizetype done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) done += n;
        else if (n < 0 && errno == EINTR) continue;
        else ok = false;
    }
    ok = ok && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
#else
    if (!is_regular_file(path)) return false;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size() && f.flush();
#endif
}

// The fields of the settings and resolution files: leading blanks skipped, a
// quoted text loses its quotes, a field ends at the line end or at a comma
// outside quotes.
QStringList read_fields(const QByteArray& bytes) {
    const QString text = decode(bytes);
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) ++i;
        if (i >= n) break;
        QString field;
        if (text[i] == QLatin1Char('"')) {
            ++i;
            while (i < n && text[i] != QLatin1Char('"') && text[i] != QLatin1Char('\n') &&
                   text[i] != QLatin1Char('\r'))
                field += text[i++];
            if (i < n && text[i] == QLatin1Char('"')) ++i;
            // Whatever follows the closing quote up to the separator is ignored.
            while (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\n') &&
                   text[i] != QLatin1Char('\r'))
                ++i;
        } else {
            while (i < n && text[i] != QLatin1Char(',') && text[i] != QLatin1Char('\n') &&
                   text[i] != QLatin1Char('\r'))
                field += text[i++];
            field = field.trimmed();
        }
        fields << field;
        if (i < n && text[i] == QLatin1Char(',')) {
            ++i;
            continue;
        }
        // Line end: CR LF, CR or LF.
        if (i < n && text[i] == QLatin1Char('\r')) ++i;
        if (i < n && text[i] == QLatin1Char('\n')) ++i;
    }
    return fields;
}

bool to_int(const QString& s, int lo, int hi, int* out) {
    bool ok = false;
    const int v = s.toInt(&ok);
    if (!ok || v < lo || v > hi) return false;
    *out = v;
    return true;
}

}  // namespace

Settings read_settings(const QString& path) {
    Settings s;
    QByteArray bytes;
    if (!read_regular_file(path, 64 * 1024, &bytes)) return s;
    const QStringList fields = read_fields(bytes);
    int v = 0;
    if (fields.size() > 0 && to_int(fields[0], 0, 1, &v)) s.link_kind = int16_t(v);
    if (fields.size() > 1 && to_int(fields[1], 1, 9, &v)) s.com_port_no = int16_t(v);
    if (fields.size() > 2) s.advanced_view = fields[2].compare(QLatin1String("#TRUE#"), Qt::CaseInsensitive) == 0;
    if (fields.size() > 3) s.address = fields[3].trimmed();
    return s;
}

bool write_settings(const QString& path, const Settings& s) {
    QString address = s.address.trimmed();
    address.remove(QLatin1Char('"'));  // a quote could not be read back
    address.remove(QLatin1Char('\r'));
    address.remove(QLatin1Char('\n'));
    const QString text = QStringLiteral("%1\r\n%2\r\n%3\r\n\"%4\"\r\n")
                             .arg(s.link_kind)
                             .arg(s.com_port_no)
                             .arg(s.advanced_view ? QStringLiteral("#TRUE#") : QStringLiteral("#FALSE#"))
                             .arg(address);
    const QByteArray bytes = encode(text);
    QSaveFile f(path);
    // Only a folder that refuses the new file sends us to the in-place
    // rewrite; a write that fails half-way (a full disk) must keep the old file.
    if (!f.open(QIODevice::WriteOnly)) return write_in_place(path, bytes);
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

QStringList read_resolution_list(const QString& path) {
    QStringList out;
    QByteArray bytes;
    if (!read_regular_file(path, 1024 * 1024, &bytes)) return out;
    for (const QString& field : read_fields(bytes)) {
        if (field == QLatin1String("END")) break;
        out << field;  // a line's position is its resolution number, so blanks count too
    }
    return out;
}

}  // namespace tavrin
