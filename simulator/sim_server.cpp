#include "sim_server.h"

#include "console.h"
#include "pty_port.h"

#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTime>

#include <algorithm>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#endif

namespace sim {

// ---------------------------------------------------------------------------

bool TrafficLog::open(const QString& path, bool quiet, QString* error) {
    enabled_ = !quiet;
    if (!enabled_) return true;
    const bool ok = path.isEmpty() ? file_.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered)
                                   : (file_.setFileName(path), file_.open(QIODevice::WriteOnly | QIODevice::Truncate));
    if (!ok) {
        *error = QStringLiteral("cannot write the log %1: %2").arg(path, file_.errorString());
        return false;
    }
    out_.setDevice(&file_);
    return true;
}

void TrafficLog::write(const QString& who, const QString& text) {
    if (!enabled_) return;
    out_ << QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) << ' ' << who << ' ' << text << '\n';
    out_.flush();
}

QString TrafficLog::escape(const QByteArray& bytes) {
    QString s;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r')
            s += QLatin1String("\\r");
        else if (c == '\n')
            s += QLatin1String("\\n");
        else if (c == '\\')
            s += QLatin1String("\\\\");
        else if (u >= 0x20 && u < 0x7f)
            s += QLatin1Char(c);
        else
            s += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return s;
}

// ---------------------------------------------------------------------------

Channel::Channel(const QString& name, const FaultSettings& faults, quint64 seed, Writer writer, TrafficLog* log,
                 QObject* parent)
    : QObject(parent), name_(name), plan_(faults, seed), pacer_(faults.baud), writer_(std::move(writer)), log_(log) {
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Channel::flush_due);
#ifdef Q_OS_LINUX
    // Pacing a 115200 baud line needs wakes well under a millisecond apart.
    wake_fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (wake_fd_ >= 0) {
        wake_notifier_ = new QSocketNotifier(wake_fd_, QSocketNotifier::Read, this);
        connect(wake_notifier_, &QSocketNotifier::activated, this, [this] {
            quint64 expirations = 0;
            [[maybe_unused]] const auto n = ::read(wake_fd_, &expirations, sizeof expirations);
            flush_due();
        });
    }
#endif
}

Channel::~Channel() {
    delete wake_notifier_;
    if (wake_fd_ >= 0) ::close(wake_fd_);
}

void Channel::send(const QByteArray& reply) {
    if (closing_ || reply.isEmpty()) return;
    // Zero-latency path: benchmarks measure the panel, not our timers.
    if ((plan_.transparent() || !faults_on_) && plan_.settings().baud <= 0 && queue_.empty()) {
        writer_(reply);
        return;
    }
    if (!faults_on_) {  // whole, behind whatever is still queued
        enqueue(pacer_.schedule(clock_.nsecsElapsed() / 1000, {Piece{0, reply}}).first(), reply);
        return;
    }
    const QList<Piece> pieces = plan_.shape(reply);
    if (pieces.isEmpty()) {
        log_->write(name_, QStringLiteral("  fault: dropped \"%1\"").arg(TrafficLog::escape(reply)));
        return;
    }
    if (pieces.size() > 1 || pieces.first().bytes != reply) {
        QStringList parts;
        for (const Piece& p : pieces) parts << QStringLiteral("\"%1\"").arg(TrafficLog::escape(p.bytes));
        log_->write(name_, QStringLiteral("  fault: sent as %1").arg(parts.join(' ')));
    }
    const QList<qint64> times = pacer_.schedule(std::max(now_us(), answer_from_us_), pieces);
    for (int i = 0; i < pieces.size(); ++i) enqueue(times[i], pieces[i].bytes);
}

void Channel::finish(const QByteArray& bytes, std::function<void()> then) {
    if (closing_) return;
    closing_ = true;
    const QList<qint64> at = pacer_.schedule(now_us(), {Piece{0, bytes}});
    enqueue(at.first(), bytes, std::move(then));
}

void Channel::receive(const QByteArray& bytes) {
    // The device works on a command as soon as it sees it, but what it says
    // leaves the line no sooner than the command's last byte could have come
    // in plus the reply's own time on the wire: one wake per reply.
    answer_from_us_ = plan_.settings().baud > 0 ? pacer_.arrival(now_us(), bytes.size()) : 0;
    if (on_input) on_input(bytes);
    answer_from_us_ = 0;
}

void Channel::enqueue(qint64 at_us, QByteArray bytes, std::function<void()> then) {
    queue_.push_back({at_us, std::move(bytes), std::move(then)});
    flush_due();
}

