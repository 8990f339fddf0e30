#pragma once

// What the benchmark programs share: the simulator as a child process, a
// program directory for the panel, process CPU/memory readings, and the one
// row format run.sh turns into the table.

#include "support/programs.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <vector>

namespace bench {

// The simulator program: $TAVRIN_SIM, else the one built beside the benchmarks.
QString sim_exe();

// tavrin4x-sim on 127.0.0.1, port chosen by the system, no traffic log.
class Simulator {
public:
    // extra: further options (e.g. --serial PATH). False with a reason on failure.
    bool start(const QStringList& extra, QString* why);
    // One console line (the device's front panel), e.g. "set mode 5".
    void console(const QString& line);
    quint16 port = 0;

private:
    tavrin::testing::SimProcess sim_;
};

// Fills dir with the files the program keeps beside itself and the given
// settings file text.
bool make_program_dir(const QString& dir, const QByteArray& ini_text);

// Settings file for Ethernet at address (advanced view on) and for RS-232 port 1.
QByteArray ethernet_ini(const QString& address);
QByteArray serial_ini();

// The whole process: CPU seconds (all threads), resident set in KiB, and
// context switches so far (a process that sleeps until it is woken counts
// one per wake).
double cpu_seconds();
long rss_kib();
long peak_rss_kib();
long context_switches();

double median(std::vector<double> v);
double percentile(std::vector<double> v, double p);  // p in 0..100, nearest rank

// One table row for run.sh: measure, baseline, panel, ratio panel/baseline,
// target text and whether the target is met ("yes", "no", or "-" for none).
void row(const QString& measure, double baseline, double panel, const QString& unit, const QString& target,
         const QString& met);

// Sets QT_QPA_PLATFORM=offscreen unless the caller chose a platform.
void headless_default();

// Closes every modal message box as it appears (polled by `timer`, which it
// starts) and records its text in `boxes`: a box would stop a run.
void close_boxes(QTimer& timer, QStringList& boxes);

}  // namespace bench
