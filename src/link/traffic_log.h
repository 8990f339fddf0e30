#pragma once
// The traffic log file (--traffic-log FILE): every command sent and every
// reply received on either link, one plain-text line each,
//
//   2025-06-24 10:15:03.042 COM1 TX BRI250\r
//   2025-06-24 10:15:03.050 COM1 RX BRI250\r
//   2025-06-24 10:15:04.001 TCP TX MOD999\r
//   2025-06-24 10:15:04.003 TCP RX MOD002\r\n
//
// (local time of the first byte, link, direction, the bytes with control
// characters, backslashes and bytes above 127 escaped). Received bytes are cut
// into replies at each carriage return, an LF right behind it included.
// Lines are kept in memory and written a moment after the traffic pauses, when
// much has gathered, and at the end; the file is only ever appended to.
//
// LoggedSerialPort and LoggedTcpClient wrap the real ports and write what
// passes through them, so the exchange itself knows nothing of the file.

#include "link/ports.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

namespace tavrin {

class TrafficLog {
public:
    explicit TrafficLog(const QString& path);
    ~TrafficLog();  // writes out what is left
    TrafficLog(const TrafficLog&) = delete;
    TrafficLog& operator=(const TrafficLog&) = delete;

    // Opens the file for appending (creating it). False with the reason.
    bool open(QString* error);

    void sent(const QString& link, const QByteArray& bytes);
    void received(const QString& link, const QByteArray& bytes);
    // The link was closed: an unfinished reply is written as it stands.
    void link_closed(const QString& link);
    // Writes every held line to the file now.
    void flush();

    // Lines are written once the traffic has paused this long, or at this size.
    static constexpr int idle_flush_ms = 100;
    static constexpr int max_held_bytes = 64 * 1024;
    // A reply that never gets its carriage return is cut at this length.
    static constexpr int max_reply_bytes = 1024;

    static QByteArray escaped(const QByteArray& bytes);

    // The time stamps' clock (tests fix it).
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

private:
    struct Partial {
        QByteArray bytes;
        QDateTime first;  // arrival of its first byte
        bool ended = false;  // its carriage return has arrived; only an LF may still join
    };
    void add_line(const QDateTime& when, const QString& link, const char* direction, const QByteArray& bytes);
    void end_partial(const QString& link);

    QFile file_;
    QByteArray held_;
    QHash<QString, Partial> partial_;
    QTimer idle_;
};

class LoggedSerialPort : public SerialPort {
public:
    LoggedSerialPort(SerialPort& inner, TrafficLog& log);
    bool open(int n) override;
    void close() override;
    bool is_open() const override { return inner_.is_open(); }
    void discard_queues() override { inner_.discard_queues(); }
    qint64 bytes_waiting() override { return inner_.bytes_waiting(); }
    QByteArray read_all() override;
    qint64 bytes_to_write() override { return inner_.bytes_to_write(); }
    void write(const QByteArray& bytes) override;
    QString open_failure() const override { return inner_.open_failure(); }

private:
    SerialPort& inner_;
    TrafficLog& log_;
    QString name_ = QStringLiteral("COM");
};

class LoggedTcpClient : public TcpClient {
public:
    LoggedTcpClient(TcpClient& inner, TrafficLog& log);
    void connect_to(const QString& host, quint16 port) override;
    State state() const override { return inner_.state(); }
    void send(const QByteArray& bytes) override;
    QByteArray take_all() override;
    void close() override;

private:
    TcpClient& inner_;
    TrafficLog& log_;
};

// The file and both wrapped ports, as the program sets them up for
// --traffic-log. Null, with the reason, when the file cannot be opened.
struct LoggedPorts {
    LoggedPorts(const QString& path, SerialPort& serial_port, TcpClient& tcp_client)
        : log(path), serial(serial_port, log), tcp(tcp_client, log) {}
    static std::unique_ptr<LoggedPorts> open(const QString& path, SerialPort& serial, TcpClient& tcp, QString* error);
    TrafficLog log;
    LoggedSerialPort serial;
    LoggedTcpClient tcp;
};

}  // namespace tavrin
