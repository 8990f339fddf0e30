#include "support/fake_env.h"

#include <QCoreApplication>
#include <algorithm>

namespace tavrin::testing {

void FakeTimer::set_enabled(bool on) {
    enabled_ = on;
    if (on) due = p_.now + interval_;
}

FakePlatform::FakePlatform() = default;
FakePlatform::~FakePlatform() = default;

void FakePlatform::pump(int) {
    ++now;
    ++pumps;
    if (on_pump) on_pump();
    // Fire due timers; the list may change while a timer runs.
    for (size_t i = 0; i < timers.size(); ++i) {
        FakeTimer* t = timers[i];
        if (t->enabled_ && t->interval_ > 0 && now >= t->due) {
            t->due = now + t->interval_;
            if (t->on_timeout) t->on_timeout();
        }
    }
    QCoreApplication::processEvents();
}

void FakePlatform::advance(int n) {
    for (int i = 0; i < n; ++i) pump();
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

namespace {
class OwnedFakeTimer : public FakeTimer {
public:
    explicit OwnedFakeTimer(FakePlatform& p) : FakeTimer(p), owner_(p) { p.timers.push_back(this); }
    ~OwnedFakeTimer() override {
        auto& v = owner_.timers;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }

private:
    FakePlatform& owner_;
};
}  // namespace

std::unique_ptr<Timer> FakePlatform::make_timer() { return std::make_unique<OwnedFakeTimer>(*this); }

// ------------------------------------------------------------------ serial

bool FakeSerialPort::open(int n) {
    ++open_calls;
    open_ = false;
    if (failing_ports.contains(n)) return false;
    opened_port = n;
    open_ = true;
    return true;
}

QByteArray FakeSerialPort::read_all() {
    if (!open_) return {};
    QByteArray out = input;
    input.clear();
    return out;
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

// ------------------------------------------------------------------ tcp

void FakeTcpClient::connect_to(const QString& h, quint16 p) {
    host = h;
    port = p;
    ++connect_calls;
    state_ = State::Other;
}

void FakeTcpClient::send(const QByteArray& bytes) {
    sends.append(bytes);
    if (on_send) on_send(bytes);
}

QByteArray FakeTcpClient::take_all() {
    QByteArray out = input;
    input.clear();
    return out;
}

void FakeTcpClient::close() {
    ++close_calls;
    state_ = State::Closed;
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

// ------------------------------------------------------------------ device

ScriptedDevice::ScriptedDevice(FakePlatform& p, FakeSerialPort& s, FakeTcpClient& t) : p_(p), s_(s), t_(t) {
    s_.on_write = [this](const QByteArray& b) { on_bytes(b, false); };
    t_.on_send = [this](const QByteArray& b) { on_bytes(b, true); };
    p_.on_pump = [this] { step(); };
}

void ScriptedDevice::answer(const QString& command, const QByteArray& reply, int delay_pumps) {
    Answer a;
    a.pieces = {reply};
    a.delay_pumps = delay_pumps;
    script_.insert(command, a);
}

void ScriptedDevice::answer_in_pieces(const QString& command, const QList<QByteArray>& pieces, int delay_pumps,
                                      int gap_pumps) {
    Answer a;
    a.pieces = pieces;
    a.delay_pumps = delay_pumps;
    a.gap_pumps = gap_pumps;
    script_.insert(command, a);
}

void ScriptedDevice::never_answer(const QString& command) {
    Answer a;
    a.never = true;
    script_.insert(command, a);
}

void ScriptedDevice::echo_everything() {
    responder = [](const QString& cmd) { return QList<QByteArray>{cmd.toLatin1() + '\r'}; };
}

void ScriptedDevice::send_unsolicited(const QByteArray& bytes, bool tcp) {
    if (tcp) t_.deliver(bytes);
    else s_.deliver(bytes);
}

void ScriptedDevice::on_bytes(const QByteArray& bytes, bool tcp) {
    last_was_tcp = tcp;
    QByteArray& line = tcp ? tcp_line_ : serial_line_;
    for (char c : bytes) {
        if (c != '\r') {
            line.append(c);
            continue;
        }
        const QString cmd = QString::fromLatin1(line);
        line.clear();
        if (cmd.isEmpty()) continue;  // the second CR of a label command
        received.append(cmd);
        Answer a;
        if (script_.contains(cmd)) {
            a = script_.value(cmd);
        } else if (responder) {
            a.pieces = responder(cmd);
        }
        if (a.never || a.pieces.isEmpty()) continue;
        int due = p_.pumps + a.delay_pumps;
        for (const QByteArray& piece : a.pieces) {
            pending_.push_back({due, piece, tcp});
            due += a.gap_pumps;
        }
    }
}

void ScriptedDevice::step() {
    // Deliver what is due, in order; deliveries may trigger new commands.
    std::vector<Pending> due;
    auto it = pending_.begin();
    while (it != pending_.end()) {
        if (it->due_pump <= p_.pumps) {
            due.push_back(*it);
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
    for (const Pending& d : due) send_unsolicited(d.bytes, d.tcp);
}

// ------------------------------------------------------------------ rig

void LinkRig::open_serial() {
    serial.open(1);
    link.link_kind = 0;
    link.rs232_open = true;
    link.set_tim_rx_enabled(true);
    state.cmd_enable = true;
}

void LinkRig::connect_tcp() {
    link.link_kind = 1;
    tcp.connect_to(QStringLiteral("127.0.0.1"), 23);
    tcp.accept_connection();
    link.eth_connected = true;
    state.cmd_enable = true;
}

}  // namespace tavrin::testing