void Channel::flush_due() {
    const qint64 now = now_us();
    while (!queue_.empty() && queue_.front().at_us <= now) {
        Due due = std::move(queue_.front());
        queue_.pop_front();
        writer_(due.bytes);
        if (due.then) due.then();
    }
    if (!queue_.empty()) wake_at(queue_.front().at_us);
}

void Channel::wake_at(qint64 at_us) {
    const qint64 left_us = std::max<qint64>(at_us - now_us(), 1);
#ifdef Q_OS_LINUX
    if (wake_fd_ >= 0) {
        itimerspec spec{};
        spec.it_value.tv_sec = time_t(left_us / 1000000);
        spec.it_value.tv_nsec = long(left_us % 1000000) * 1000;
        timerfd_settime(wake_fd_, 0, &spec, nullptr);
        return;
    }
#endif
    timer_.start(int((left_us + 999) / 1000));
}

// ---------------------------------------------------------------------------

SimServer::SimServer(const SimOptions& options, QObject* parent)
    : QObject(parent), options_(options), model_(options.device) {
    boot_timer_.setSingleShot(true);
    connect(&boot_timer_, &QTimer::timeout, this, [this] {
        model_.finish_boot();
        log_.write("device", "boot complete, answering again");
    });
}

SimServer::~SimServer() = default;

Channel* SimServer::make_channel(const QString& name, int index, Channel::Writer writer) {
    // Each line gets its own reproducible stream of faults: serial 0, TCP
    // clients 1, 2, ... in the order they connected.
    const quint64 seed = options_.seed * 1000003ULL + quint64(index);
    auto* channel = new Channel(name, options_.faults, seed, std::move(writer), &log_, this);
    channel->set_faults(faults_on_);
    return channel;
}

bool SimServer::start(QString* error) {
    if (!log_.open(options_.log_path, options_.quiet, error)) return false;

    server_ = new QTcpServer(this);
    if (!server_->listen(options_.listen_host, options_.listen_port)) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(options_.listen_host.toString())
                     .arg(options_.listen_port)
                     .arg(server_->errorString());
        return false;
    }
    connect(server_, &QTcpServer::newConnection, this, &SimServer::on_new_connection);

    if (!options_.serial_path.isEmpty()) {
        pty_ = new PtyPort(this);
        if (!pty_->open(options_.serial_path, error)) return false;
        serial_channel_ = make_channel("serial", 0, [this](const QByteArray& b) { pty_->write(b); });
        serial_channel_->on_input = [this](const QByteArray& b) { on_data(serial_channel_, b); };
        connect(pty_, &PtyPort::received, this, [this](const QByteArray& b) { serial_channel_->receive(b); });
    }
    return true;
}

QString SimServer::ready_line() const {
    QString host = server_->serverAddress().toString();
    if (server_->serverAddress().protocol() == QAbstractSocket::IPv6Protocol) host = '[' + host + ']';
    QString line = QStringLiteral("tavrin4x-sim: listening on %1:%2").arg(host).arg(server_->serverPort());
    if (pty_) line += QStringLiteral(", serial %1 (%2)").arg(pty_->link_path(), pty_->slave_name());
    return line;
}

void SimServer::on_new_connection() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        const QString name = QStringLiteral("tcp#%1").arg(next_channel_);
        Channel* channel = make_channel(name, next_channel_, [socket](const QByteArray& b) {
            if (socket->state() == QAbstractSocket::ConnectedState) socket->write(b);
        });
        ++next_channel_;
        socket->setParent(channel);
        tcp_channels_.append(channel);
        log_.write(name, QStringLiteral("connected from %1:%2%3")
                             .arg(socket->peerAddress().toString())
                             .arg(socket->peerPort())
                             .arg(model_.booting() ? " (device booting)" : ""));
        channel->on_input = [this, channel](const QByteArray& b) { on_data(channel, b); };
        connect(socket, &QTcpSocket::readyRead, channel, [channel, socket] { channel->receive(socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, channel, [this, channel] {
            log_.write(channel->name(), "disconnected");
            tcp_channels_.removeAll(channel);
            channel->deleteLater();
        });
    }
}

void SimServer::on_data(Channel* channel, const QByteArray& bytes) {
    if (channel->closing()) return;
    for (const Exchange& e : model_.feed(channel->input(), bytes)) {
        if (e.ignored) {
            log_.write(channel->name(), QStringLiteral("> \"%1\" ignored, booting").arg(TrafficLog::escape(e.command)));
            continue;
        }
        log_.write(channel->name(), QStringLiteral("> \"%1\"").arg(TrafficLog::escape(e.command)));
        log_.write(channel->name(), QStringLiteral("< \"%1\"").arg(TrafficLog::escape(e.reply)));
        channel->send(e.reply);
    }
    if (model_.take_restart_request()) on_restart();
}

