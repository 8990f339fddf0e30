#pragma once
// Test doubles for the panel's port interfaces: a fake clock that advances one
// millisecond on every pump, timers driven by it, message boxes that are only
// recorded, and a simulated device on both links whose answers a test scripts
// (these bytes, in these pieces, after so many pumps, or never).

#include "link/link.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <vector>

namespace tavrin::testing {

class FakePlatform;

class FakeTimer : public Timer {
public:
    explicit FakeTimer(FakePlatform& p);
    ~FakeTimer() override;
    void set_interval(int ms) override { interval_ = ms; }
    int interval() const override { return interval_; }
    void set_enabled(bool on) override;
    bool enabled() const override { return enabled_; }
    void fire_if_due();

private:
    FakePlatform& p_;
    int interval_ = 0;
    bool enabled_ = false;
    qint64 due_ = 0;
};

class FakePlatform : public Platform {
public:
    qint64 now_ms() override { return now; }
    void pump(int max_wait_ms = 0) override;
    void message(const QString& text, MsgIcon icon) override {
        messages.append({text, icon});
        if (on_message) on_message(text);
    }
    std::unique_ptr<Timer> make_timer() override { return std::make_unique<FakeTimer>(*this); }
    // Runs n pumps (n milliseconds of fake time).
    void advance(int n) { for (int i = 0; i < n; ++i) pump(); }
    QStringList message_texts() const {
        QStringList out;
        for (const auto& m : messages) out << m.first;
        return out;
    }

    qint64 now = 1000;
    int pumps = 0;
    QList<QPair<QString, MsgIcon>> messages;
    std::function<void()> on_pump;                   // the device acts here
    std::function<void()> then_on_pump;              // and then the test
    std::function<void(const QString&)> on_message;  // e.g. to act while a box is "open"
    std::vector<FakeTimer*> timers;
};

class FakeSerialPort : public SerialPort {
public:
    bool open(int n) override {
        ++open_calls;
        open_ = !failing_ports.contains(n);
        if (open_) opened_port = n;
        return open_;
    }
    void close() override { open_ = false; }
    bool is_open() const override { return open_; }
    void discard_queues() override { input.clear(); }
    qint64 bytes_waiting() override { return open_ ? input.size() : 0; }
    QByteArray read_all() override { return open_ ? std::exchange(input, {}) : QByteArray(); }
    qint64 bytes_to_write() override { return 0; }
    void write(const QByteArray& bytes) override {
        writes.append(bytes);
        if (on_write) on_write(bytes);
    }
    QString open_failure() const override { return open_ ? QString() : failure_reason; }
    // Device side: bytes arrive in the input queue.
    void deliver(const QByteArray& bytes) {
        if (!open_) return;
        input.append(bytes);
        if (on_data_ready) on_data_ready();
    }
    // The port goes away under the panel (as the adapter reports it).
    void lose(const QString& cause) {
        open_ = false;
        if (on_lost) on_lost(cause);
    }

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
    void connect_to(const QString& h, quint16 p) override { host = h, port = p, ++connect_calls, state_ = State::Other; }
    State state() const override { return state_; }
    void send(const QByteArray& bytes) override {
        sends.append(bytes);
        if (on_send) on_send(bytes);
    }
    QByteArray take_all() override { return std::exchange(input, {}); }
    void close() override { state_ = State::Closed; }
    // Device side.
    void deliver(const QByteArray& bytes) {
        if (state_ != State::Connected) return;
        input.append(bytes);
        if (on_data_arrival) on_data_arrival();
    }
    void accept_connection() {  // the connection is established
        state_ = State::Connected;
        if (on_connected) on_connected();
    }
    void drop() { state_ = State::Closed; }  // the peer went away
    void fail(const QString& cause) {        // the connection fails and the socket says so
        state_ = State::Closed;
        if (on_error) on_error(cause);
    }

    QString host;
    quint16 port = 0;
    int connect_calls = 0;
    QByteArray input;
    QList<QByteArray> sends;
    std::function<void(const QByteArray&)> on_send;

private:
    State state_ = State::Closed;
};

// The device end of both fake links. Answers are scripted per command line.
class ScriptedDevice {
public:
    ScriptedDevice(FakePlatform& p, FakeSerialPort& s, FakeTcpClient& t);

    // Answer `command` (without CR) with `reply` (sent as is: include the CR),
    // or with pieces, the first after delay_pumps and each next gap_pumps later.
    void answer(const QString& command, const QByteArray& reply, int delay_pumps = 1) {
        answer_in_pieces(command, {reply}, delay_pumps);
    }
    void answer_in_pieces(const QString& command, const QList<QByteArray>& pieces, int delay_pumps = 1,
                          int gap_pumps = 1) {
        script_.insert(command, {pieces, delay_pumps, gap_pumps});
    }
    void never_answer(const QString& command) { answer_in_pieces(command, {}); }
    // Answers every command not scripted otherwise; return empty for silence.
    std::function<QList<QByteArray>(const QString& command)> responder;
    // Convenience responder: every command answered with itself plus CR.
    void echo_everything() {
        responder = [](const QString& cmd) { return QList<QByteArray>{cmd.toLatin1() + '\r'}; };
    }
    // Pushes bytes to the panel on the link given.
    void send_unsolicited(const QByteArray& bytes, bool tcp) { tcp ? t_.deliver(bytes) : s_.deliver(bytes); }

    QStringList received;  // every command line the device got, in order

private:
    struct Answer {
        QList<QByteArray> pieces;
        int delay_pumps, gap_pumps;
    };
    struct Pending {
        int due_pump;
        QByteArray bytes;
        bool tcp;
    };
    void on_bytes(const QByteArray& bytes, bool tcp);
    void step();
    FakePlatform& p_;
    FakeSerialPort& s_;
    FakeTcpClient& t_;
    QHash<QString, Answer> script_;
    QByteArray serial_line_, tcp_line_;
    std::vector<Pending> pending_;
};

// The fake clock and ports with the scripted device behind them.
struct FakeDevice {
    FakePlatform platform;
    FakeSerialPort serial;
    FakeTcpClient tcp;
    ScriptedDevice device{platform, serial, tcp};
};

// Everything a link test needs, wired together.
struct LinkRig : FakeDevice {
    PanelState state;
    Link link{state, platform, serial, tcp};

    // Serial port 1 open and the poll running, as after start-up on RS-232.
    void open_serial();
    // Ethernet selected and connected.
    void connect_tcp();
};

}  // namespace tavrin::testing
