#include "link/link.h"

#include <QMetaObject>
#include <algorithm>
#include <cmath>
#include <utility>

namespace tavrin {

namespace {
constexpr char CR = '\r';
constexpr char LF = '\n';
const QString kRestartNotice = QStringLiteral("Need to re-connect Ethernet after TAVRIN-4X re-boots ready !");

QString from_wire(const QByteArray& bytes) { return QString::fromLatin1(bytes); }
}  // namespace

Link::Link(PanelState& state, Platform& platform, SerialPort& serial, TcpClient& tcp, LogSink* log)
    : st_(state), platform_(platform), serial_(serial), tcp_(tcp), log_(log) {
    serial_.on_data_ready = [this] {
        if (!tim_rx_enabled_) return;
        // The answer a tx_cmd waits for is read at once rather than on the
        // next pass of the event loop; anything else waits for its tick.
        if (awaiting_reply && !in_rx_tick_) tim_rx_Timer();
        else schedule_rx_tick();
    };
    tcp_.on_data_arrival = [this] { wsk_client_DataArrival(); };
}

QByteArray Link::to_wire(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) out.append(c.unicode() <= 0xFF ? char(c.unicode()) : '?');
    return out;
}

QString Link::Pad3(int n) {
    QString s = QString::number(n);
    if (s.size() < 3) s.prepend(QString(3 - s.size(), QLatin1Char('0')));
    return s;
}

void Link::cmd_clear_Click() {
    log_text_.clear();
    log_lines = 0;
    if (log_) log_->set_text(log_text_, QString());
}

void Link::log_append(const QString& text) {
    log_text_ += text;
    if (log_) log_->set_text(log_text_, text);
}

bool Link::check_link() {
    if (link_kind == 1 && !eth_connected) {
        platform_.message(QStringLiteral("Ethernet port is disconnected !"), MsgIcon::Critical);
        return false;
    }
    if (link_kind == 0 && !rs232_open) {
        platform_.message(QStringLiteral("RS232 port is disconnected !"), MsgIcon::Critical);
        return false;
    }
    return true;
}

void Link::wait_output_drained() {
    // The queue drains without event processing; bounded so a stuck driver
    // cannot hang the panel.
    const qint64 start = platform_.now_ms();
    for (int spins = 0; serial_.bytes_to_write() > 0; ++spins) {
        if (spins > 200000 || platform_.now_ms() - start > 2000) break;
    }
}

void Link::Delay(float seconds) { Delay(seconds, nullptr); }

void Link::Delay(float seconds, const bool* done) {
    ++wait_depth_;
    st_.busy = true;
    const qint64 start = platform_.now_ms();
    const qint64 deadline = start + qint64(std::floor(double(seconds) * 1000.0 + 1e-6)) + 1;
    float elapsed = float(platform_.now_ms() - start) / 1000.0f;
    while (elapsed <= seconds && !(done && *done)) {
        const qint64 now = platform_.now_ms();
        platform_.pump(int(std::clamp<qint64>(deadline - now, 0, 1000)));
        elapsed = float(platform_.now_ms() - start) / 1000.0f;
    }
    --wait_depth_;
    st_.busy = wait_depth_ > 0;
}

void Link::tx_cmd(const QString& tx_str) {
    reply_done = false;
    if (!check_link()) return;
    if (awaiting_reply) return;
    if (log_lines > 80) cmd_clear_Click();
    log_append(tx_str + QLatin1Char('>'));
    ++log_lines;
    rx_count = 0;
    rx_buffer.clear();
    rx_complete_ = false;
    reply_done = false;
    awaiting_reply = true;

    int budget;
    const QByteArray framed = to_wire(tx_str) + CR;
    if (link_kind == 0) {
        wait_output_drained();
        serial_.write(framed);
        budget = 300;
    } else {
        tcp_.send(framed);
        if (tx_str == QLatin1String("RST001") || tx_str == QLatin1String("PWR001")) {
            budget = 0;
            device_restarting = true;
            Delay(1.0f);
            platform_.message(kRestartNotice, MsgIcon::Exclamation);
            if (on_device_restart) on_device_restart();
            device_restarting = false;
        } else {
            budget = 600;
        }
    }
    // A slice ends as soon as the reply is in: the loop would stop at its
    // next check anyway, and the answer is handled without the slice's idle
    // remainder (up to two clock ticks per exchange).
    for (int i = 0; i <= budget; ++i) {
        if (reply_done) break;
        Delay(0.001f, &reply_done);
    }

    // A reply still under assembly when the wait ends is a time-out, not an
    // answer: its partial text must not reach a handler.
    reply_done = true;
    const QString code = rx_complete_ ? rx_buffer.left(3) : QString();
    if (code == QLatin1String("ERR")) {
        // answered, no handler
    } else if (code.isEmpty() || code != tx_str.left(3)) {
        reply_done = false;
    } else {
        dispatch(code);
    }
    rx_count = 0;
    rx_buffer.clear();
    rx_complete_ = false;
    awaiting_reply = false;
    if (link_kind == 0) {
        set_tim_rx_enabled(true);
        platform_.pump();
    }
    process_tcp_pending();
}