void SimServer::broadcast(const QByteArray& reply) {
    log_.write("all", QStringLiteral("< \"%1\"").arg(TrafficLog::escape(reply)));
    for (const QPointer<Channel>& c : tcp_channels_)
        if (c) c->send(reply);
    if (serial_channel_) serial_channel_->send(reply);
}

void SimServer::on_restart() {
    log_.write("device", QStringLiteral("restarting, deaf for %1 ms").arg(options_.boot_ms));
    boot_timer_.start(std::max(0, options_.boot_ms));
    if (options_.restart_drop_ms < 0) return;
    // Only the sessions that were open when the device went down.
    const QList<QPointer<Channel>> victims = tcp_channels_;
    QTimer::singleShot(options_.restart_drop_ms, this, [this, victims] {
        for (const QPointer<Channel>& c : victims)
            if (c) {
                auto* socket = c->findChild<QTcpSocket*>();
                c->finish("EXT000\r", [socket] { socket->disconnectFromHost(); });
                log_.write(c->name(), "< \"EXT000\\r\" session ended by the restart");
            }
    });
}

void SimServer::end_tcp_sessions() {
    for (const QPointer<Channel>& c : tcp_channels_) {
        if (!c || c->closing()) continue;
        log_.write(c->name(), "< \"EXT000\\r\" ending the session");
        auto* socket = c->findChild<QTcpSocket*>();
        c->finish("EXT000\r", [socket] { socket->disconnectFromHost(); });
    }
}

void SimServer::console_line(const QString& line, const std::function<void(const QString&)>& print) {
    const ConsoleAction action = parse_console_line(line);
    switch (action.kind) {
    case ConsoleAction::Nothing:
        return;
    case ConsoleAction::Error:
        print(action.message);
        return;
    case ConsoleAction::Help:
        print(console_help());
        return;
    case ConsoleAction::ShowState:
        print(model_.describe());
        return;
    case ConsoleAction::Quit:
        emit quit_requested();
        return;
    case ConsoleAction::EndSessions: {
        int n = 0;
        for (const QPointer<Channel>& c : tcp_channels_) n += c && !c->closing();
        end_tcp_sessions();
        print(QStringLiteral("ended %1 TCP session(s)").arg(n));
        return;
    }
    case ConsoleAction::Faults:
        faults_on_ = action.on;
        for (const QPointer<Channel>& c : tcp_channels_)
            if (c) c->set_faults(faults_on_);
        if (serial_channel_) serial_channel_->set_faults(faults_on_);
        print(faults_on_ ? "faults on" : "faults off");
        return;
    case ConsoleAction::Device:
        run_console_commands(action.commands, print);
        return;
    }
}

// Front-panel commands run in order until one is refused or restarts the
// device; each reply goes out to the panel as the device would send it.
void SimServer::run_console_commands(const QList<QByteArray>& commands,
                                     const std::function<void(const QString&)>& print) {
    if (model_.booting()) {
        print("the device is booting; try again in a moment");
        return;
    }
    int sent = 0;
    for (const QByteArray& command : commands) {
        const QByteArray reply = model_.execute(command);
        log_.write("console", QStringLiteral("> \"%1\"").arg(TrafficLog::escape(command)));
        if (reply.startsWith("ERR")) {
            print(QStringLiteral("refused: %1 -> %2").arg(TrafficLog::escape(command), TrafficLog::escape(reply)));
            log_.write("console", QStringLiteral("< \"%1\" (not sent)").arg(TrafficLog::escape(reply)));
            return;
        }
        print(QStringLiteral("%1 -> %2").arg(TrafficLog::escape(command), TrafficLog::escape(reply)));
        // Space the replies of one console line so the panel reads them as
        // separate arrivals rather than one run-together chunk.
        if (sent == 0)
            broadcast(reply);
        else
            QTimer::singleShot(30 * sent, this, [this, reply] { broadcast(reply); });
        ++sent;
        if (model_.take_restart_request()) {
            on_restart();
            return;
        }
    }
}

void SimServer::shutdown(std::function<void()> done) {
    end_tcp_sessions();
    auto* poll = new QTimer(this);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    connect(poll, &QTimer::timeout, this, [this, poll, started, done] {
        bool open = false;
        for (const QPointer<Channel>& c : tcp_channels_) open |= !c.isNull();
        if (open && started->elapsed() < 500) return;
        poll->stop();
        if (pty_) pty_->close(); // remove the link before anyone sees us gone
        done();
    });
    poll->start(10);
}

} // namespace sim
