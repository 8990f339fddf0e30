#include "link/qt_ports.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSocketNotifier>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace tavrin {

QString serial_device_for_port(int n, const QString& program_dir) {
#ifdef Q_OS_WIN
    Q_UNUSED(program_dir);
    return QStringLiteral("COM%1").arg(n);
#else
    const QString entry = QDir(program_dir).filePath(QStringLiteral("COM%1").arg(n));
    if (QFileInfo::exists(entry)) return entry;
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

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
    *host = h;
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
}

bool QtSerialPort::open(int n) {
    if (port_.isOpen()) port_.close();
    port_.setPortName(serial_device_for_port(n, program_dir_));
    if (!port_.open(QIODevice::ReadWrite)) return false;
    const bool ok = port_.setBaudRate(QSerialPort::Baud115200) && port_.setDataBits(QSerialPort::Data8) &&
                    port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
                    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        port_.close();
        return false;
    }
    return true;
}

void QtSerialPort::close() {
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
        if (on_connected) on_connected();
    });
    QObject::connect(&socket_, &QTcpSocket::readyRead, [this] {
        if (on_data_arrival) on_data_arrival();
    });
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void QtTcpClient::connect_to(const QString& host, quint16 port) {
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

void QtTcpClient::close() { socket_.abort(); }

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
            });
        }
    }
#endif
    const qint64 left_ns = due_ms * 1000000 - clock_.nsecsElapsed();
#ifdef Q_OS_LINUX
    if (wake_fd_ >= 0) {
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
