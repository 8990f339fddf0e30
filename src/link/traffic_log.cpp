#include "link/traffic_log.h"

#include <cstdio>

namespace tavrin {

TrafficLog::TrafficLog(const QString& path) : file_(path) {
    idle_.setSingleShot(true);
    idle_.setInterval(idle_flush_ms);
    QObject::connect(&idle_, &QTimer::timeout, [this] { flush(); });
}

TrafficLog::~TrafficLog() {
    for (const QString& link : partial_.keys()) end_partial(link);
    flush();
}

bool TrafficLog::open(QString* error) {
    if (file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) return true;
    *error = file_.errorString();
    return false;
}

QByteArray TrafficLog::escaped(const QByteArray& bytes) {
    static const char hex[] = "0123456789abcdef";
    QByteArray out;
    out.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        const auto b = uchar(c);
        switch (b) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        default:
            if (b < 0x20 || b >= 0x7F) {
                out += "\\x";
                out += hex[b >> 4];
                out += hex[b & 15];
            } else {
                out += char(b);
            }
        }
    }
    return out;
}

void TrafficLog::add_line(const QDateTime& when, const QString& link, const char* direction, const QByteArray& bytes) {
    held_ += when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
    held_ += ' ';
    held_ += link.toLatin1();
    held_ += ' ';
    held_ += direction;
    held_ += ' ';
    held_ += escaped(bytes);
    held_ += '\n';
    if (held_.size() >= max_held_bytes) flush();
    else idle_.start();
}

void TrafficLog::sent(const QString& link, const QByteArray& bytes) {
    // A reply still unfinished when the next command leaves is given up.
    end_partial(link);
    add_line(clock(), link, "TX", bytes);
}

void TrafficLog::received(const QString& link, const QByteArray& bytes) {
    if (bytes.isEmpty()) return;
    const QDateTime now = clock();
    Partial& p = partial_[link];
    for (const char b : bytes) {
        if (p.ended) {
            const bool lf = b == '\n';
            if (lf) p.bytes += b;
            end_partial(link);
            if (lf) continue;
        }
        if (p.bytes.isEmpty()) p.first = now;
        p.bytes += b;
        if (b == '\r') p.ended = true;
        else if (p.bytes.size() >= max_reply_bytes) end_partial(link);
    }
    if (p.ended) end_partial(link);
}

void TrafficLog::link_closed(const QString& link) { end_partial(link); }

void TrafficLog::end_partial(const QString& link) {
    auto it = partial_.find(link);
    if (it == partial_.end() || it->bytes.isEmpty()) return;
    add_line(it->first, link, "RX", it->bytes);
    it->bytes.clear();
    it->ended = false;
}

void TrafficLog::flush() {
    idle_.stop();
    if (held_.isEmpty() || !file_.isOpen()) return;
    if (file_.write(held_) != held_.size()) {
        // A full disk must not stop the panel; say so once.
        static bool told = false;
        if (!told) std::fprintf(stderr, "tavrin4x: traffic log: %s\n", qPrintable(file_.errorString()));
        told = true;
    }
    held_.clear();
}

// ------------------------------------------------------------------ the wrapped ports

LoggedSerialPort::LoggedSerialPort(SerialPort& inner, TrafficLog& log) : inner_(inner), log_(log) {
    inner_.on_data_ready = [this] {
        if (on_data_ready) on_data_ready();
    };
    inner_.on_lost = [this](const QString& cause) {
        log_.link_closed(name_);
        if (on_lost) on_lost(cause);
    };
}

bool LoggedSerialPort::open(int n) {
    log_.link_closed(name_);
    name_ = QStringLiteral("COM%1").arg(n);
    return inner_.open(n);
}

void LoggedSerialPort::close() {
    log_.link_closed(name_);
    inner_.close();
}

QByteArray LoggedSerialPort::read_all() {
    QByteArray bytes = inner_.read_all();
    log_.received(name_, bytes);
    return bytes;
}

void LoggedSerialPort::write(const QByteArray& bytes) {
    if (inner_.is_open()) log_.sent(name_, bytes);
    inner_.write(bytes);
}

LoggedTcpClient::LoggedTcpClient(TcpClient& inner, TrafficLog& log) : inner_(inner), log_(log) {
    inner_.on_connected = [this] {
        if (on_connected) on_connected();
    };
    inner_.on_data_arrival = [this] {
        if (on_data_arrival) on_data_arrival();
    };
    inner_.on_error = [this](const QString& cause) {
        if (on_error) on_error(cause);
    };
}

void LoggedTcpClient::connect_to(const QString& host, quint16 port) {
    log_.link_closed(QStringLiteral("TCP"));
    inner_.connect_to(host, port);
}

void LoggedTcpClient::send(const QByteArray& bytes) {
    if (inner_.state() == State::Connected) log_.sent(QStringLiteral("TCP"), bytes);
    inner_.send(bytes);
}

QByteArray LoggedTcpClient::take_all() {
    QByteArray bytes = inner_.take_all();
    log_.received(QStringLiteral("TCP"), bytes);
    return bytes;
}

void LoggedTcpClient::close() {
    log_.link_closed(QStringLiteral("TCP"));
    inner_.close();
}

std::unique_ptr<LoggedPorts> LoggedPorts::open(const QString& path, SerialPort& serial, TcpClient& tcp,
                                               QString* error) {
    auto ports = std::make_unique<LoggedPorts>(path, serial, tcp);
    if (!ports->log.open(error)) return nullptr;
    return ports;
}

}  // namespace tavrin
