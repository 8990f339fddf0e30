#include "common.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace bench {

QString sim_exe() {
    const QString env = qEnvironmentVariable("TAVRIN_SIM");
    return env.isEmpty() ? QStringLiteral(SIM_EXE) : env;
}

bool Simulator::start(const QStringList& extra, QString* why) {
    if (!sim_.start(sim_exe(), extra, why)) return false;
    port = sim_.port;
    return true;
}

void Simulator::console(const QString& line) { sim_.console(line); }

bool make_program_dir(const QString& dir, const QByteArray& ini_text) {
    return tavrin::testing::make_program_dir(dir, ini_text);
}

QByteArray ethernet_ini(const QString& address) {
    return QStringLiteral("1\r\n1\r\n#TRUE#\r\n\"%1\"\r\n").arg(address).toLatin1();
}

QByteArray serial_ini() { return "0\r\n1\r\n#TRUE#\r\n\"\"\r\n"; }

double cpu_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

namespace {
// A "Vm...:  <n> kB" line of /proc/self/status.
long status_kib(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(field)) return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}
}  // namespace

long rss_kib() { return status_kib("VmRSS:"); }
long peak_rss_kib() { return status_kib("VmHWM:"); }

long context_switches() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_nvcsw + ru.ru_nivcsw;
}

double median(std::vector<double> v) { return percentile(std::move(v), 50.0); }

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return std::nan("");
    std::sort(v.begin(), v.end());
    const double rank = std::ceil(p / 100.0 * double(v.size()));
    const size_t i = size_t(std::clamp(rank, 1.0, double(v.size()))) - 1;
    return v[i];
}

void row(const QString& measure, double baseline, double panel, const QString& unit, const QString& target,
         const QString& met) {
    auto num = [&](double x) {
        if (std::isnan(x)) return QStringLiteral("n/a");
        const int decimals = std::fabs(x) >= 100 ? 0 : std::fabs(x) >= 10 ? 1 : std::fabs(x) >= 1 ? 2 : 3;
        return QString::number(x, 'f', decimals) + (unit.isEmpty() ? QString() : QLatin1Char(' ') + unit);
    };
    const QString ratio = baseline > 0 && !std::isnan(panel) ? QString::number(panel / baseline, 'f', 2) + QLatin1Char('x')
                                                             : QStringLiteral("n/a");
    const QString line = QStringLiteral("ROW\t%1\t%2\t%3\t%4\t%5\t%6\n")
                             .arg(measure, num(baseline), num(panel), ratio, target, met);
    std::fputs(line.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void headless_default() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

void close_boxes(QTimer& timer, QStringList& boxes) {
    QObject::connect(&timer, &QTimer::timeout, [&boxes] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes << box->text();
            box->close();
        }
    });
    timer.start(20);
}

}  // namespace bench
