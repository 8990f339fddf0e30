// tavrin4x-sim: a stand-in TAVRIN-4X for trials without hardware, for the
// end-to-end tests and for the benchmarks.

#include "console.h"
#include "sim_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <cerrno>
#include <functional>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signal_pipe[2] = {-1, -1};

void on_signal(int) {
    const char c = 1;
    const int saved = errno;
    [[maybe_unused]] auto n = ::write(signal_pipe[1], &c, 1);
    errno = saved;
}

struct Parsed {
    sim::SimOptions options;
    QString error;
};

bool to_int(const QCommandLineParser& p, const QString& name, int lo, int hi, int* out, QString* error) {
    if (!p.isSet(name)) return true;
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < lo || v > hi) {
        *error = QStringLiteral("--%1 wants a whole number from %2 to %3").arg(name).arg(lo).arg(hi);
        return false;
    }
    *out = v;
    return true;
}

bool to_probability(const QCommandLineParser& p, const QString& name, double* out, QString* error) {
    if (!p.isSet(name)) return true;
    bool ok = false;
    const double v = p.value(name).toDouble(&ok);
    if (!ok || v < 0 || v > 1) {
        *error = QStringLiteral("--%1 wants a probability from 0 to 1").arg(name);
        return false;
    }
    *out = v;
    return true;
}

void declare_options(QCommandLineParser& p) {
    p.setApplicationDescription(
        "Simulated TAVRIN-4X: speaks the device protocol on TCP and on a virtual serial port.\n"
        "Type 'help' on standard input for the operator console (the device's front panel).");
    p.addHelpOption();
    p.addVersionOption();
    p.addOptions({
        {"listen", "TCP address to listen on, host:port ([v6]:port); port 0 picks a free one.", "host:port",
         "127.0.0.1:2323"},
        {"serial", "Create a pseudo-terminal and link it at <path> (e.g. COM1 beside the panel).", "path"},
        {"boot-ms", "Time the device stays deaf after PWR001/RST001 (default 3000).", "ms"},
        {"restart-drop-ms", "Delay before a restart ends the TCP sessions (default 200; -1 keeps them).", "ms"},
        {"log", "Write the traffic log to <file> instead of standard output.", "file"},
        {"quiet", "No traffic log."},
        {"seed", "Seed of the fault generator (default 1).", "n"},
        {"latency-ms", "Delay before every reply.", "ms"},
        {"jitter-ms", "Extra random delay, 0..ms, per reply.", "ms"},
        {"drop", "Probability that a reply is not sent.", "p"},
        {"split", "Probability that a reply is sent in 2-3 pieces.", "p"},
        {"split-gap-ms", "Pause between those pieces (default 5).", "ms"},
        {"garbage", "Probability of stray bytes inside a reply.", "p"},
        {"no-cr", "Probability that a reply lacks its CR.", "p"},
        {"baud", "Pace commands and replies like a serial line at this rate (10 bits per byte).", "rate"},
        {"resolutions", "Number of output resolutions the device offers (default 14).", "n"},
    });
}

