// Exchange speed: the full refresh in Quad with the advanced view (43
// exchanges) by the real panel against tavrin4x-sim, side by side with a bare
// client (a plain QTcpSocket or QSerialPort in an event loop) sending the same
// 43 commands to the same simulator in the same run, one at a time.
//
// Three links, each in a fresh process (this program with --case): TCP
// loopback and the simulator's virtual serial port with zero latency, and the
// virtual serial port paced like a 115200 baud line in both directions. Per
// link: refresh time and CPU per refresh against the bare client, the first
// refresh after start against later ones, and for every reply the time from
// the moment its last byte became readable on the socket or port (seen by a
// watcher thread, edge-triggered epoll) to the next command leaving.
// Meant for an X server (run.sh provides one); it runs offscreen too.

#include "common.h"

#include "device_controls/presets.h"
#include "link/qt_ports.h"
#include "main_window/link_controls.h"
#include "main_window/panel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QScreen>
#include <QSerialPort>
#include <QStyleFactory>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <pthread.h>
#include <sched.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace tavrin;

namespace {

constexpr int kExchanges = 43;
constexpr int kBaud = 115200;
constexpr int kSettleMs = 40;  // between refreshes: longer than a display frame

qint64 mono_ns() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void wait_ms(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int fail(const QString& why) {
    std::fprintf(stderr, "bench_exchange: %s\n", qPrintable(why));
    return 1;
}

// Notes when bytes become readable on a descriptor, without reading them: a
// thread waiting in edge-triggered epoll wakes once per arrival.
class ArrivalWatch {
public:
    ~ArrivalWatch() { stop(); }
    bool start(int fd) {
        ep_ = epoll_create1(EPOLL_CLOEXEC);
        stop_fd_ = eventfd(0, EFD_CLOEXEC);
        epoll_event ev{};
        ev.events = EPOLLIN | EPOLLET;
        ev.data.fd = fd;
        epoll_event sev{};
        sev.events = EPOLLIN;
        sev.data.fd = stop_fd_;
        if (ep_ < 0 || stop_fd_ < 0 || epoll_ctl(ep_, EPOLL_CTL_ADD, fd, &ev) != 0 ||
            epoll_ctl(ep_, EPOLL_CTL_ADD, stop_fd_, &sev) != 0)
            return false;
        thread_ = std::thread([this, fd] {
            // Where allowed, the watcher wakes ahead of everything else, so a
            // loaded machine does not make it note an arrival late (after the
            // answer to it has already left). Without the right, as it is.
            sched_param prio{};
            prio.sched_priority = 1;
            fifo_ = pthread_setschedparam(pthread_self(), SCHED_FIFO, &prio) == 0;
            for (;;) {
                epoll_event got[2];
                const int n = epoll_wait(ep_, got, 2, -1);
                const qint64 now = mono_ns();
                for (int i = 0; i < n; ++i) {
                    if (got[i].data.fd == stop_fd_) return;
                    if (got[i].data.fd == fd) {
                        std::lock_guard<std::mutex> lock(mutex_);
                        edges_.push_back(now);
                    }
                }
            }
        });
        return true;
    }
    void stop() {
        if (thread_.joinable()) {
            const quint64 one = 1;
            [[maybe_unused]] const auto n = ::write(stop_fd_, &one, sizeof one);
            thread_.join();
        }
        if (ep_ >= 0) ::close(ep_);
        if (stop_fd_ >= 0) ::close(stop_fd_);
        ep_ = stop_fd_ = -1;
    }
    bool realtime() const { return fifo_; }
    std::vector<qint64> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(edges_, {});
    }

private:
    int ep_ = -1, stop_fd_ = -1;
    std::atomic<bool> fifo_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<qint64> edges_;
};

// When each command's reply had its last byte readable: the watcher's last
// arrival before the next command, or the reader's own read of the reply's
// CR when that came first. The watcher can lose that race (epoll does not
// report a descriptor the reader has already emptied); a reply read was
// readable no later than the read. -1 where neither saw it.
std::vector<qint64> reply_times(const std::vector<qint64>& sends, const std::vector<qint64>& edges,
                                const std::vector<qint64>& reads, qint64 end_ns, int* read_first = nullptr) {
    std::vector<qint64> out;
    for (size_t k = 0; k < sends.size(); ++k) {
        const qint64 to = k + 1 < sends.size() ? sends[k + 1] : end_ns;
        qint64 edge = -1, read = -1;
        for (qint64 e : edges)
            if (e > sends[k] && e <= to) edge = e;
        for (qint64 r : reads)
            if (r > sends[k] && r <= to) read = r;
        out.push_back(edge < 0 ? read : read < 0 ? edge : std::min(edge, read));
        if (read_first && read >= 0 && (edge < 0 || read < edge)) ++*read_first;
    }
    return out;
}

// Reply handled: from each reply readable to the next command leaving (the
// last reply: to end_ns).
void handled_times(const std::vector<qint64>& sends, const std::vector<qint64>& replies, qint64 end_ns,
                   std::vector<double>* out) {
    for (size_t k = 0; k < sends.size(); ++k) {
        const qint64 to = k + 1 < sends.size() ? sends[k + 1] : end_ns;
        if (replies[k] >= 0) out->push_back(double(to - replies[k]) / 1e6);
    }
}

// Time spent waiting for the device: for each command, from its leaving to
// its reply readable.
double device_wait_ms(const std::vector<qint64>& sends, const std::vector<qint64>& replies) {
    qint64 sum = 0;
    for (size_t k = 0; k < sends.size(); ++k)
        if (replies[k] >= 0) sum += replies[k] - sends[k];
    return double(sum) / 1e6;
}

// What left the panel, and when.
struct Trace {
    std::vector<qint64> send_ns;
    std::vector<QByteArray> sent;
    std::vector<qint64> read_ns;  // reads that brought a reply's CR
    qint64 received = 0;
    qint64 begin_ns = 0, end_ns = 0;  // the refresh routine called, returned
    void clear() {
        send_ns.clear();
        sent.clear();
        read_ns.clear();
        received = 0;
    }
};

class TimedTcp : public TcpClient {
public:
    explicit TimedTcp(Trace& t) : t_(t) {
        inner_.on_connected = [this] {
            if (on_connected) on_connected();
        };
        inner_.on_data_arrival = [this] {
            if (on_data_arrival) on_data_arrival();
        };
    }
    void connect_to(const QString& host, quint16 port) override { inner_.connect_to(host, port); }
    State state() const override { return inner_.state(); }
    void send(const QByteArray& bytes) override {
        t_.send_ns.push_back(mono_ns());
        t_.sent.push_back(bytes);
        inner_.send(bytes);
    }
    QByteArray take_all() override {
        QByteArray b = inner_.take_all();
        t_.received += b.size();
        if (b.contains('\r')) t_.read_ns.push_back(mono_ns());
        return b;
    }
    void close() override { inner_.close(); }

private:
    Trace& t_;
    QtTcpClient inner_;
};

class TimedSerial : public SerialPort {
public:
    TimedSerial(Trace& t, const QString& dir) : t_(t), inner_(dir) {
        inner_.on_data_ready = [this] {
            if (on_data_ready) on_data_ready();
        };
    }
    bool open(int n) override { return inner_.open(n); }
    void close() override { inner_.close(); }
    bool is_open() const override { return inner_.is_open(); }
    void discard_queues() override { inner_.discard_queues(); }
    qint64 bytes_waiting() override { return inner_.bytes_waiting(); }
    QByteArray read_all() override {
        QByteArray b = inner_.read_all();
        t_.received += b.size();
        if (b.contains('\r')) t_.read_ns.push_back(mono_ns());
        return b;
    }
    qint64 bytes_to_write() override { return inner_.bytes_to_write(); }
    void write(const QByteArray& bytes) override {
        t_.send_ns.push_back(mono_ns());
        t_.sent.push_back(bytes);
        inner_.write(bytes);
    }
    int fd() { return int(inner_.port().handle()); }

private:
    Trace& t_;
    QtSerialPort inner_;
};

// The descriptor of this process's TCP connection to the given port on
// loopback (the panel's; the bare client connects later).
int tcp_fd_to(quint16 port) {
    for (int fd = 3; fd < 1024; ++fd) {
        sockaddr_in a{};
        socklen_t len = sizeof a;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0 && a.sin_family == AF_INET &&
            ntohs(a.sin_port) == port)
            return fd;
    }
    return -1;
}

