// Start-up: from starting the process to the first paint of the panel's main
// window, and the resident memory then, side by side with a bare
// QApplication + QWidget of the same size started the same way. Every launch
// is a fresh child process (this program started with --child); the parent
// times it from QProcess::start to the child's report.

#include "common.h"

#include "link/qt_ports.h"
#include "main_window/panel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <map>
#include <memory>

using namespace tavrin;

namespace {

constexpr int kRounds = 10;

int fail(const QString& why) {
    std::fprintf(stderr, "bench_startup: %s\n", qPrintable(why));
    return 1;
}

// Notes the first paint of a window on the screen: a paint of any of its
// controls once the window has been exposed (on an X server the window itself
// may get no paint event of its own, and the panel may draw its controls off
// screen before that). Made before the window: the panel may already get its
// first paint while it loads.
class FirstPaint : public QObject {
public:
    FirstPaint() { qApp->installEventFilter(this); }
    QWidget* window = nullptr;
    bool exposed = false, painted = false;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (!window) return false;
        if (e->type() == QEvent::Expose && o->isWindowType() && o == window->windowHandle() &&
            static_cast<QWindow*>(o)->isExposed())
            exposed = true;
        if (exposed && e->type() == QEvent::Paint && o->isWidgetType() && static_cast<QWidget*>(o)->window() == window)
            painted = true;
        return QObject::eventFilter(o, e);
    }
};

// Runs the event loop until the window has painted itself once, then reports
// "UP <resident KiB> <width> <height>".
int report_when_painted(QWidget& w, FirstPaint& spy) {
    QElapsedTimer guard;
    guard.start();
    while (!spy.painted && guard.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    QCoreApplication::processEvents();  // the paint is done when the event returns
    if (!spy.painted) return fail(QStringLiteral("the window never painted"));
    std::printf("UP %ld %d %d\n", bench::rss_kib(), w.width(), w.height());
    std::fflush(stdout);
    return 0;
}

// The panel exactly as the program's entry point builds it.
int child_panel(const QString& program_dir) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("TAVRIN_4X"));
    QtPlatform platform;
    QtSerialPort serial(program_dir);
    QtTcpClient tcp;
    FirstPaint spy;
    Panel panel(platform, serial, tcp, program_dir);
    spy.window = &panel.w;
    platform.set_message_parent(&panel.w);
    panel.load();
    return report_when_painted(panel.w, spy);
}

int child_bare(int width, int height) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    FirstPaint spy;
    QWidget w;
    spy.window = &w;
    w.resize(width, height);
    w.setWindowTitle(QStringLiteral("bare"));
    w.show();
    return report_when_painted(w, spy);
}

struct Launch {
    double ms = -1;
    long rss_kib = -1;
    int width = 0, height = 0;
};

Launch launch(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(QCoreApplication::applicationFilePath(), args);
    Launch out;
    QByteArray line;
    while (!line.contains('\n') && p.waitForReadyRead(10000)) line += p.readAllStandardOutput();
    out.ms = double(t.nsecsElapsed()) / 1e6;
    p.waitForFinished(10000);
    const QList<QByteArray> f = line.trimmed().split(' ');
    if (f.size() != 4 || f[0] != "UP") {
        out.ms = -1;
        return out;
    }
    out.rss_kib = f[1].toLong();
    out.width = f[2].toInt();
    out.height = f[3].toInt();
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    bench::headless_default();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--child-panel")) return child_panel(args[2]);
    if (args.size() == 4 && args[1] == QLatin1String("--child-bare")) return child_bare(args[2].toInt(), args[3].toInt());

    // The panel's files are in place before it starts, as beside the real
    // program; Ethernet selected (so nothing is opened), advanced view.
    QTemporaryDir dir;
    if (!dir.isValid() || !bench::make_program_dir(dir.path(), bench::ethernet_ini(QStringLiteral("127.0.0.1:2323"))))
        return fail(QStringLiteral("cannot prepare the program directory"));

    // The first launch of each warms the file cache and tells the panel's size.
    const Launch first = launch({QStringLiteral("--child-panel"), dir.path(), QStringLiteral("-")});
    if (first.ms < 0) return fail(QStringLiteral("the panel did not start"));
    const QStringList bare_args{QStringLiteral("--child-bare"), QString::number(first.width),
                                QString::number(first.height)};
    if (launch(bare_args).ms < 0) return fail(QStringLiteral("the bare window did not start"));

    std::vector<double> bare_ms, panel_ms, bare_rss, panel_rss;
    for (int round = 0; round < kRounds; ++round) {
        const Launch b = launch(bare_args);
        const Launch p = launch({QStringLiteral("--child-panel"), dir.path(), QStringLiteral("-")});
        if (b.ms < 0 || p.ms < 0) return fail(QStringLiteral("a launch failed"));
        bare_ms.push_back(b.ms);
        panel_ms.push_back(p.ms);
        bare_rss.push_back(double(b.rss_kib) / 1024.0);
        panel_rss.push_back(double(p.rss_kib) / 1024.0);
    }
    const double up = bench::median(panel_ms);
    const double rss = bench::median(panel_rss);
    bench::row(QStringLiteral("start-up to first paint, median"), bench::median(bare_ms), up, QStringLiteral("ms"),
               QStringLiteral("< 300 ms"), up < 300.0 ? QStringLiteral("yes") : QStringLiteral("no"));
    bench::row(QStringLiteral("resident memory at first paint"), bench::median(bare_rss), rss, QStringLiteral("MB"),
               QStringLiteral("< 60 MB"), rss < 60.0 ? QStringLiteral("yes") : QStringLiteral("no"));
    std::printf("NOTE\tstart-up: %d launches each, alternating; panel window %dx%d; slowest panel start %.0f ms\n",
                kRounds, first.width, first.height, bench::percentile(panel_ms, 100));
    return 0;
}
