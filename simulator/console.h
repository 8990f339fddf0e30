#pragma once
// The operator console: the device's front panel typed on standard input.
// A console line becomes device commands (run as if a button on the device
// had been pressed, their replies sent to every client) or a local action.

#include <QByteArray>
#include <QList>
#include <QString>

namespace sim {

struct ConsoleAction {
    enum Kind { Device, EndSessions, ShowState, Help, Quit, Faults, Nothing, Error };
    Kind kind = Nothing;
    QList<QByteArray> commands; // for Device, in order
    QString message;            // for Error
    bool on = false;            // for Faults
};

ConsoleAction parse_console_line(const QString& line);
QString console_help();

// "--listen" text: "host:port", "[v6]:port", ":port" or "port".
struct ListenAddress {
    QString host = QStringLiteral("127.0.0.1");
    int port = 2323;
};
bool parse_listen(const QString& text, ListenAddress* out, QString* error);

} // namespace sim
