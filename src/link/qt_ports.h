#pragma once
// Production adapters: QSerialPort, QTcpSocket, QTimer, QElapsedTimer, the
// event loop and QMessageBox behind the panel's small port interfaces.

#include "link/ports.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

class QSocketNotifier;
class QWidget;

namespace tavrin {

// Port n (1..9) to a device name: COMn on Windows; elsewhere the entry "COMn"
// in the program's directory when it exists, even as a link to nothing (a link
// to /dev/serial/by-id/..., /dev/ttyUSB0 or the simulator's pseudo-terminal),
// else /dev/ttyS<n-1>.
QString serial_device_for_port(int n, const QString& program_dir);

// "host", "host:port" or "[v6-address]:port" after trimming outer blanks;
// without a port the device's telnet port 23. Returns false for a port that is
// not a number from 1 to 65535.
bool parse_host_port(const QString& text, QString* host, quint16* port);

class QtSerialPort : public SerialPort {
public:
    explicit QtSerialPort(QString program_dir);
    bool open(int n) override;
    void close() override;
    bool is_open() const override;
    void discard_queues() override;
    qint64 bytes_waiting() override;
    QByteArray read_all() override;
    qint64 bytes_to_write() override;
    void write(const QByteArray& bytes) override;
    QString open_failure() const override { return open_failure_; }
    QSerialPort& port() { return port_; }

private:
    void on_error(QSerialPort::SerialPortError error);
    QString describe_open_failure() const;

    QString program_dir_;
    QSerialPort port_;
    int port_no_ = 0;
    QString device_;        // the device file of the last open
    QString open_failure_;  // why the last open failed
    bool watching_ = false;  // an error now means the port went away
    quint64 session_ = 0;    // counts opens and closes: a late report of an old session is dropped
};

class QtTcpClient : public TcpClient {
public:
    QtTcpClient();
    void connect_to(const QString& host, quint16 port) override;
    State state() const override;
    void send(const QByteArray& bytes) override;
    QByteArray take_all() override;
    void close() override;
    QTcpSocket& socket() { return socket_; }

    // Keep-alive on an established connection: probes after this many idle
    // seconds, then every interval, and the connection is given up after
    // count unanswered probes (or after as long with data unacknowledged),
    // so a dead peer is found in well under half a minute.
    static constexpr int keepalive_idle_s = 10;
    static constexpr int keepalive_interval_s = 5;
    static constexpr int keepalive_count = 3;

private:
    void set_keepalive();

    QTcpSocket socket_;
    bool established_ = false;
    quint64 session_ = 0;
};

class QtTimerAdapter : public Timer {
public:
    QtTimerAdapter();
    void set_interval(int ms) override { timer_.setInterval(ms); }
    int interval() const override { return timer_.interval(); }
    void set_enabled(bool on) override;
    bool enabled() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;
    qint64 now_ms() override { return clock_.elapsed(); }
    void pump(int max_wait_ms = 0) override;
    void message(const QString& text, MsgIcon icon) override;
    std::unique_ptr<Timer> make_timer() override { return std::make_unique<QtTimerAdapter>(); }
    void set_message_parent(QWidget* parent) { parent_ = parent; }

private:
    // Wakes a waiting pump when now_ms() reaches due_ms.
    void arm_wake(qint64 due_ms);

    QElapsedTimer clock_;
    QTimer wake_;
    int wake_fd_ = -1;  // timerfd where there is one: wakes to the microsecond
    bool wake_fd_tried_ = false;
    qint64 armed_ns_ = -1;  // when the timerfd is set to go off, -1 when it is not
    std::unique_ptr<QSocketNotifier> wake_notifier_;
    QWidget* parent_ = nullptr;
};

}  // namespace tavrin