void Link::tx_cmd_nowait(const QString& tx_str) {
    if (!check_link()) return;
    if (awaiting_reply) return;
    awaiting_reply = true;
    rx_count = 0;
    rx_buffer.clear();
    rx_complete_ = false;
    const QByteArray framed = to_wire(tx_str) + CR;
    if (link_kind == 1) {
        tcp_.send(framed);
        platform_.pump();
        awaiting_reply = false;
    } else {
        wait_output_drained();
        serial_.write(framed);
        set_tim_rx_enabled(true);
        platform_.pump();
        awaiting_reply = false;
    }
    // An answer that completed inside that one pump found a "waiting" sender
    // that never evaluates; hand it on as the unsolicited reply it is.
    if (rx_complete_) {
        dispatch_unsolicited(link_kind == 1);
        if (link_kind == 0) set_tim_rx_enabled(true);
    }
    process_tcp_pending();
}

// ---------------------------------------------------------------- reception

void Link::register_handler(const QString& code, Handler h) { table_.insert(code, std::move(h)); }

void Link::register_tcp_only_handler(const QString& code, Handler h) { tcp_only_.insert(code, std::move(h)); }

bool Link::dispatch(const QString& code, bool tcp_path) {
    auto it = table_.constFind(code);
    if (it != table_.constEnd()) {
        (*it)();
        return true;
    }
    if (tcp_path) {
        auto t = tcp_only_.constFind(code);
        if (t != tcp_only_.constEnd()) {
            (*t)();
            return true;
        }
    }
    return false;
}

void Link::dispatch_unsolicited(bool tcp_path) {
    reply_done = true;
    if (!dispatch(rx_buffer.left(3), tcp_path)) reply_done = false;
    rx_count = 0;
    rx_buffer.clear();
    rx_complete_ = false;
    awaiting_reply = false;
}

void Link::forget_reception() {
    rx_count = 0;
    rx_buffer.clear();
    rx_complete_ = false;
    serial_pending_.clear();
    serial_pending_at_ = 0;
    tcp_pending_.clear();
}

void Link::add_rx_count(int n) {
    // 16-bit like the rest of the state, but saturating: a flood must not wrap
    // into a negative count that never completes.
    rx_count = int16_t(std::min<int>(int(rx_count) + n, 32767));
}

void Link::append_rx(const QString& text) {
    const int room = max_reply_chars - int(rx_buffer.size());
    if (room > 0) rx_buffer += text.left(room);
}

bool Link::serial_backlog() { return serial_pending_at_ < serial_pending_.size() || serial_.bytes_waiting() > 0; }

void Link::set_tim_rx_enabled(bool on) {
    tim_rx_enabled_ = on;
    // A running tick schedules the next one as it ends.
    if (on && !in_rx_tick_ && serial_backlog()) schedule_rx_tick();
}

void Link::schedule_rx_tick() {
    if (rx_tick_scheduled_) return;
    rx_tick_scheduled_ = true;
    QMetaObject::invokeMethod(this, [this] { run_scheduled_rx_tick(); }, Qt::QueuedConnection);
}

void Link::run_scheduled_rx_tick() {
    rx_tick_scheduled_ = false;
    if (!tim_rx_enabled_) return;
    // A tick pumps events, and ticks must not nest: the tick still running
    // schedules the next one as it ends, so a backlog of any length is worked
    // off one event-loop pass per tick with a flat stack. Only a reply wait
    // that began inside that tick's pumping (a click that sends) needs its
    // reply read there and then.
    if (in_rx_tick_ && wait_depth_ <= tick_wait_depth_) return;
    tim_rx_Timer();
}

