#pragma once
// The command exchange with the TAVRIN-4X and the reception of its replies.
// Every command of the panel leaves through tx_cmd or tx_cmd_nowait; replies
// are assembled by the serial path (tim_rx_Timer) or the TCP path
// (wsk_client_DataArrival) and routed by their three-letter code.
//
// The link keeps its exchange state to itself: the rest of the panel reads it
// through the accessors below and tells the link what happened to its ports
// (opened, closed, connected, dropped) through the operations after them.

#include "state/panel_state.h"
#include "link/link_values.h"
#include "link/ports.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

namespace tavrin {

class Link : public QObject {
    Q_OBJECT
public:
    // Longest reply text kept while assembling; anything beyond is garbage and
    // is dropped so a babbling device cannot grow memory.
    static constexpr int max_reply_chars = 1024;
    // TCP arrivals are handled in pieces of at most this many characters.
    static constexpr int max_tcp_piece = 255;
    // Bytes held back (after a carriage return) for later replies.
    static constexpr int max_pending_bytes = 65536;

    Link(PanelState& state, Platform& platform, SerialPort& serial, TcpClient& tcp, LogSink* log = nullptr);

    // ---- exchange state, read-only outside
    int16_t link_kind() const { return link_kind_; }  // LinkKind
    bool rs232_open() const { return rs232_open_; }
    bool eth_connected() const { return eth_connected_; }
    // The link is up on the selected interface.
    bool link_up() const { return link_kind_ == LinkKind::ethernet ? eth_connected_ : rs232_open_; }
    // A command is out and its reply not yet evaluated; other commands are dropped.
    bool awaiting_reply() const { return awaiting_reply_; }
    // After tx_cmd: the device answered with the command's code or with "ERR".
    // A reply handled on arrival sets it too, or clears it when no handler
    // takes the reply.
    bool reply_done() const { return reply_done_; }
    // Characters of the reply under way (16-bit, saturating).
    int16_t rx_count() const { return rx_count_; }
    // Entries in the traffic log since it was last cleared.
    int16_t log_lines() const { return log_lines_; }
    // The step of Get IP under way (IpQuery).
    int16_t ip_query_step() const { return ip_query_step_; }
    bool ip_answered() const { return ip_query_step_ == IpQuery::answered; }
    // From "RST001"/"PWR001" going out over Ethernet until the connection is
    // closed after the re-connect notice: the device drops it meanwhile.
    bool device_restarting() const { return device_restarting_; }

    // ---- what happens to the link
    void choose_interface(int16_t kind) { link_kind_ = kind; }  // LinkKind
    void serial_opened() { rs232_open_ = true; }
    void serial_closed() { rs232_open_ = false; }
    void ethernet_up() { eth_connected_ = true; }
    void ethernet_down() { eth_connected_ = false; }
    // Get IP asks for one of its three values at a time: the serial path then
    // takes a 16-character answer as complete (ip_answered()) and leaves it in
    // reply() with its carriage return.
    void start_ip_step(int16_t step) { ip_query_step_ = step; }
    void end_ip_query() { ip_query_step_ = IpQuery::none; }
    // A port was re-opened: any half-received reply, held-back bytes and the
    // wait for an answer are forgotten, and nothing counts as answered.
    void forget_reception();

    // ---- command exchange
    void tx_cmd(const QString& tx_str);
    void tx_cmd_nowait(const QString& tx_str);
    void Delay(float seconds);
    // The same wait, ended early once *done is true (a reply wait's slice).
    void Delay(float seconds, const bool* done);
    static QString Pad3(int n);
    void cmd_clear_Click();
    // The traffic log as one running text (txt_cmd).
    const QString& log_text() const { return log_text_; }

    // ---- reception
    void tim_rx_Timer();
    void wsk_client_DataArrival();
    bool tim_rx_enabled() const { return tim_rx_enabled_; }
    void set_tim_rx_enabled(bool on);
    // Bytes received behind a reply and not yet handled (both links).
    qsizetype held_back_bytes() const { return serial_pending_.size() + tcp_pending_.size(); }

    // ---- reply table
    using Handler = std::function<void()>;
    void register_handler(const QString& code, Handler h);
    // The "EXT" entry exists on the TCP path only.
    void register_tcp_only_handler(const QString& code, Handler h);
    bool dispatch(const QString& code, bool tcp_path = false);
    // The reply text: while assembling, what came so far; once complete (the
    // one a handler is called for), without its carriage return.
    QString reply() const { return rx_buffer_; }

    // Runs after "RST001"/"PWR001" went out over Ethernet and the re-connect
    // notice was shown: hides the panel openers and closes the connection.
    std::function<void()> on_device_restart;

    void set_log_sink(LogSink* log) { log_ = log; }
    PanelState& state() { return st_; }
    Platform& platform() { return platform_; }
    SerialPort& serial() { return serial_; }
    TcpClient& tcp() { return tcp_; }

    // Latin-1 bytes; a character the wire cannot carry is sent as '?'.
    static QByteArray to_wire(const QString& text);

private:
    struct TickScope;

    bool check_link();
    void log_append(const QString& text);
    void log_entry(const QString& text);
    void send_line(const QString& tx_str);
    int send_awaited(const QString& tx_str);
    void announce_restart();
    void evaluate_reply(const QString& tx_str);
    void wait_output_drained();
    void schedule_rx_tick();
    void run_scheduled_rx_tick();
    bool serial_backlog();
    bool take_serial_bytes(bool* terminator);
    bool serial_reply_ends(bool terminator);
    void process_tcp_piece(const QByteArray& piece);
    void process_tcp_pending();
    void append_rx(const QString& text);
    void add_rx_count(int n);
    void clear_reply();
    bool complete_reply(bool tcp_path);
    void dispatch_unsolicited(bool tcp_path);

    PanelState& st_;
    Platform& platform_;
    SerialPort& serial_;
    TcpClient& tcp_;
    LogSink* log_;
    QString log_text_;
    QHash<QString, Handler> table_;
    QHash<QString, Handler> tcp_only_;

    int16_t link_kind_ = LinkKind::rs232;
    bool rs232_open_ = false;
    bool eth_connected_ = false;
    bool awaiting_reply_ = false;
    bool reply_done_ = false;
    QString rx_buffer_;
    int16_t rx_count_ = 0;
    int16_t log_lines_ = 0;
    int16_t ip_query_step_ = IpQuery::none;
    bool device_restarting_ = false;

    bool rx_complete_ = false;  // rx_buffer_ holds a whole reply
    bool tim_rx_enabled_ = false;
    bool rx_tick_scheduled_ = false;
    bool in_rx_tick_ = false;
    // Delays running on this link; busy is set while any does, so a nested
    // Delay ending does not clear it under an outer wait.
    int wait_depth_ = 0;
    int tick_wait_depth_ = 0;    // wait_depth_ when the running tick began
    QByteArray serial_pending_;  // the last read, worked through reply by reply
    qsizetype serial_pending_at_ = 0;
    QByteArray tcp_pending_;     // TCP bytes not yet handled
    bool in_tcp_arrival_ = false;
};

}  // namespace tavrin