// The baseline: one command at a time on a plain Qt device, event driven.
class BareClient {
public:
    explicit BareClient(QIODevice& io) : io_(io) {}
    // Wall time in ms, or -1 when a reply did not come.
    double run(const std::vector<QByteArray>& cmds, double* cpu_s, std::vector<qint64>* sends, qint64* end_ns,
               std::vector<qint64>* reads = nullptr) {
        QEventLoop loop;
        size_t next = 0;
        bool ok = true;
        QByteArray buffer;
        auto send_next = [&] {
            sends->push_back(mono_ns());
            io_.write(cmds[next]);
            if (auto* s = qobject_cast<QAbstractSocket*>(&io_)) s->flush();
            if (auto* s = qobject_cast<QSerialPort*>(&io_)) s->flush();
        };
        const auto conn = QObject::connect(&io_, &QIODevice::readyRead, &loop, [&] {
            const QByteArray got = io_.readAll();
            if (reads && got.contains('\r')) reads->push_back(mono_ns());
            buffer += got;
            while (!buffer.isEmpty() && (buffer.front() == '\n' || buffer.front() == '\r')) buffer.remove(0, 1);
            const int cr = int(buffer.indexOf('\r'));
            if (cr < 0) return;
            buffer.remove(0, cr + 1);
            if (++next == cmds.size()) {
                loop.quit();
                return;
            }
            send_next();
        });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, [&] {
            ok = false;
            loop.quit();
        });
        guard.start(5000);
        const double cpu0 = bench::cpu_seconds();
        const qint64 t0 = mono_ns();
        send_next();
        loop.exec();
        *end_ns = mono_ns();
        wait_ms(kSettleMs);
        *cpu_s = bench::cpu_seconds() - cpu0;
        QObject::disconnect(conn);
        return ok ? double(*end_ns - t0) / 1e6 : -1;
    }

