#include "link/settings.h"

#include <QFile>
#include <QSaveFile>

namespace tavrin {

namespace {

// Fields the way the settings and resolution files have always been read:
// leading blanks skipped, a quoted text loses its quotes, a field ends at the
// line end or at a comma outside quotes.
QStringList read_fields(const QByteArray& bytes) {
    const QString text = QString::fromLatin1(bytes);
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
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return s;
    const QStringList fields = read_fields(f.read(64 * 1024));
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
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = text.toLatin1();
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

QStringList read_resolution_list(const QString& path) {
    QStringList out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QString& field : read_fields(f.read(1024 * 1024))) {
        if (field == QLatin1String("END")) break;
        out << field;  // a line's position is its resolution number, so blanks count too
    }
    return out;
}

}  // namespace tavrin
