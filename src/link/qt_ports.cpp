#include "link/qt_ports.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSocketNotifier>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#endif
#ifndef Q_OS_WIN
#include <poll.h>
#include <unistd.h>
#endif

namespace tavrin {

QString serial_device_for_port(int n, const QString& program_dir) {
#ifdef Q_OS_WIN
    Q_UNUSED(program_dir);
    return QStringLiteral("COM%1").arg(n);
#else
    const QFileInfo entry(QDir(program_dir).filePath(QStringLiteral("COM%1").arg(n)));
    // A link to an adapter that is unplugged still names the port meant: it
    // fails as missing instead of opening some other port.
    if (entry.exists() || entry.isSymLink()) return entry.filePath();
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

namespace {
// "Get IP" shows each octet as three digits ("192.168.010.020"), and the
// address parser would read a leading zero as octal. Four decimal octets lose
// their padding; any other host text is passed on as typed.
QString decimal_dotted_quad(const QString& host) {
    const QStringList parts = host.split(QLatin1Char('.'));
    if (parts.size() != 4) return host;
    QStringList octets;
    for (const QString& part : parts) {
        if (part.isEmpty() || !std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            return host;
        bool ok = false;
        const uint v = part.toUInt(&ok, 10);
        if (!ok || v > 255) return host;
        octets << QString::number(v);
    }
    return octets.join(QLatin1Char('.'));
}
}  // namespace

bool parse_host_port(const QString& text, QString* host, quint16* port) {
    const QString t = text.trimmed();
    QString h = t;
    QString p;
    if (t.startsWith(QLatin1Char('['))) {
        const int close = t.indexOf(QLatin1Char(']'));
        if (close < 0) {
            h = t;
        } else {
            h = t.mid(1, close - 1);
            const QString rest = t.mid(close + 1);
            if (rest.startsWith(QLatin1Char(':'))) p = rest.mid(1);
            else if (!rest.isEmpty()) return false;
        }
    } else if (t.count(QLatin1Char(':')) == 1) {
        // One colon: host:port. More than one: a bare IPv6 address.
        const int colon = t.indexOf(QLatin1Char(':'));
        h = t.left(colon);
        p = t.mid(colon + 1);
    }
    quint16 value = 23;
    if (!p.isNull()) {
        bool ok = false;
        const uint v = p.toUInt(&ok);
        if (!ok || v < 1 || v > 65535) return false;
        value = quint16(v);
    }
    *host = decimal_dotted_quad(h);
    *port = value;
    return true;
}

// ------------------------------------------------------------------ serial

QtSerialPort::QtSerialPort(QString program_dir) : program_dir_(std::move(program_dir)) {
    // A device that sends faster than the panel handles replies is held back
    // by the driver once this much waits here, rather than growing memory
    // without end; the panel reads at most this much at a time and keeps it.
    port_.setReadBufferSize(64 * 1024);
    QObject::connect(&port_, &QSerialPort::readyRead, [this] {
        if (on_data_ready) on_data_ready();
    });
    QObject::connect(&port_, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) { on_error(e); });
}

bool QtSerialPort::open(int n) {
    close();
    open_failure_.clear();
    port_no_ = n;
    device_ = serial_device_for_port(n, program_dir_);
    port_.setPortName(device_);
    if (!port_.open(QIODevice::ReadWrite)) {
        open_failure_ = describe_open_failure();
        return false;
    }
    const bool ok = port_.setBaudRate(QSerialPort::Baud115200) && port_.setDataBits(QSerialPort::Data8) &&
                    port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
                    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        open_failure_ = describe_open_failure();
        port_.close();
        return false;
    }
    // Bytes that reached the port before it was opened answer nothing this
    // session asked; read as replies they would be taken for the answer to
    // the first command.
    port_.clear(QSerialPort::Input);
    ++session_;
    watching_ = true;
    return true;
}

QString QtSerialPort::describe_open_failure() const {
    switch (port_.error()) {
    case QSerialPort::DeviceNotFoundError:
#ifdef Q_OS_WIN
        return QStringLiteral("No such port: %1.").arg(device_);
#else
        if (const QFileInfo link(device_); link.isSymLink())
            return QStringLiteral("No such port: %1 points at %2, which is not there.")
                .arg(device_, link.symLinkTarget());
        return QStringLiteral("No such port: %1. A file COM%2 beside the program can point at the device, "
                              "e.g. a link to /dev/serial/by-id/...")
            .arg(device_)
            .arg(port_no_);
#endif
    case QSerialPort::PermissionError:
        // Qt reports a refused open and a port that someone else holds (its
        // lock file, or the exclusive flag) alike; whether we may open the
        // file at all tells them apart.
#ifndef Q_OS_WIN
        if (::access(QFile::encodeName(device_).constData(), R_OK | W_OK) != 0)
            return QStringLiteral("Permission denied: %1. The user must be in the dialout group "
                                  "(sudo usermod -aG dialout $USER, then log in again).")
                .arg(device_);
#endif
        return QStringLiteral("Port busy: %1. Another program has it open.").arg(device_);
    default:
        return QStringLiteral("Cannot open %1: %2.").arg(device_, port_.errorString());
    }
}

void QtSerialPort::on_error(QSerialPort::SerialPortError e) {
    // A time-out is only our own bounded wait for the output queue.
    if (!watching_ || e == QSerialPort::NoError || e == QSerialPort::TimeoutError || e == QSerialPort::NotOpenError)
        return;
    watching_ = false;
    QString cause = QStringLiteral("%1: %2.").arg(device_, port_.errorString());
#ifndef Q_OS_WIN
    // A hang-up reads as an empty read, whose error text is whatever errno
    // held before; the descriptor itself says what happened.
    pollfd pfd{int(port_.handle()), POLLIN, 0};
    if (pfd.fd >= 0 && ::poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR)))
        cause = QStringLiteral("%1 hung up: the device, its cable or adapter went away.").arg(device_);