private:
    QIODevice& io_;
};

// Repaint passes of the panel's window (each one paints and flushes to the
// display) and widget paints. A pass is seen on the window itself, behind the
// application-wide filters: a request the paint pacer holds back for its
// frame is counted once, when it is painted.
class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget* w) : w_(w), passes_seen_(*this) {
        qApp->installEventFilter(this);
        w_->installEventFilter(&passes_seen_);
    }
    int passes = 0, paints = 0;
    QStringList* names = nullptr;
    std::vector<std::pair<qint64, qint64>> pass_spans;  // when each pass began and ended
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && o->isWidgetType() && static_cast<QWidget*>(o)->window() == w_) {
            ++paints;
            if (names) *names << o->objectName() + QLatin1Char('/') + QLatin1String(o->metaObject()->className());
        }
        return false;
    }

private:
    struct PassesSeen : QObject {
        explicit PassesSeen(PaintCount& c) : c_(c) {}
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() != QEvent::UpdateRequest || busy_) return false;
            ++c_.passes;
            if (c_.names) *c_.names << QStringLiteral("|");
            busy_ = true;
            const qint64 t0 = mono_ns();
            o->event(e);
            c_.pass_spans.emplace_back(t0, mono_ns());
            busy_ = false;
            return true;
        }
        PaintCount& c_;
        bool busy_ = false;
    };
    QWidget* w_;
    PassesSeen passes_seen_;
};

// Under `perf record --control fifo:CTL,ACK -D -1`, samples only the chosen
// refreshes: BENCH_PERF_CTL/BENCH_PERF_ACK name the two fifos, BENCH_PERF
// says which refreshes (first or later).
class PerfWindow {
public:
    PerfWindow() {
        const QByteArray ctl = qgetenv("BENCH_PERF_CTL"), ack = qgetenv("BENCH_PERF_ACK");
        if (ctl.isEmpty() || ack.isEmpty()) return;
        ctl_ = std::fopen(ctl.constData(), "w");
        ack_ = std::fopen(ack.constData(), "r");
        first_ = qgetenv("BENCH_PERF") != "later";
    }
    void around(bool first_refresh, bool on) {
        if (!ctl_ || !ack_ || first_refresh != first_) return;
        std::fputs(on ? "enable\n" : "disable\n", ctl_);
        std::fflush(ctl_);
        char line[16];
        [[maybe_unused]] const char* r = std::fgets(line, sizeof line, ack_);
    }

private:
    FILE* ctl_ = nullptr;
    FILE* ack_ = nullptr;
    bool first_ = true;
};