void Link::tim_rx_Timer() {
    if (!serial_backlog()) return;
    struct TickScope {
        Link& l;
        const bool outer_in;
        const int outer_depth;
        explicit TickScope(Link& link) : l(link), outer_in(link.in_rx_tick_), outer_depth(link.tick_wait_depth_) {
            l.in_rx_tick_ = true;
            l.tick_wait_depth_ = l.wait_depth_;
        }
        ~TickScope() {
            l.in_rx_tick_ = outer_in;
            l.tick_wait_depth_ = outer_depth;
            if (l.tim_rx_enabled_ && l.serial_backlog()) l.schedule_rx_tick();
        }
    } scope(*this);

    set_tim_rx_enabled(false);
    platform_.pump();

    // One read per tick. Bytes behind a carriage return are kept for the next
    // tick instead of being thrown away: they are the device's next reply.
    // They are worked through in place, so each reply costs the same however
    // many wait behind it.
    if (serial_pending_at_ >= serial_pending_.size()) {
        serial_pending_ = serial_.read_all();
        if (serial_pending_.size() > max_pending_bytes) serial_pending_.truncate(max_pending_bytes);
        serial_pending_at_ = 0;
    }
    const QByteArray data = serial_pending_;
    bool terminator = false;
    bool added = false;
    qsizetype i = serial_pending_at_;
    for (; i < data.size(); ++i) {
        const char b = data.at(i);
        // An LF (of a CR LF pair) or an empty line before a reply carries nothing.
        if ((b == LF || b == CR) && rx_count == 0) continue;
        add_rx_count(1);
        append_rx(QString(QChar(uchar(b))));
        added = true;
        if (b == CR) {
            terminator = true;
            ++i;
            break;
        }
    }
    serial_pending_at_ = i;
    if (i >= data.size()) {
        serial_pending_.clear();
        serial_pending_at_ = 0;
    }

    auto finish = [this] {
        set_tim_rx_enabled(true);
        platform_.pump();
    };
    if (!added) {
        finish();
        return;
    }
    if (log_lines > 80) cmd_clear_Click();
    log_append(rx_buffer + QLatin1Char(' '));
    ++log_lines;

    if (rx_count < 7 && !terminator) {
        finish();
        return;
    }
    if (ip_query_step != 254) {
        if (rx_count == 16) {
            ip_query_step = 3;
            awaiting_reply = false;
            finish();
            return;
        }
        // An address answer split across reads is still arriving.
        if (rx_count < 16 && !terminator) {
            finish();
            return;
        }
    }
    if (rx_buffer.startsWith(QLatin1String("LAI")) && rx_count < 17 && !terminator) {
        finish();
        return;
    }
    rx_buffer.chop(1);
    rx_complete_ = true;
    if (awaiting_reply) {
        // tx_cmd evaluates and re-enables the poll.
        reply_done = true;
        return;
    }
    dispatch_unsolicited(false);
    finish();
}

void Link::wsk_client_DataArrival() {
    QByteArray chunk = tcp_.take_all();
    const int room = max_pending_bytes - int(tcp_pending_.size());
    if (room > 0) tcp_pending_.append(chunk.left(room));
    process_tcp_pending();
}

void Link::process_tcp_pending() {
    // A handler that pumps events may let more data arrive; it is handled by
    // the outer loop after the handler returns, unless a nested tx_cmd waits.
    const bool nested = in_tcp_arrival_;
    if (nested && !(awaiting_reply && !rx_complete_)) return;
    in_tcp_arrival_ = true;
    while (!tcp_pending_.isEmpty()) {
        // A complete reply waits for its tx_cmd; later replies wait behind it.
        if (awaiting_reply && rx_complete_) break;
        const int cr = tcp_pending_.indexOf(CR);
        const int len = std::min<int>(cr >= 0 ? cr + 1 : int(tcp_pending_.size()), max_tcp_piece);
        const QByteArray piece = tcp_pending_.left(len);
        tcp_pending_.remove(0, len);
        process_tcp_piece(piece);
    }
    if (!nested) in_tcp_arrival_ = false;
}

void Link::process_tcp_piece(const QByteArray& raw) {
    QByteArray piece = raw;
    if (rx_count == 0) {
        int skip = 0;
        while (skip < piece.size() && (piece.at(skip) == LF || piece.at(skip) == CR)) ++skip;
        piece.remove(0, skip);
    }
    if (piece.isEmpty()) return;
    const bool terminator = piece.contains(CR);
    add_rx_count(int(piece.size()));
    append_rx(from_wire(piece));
    if (terminator) log_append(rx_buffer + QLatin1Char(' '));
    ++log_lines;
    if (rx_count < 7 && !terminator) return;
    if (log_lines > 80) cmd_clear_Click();
    if (rx_buffer.startsWith(QLatin1String("LAI")) && rx_count < 17 && !terminator) return;
    rx_buffer.chop(1);
    reply_done = true;
    rx_complete_ = true;
    if (awaiting_reply) return;
    dispatch_unsolicited(true);
}

}  // namespace tavrin
