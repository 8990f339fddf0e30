// Idle cost: the real panel connected to tavrin4x-sim and left alone, over
// TCP and over the simulator's virtual serial port, side by side with a bare
// QTcpSocket / QSerialPort connected to the same simulator and idling in an
// event loop. Each case runs in a fresh child process (this program started
// with --child) so one case's objects cost nothing in another's figures.
// One more case: the panel on its own pseudo-terminal whose far end is closed
// under it (a device or adapter gone), idling after it has said so.

#include "common.h"

#include "link/qt_ports.h"
#include "main_window/link_controls.h"
#include "main_window/panel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSerialPort>
#include <QStyleFactory>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <stdlib.h>
#include <unistd.h>
#include <utility>

using namespace tavrin;

namespace {

constexpr int kSettleMs = 500;
constexpr int kRounds = 3;

void wait_ms(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int fail(const QString& why) {
    std::fprintf(stderr, "bench_idle: %s\n", qPrintable(why));
    return 1;
}

// Idles in the event loop for ms after settling and prints
// "<cpu % of one core> <wakeups per second>".
void measure_idle(int ms) {
    wait_ms(kSettleMs);
    const double cpu0 = bench::cpu_seconds();
    const long sw0 = bench::context_switches();
    QElapsedTimer wall;
    wall.start();
    wait_ms(ms);
    const double secs = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = bench::cpu_seconds() - cpu0;
    const long sw = bench::context_switches() - sw0;
    std::printf("IDLE %.5f %.2f\n", 100.0 * cpu / secs, double(sw) / secs);
    std::fflush(stdout);
}

// One case in this process: kind is tcp-bare, tcp-panel, serial-bare, serial-panel or serial-hangup.
int child(const QString& kind, quint16 port, const QString& serial_path, int ms) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (kind == QLatin1String("tcp-bare")) {
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (!socket.waitForConnected(5000)) return fail(QStringLiteral("bare TCP client did not connect"));
        QObject::connect(&socket, &QTcpSocket::readyRead, [&] { socket.readAll(); });
        measure_idle(ms);
        return socket.state() == QAbstractSocket::ConnectedState ? 0 : fail(QStringLiteral("bare TCP link dropped"));
    }
    if (kind == QLatin1String("serial-bare")) {
        QSerialPort sp(serial_path);
        if (!sp.open(QIODevice::ReadWrite)) return fail(QStringLiteral("bare serial port did not open"));
        sp.setBaudRate(QSerialPort::Baud115200);
        QObject::connect(&sp, &QSerialPort::readyRead, [&] { sp.readAll(); });
        measure_idle(ms);
        return 0;
    }

    const bool tcp_case = kind == QLatin1String("tcp-panel");
    const bool hangup = kind == QLatin1String("serial-hangup");
    if (!tcp_case && !hangup && kind != QLatin1String("serial-panel"))
        return fail(QStringLiteral("unknown case ") + kind);
    int device = -1;  // hangup: the far end, ours to close
    QString port_path = serial_path;
    if (hangup) {
        device = posix_openpt(O_RDWR | O_NOCTTY);
        if (device < 0 || grantpt(device) != 0 || unlockpt(device) != 0) return fail(QStringLiteral("no pty"));
        port_path = QString::fromLocal8Bit(ptsname(device));
    }
    QTemporaryDir dir;
    const QByteArray ini = tcp_case ? bench::ethernet_ini(QStringLiteral("127.0.0.1:%1").arg(port)) : bench::serial_ini();
    if (!dir.isValid() || !bench::make_program_dir(dir.path(), ini))
        return fail(QStringLiteral("cannot prepare the program directory"));
    if (!tcp_case && !QFile::link(port_path, QDir(dir.path()).filePath(QStringLiteral("COM1"))))
        return fail(QStringLiteral("cannot link COM1"));

    QtPlatform platform;
    QtSerialPort serial(dir.path());
    QtTcpClient tcp;
    Panel panel(platform, serial, tcp, dir.path());
    platform.set_message_parent(&panel.w);
    QStringList boxes;
    // Only while connecting: a box closer left running would add its own wakeups.
    QTimer box_closer;
    bench::close_boxes(box_closer, boxes);
    panel.load();
    if (tcp_case) {
        panel.links->cmd_conn_eth_Click();
        for (int i = 0; i < 500 && !panel.link.eth_connected(); ++i) wait_ms(10);
    }
    if (!panel.link.link_up() || !boxes.isEmpty()) {
        return fail(QStringLiteral("%1: the panel is not connected; boxes: %2").arg(kind, boxes.join(QLatin1Char('|'))));
    }
    if (hangup) {
        ::close(device);
        for (int i = 0; i < 500 && boxes.isEmpty(); ++i) wait_ms(10);
        if (panel.link.link_up() || boxes.size() != 1)
            return fail(QStringLiteral("hang-up not noticed; boxes: %1").arg(boxes.join(QLatin1Char('|'))));
        box_closer.stop();
        measure_idle(ms);
        if (boxes.size() != 1) return fail(QStringLiteral("boxes after the hang-up: ") + boxes.join(QLatin1Char('|')));
        return 0;
    }
    box_closer.stop();
    measure_idle(ms);
    if (!panel.link.link_up()) return fail(kind + QStringLiteral(": link lost while idle"));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bench::headless_default();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    int ms = 3000;
    if (const int i = int(args.indexOf(QStringLiteral("--ms"))); i > 0 && i + 1 < args.size()) ms = args[i + 1].toInt();
    if (const int i = int(args.indexOf(QStringLiteral("--child"))); i > 0 && i + 3 < args.size())
        return child(args[i + 1], args[i + 2].toUShort(), args[i + 3], ms);

    QTemporaryDir dir;
    const QString serial_path = QDir(dir.path()).filePath(QStringLiteral("sim-tty"));
    bench::Simulator sim;
    QString why;
    if (!dir.isValid() || !sim.start({QStringLiteral("--serial"), serial_path}, &why)) return fail(why);

    // cpu % and wakeups/s of each case, alternating the cases round by round.
    const QStringList cases{QStringLiteral("tcp-bare"), QStringLiteral("tcp-panel"), QStringLiteral("serial-bare"),
                            QStringLiteral("serial-panel"), QStringLiteral("serial-hangup")};
    std::map<QString, std::vector<double>> cpu, wakeups;
    for (int round = 0; round < kRounds; ++round) {
        for (const QString& c : cases) {
            QProcess p;
            p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), c, QString::number(sim.port), serial_path, QStringLiteral("--ms"),
                     QString::number(ms)});
            if (!p.waitForFinished(ms + 30000) || p.exitCode() != 0) return fail(c + QStringLiteral(" failed"));
            const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
            if (f.size() != 3 || f[0] != "IDLE") return fail(c + QStringLiteral(": no reading"));
            cpu[c].push_back(f[1].toDouble());
            wakeups[c].push_back(f[2].toDouble());
        }
    }
    for (const auto& [link, name] : {std::pair{"tcp", "TCP"}, std::pair{"serial", "serial"}}) {
        const QString bare = QLatin1String(link) + QStringLiteral("-bare");
        const QString panel = QLatin1String(link) + QStringLiteral("-panel");
        const double p = bench::median(cpu[panel]);
        bench::row(QStringLiteral("idle CPU, connected over %1").arg(QLatin1String(name)), bench::median(cpu[bare]), p,
                   QStringLiteral("%"), QStringLiteral("< 0.5 %"), p < 0.5 ? QStringLiteral("yes") : QStringLiteral("no"));
        bench::row(QStringLiteral("idle wakeups, %1").arg(QLatin1String(name)), bench::median(wakeups[bare]),
                   bench::median(wakeups[panel]), QStringLiteral("/s"), QStringLiteral("-"), QStringLiteral("-"));
    }
    {
        const double p = bench::median(cpu[QStringLiteral("serial-hangup")]);
        bench::row(QStringLiteral("idle CPU after a serial hang-up"), bench::median(cpu[QStringLiteral("serial-bare")]),
                   p, QStringLiteral("%"), QStringLiteral("< 0.5 %"),
                   p < 0.5 ? QStringLiteral("yes") : QStringLiteral("no"));
        bench::row(QStringLiteral("idle wakeups after a serial hang-up"),
                   bench::median(wakeups[QStringLiteral("serial-bare")]),
                   bench::median(wakeups[QStringLiteral("serial-hangup")]), QStringLiteral("/s"), QStringLiteral("-"),
                   QStringLiteral("-"));
    }
    std::printf("NOTE\tidle: median of %d rounds of %.1f s each, every case in its own process\n", kRounds,
                double(ms) / 1000.0);
    std::printf("NOTE\tidle after a serial hang-up: the panel's pseudo-terminal loses its far end, the panel "
                "says so; baseline: the bare serial port still connected\n");
    return 0;
}