// Per exchange of one refresh: the wait for the device, the panel's own time
// after it, and how much of each went on repaint passes.
void print_own(const Trace& t, const std::vector<qint64>& replies,
               const std::vector<std::pair<qint64, qint64>>& passes) {
    auto painted = [&](qint64 from, qint64 to) {
        qint64 sum = 0;
        for (const auto& [b, e] : passes) sum += std::max<qint64>(0, std::min(e, to) - std::max(b, from));
        return double(sum) / 1e6;
    };
    double own_sum = 0, own_paint = 0, wait_paint = 0;
    for (size_t k = 0; k < t.send_ns.size(); ++k) {
        const qint64 to = k + 1 < t.send_ns.size() ? t.send_ns[k + 1] : t.end_ns;
        const qint64 last = replies[k] >= 0 ? replies[k] : t.send_ns[k];
        const double own = double(to - last) / 1e6;
        own_sum += own;
        own_paint += painted(last, to);
        wait_paint += painted(t.send_ns[k], last);
        std::fprintf(stderr, "%-8s wait %6.3f (painting %6.3f)  own %6.3f (painting %6.3f)\n",
                     t.sent[k].trimmed().constData(), double(last - t.send_ns[k]) / 1e6, painted(t.send_ns[k], last),
                     own, painted(last, to));
    }
    std::fprintf(stderr, "own %.3f ms (%.3f painting), painting while waiting %.3f ms, click to first command %.3f ms, "
                 "passes %zu, after the return %.3f ms\n",
                 own_sum, own_paint, wait_paint, double(t.send_ns.front() - t.begin_ns) / 1e6, passes.size(),
                 painted(t.end_ns, t.end_ns + 1000000000));
}

void say(const char* key, double v) { std::printf("%s %.6f\n", key, v); }

