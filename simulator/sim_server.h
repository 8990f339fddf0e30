#pragma once
// Puts the device model on the wire: a TCP server with any number of clients,
// the pseudo-terminal, the traffic log and the operator console. Every
// client has its own line buffer and its own fault plan; all share one device.

#include "device_model.h"
#include "fault_plan.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTextStream>
#include <QTimer>

#include <deque>
#include <functional>

class QTcpServer;
class QTcpSocket;
class QSocketNotifier;

namespace sim {

class PtyPort;

struct SimOptions {
    QHostAddress listen_host = QHostAddress::LocalHost;
    quint16 listen_port = 2323;
    QString serial_path;
    int boot_ms = 3000;
    int restart_drop_ms = 200; // < 0: keep TCP clients across a restart
    QString log_path;          // empty: standard output
    bool quiet = false;        // no traffic log
    quint64 seed = 1;
    FaultSettings faults;
    DeviceConfig device;
};

class TrafficLog {
public:
    bool open(const QString& path, bool quiet, QString* error);
    void write(const QString& who, const QString& text);
    static QString escape(const QByteArray& bytes);

private:
    QFile file_;
    QTextStream out_;
    bool enabled_ = true;
};

// One line to the device: a TCP client or the serial port.
class Channel : public QObject {
    Q_OBJECT
public:
    using Writer = std::function<void(const QByteArray&)>;
    Channel(const QString& name, const FaultSettings& faults, quint64 seed, Writer writer, TrafficLog* log,
            QObject* parent);
    ~Channel() override;

    QString name() const { return name_; }
    LineAssembler& input() { return input_; }
    bool closing() const { return closing_; }

    // A reply, through the fault plan (unless suspended) and the line pacing.
    void send(const QByteArray& reply);
    void set_faults(bool on) { faults_on_ = on; }
    // The last words of a session: after everything already queued, unfaulted.
    void finish(const QByteArray& bytes, std::function<void()> then);
    // Bytes from the peer, for on_input; on a paced line they take their
    // wire time before anything sent in answer to them.
    void receive(const QByteArray& bytes);
    std::function<void(const QByteArray&)> on_input;

private:
    struct Due {
        qint64 at_us;
        QByteArray bytes;
        std::function<void()> then;
    };
    void enqueue(qint64 at_us, QByteArray bytes, std::function<void()> then = {});
    void flush_due();
    qint64 now_us() const { return clock_.nsecsElapsed() / 1000; }
    // Calls flush_due at at_us: to the microsecond where the system allows.
    void wake_at(qint64 at_us);

    QString name_;
    FaultPlan plan_;
    WirePacer pacer_;
    Writer writer_;
    TrafficLog* log_;
    LineAssembler input_;
    QElapsedTimer clock_;
    QTimer timer_;
    int wake_fd_ = -1;
    QSocketNotifier* wake_notifier_ = nullptr;
    std::deque<Due> queue_;
    qint64 answer_from_us_ = 0;  // while input is handled: when it has all come in
    bool closing_ = false;
    bool faults_on_ = true;
};

class SimServer : public QObject {
    Q_OBJECT
public:
    explicit SimServer(const SimOptions& options, QObject* parent = nullptr);
    ~SimServer() override;

    bool start(QString* error);
    QString ready_line() const;

    // Runs a front-panel line; what it prints goes to `print`.
    void console_line(const QString& line, const std::function<void(const QString&)>& print);
    void end_tcp_sessions();
    // Ends every session politely, then calls done (at most ~0.5 s later).
    void shutdown(std::function<void()> done);

signals:
    void quit_requested();

private:
    void on_new_connection();
    void on_data(Channel* channel, const QByteArray& bytes);
    void run_console_commands(const QList<QByteArray>& commands, const std::function<void(const QString&)>& print);
    void broadcast(const QByteArray& reply);
    void on_restart();
    Channel* make_channel(const QString& name, int index, Channel::Writer writer);

    SimOptions options_;
    DeviceModel model_;
    TrafficLog log_;
    QTcpServer* server_ = nullptr;
    PtyPort* pty_ = nullptr;
    Channel* serial_channel_ = nullptr;
    QList<QPointer<Channel>> tcp_channels_;
    QTimer boot_timer_;
    int next_channel_ = 1;
    bool faults_on_ = true;
};

} // namespace sim