// The options as the server takes them; false with the reason.
bool to_options(const QCommandLineParser& p, sim::SimOptions* out, QString* error) {
    sim::SimOptions& o = *out;
    sim::ListenAddress listen;
    if (!sim::parse_listen(p.value("listen"), &listen, error)) {
        *error = "--listen: " + *error;
        return false;
    }
    o.listen_host = listen.host == "localhost" ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(listen.host);
    if (o.listen_host.isNull()) {
        *error = "--listen: not an address: " + listen.host;
        return false;
    }
    o.listen_port = quint16(listen.port);
    o.serial_path = p.value("serial");
    o.log_path = p.value("log");
    o.quiet = p.isSet("quiet");
    if (p.isSet("seed")) {
        bool ok = false;
        o.seed = p.value("seed").toULongLong(&ok);
        if (!ok) *error = "--seed wants a whole number";
    }
    return error->isEmpty() && to_int(p, "boot-ms", 0, 600000, &o.boot_ms, error) &&
           to_int(p, "restart-drop-ms", -1, 600000, &o.restart_drop_ms, error) &&
           to_int(p, "latency-ms", 0, 60000, &o.faults.latency_ms, error) &&
           to_int(p, "jitter-ms", 0, 60000, &o.faults.jitter_ms, error) &&
           to_int(p, "split-gap-ms", 0, 60000, &o.faults.split_gap_ms, error) &&
           to_int(p, "baud", 0, 100000000, &o.faults.baud, error) &&
           to_int(p, "resolutions", 1, 99, &o.device.resolutions, error) &&
           to_probability(p, "drop", &o.faults.drop, error) && to_probability(p, "split", &o.faults.split, error) &&
           to_probability(p, "garbage", &o.faults.garbage, error) &&
           to_probability(p, "no-cr", &o.faults.no_cr, error);
}

// SIGINT and SIGTERM arrive on signal_pipe, to end the program from the
// event loop.
bool catch_signals() {
    ::signal(SIGPIPE, SIG_IGN);
    // Started with & from an interactive shell, reading the terminal would
    // stop us; ignored, the read fails instead and the console switches off.
    ::signal(SIGTTIN, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signal_pipe) != 0) return false;
    struct sigaction sa{};
    sa.sa_handler = on_signal;
    ::sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    return true;
}

using Print = std::function<void(const QString&)>;

// Reads what the console has typed and runs every whole line. At end of input
// (started in the background, stdin from /dev/null) the device simply keeps
// running.
void read_console(QSocketNotifier& in, QByteArray& buffer, sim::SimServer& server, const Print& print) {
    char buf[1024];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n < 0 && errno == EINTR) return;
    if (n <= 0) {
        in.setEnabled(false);
        return;
    }
    buffer.append(buf, int(n));
    if (buffer.size() > 4096 && !buffer.contains('\n')) buffer.clear();
    int nl;
    while ((nl = int(buffer.indexOf('\n'))) >= 0) {
        const QString line = QString::fromLocal8Bit(buffer.left(nl)).remove('\r');
        buffer.remove(0, nl + 1);
        server.console_line(line, print);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("tavrin4x-sim");
    QCoreApplication::setApplicationVersion(TAVRIN4X_VERSION);

    QCommandLineParser p;
    declare_options(p);
    p.process(app);
    sim::SimOptions o;
    QString error;
    if (!to_options(p, &o, &error)) {
        QTextStream(stderr) << "tavrin4x-sim: " << error << '\n';
        return 2;
    }
    if (!catch_signals()) return 1;

    QFile out_file;
    out_file.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    QTextStream out(&out_file);
    const Print print = [&out](const QString& text) {
        out << text << (text.endsWith('\n') ? "" : "\n");
        out.flush();
    };

    sim::SimServer server(o);
    if (!server.start(&error)) {
        QTextStream(stderr) << "tavrin4x-sim: " << error << '\n';
        return 1;
    }

    bool quitting = false;
    auto quit = [&] {
        if (std::exchange(quitting, true)) return;
        server.shutdown([] { QCoreApplication::quit(); });
    };
    QObject::connect(&server, &sim::SimServer::quit_requested, &app, quit);
    QSocketNotifier signals_in(signal_pipe[0], QSocketNotifier::Read);
    QObject::connect(&signals_in, &QSocketNotifier::activated, &app, [&] {
        char c;
        [[maybe_unused]] auto n = ::read(signal_pipe[0], &c, 1);
        quit();
    });

    QByteArray console_buffer;
    QSocketNotifier console_in(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&console_in, &QSocketNotifier::activated, &app,
                     [&] { read_console(console_in, console_buffer, server, print); });

    print(server.ready_line());
    return app.exec();
}