// One link in this process: tcp, serial or paced.
int run_case(const QString& kind, int rounds) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("TAVRIN_4X"));
    const bool tcp_case = kind == QLatin1String("tcp");
    const bool paced = kind == QLatin1String("paced");
    if (!tcp_case && !paced && kind != QLatin1String("serial")) return fail(QStringLiteral("unknown case ") + kind);

    QTemporaryDir dir;
    if (!dir.isValid()) return fail(QStringLiteral("no temporary directory"));
    const QString com1 = QDir(dir.path()).filePath(QStringLiteral("COM1"));
    QStringList sim_args;
    if (!tcp_case) sim_args << QStringLiteral("--serial") << com1;
    if (paced) sim_args << QStringLiteral("--baud") << QString::number(kBaud);
    bench::Simulator sim;
    QString why;
    if (!sim.start(sim_args, &why)) return fail(why);
    sim.console(QStringLiteral("set mode 5"));  // Quad
    const QByteArray ini =
        tcp_case ? bench::ethernet_ini(QStringLiteral("127.0.0.1:%1").arg(sim.port)) : bench::serial_ini();
    if (!bench::make_program_dir(dir.path(), ini)) return fail(QStringLiteral("cannot prepare the program directory"));

    Trace trace;
    QtPlatform platform;
    TimedSerial serial(trace, dir.path());
    TimedTcp tcp(trace);
    Panel panel(platform, serial, tcp, dir.path());
    platform.set_message_parent(&panel.w);
    QStringList boxes;
    QTimer box_closer;
    bench::close_boxes(box_closer, boxes);
    panel.load();
    // As an operator would: the window is up and drawn before Refresh.
    for (int i = 0; i < 500 && !(panel.w.windowHandle() && panel.w.windowHandle()->isExposed()); ++i) wait_ms(10);
    wait_ms(300);
    if (tcp_case) {
        panel.links->cmd_conn_eth_Click();
        for (int i = 0; i < 500 && !panel.link.eth_connected(); ++i) wait_ms(10);
    }
    if (!panel.link.link_up()) return fail(kind + QStringLiteral(": the panel is not connected"));
    wait_ms(100);

    PaintCount paint(&panel.w);
    PerfWindow perf;
    bool first_refresh = true;
    // A refresh is timed from the click to the routine's return; its CPU also
    // counts the settling time after it, when the last changes are painted
    // (the bare client's CPU is taken over the same settling time).
    auto refresh = [&](double* cpu_s) {
        trace.clear();
        perf.around(first_refresh, true);
        const double cpu0 = bench::cpu_seconds();
        const qint64 t0 = mono_ns();
        trace.begin_ns = t0;
        panel.presets->cmd_refresh_Click();
        const qint64 t1 = mono_ns();
        trace.end_ns = t1;
        wait_ms(kSettleMs);
        *cpu_s = bench::cpu_seconds() - cpu0;
        perf.around(first_refresh, false);
        first_refresh = false;
        return std::pair{double(t1 - t0) / 1e6, t1};
    };

    double cpu = 0;
    QStringList first_names;
    if (qEnvironmentVariableIsSet("BENCH_PAINTS")) paint.names = &first_names;
    const double first_ms = refresh(&cpu).first;
    paint.names = nullptr;
    if (!first_names.isEmpty()) std::fprintf(stderr, "first painted: %s\n", qPrintable(first_names.join(QLatin1Char(' '))));
    const std::vector<QByteArray> commands = trace.sent;
    // With the click in front and the return behind: the gaps BENCH_GAPS lists.
    std::vector<qint64> first_sends = trace.send_ns;
    first_sends.insert(first_sends.begin(), trace.begin_ns);
    first_sends.push_back(trace.end_ns);
    const Trace first_trace = trace;
    if (int(commands.size()) != kExchanges || panel.st.cur_mode != 5 || !boxes.isEmpty())
        return fail(QStringLiteral("%1: first refresh sent %2 commands (want %3), mode %4, boxes: %5")
                        .arg(kind)
                        .arg(commands.size())
                        .arg(kExchanges)
                        .arg(panel.st.cur_mode)
                        .arg(boxes.join(QLatin1Char('|'))));
    // A picture of the window after the first refresh, to look at.
    if (const QString grab = qEnvironmentVariable("BENCH_GRAB"); !grab.isEmpty()) {
        wait_ms(100);
        panel.w.grab().save(grab);
    }
    qint64 wire_bytes = trace.received;
    for (const QByteArray& c : commands) wire_bytes += c.size();

    // The bare client: a second TCP connection, or the serial port while the
    // panel has let go of it.
    QTcpSocket bare_tcp;
    QSerialPort bare_serial(com1);
    QIODevice* bare_io = nullptr;
    const int panel_tcp_fd = tcp_case ? tcp_fd_to(sim.port) : -1;
    if (tcp_case) {
        bare_tcp.connectToHost(QStringLiteral("127.0.0.1"), sim.port);
        bare_tcp.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (!bare_tcp.waitForConnected(5000)) return fail(QStringLiteral("the bare client did not connect"));
        bare_io = &bare_tcp;
    } else {
        bare_io = &bare_serial;
    }
    BareClient bare(*bare_io);
    auto bare_open = [&] {
        if (tcp_case) return true;
        panel.links->cmd_disconn_Click();
        if (!bare_serial.open(QIODevice::ReadWrite)) return false;
        bare_serial.setBaudRate(QSerialPort::Baud115200);
        return true;
    };
    auto bare_close = [&] {
        if (tcp_case) return true;
        bare_serial.close();
        panel.links->cmd_conn_Click();
        return panel.link.rs232_open();
    };
    auto bare_fd = [&] { return tcp_case ? int(bare_tcp.socketDescriptor()) : int(bare_serial.handle()); };
    auto panel_fd = [&] { return tcp_case ? panel_tcp_fd : serial.fd(); };

    std::vector<double> bare_ms, panel_ms, bare_cpu, panel_cpu;
    int passes = 0, paints = 0;
    for (int round = 0; round < rounds; ++round) {
        std::vector<qint64> sends;
        qint64 end = 0;
        double c = 0;
        if (!bare_open()) return fail(QStringLiteral("the bare client could not open the port"));
        const double b = bare.run(commands, &c, &sends, &end);
        if (b < 0) return fail(QStringLiteral("the simulator stopped answering the bare client"));
        if (!bare_close()) return fail(QStringLiteral("the panel could not re-open the port"));
        bare_ms.push_back(b);
        bare_cpu.push_back(c);

        const int passes0 = paint.passes, paints0 = paint.paints;
        QStringList names;
        if (round == rounds - 1 && qEnvironmentVariableIsSet("BENCH_PAINTS")) paint.names = &names;
        const double p = refresh(&c).first;
        paint.names = nullptr;
        if (!names.isEmpty()) std::fprintf(stderr, "painted: %s\n", qPrintable(names.join(QLatin1Char(' '))));
        passes += paint.passes - passes0;
        paints += paint.paints - paints0;
        if (int(trace.sent.size()) != kExchanges || !boxes.isEmpty())
            return fail(QStringLiteral("a refresh sent %1 commands; boxes: %2")
                            .arg(trace.sent.size())
                            .arg(boxes.join(QLatin1Char('|'))));
        panel_ms.push_back(p);
        panel_cpu.push_back(c);
    }

    if (qEnvironmentVariableIsSet("BENCH_GAPS")) {
        std::vector<qint64> later = trace.send_ns;
        later.insert(later.begin(), trace.begin_ns);
        later.push_back(trace.end_ns);
        for (size_t k = 1; k < first_sends.size() && k < later.size(); ++k)
            std::fprintf(stderr, "%-8s first %6.3f later %6.3f\n",
                         k == 1 ? "(click)" : commands[k - 2].trimmed().constData(),
                         double(first_sends[k] - first_sends[k - 1]) / 1e6, double(later[k] - later[k - 1]) / 1e6);
        // Each command to the panel's read of its reply: the simulator's part
        // (and the panel's wake); the rest is the panel's own.
        for (const Trace* t : {&first_trace, static_cast<const Trace*>(&trace)}) {
            const std::vector<qint64> r = reply_times(t->send_ns, {}, t->read_ns, t->end_ns);
            const double device = device_wait_ms(t->send_ns, r);
            if (qEnvironmentVariableIsSet("BENCH_WAITS"))
                for (size_t k = 0; k < r.size(); ++k)
                    if (r[k] >= 0) std::fprintf(stderr, "  %s %.3f", t->sent[k].trimmed().constData(), double(r[k] - t->send_ns[k]) / 1e6);
            std::fprintf(stderr, "%s refresh: %.3f ms, to the reads %.3f ms, own %.3f ms\n",
                         t == &first_trace ? "first" : "later", double(t->end_ns - t->begin_ns) / 1e6, device,
                         double(t->end_ns - t->begin_ns) / 1e6 - device);
        }
    }
    // Reply handled, with the watcher thread running (its wakeups would
    // otherwise show in the CPU figures above).
    // The same rounds give each side's own time: the refresh less the time it
    // waited for the device (from a command leaving to its reply's last byte
    // readable), which holds both the wire time and whatever the simulator
    // adds beyond it (its wakes on a loaded machine).
    std::vector<double> bare_handled, panel_handled, bare_own, panel_own, bare_device, panel_device;
    bool watcher_rt = true;
    int panel_read_first = 0;  // replies the panel read before the watcher noted them
    for (int round = 0; round < std::max(5, rounds / 2); ++round) {
        ArrivalWatch watch;
        std::vector<qint64> sends;
        qint64 end = 0;
        double c = 0;
        if (!bare_open() || !watch.start(bare_fd())) return fail(QStringLiteral("cannot watch the bare client"));
        std::vector<qint64> reads;
        const double b = bare.run(commands, &c, &sends, &end, &reads);
        if (b < 0) return fail(QStringLiteral("bare client: no answer"));
        watch.stop();
        const std::vector<qint64> bare_replies = reply_times(sends, watch.take(), reads, end);
        handled_times(sends, bare_replies, end, &bare_handled);
        bare_device.push_back(device_wait_ms(sends, bare_replies));
        bare_own.push_back(b - bare_device.back());
        if (!bare_close()) return fail(QStringLiteral("the panel could not re-open the port"));

        ArrivalWatch pwatch;
        if (!pwatch.start(panel_fd())) return fail(QStringLiteral("cannot watch the panel's link"));
        paint.pass_spans.clear();
        const auto [p, t1] = refresh(&c);
        pwatch.stop();
        watcher_rt = watcher_rt && watch.realtime() && pwatch.realtime();
        const std::vector<qint64> replies =
            reply_times(trace.send_ns, pwatch.take(), trace.read_ns, t1, &panel_read_first);
        handled_times(trace.send_ns, replies, t1, &panel_handled);
        panel_device.push_back(device_wait_ms(trace.send_ns, replies));
        panel_own.push_back(p - panel_device.back());
        if (qEnvironmentVariableIsSet("BENCH_OWN")) print_own(trace, replies, paint.pass_spans);
    }

    // What the display shows after the last refresh (read back from the
    // server, unlike BENCH_GRAB's picture drawn from the widgets).
    if (const QString path = qEnvironmentVariable("BENCH_SCREEN"); !path.isEmpty()) {
        // One more refresh that moves the routing, so the picture shows
        // changes painted, not only what was there before.
        sim.console(QStringLiteral("route 1 4"));
        sim.console(QStringLiteral("route 3 1"));
        double c = 0;
        refresh(&c);
        wait_ms(100);
        if (QScreen* screen = panel.w.screen()) screen->grabWindow(panel.w.winId()).save(path);
    }
    say("first_ms", first_ms);
    say("panel_ms", bench::median(panel_ms));
    say("bare_ms", bench::median(bare_ms));
    say("panel_cpu_ms", 1e3 * bench::median(panel_cpu));
    say("bare_cpu_ms", 1e3 * bench::median(bare_cpu));
    say("wire_ms", paced ? double(wire_bytes) * 10.0 * 1000.0 / kBaud : 0.0);
    say("wire_bytes", double(wire_bytes));
    say("panel_p90_ms", bench::percentile(panel_ms, 90));
    say("handled_p50", bench::percentile(panel_handled, 50));
    say("handled_p99", bench::percentile(panel_handled, 99));
    say("handled_max", bench::percentile(panel_handled, 100));
    say("handled_n", double(panel_handled.size()));
    say("bare_handled_p50", bench::percentile(bare_handled, 50));
    say("bare_handled_p99", bench::percentile(bare_handled, 99));
    say("panel_own_ms", bench::median(panel_own));
    say("bare_own_ms", bench::median(bare_own));
    say("panel_device_ms", bench::median(panel_device));
    say("bare_device_ms", bench::median(bare_device));
    say("handled_rounds", double(panel_own.size()));
    say("watcher_rt", watcher_rt ? 1 : 0);
    say("read_first", double(panel_read_first));
    say("passes", double(passes) / rounds);
    say("paints", double(paints) / rounds);
    say("peak_rss_kib", double(bench::peak_rss_kib()));
    std::fflush(stdout);
    return 0;
}

