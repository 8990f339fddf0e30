#include "support/fake_env.h"

#include <QCoreApplication>
#include <algorithm>

namespace tavrin::testing {

FakeTimer::FakeTimer(FakePlatform& p) : p_(p) { p.timers.push_back(this); }
FakeTimer::~FakeTimer() { std::erase(p_.timers, this); }

void FakeTimer::set_enabled(bool on) {
    enabled_ = on;
    if (on) due_ = p_.now + interval_;
}

void FakeTimer::fire_if_due() {
    if (!enabled_ || interval_ <= 0 || p_.now < due_) return;
    due_ = p_.now + interval_;
    if (on_timeout) on_timeout();
}

void FakePlatform::pump(int) {
    ++now;
    ++pumps;
    if (on_pump) on_pump();
    for (size_t i = 0; i < timers.size(); ++i) timers[i]->fire_if_due();  // a timer may add or remove timers
    QCoreApplication::processEvents();
}

void FakePlatform::message(const QString& text, MsgIcon icon) {
    messages.append({text, icon});
    if (on_message) on_message(text);
}

QStringList FakePlatform::message_texts() const {
    QStringList out;
    for (const auto& m : messages) out << m.first;
    return out;
}

bool FakeSerialPort::open(int n) {
    ++open_calls;
    open_ = !failing_ports.contains(n);
    if (open_) opened_port = n;
    return open_;
}

void FakeSerialPort::write(const QByteArray& bytes) {
    writes.append(bytes);
    if (on_write) on_write(bytes);
}

void FakeSerialPort::deliver(const QByteArray& bytes) {
    if (!open_) return;
    input.append(bytes);
    if (on_data_ready) on_data_ready();
}

void FakeSerialPort::lose(const QString& cause) {
    open_ = false;
    if (on_lost) on_lost(cause);
}

void FakeTcpClient::send(const QByteArray& bytes) {
    sends.append(bytes);
    if (on_send) on_send(bytes);
}

void FakeTcpClient::deliver(const QByteArray& bytes) {
    if (state_ != State::Connected) return;
    input.append(bytes);
    if (on_data_arrival) on_data_arrival();
}

void FakeTcpClient::fail(const QString& cause) {
    state_ = State::Closed;
    if (on_error) on_error(cause);
}

void FakeTcpClient::accept_connection() {
    state_ = State::Connected;
    if (on_connected) on_connected();
}

ScriptedDevice::ScriptedDevice(FakePlatform& p, FakeSerialPort& s, FakeTcpClient& t) : p_(p), s_(s), t_(t) {
    s_.on_write = [this](const QByteArray& b) { on_bytes(b, false); };
    t_.on_send = [this](const QByteArray& b) { on_bytes(b, true); };
    p_.on_pump = [this] { step(); };
}

void ScriptedDevice::answer_in_pieces(const QString& command, const QList<QByteArray>& pieces, int delay_pumps,
                                      int gap_pumps) {
    script_.insert(command, {pieces, delay_pumps, gap_pumps});
}

void ScriptedDevice::echo_everything() {
    responder = [](const QString& cmd) { return QList<QByteArray>{cmd.toLatin1() + '\r'}; };
}

void ScriptedDevice::send_unsolicited(const QByteArray& bytes, bool tcp) {
    if (tcp) t_.deliver(bytes);
    else s_.deliver(bytes);
}

void ScriptedDevice::on_bytes(const QByteArray& bytes, bool tcp) {
    QByteArray& line = tcp ? tcp_line_ : serial_line_;
    for (char c : bytes) {
        if (c != '\r') {
            line.append(c);
            continue;
        }
        const QString cmd = QString::fromLatin1(std::exchange(line, {}));
        if (cmd.isEmpty()) continue;  // the second CR of a label command
        received.append(cmd);
        Answer a = script_.value(cmd, {{}, 1, 1});
        if (!script_.contains(cmd) && responder) a.pieces = responder(cmd);
        int due = p_.pumps + a.delay_pumps;
        for (const QByteArray& piece : a.pieces) pending_.push_back({due, piece, tcp}), due += a.gap_pumps;
    }
}

void ScriptedDevice::step() {
    // Deliver what is due, in order; deliveries may trigger new commands.
    std::vector<Pending> due;
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->due_pump > p_.pumps) ++it;
        else due.push_back(*it), it = pending_.erase(it);
    }
    for (const Pending& d : due) send_unsolicited(d.bytes, d.tcp);
}

void LinkRig::open_serial() {
    serial.open(1);
    link.choose_interface(LinkKind::rs232);
    link.serial_opened();
    link.set_tim_rx_enabled(true);
    state.cmd_enable = true;
}

void LinkRig::connect_tcp() {
    link.choose_interface(LinkKind::ethernet);
    tcp.connect_to(QStringLiteral("127.0.0.1"), 23);
    tcp.accept_connection();
    link.ethernet_up();
    state.cmd_enable = true;
}

}  // namespace tavrin::testing
