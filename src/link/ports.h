#pragma once
// The few operations the panel needs from the outside world. Production passes
// Qt-backed adapters (qt_ports.h); tests pass fakes, so the exchange logic can
// be driven with a fake clock and a scripted device.

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

namespace tavrin {

// A serial port reduced to what the panel uses.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens port number n (1..9) at 115200,N,8,1 with raw byte input.
    // Returns false (and leaves the port closed) on any failure.
    virtual bool open(int n) = 0;
    virtual void close() = 0;
    virtual bool is_open() const = 0;
    // Discards the input queue, then the output queue.
    virtual void discard_queues() = 0;
    virtual qint64 bytes_waiting() = 0;   // input queue count; 0 while closed
    virtual QByteArray read_all() = 0;    // all waiting bytes as one block
    virtual qint64 bytes_to_write() = 0;  // output queue count
    virtual void write(const QByteArray& bytes) = 0;
    // Why the last open() failed, for the operator: the cause and the device
    // file that was tried. Empty when there is nothing to add.
    virtual QString open_failure() const { return {}; }

    // Raised when input bytes have arrived (the adapter's "data ready").
    std::function<void()> on_data_ready;
    // Raised once, from the event loop, when an open port goes away (hang-up,
    // adapter unplugged, any port error but a time-out), with the cause. The
    // port is closed by then.
    std::function<void(const QString& cause)> on_lost;
};

// A TCP client connection.
class TcpClient {
public:
    enum class State { Closed, Connected, Other };
    virtual ~TcpClient() = default;
    virtual void connect_to(const QString& host, quint16 port) = 0;  // asynchronous
    virtual State state() const = 0;
    virtual void send(const QByteArray& bytes) = 0;
    virtual QByteArray take_all() = 0;  // all received data
    virtual void close() = 0;

    std::function<void()> on_connected;
    std::function<void()> on_data_arrival;
    // Raised, from the event loop, when an established connection fails
    // (reset, keep-alive time-out, the peer closing), with the cause.
    std::function<void(const QString& cause)> on_error;
};

// A one-shot-or-repeating timer whose time comes from the platform clock.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void set_interval(int ms) = 0;
    virtual int interval() const = 0;
    virtual void set_enabled(bool on) = 0;  // (re)starts the interval when switched on
    virtual bool enabled() const = 0;
    std::function<void()> on_timeout;
};

enum class MsgIcon { None, Critical, Exclamation };

// Clock, event pump, timers and the modal message routine.
class Platform {
public:
    virtual ~Platform() = default;
    // Monotonic milliseconds.
    virtual qint64 now_ms() = 0;
    // Processes pending events once. When nothing is pending it may sleep up to
    // max_wait_ms for the first event, so waits do not spin a core.
    virtual void pump(int max_wait_ms = 0) = 0;
    // Modal message box titled "TAVRIN_4X" with an OK button.
    virtual void message(const QString& text, MsgIcon icon) = 0;
    virtual std::unique_ptr<Timer> make_timer() = 0;
};

// Where the traffic log goes (the txt_cmd text box in the program).
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void set_text(const QString& whole_text, const QString& appended) = 0;
};

}  // namespace tavrin