#endif
    // The port is closed from the event loop, not from inside its own
    // notification; until then the error repeats at most a turn or two.
    const quint64 session = session_;
    QMetaObject::invokeMethod(
        &port_,
        [this, session, cause] {
            if (session != session_) return;  // closed or re-opened meanwhile
            close();
            if (on_lost) on_lost(cause);
        },
        Qt::QueuedConnection);
}

void QtSerialPort::close() {
    watching_ = false;
    ++session_;
    if (port_.isOpen()) port_.close();
}

bool QtSerialPort::is_open() const { return port_.isOpen(); }

void QtSerialPort::discard_queues() {
    if (!port_.isOpen()) return;
    port_.clear(QSerialPort::Input);
    port_.readAll();  // what Qt had already buffered
    port_.clear(QSerialPort::Output);
}

qint64 QtSerialPort::bytes_waiting() { return port_.isOpen() ? port_.bytesAvailable() : 0; }

QByteArray QtSerialPort::read_all() { return port_.isOpen() ? port_.readAll() : QByteArray(); }

qint64 QtSerialPort::bytes_to_write() {
    if (!port_.isOpen()) return 0;
    // QSerialPort only writes from the event loop; push the queue out here so
    // the count really drains without event processing.
    if (port_.bytesToWrite() > 0) port_.waitForBytesWritten(5);
    return port_.bytesToWrite();
}

void QtSerialPort::write(const QByteArray& bytes) {
    if (!port_.isOpen()) return;
    port_.write(bytes);
    port_.flush();
}

// ------------------------------------------------------------------ tcp

QtTcpClient::QtTcpClient() {
    QObject::connect(&socket_, &QTcpSocket::connected, [this] {
        established_ = true;
        set_keepalive();
        if (on_connected) on_connected();
    });
    QObject::connect(&socket_, &QTcpSocket::readyRead, [this] {
        if (on_data_arrival) on_data_arrival();
    });
    QObject::connect(&socket_, &QAbstractSocket::errorOccurred, [this](QAbstractSocket::SocketError e) {
        // Failed attempts are the connect watchdog's business; and neither a
        // time-out of a waitFor call nor a would-block means the link is gone.
        if (!established_ || e == QAbstractSocket::SocketTimeoutError || e == QAbstractSocket::TemporaryError) return;
        established_ = false;
        const QString cause = socket_.errorString();
        const quint64 session = session_;
        QMetaObject::invokeMethod(
            &socket_,
            [this, session, cause] {
                if (session == session_ && on_error) on_error(cause);
            },
            Qt::QueuedConnection);
    });
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void QtTcpClient::set_keepalive() {
    socket_.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#ifdef Q_OS_LINUX
    const int fd = int(socket_.socketDescriptor());
    if (fd < 0) return;
    const int idle = keepalive_idle_s, interval = keepalive_interval_s, count = keepalive_count;
    // Unacknowledged data would otherwise keep a dead connection for many minutes of retransmissions.
    const unsigned user_timeout_ms = unsigned(idle + interval * count) * 1000u;
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &user_timeout_ms, sizeof user_timeout_ms);
#endif
}

