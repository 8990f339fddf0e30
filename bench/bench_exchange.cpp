// Exchange speed: the full refresh in Quad with the advanced view (43
// exchanges) by the real panel against tavrin4x-sim over TCP loopback, side by
// side with a bare QTcpSocket client sending the same 43 commands to the same
// simulator and waiting for each reply. Also: how long after a reply's last
// byte reached the panel it was handled and the next command left.

#include "common.h"

#include "device_controls/presets.h"
#include "link/qt_ports.h"
#include "main_window/link_controls.h"
#include "main_window/panel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStyleFactory>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>

using namespace tavrin;

namespace {

constexpr int kRounds = 30;
constexpr int kExchanges = 43;

void wait_ms(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The production TCP client with a stopwatch: when each command left and
// when each reply's carriage return was handed to the panel.
class TimedTcp : public TcpClient {
public:
    struct Event {
        qint64 ns;
        bool is_send;
    };
    TimedTcp() {
        inner_.on_connected = [this] {
            if (on_connected) on_connected();
        };
        inner_.on_data_arrival = [this] {
            if (on_data_arrival) on_data_arrival();
        };
        clock_.start();
    }
    void connect_to(const QString& host, quint16 port) override { inner_.connect_to(host, port); }
    State state() const override { return inner_.state(); }
    void send(const QByteArray& bytes) override {
        events.push_back({clock_.nsecsElapsed(), true});
        sent.push_back(bytes);
        inner_.send(bytes);
    }
    QByteArray take_all() override {
        QByteArray data = inner_.take_all();
        if (data.contains('\r')) events.push_back({clock_.nsecsElapsed(), false});
        return data;
    }
    void close() override { inner_.close(); }
    qint64 now_ns() const { return clock_.nsecsElapsed(); }
    void clear() {
        events.clear();
        sent.clear();
    }

    std::vector<Event> events;
    std::vector<QByteArray> sent;

private:
    QtTcpClient inner_;
    QElapsedTimer clock_;
};

// Reply handled: from a reply's arrival to the next command leaving (or the
// refresh ending after the last one). An upper bound: it includes the
// handler's own work on the widgets.
void turnarounds(const std::vector<TimedTcp::Event>& ev, qint64 end_ns, std::vector<double>* out) {
    for (size_t i = 0; i < ev.size(); ++i) {
        if (ev[i].is_send || i == 0 || !ev[i - 1].is_send) continue;
        const qint64 next = i + 1 < ev.size() ? ev[i + 1].ns : end_ns;
        out->push_back(double(next - ev[i].ns) / 1e6);
    }
}

// The baseline: a plain QTcpSocket, event driven, one command at a time.
class BareClient {
public:
    bool connect_to(quint16 port) {
        socket_.connectToHost(QStringLiteral("127.0.0.1"), port);
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return socket_.waitForConnected(5000);
    }
    // Sends every command and waits for its reply; returns the wall time in ms
    // (or -1 when a reply did not come) and adds the turnarounds.
    double run(const std::vector<QByteArray>& cmds, std::vector<double>* turn, double* cpu_s) {
        QEventLoop loop;
        QElapsedTimer clock;
        size_t next = 0;
        bool ok = true;
        QByteArray buffer;
        auto send_next = [&] {
            socket_.write(cmds[next]);
            socket_.flush();
        };
        const auto conn = QObject::connect(&socket_, &QTcpSocket::readyRead, &loop, [&] {
            buffer += socket_.readAll();
            const qint64 got = clock.nsecsElapsed();
            while (!buffer.isEmpty() && (buffer.front() == '\n' || buffer.front() == '\r')) buffer.remove(0, 1);
            const int cr = int(buffer.indexOf('\r'));
            if (cr < 0) return;
            buffer.remove(0, cr + 1);
            if (++next == cmds.size()) {
                turn->push_back(double(clock.nsecsElapsed() - got) / 1e6);
                loop.quit();
                return;
            }
            send_next();
            turn->push_back(double(clock.nsecsElapsed() - got) / 1e6);
        });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, [&] {
            ok = false;
            loop.quit();
        });
        guard.start(5000);
        const double cpu0 = bench::cpu_seconds();
        clock.start();
        send_next();
        loop.exec();
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        *cpu_s = bench::cpu_seconds() - cpu0;
        QObject::disconnect(conn);
        return ok ? ms : -1;
    }

private:
    QTcpSocket socket_;
};

int fail(const QString& why) {
    std::fprintf(stderr, "bench_exchange: %s\n", qPrintable(why));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    bench::headless_default();
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    bench::Simulator sim;
    QString why;
    if (!sim.start({}, &why)) return fail(why);
    sim.console(QStringLiteral("set mode 5"));  // Quad

    QTemporaryDir dir;
    const QString address = QStringLiteral("127.0.0.1:%1").arg(sim.port);
    if (!dir.isValid() || !bench::make_program_dir(dir.path(), bench::ethernet_ini(address)))
        return fail(QStringLiteral("cannot prepare the program directory"));

    QtPlatform platform;
    QtSerialPort serial(dir.path());
    TimedTcp tcp;
    Panel panel(platform, serial, tcp, dir.path());
    platform.set_message_parent(&panel.w);
    // A message box would stop the run: close it and count it as a failure.
    QStringList boxes;
    QTimer box_closer;
    bench::close_boxes(box_closer, boxes);
    panel.load();
    panel.links->cmd_conn_eth_Click();
    for (int i = 0; i < 500 && !panel.link.eth_connected; ++i) wait_ms(10);
    if (!panel.link.eth_connected) return fail(QStringLiteral("the panel did not connect"));

    // Warm-up refresh: also gives the command list the baseline replays.
    tcp.clear();
    panel.presets->cmd_refresh_Click();
    const std::vector<QByteArray> commands = tcp.sent;
    if (int(commands.size()) != kExchanges || panel.st.cur_mode != 5 || !boxes.isEmpty())
        return fail(QStringLiteral("warm-up refresh sent %1 commands (want %2), mode %3, boxes: %4")
                        .arg(commands.size())
                        .arg(kExchanges)
                        .arg(panel.st.cur_mode)
                        .arg(boxes.join(QLatin1Char('|'))));

    BareClient bare;
    if (!bare.connect_to(sim.port)) return fail(QStringLiteral("the bare client did not connect"));

    std::vector<double> bare_ms, panel_ms, bare_turn, panel_turn;
    double bare_cpu = 0, bare_wall = 0, panel_cpu = 0, panel_wall = 0;
    for (int round = 0; round < kRounds; ++round) {
        double cpu = 0;
        const double b = bare.run(commands, &bare_turn, &cpu);
        if (b < 0) return fail(QStringLiteral("the simulator stopped answering the bare client"));
        bare_ms.push_back(b);
        bare_cpu += cpu;
        bare_wall += b / 1e3;
        wait_ms(5);

        tcp.clear();
        const double cpu0 = bench::cpu_seconds();
        const qint64 t0 = tcp.now_ns();
        panel.presets->cmd_refresh_Click();
        const qint64 t1 = tcp.now_ns();
        panel_cpu += bench::cpu_seconds() - cpu0;
        panel_wall += double(t1 - t0) / 1e9;
        if (int(tcp.sent.size()) != kExchanges || !boxes.isEmpty())
            return fail(QStringLiteral("a refresh sent %1 commands; boxes: %2")
                            .arg(tcp.sent.size())
                            .arg(boxes.join(QLatin1Char('|'))));
        panel_ms.push_back(double(t1 - t0) / 1e6);
        turnarounds(tcp.events, t1, &panel_turn);
        wait_ms(5);
    }

    const double refresh = bench::median(panel_ms);
    for (const double p : {50.0, 95.0}) {
        const double turn = bench::percentile(panel_turn, p);
        bench::row(QStringLiteral("reply handled after last byte, %1").arg(p == 50.0 ? "median" : "p95"),
                   bench::percentile(bare_turn, p), turn, QStringLiteral("ms"), QStringLiteral("<= ~2 ms"),
                   turn <= 2.0 ? QStringLiteral("yes") : QStringLiteral("no"));
    }
    bench::row(QStringLiteral("full refresh, Quad+advanced (43), median"), bench::median(bare_ms), refresh,
               QStringLiteral("ms"), QStringLiteral("< 100 ms"),
               refresh < 100.0 ? QStringLiteral("yes") : QStringLiteral("no"));
    bench::row(QStringLiteral("CPU while exchanging"), 100.0 * bare_cpu / bare_wall, 100.0 * panel_cpu / panel_wall,
               QStringLiteral("%"), QStringLiteral("-"), QStringLiteral("-"));
    std::printf("NOTE\texchange: %d rounds; refresh min/median/p90/max %.1f/%.1f/%.1f/%.1f ms; "
                "bare 43 round trips median %.2f ms\n",
                kRounds, bench::percentile(panel_ms, 0), refresh, bench::percentile(panel_ms, 90),
                bench::percentile(panel_ms, 100), bench::median(bare_ms));
    std::printf("NOTE\texchange: reply handled max %.2f ms over %zu replies (to the next command leaving)\n",
                bench::percentile(panel_turn, 100), panel_turn.size());
    std::printf("NOTE\texchange: panel process peak RSS after %d refreshes %ld KiB\n", kRounds + 1,
                bench::peak_rss_kib());
    return 0;
}
