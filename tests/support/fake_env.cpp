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
    if (then_on_pump) then_on_pump();
    for (size_t i = 0; i < timers.size(); ++i) timers[i]->fire_if_due();  // a timer may add or remove timers
    QCoreApplication::processEvents();
}

ScriptedDevice::ScriptedDevice(FakePlatform& p, FakeSerialPort& s, FakeTcpClient& t) : p_(p), s_(s), t_(t) {
    s_.on_write = [this](const QByteArray& b) { on_bytes(b, false); };
    t_.on_send = [this](const QByteArray& b) { on_bytes(b, true); };
    p_.on_pump = [this] { step(); };
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
    const auto now = std::stable_partition(pending_.begin(), pending_.end(),
                                           [this](const Pending& d) { return d.due_pump > p_.pumps; });
    const std::vector<Pending> due(now, pending_.end());
    pending_.erase(now, pending_.end());
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
