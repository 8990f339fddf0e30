#pragma once
// Test doubles for the panel's port interfaces: a fake clock that advances one
// millisecond on every pump, timers driven by it, message boxes that are only
// recorded, and a simulated device on both links whose answers a test scripts
// (these bytes, in these pieces, after so many pumps, or never).

#include "link/link.h"
#include "link/ports.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace tavrin::testing {

class FakePlatform;

class FakeTimer : public Timer {
public:
    explicit FakeTimer(FakePlatform& p) : p_(p) {}
    void set_interval(int ms) override { interval_ = ms; }
    int interval() const override { return interval_; }
    void set_enabled(bool on) override;
    bool enabled() const override { return enabled_; }
    qint64 due = 0;

private:
    friend class FakePlatform;
    FakePlatform& p_;
    int interval_ = 0;
    bool enabled_ = false;
};

class FakePlatform : public Platform {
public:
    FakePlatform();
    ~FakePlatform() override;
    qint64 now_ms() override { return now; }
    void pump(int max_wait_ms = 0) override;
    void message(const QString& text, MsgIcon icon) override;
    std::unique_ptr<Timer> make_timer() override;

    // Runs n pumps (n milliseconds of fake time).
    void advance(int n);

    qint64 now = 1000;
    int pumps = 0;
    QList<QPair<QString, MsgIcon>> messages;
    QStringList message_texts() const;
    std::function<void()> on_pump;            // the device acts here
    std::function<void(const QString&)> on_message;  // e.g. to act while a box is "open"
    std::vector<FakeTimer*> timers;
};

class FakeSerialPort : public SerialPort {
public:
    bool open(int n) override;
    void close() override { open_ = false; }
    bool is_open() const override { return open_; }
    void discard_queues() override { input.clear(); }
    qint64 bytes_waiting() override { return open_ ? input.size() : 0; }
    QByteArray read_all() override;
    qint64 bytes_to_write() override { return 0; }
    void write(const QByteArray& bytes) override;
    QString open_failure() const override { return open_ ? QString() : failure_reason; }
    // Device side: bytes arrive in the input queue.
    void deliver(const QByteArray& bytes);
    // The port goes away under the panel (as the adapter reports it).
    void lose(const QString& cause);

    QList<int> failing_ports;  // open(n) fails for these
    QString failure_reason;    // and says this
    int opened_port = 0;
    int open_calls = 0;
    QByteArray input;
    QList<QByteArray> writes;  // every write, as written
    std::function<void(const QByteArray&)> on_write;

private:
    bool open_ = false;
};

class FakeTcpClient : public TcpClient {
public:
    void connect_to(const QString& host, quint16 port) override;
    State state() const override { return state_; }
    void send(const QByteArray& bytes) override;
    QByteArray take_all() override;
    void close() override;
    // Device side.
    void deliver(const QByteArray& bytes);
    void accept_connection();        // the connection is established
    void drop() { state_ = State::Closed; }  // the peer went away
    // The connection fails and the socket says so.
    void fail(const QString& cause);

    QString host;
    quint16 port = 0;
    int connect_calls = 0;
    int close_calls = 0;
    QByteArray input;
    QList<QByteArray> sends;
    std::function<void(const QByteArray&)> on_send;

private:
    State state_ = State::Closed;
};

class CaptureLog : public LogSink {
public:
    void set_text(const QString& whole, const QString&) override { text = whole; }
    QString text;
};

// The device end of both fake links. Answers are scripted per command line.
class ScriptedDevice {
public:
    struct Answer {
        QList<QByteArray> pieces;  // delivered one after another
        int delay_pumps = 1;       // before the first piece
        int gap_pumps = 1;         // between pieces
        bool never = false;
    };

    ScriptedDevice(FakePlatform& p, FakeSerialPort& s, FakeTcpClient& t);

    // Answer `command` (without CR) with `reply` (sent as is: include the CR).
    void answer(const QString& command, const QByteArray& reply, int delay_pumps = 1);
    void answer_in_pieces(const QString& command, const QList<QByteArray>& pieces, int delay_pumps = 1,
                          int gap_pumps = 1);
    void never_answer(const QString& command);
    // Answers every command not scripted otherwise; return empty for silence.
    std::function<QList<QByteArray>(const QString& command)> responder;
    // Convenience responder: every command answered with itself plus CR.
    void echo_everything();

    // Pushes bytes to the panel on the link last used (or the one given).
    void send_unsolicited(const QByteArray& bytes, bool tcp);

    QStringList received;  // every command line the device got, in order
    bool last_was_tcp = false;

private:
    void on_bytes(const QByteArray& bytes, bool tcp);
    void step();
    struct Pending {
        int due_pump;
        QByteArray bytes;
        bool tcp;
    };
    FakePlatform& p_;
    FakeSerialPort& s_;
    FakeTcpClient& t_;
    QHash<QString, Answer> script_;
    QByteArray serial_line_, tcp_line_;
    std::vector<Pending> pending_;
};

// Everything a link test needs, wired together.
struct LinkRig {
    PanelState state;
    FakePlatform platform;
    FakeSerialPort serial;
    FakeTcpClient tcp;
    CaptureLog log;
    ScriptedDevice device{platform, serial, tcp};
    Link link{state, platform, serial, tcp, &log};

    // Serial port 1 open and the poll running, as after start-up on RS-232.
    void open_serial();
    // Ethernet selected and connected.
    void connect_tcp();
};

}  // namespace tavrin::testing
