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
// The traffic log is cleared when an entry would pass this many.
constexpr int16_t kLogEntries = 80;
// Reply wait of tx_cmd, in slices of one millisecond.
constexpr int kSerialSlices = 300;
constexpr int kEthernetSlices = 600;
// A reply is complete at this many characters even without its carriage
// return; label replies ("LAI") and Get IP's address answers are longer.
constexpr int16_t kShortReply = 7;
constexpr int16_t kLabelReply = 17;
constexpr int16_t kIpAnswer = 16;

QString from_wire(const QByteArray& bytes) { return QString::fromLatin1(bytes); }
bool is_label_reply(const QString& text) { return text.startsWith(QLatin1String("LAI")); }
}  // namespace

// A running serial tick: ticks may nest only under a reply wait that began
// inside the outer tick (see run_scheduled_rx_tick), and the poll goes on
// with the next tick once this one ends.
struct Link::TickScope {
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
};

Link::Link(PanelState& state, Platform& platform, SerialPort& serial, TcpClient& tcp, LogSink* log)
    : st_(state), platform_(platform), serial_(serial), tcp_(tcp), log_(log) {
    serial_.on_data_ready = [this] {
        if (!tim_rx_enabled_) return;
        // The answer a tx_cmd waits for is read at once rather than on the
        // next pass of the event loop; anything else waits for its tick.
        if (awaiting_reply_ && !in_rx_tick_) tim_rx_Timer();
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
    log_lines_ = 0;
    if (log_) log_->set_text(log_text_, QString());
}

void Link::log_append(const QString& text) {
    log_text_ += text;
    if (log_) log_->set_text(log_text_, text);
}

void Link::log_entry(const QString& text) {
    if (log_lines_ > kLogEntries) cmd_clear_Click();
    log_append(text);
    ++log_lines_;
}

bool Link::check_link() {
    if (link_kind_ == LinkKind::ethernet && !eth_connected_) {
        platform_.message(QStringLiteral("Ethernet port is disconnected !"), MsgIcon::Critical);
        return false;
    }
    if (link_kind_ == LinkKind::rs232 && !rs232_open_) {
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

void Link::send_line(const QString& tx_str) {
    const QByteArray framed = to_wire(tx_str) + CR;
    if (link_kind_ == LinkKind::rs232) {
        wait_output_drained();
        serial_.write(framed);
    } else {
        tcp_.send(framed);
    }
}

void Link::tx_cmd(const QString& tx_str) {
    reply_done_ = false;
    if (!check_link()) return;
    if (awaiting_reply_) return;
    log_entry(tx_str + QLatin1Char('>'));
    clear_reply();
    awaiting_reply_ = true;

    const int slices = send_awaited(tx_str);
    // A slice ends as soon as the reply is in: the loop would stop at its
    // next check anyway, and the answer is handled without the slice's idle
    // remainder (up to two clock ticks per exchange).
    for (int i = 0; i <= slices; ++i) {
        if (reply_done_) break;
        Delay(0.001f, &reply_done_);
    }
    evaluate_reply(tx_str);

    clear_reply();
    awaiting_reply_ = false;
    if (link_kind_ == LinkKind::rs232) {
        set_tim_rx_enabled(true);
        platform_.pump();
    }
    process_tcp_pending();
}

// Sends a command tx_cmd waits for; returns the slices its reply may take.
int Link::send_awaited(const QString& tx_str) {
    send_line(tx_str);
    if (link_kind_ == LinkKind::rs232) return kSerialSlices;
    if (tx_str == QLatin1String("RST001") || tx_str == QLatin1String("PWR001")) {
        announce_restart();
        return 0;
    }
    return kEthernetSlices;
}

void Link::announce_restart() {
    device_restarting_ = true;
    Delay(1.0f);
    platform_.message(kRestartNotice, MsgIcon::Exclamation);
    if (on_device_restart) on_device_restart();
    device_restarting_ = false;
}

void Link::evaluate_reply(const QString& tx_str) {
    // A reply still under assembly when the wait ends is a time-out, not an
    // answer: its partial text must not reach a handler.
    reply_done_ = true;
    const QString code = rx_complete_ ? rx_buffer_.left(3) : QString();
    if (code == QLatin1String("ERR")) {
        // answered, no handler
    } else if (code.isEmpty() || code != tx_str.left(3)) {
        reply_done_ = false;
    } else {
        dispatch(code);
    }
}

void Link::tx_cmd_nowait(const QString& tx_str) {
    if (!check_link()) return;
    if (awaiting_reply_) return;
    awaiting_reply_ = true;
    clear_reply();
    send_line(tx_str);
    if (link_kind_ == LinkKind::rs232) set_tim_rx_enabled(true);
    platform_.pump();
    awaiting_reply_ = false;
    // An answer that completed inside that one pump found a "waiting" sender
    // that never evaluates; hand it on as the unsolicited reply it is.
    if (rx_complete_) {
        dispatch_unsolicited(link_kind_ == LinkKind::ethernet);
        if (link_kind_ == LinkKind::rs232) set_tim_rx_enabled(true);
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
    reply_done_ = true;
    if (!dispatch(rx_buffer_.left(3), tcp_path)) reply_done_ = false;
    clear_reply();
    awaiting_reply_ = false;
}

// A whole reply is in: the tx_cmd waiting for it evaluates it, otherwise it
// is handled now. Returns whether it was left for tx_cmd.
bool Link::complete_reply(bool tcp_path) {
    rx_buffer_.chop(1);
    rx_complete_ = true;
    reply_done_ = true;
    if (awaiting_reply_) return true;
    dispatch_unsolicited(tcp_path);
    return false;
}

void Link::clear_reply() {
    rx_count_ = 0;
    rx_buffer_.clear();
    rx_complete_ = false;
}

void Link::forget_reception() {
    awaiting_reply_ = false;
    clear_reply();
    serial_pending_.clear();
    serial_pending_at_ = 0;
    tcp_pending_.clear();
    reply_done_ = false;
}

void Link::add_rx_count(int n) {
    // 16-bit like the rest of the state, but saturating: a flood must not wrap
    // into a negative count that never completes.
    rx_count_ = int16_t(std::min<int>(int(rx_count_) + n, 32767));
}

void Link::append_rx(const QString& text) {
    const int room = max_reply_chars - int(rx_buffer_.size());
    if (room > 0) rx_buffer_ += text.left(room);
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
    TickScope scope(*this);
    set_tim_rx_enabled(false);
    platform_.pump();

    bool terminator = false;
    if (take_serial_bytes(&terminator)) {
        log_entry(rx_buffer_ + QLatin1Char(' '));
        // tx_cmd evaluates its reply and re-enables the poll.
        if (serial_reply_ends(terminator) && complete_reply(false)) return;
    }
    set_tim_rx_enabled(true);
    platform_.pump();
}

// One read per tick. Bytes behind a carriage return are kept for the next
// tick instead of being thrown away: they are the device's next reply. They
// are worked through in place, so each reply costs the same however many wait
// behind it. Returns whether the reply under way grew.
bool Link::take_serial_bytes(bool* terminator) {
    if (serial_pending_at_ >= serial_pending_.size()) {
        serial_pending_ = serial_.read_all();
        if (serial_pending_.size() > max_pending_bytes) serial_pending_.truncate(max_pending_bytes);
        serial_pending_at_ = 0;
    }
    const QByteArray data = serial_pending_;
    bool added = false;
    qsizetype i = serial_pending_at_;
    for (; i < data.size(); ++i) {
        const char b = data.at(i);
        // An LF (of a CR LF pair) or an empty line before a reply carries nothing.
        if ((b == LF || b == CR) && rx_count_ == 0) continue;
        add_rx_count(1);
        append_rx(QString(QChar(uchar(b))));
        added = true;
        if (b == CR) {
            *terminator = true;
            ++i;
            break;
        }
    }
    serial_pending_at_ = i;
    if (i >= data.size()) {
        serial_pending_.clear();
        serial_pending_at_ = 0;
    }
    return added;
}

// Whether the serial reply under way is complete. An address answer of Get IP
// is taken whole at its 16th character, before the general rule, and is left
// in the buffer for Get IP rather than handled.
bool Link::serial_reply_ends(bool terminator) {
    if (rx_count_ < kShortReply && !terminator) return false;
    if (ip_query_step_ != IpQuery::none) {
        if (rx_count_ == kIpAnswer) {
            ip_query_step_ = IpQuery::answered;
            awaiting_reply_ = false;
            return false;
        }
        // An address answer split across reads is still arriving.
        if (rx_count_ < kIpAnswer && !terminator) return false;
    }
    return !(is_label_reply(rx_buffer_) && rx_count_ < kLabelReply && !terminator);
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
    if (nested && !(awaiting_reply_ && !rx_complete_)) return;
    in_tcp_arrival_ = true;
    while (!tcp_pending_.isEmpty()) {
        // A complete reply waits for its tx_cmd; later replies wait behind it.
        if (awaiting_reply_ && rx_complete_) break;
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
    if (rx_count_ == 0) {
        int skip = 0;
        while (skip < piece.size() && (piece.at(skip) == LF || piece.at(skip) == CR)) ++skip;
        piece.remove(0, skip);
    }
    if (piece.isEmpty()) return;
    const bool terminator = piece.contains(CR);
    add_rx_count(int(piece.size()));
    append_rx(from_wire(piece));
    if (terminator) log_append(rx_buffer_ + QLatin1Char(' '));
    ++log_lines_;
    if (rx_count_ < kShortReply && !terminator) return;
    if (log_lines_ > kLogEntries) cmd_clear_Click();
    if (is_label_reply(rx_buffer_) && rx_count_ < kLabelReply && !terminator) return;
    complete_reply(true);
}

}  // namespace tavrin