std::map<QString, double> run_child(const QString& kind, int rounds) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--case"), kind, QStringLiteral("--rounds"), QString::number(rounds)});
    std::map<QString, double> out;
    if (!p.waitForFinished(300000) || p.exitCode() != 0) return out;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = line.trimmed().split(' ');
        if (f.size() == 2) out[QString::fromLatin1(f[0])] = f[1].toDouble();
    }
    return out;
}

QString yes(bool ok) { return ok ? QStringLiteral("yes") : QStringLiteral("no"); }

}  // namespace

int main(int argc, char** argv) {
    bench::headless_default();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    int rounds = 30;
    if (const int i = int(args.indexOf(QStringLiteral("--rounds"))); i > 0 && i + 1 < args.size())
        rounds = args[i + 1].toInt();
    if (const int i = int(args.indexOf(QStringLiteral("--case"))); i > 0 && i + 1 < args.size())
        return run_case(args[i + 1], rounds);

    const auto tcp = run_child(QStringLiteral("tcp"), rounds);
    const auto serial = run_child(QStringLiteral("serial"), rounds);
    const auto paced = run_child(QStringLiteral("paced"), std::max(5, rounds / 2));
    // The first refresh after start, from fresh processes: one first refresh
    // each, so enough of them for a steady median.
    std::vector<double> first_ratio, first_ms, later_ms;
    for (const auto* c : {&tcp, &serial}) {
        if (c->empty()) continue;
        first_ratio.push_back(c->at(QStringLiteral("first_ms")) / c->at(QStringLiteral("panel_ms")));
    }
    for (int i = 0; i < 9; ++i) {
        const auto extra = run_child(QStringLiteral("tcp"), 5);
        if (extra.empty()) continue;
        first_ratio.push_back(extra.at(QStringLiteral("first_ms")) / extra.at(QStringLiteral("panel_ms")));
        first_ms.push_back(extra.at(QStringLiteral("first_ms")));
        later_ms.push_back(extra.at(QStringLiteral("panel_ms")));
    }
    if (tcp.empty() || serial.empty() || paced.empty()) return fail(QStringLiteral("a case failed"));
    auto v = [](const std::map<QString, double>& m, const char* k) { return m.at(QLatin1String(k)); };

    for (const auto& [c, name] : {std::pair{&tcp, "TCP"}, std::pair{&serial, "serial"}}) {
        const double ratio = v(*c, "panel_ms") / v(*c, "bare_ms");
        bench::row(QStringLiteral("full refresh (43), %1, zero latency").arg(QLatin1String(name)), v(*c, "bare_ms"),
                   v(*c, "panel_ms"), QStringLiteral("ms"), QStringLiteral("<= 2.5x bare"), yes(ratio <= 2.5));
    }
    const double fr = bench::median(first_ratio);
    bench::row(QStringLiteral("first refresh after start vs later, median ratio"), bench::median(later_ms),
               bench::median(later_ms) * fr, QStringLiteral("ms"), QStringLiteral("<= 1.3x later"), yes(fr <= 1.3));
    {
        const double vs_bare = v(paced, "panel_ms") / v(paced, "bare_ms");
        // Against the wire: the wire's time plus the panel's own (the refresh
        // less its waits for the device), so that the simulator's wakes beyond
        // the wire time, which a real device does not have, are not counted.
        const double on_wire = v(paced, "wire_ms") + v(paced, "panel_own_ms");
        bench::row(QStringLiteral("full refresh, serial paced at 115200"), v(paced, "bare_ms"), v(paced, "panel_ms"),
                   QStringLiteral("ms"), QStringLiteral("<= 1.15x bare"), yes(vs_bare <= 1.15));
        bench::row(QStringLiteral("  wire time + the panel's own time, against the wire"), v(paced, "wire_ms"), on_wire,
                   QStringLiteral("ms"), QStringLiteral("<= 1.15x wire"), yes(on_wire / v(paced, "wire_ms") <= 1.15));
    }
    for (const auto& [c, name] : {std::pair{&tcp, "TCP"}, std::pair{&serial, "serial"}}) {
        const double ratio = v(*c, "panel_cpu_ms") / v(*c, "bare_cpu_ms");
        bench::row(QStringLiteral("CPU per refresh, %1").arg(QLatin1String(name)), v(*c, "bare_cpu_ms"),
                   v(*c, "panel_cpu_ms"), QStringLiteral("ms"), QStringLiteral("<= 5x bare"), yes(ratio <= 5.0));
    }
    for (const auto& [c, name] : {std::pair{&tcp, "TCP"}, std::pair{&serial, "serial"}, std::pair{&paced, "paced"}}) {
        const double p50 = v(*c, "handled_p50"), p99 = v(*c, "handled_p99");
        bench::row(QStringLiteral("reply handled from readable, %1, median").arg(QLatin1String(name)),
                   v(*c, "bare_handled_p50"), p50, QStringLiteral("ms"), QStringLiteral("< 0.3 ms"), yes(p50 < 0.3));
        bench::row(QStringLiteral("reply handled from readable, %1, p99").arg(QLatin1String(name)),
                   v(*c, "bare_handled_p99"), p99, QStringLiteral("ms"), QStringLiteral("< 2 ms"), yes(p99 < 2.0));
    }
    std::printf("NOTE\texchange: %d rounds per link (paced %d), each link in its own process; panel refresh p90 "
                "TCP %.1f ms, serial %.1f ms, paced %.1f ms\n",
                rounds, std::max(5, rounds / 2), v(tcp, "panel_p90_ms"), v(serial, "panel_p90_ms"),
                v(paced, "panel_p90_ms"));
    std::printf("NOTE\texchange: paced wire %.0f bytes; reply handled max TCP %.2f ms, serial %.2f ms, paced %.2f ms "
                "(%.0f replies each; read by the panel before the watcher noted them, timed from that read: "
                "TCP %.0f, serial %.0f, paced %.0f)\n",
                v(paced, "wire_bytes"), v(tcp, "handled_max"), v(serial, "handled_max"), v(paced, "handled_max"),
                v(tcp, "handled_n"), v(tcp, "read_first"), v(serial, "read_first"), v(paced, "read_first"));
    std::printf("NOTE\texchange: paced, refresh / wire %.2fx (bare client %.2fx); waiting for the simulator %.1f ms "
                "(bare client %.1f ms) where the wire needs %.1f; own time panel %.2f ms, bare client %.2f ms "
                "(wire + own time against the wire: bare client %.2fx; medians of %.0f rounds%s)\n",
                v(paced, "panel_ms") / v(paced, "wire_ms"), v(paced, "bare_ms") / v(paced, "wire_ms"),
                v(paced, "panel_device_ms"), v(paced, "bare_device_ms"), v(paced, "wire_ms"), v(paced, "panel_own_ms"),
                v(paced, "bare_own_ms"), (v(paced, "wire_ms") + v(paced, "bare_own_ms")) / v(paced, "wire_ms"),
                v(paced, "handled_rounds"),
                v(paced, "watcher_rt") > 0 ? "" : "; watcher thread not real-time: arrivals may be noted late");
    std::printf("NOTE\texchange: per refresh, repaint passes / widget paints: TCP %.1f / %.0f, serial %.1f / %.0f, "
                "paced %.1f / %.0f\n",
                v(tcp, "passes"), v(tcp, "paints"), v(serial, "passes"), v(serial, "paints"), v(paced, "passes"),
                v(paced, "paints"));
    std::printf("NOTE\texchange: first refresh / later, each fresh process: %s\n",
                qPrintable([&] {
                    QStringList s;
                    for (double r : first_ratio) s << QString::number(r, 'f', 2);
                    return s.join(QLatin1Char(' '));
                }()));
    std::printf("NOTE\texchange: panel peak RSS after the TCP rounds %.0f KiB\n", v(tcp, "peak_rss_kib"));
    return 0;
}