void QtTcpClient::connect_to(const QString& host, quint16 port) {
    ++session_;
    established_ = false;
    socket_.abort();
    socket_.connectToHost(host, port);
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

TcpClient::State QtTcpClient::state() const {
    switch (socket_.state()) {
    case QAbstractSocket::UnconnectedState:
        return State::Closed;
    case QAbstractSocket::ConnectedState:
        return State::Connected;
    default:
        return State::Other;
    }
}

void QtTcpClient::send(const QByteArray& bytes) {
    if (socket_.state() != QAbstractSocket::ConnectedState) return;
    socket_.write(bytes);
    socket_.flush();
}

QByteArray QtTcpClient::take_all() { return socket_.readAll(); }

void QtTcpClient::close() {
    ++session_;
    established_ = false;
    socket_.abort();
}

// ------------------------------------------------------------------ timers, pump, messages

QtTimerAdapter::QtTimerAdapter() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (on_timeout) on_timeout();
    });
}

void QtTimerAdapter::set_enabled(bool on) {
    if (on) timer_.start();
    else timer_.stop();
}

QtPlatform::QtPlatform() {
    clock_.start();
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
}

QtPlatform::~QtPlatform() {
    wake_notifier_.reset();
#ifdef Q_OS_LINUX
    if (wake_fd_ >= 0) ::close(wake_fd_);
#endif
}

void QtPlatform::arm_wake(qint64 due_ms) {
#ifdef Q_OS_LINUX
    // Made on first use: the notifier needs the application's event loop,
    // which may not exist yet when the platform is built.
    if (!wake_fd_tried_) {
        wake_fd_tried_ = true;
        wake_fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (wake_fd_ >= 0) {
            wake_notifier_ = std::make_unique<QSocketNotifier>(wake_fd_, QSocketNotifier::Read);
            QObject::connect(wake_notifier_.get(), &QSocketNotifier::activated, [this] {
                quint64 expirations = 0;
                [[maybe_unused]] const auto n = ::read(wake_fd_, &expirations, sizeof expirations);
                armed_ns_ = -1;
            });
        }
    }
#endif
    const qint64 now_ns = clock_.nsecsElapsed();
    const qint64 left_ns = due_ms * 1000000 - now_ns;
#ifdef Q_OS_LINUX
    if (wake_fd_ >= 0) {
        // Waits that end early on an event leave the wake set; the next one,
        // due at the same tick (as the exchanges of a fast chain are), keeps it.
        if (armed_ns_ == due_ms * 1000000 && armed_ns_ > now_ns) return;
        armed_ns_ = due_ms * 1000000;
        itimerspec spec{};
        const qint64 ns = std::max<qint64>(left_ns, 1);  // zero would disarm
        spec.it_value.tv_sec = time_t(ns / 1000000000);
        spec.it_value.tv_nsec = long(ns % 1000000000);
        timerfd_settime(wake_fd_, 0, &spec, nullptr);
        return;
    }
#endif
    // Whole milliseconds only: rounded up, so this may wake up to 1 ms late.
    wake_.start(int(std::max<qint64>((left_ns + 999999) / 1000000, 0)));
}

void QtPlatform::pump(int max_wait_ms) {
    if (max_wait_ms <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // Sleep until the first event or the deadline instead of spinning: a
    // reply wait then costs next to no CPU and still wakes at once on data.
    // The deadline is the moment now_ms() has moved on by max_wait_ms, not
    // max_wait_ms from this instant: callers wait for a clock reading, and
    // waking a fraction of a millisecond after that tick makes every reply
    // wait (a 1 ms Delay) end up to a millisecond late.
    // Whatever is ready now is handled without sleeping (it may be what the
    // caller waits for); only when nothing was does it sleep. The wake is left
    // armed when an event comes first: the next wait re-arms it anyway, and a
    // late expiry only reads the timer once.
    if (auto* d = QAbstractEventDispatcher::instance(); d && d->processEvents(QEventLoop::AllEvents)) return;
    arm_wake(clock_.elapsed() + max_wait_ms);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtPlatform::message(const QString& text, MsgIcon icon) {
    QMessageBox box(parent_);
    box.setWindowTitle(QStringLiteral("TAVRIN_4X"));
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    switch (icon) {
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    box.exec();
}

}  // namespace tavrin
