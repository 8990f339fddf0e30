#pragma once
// Running the programs for real: tavrin4x-sim as a child process with its
// console on stdin/stdout, and a program folder for the panel. Shared by the
// end-to-end tests, the benchmarks and the soak driver.

#include <QProcess>

namespace tavrin::testing {

class SimProcess {
public:
    // Starts exe listening on 127.0.0.1 on a port the system chooses (so
    // parallel runs stay apart), quiet, booting in 200 ms; extra: further
    // options (e.g. --serial PATH). False with a reason on failure.
    bool start(const QString& exe, const QStringList& extra, QString* why);
    // Starts exe with exactly these options (one of them --listen).
    bool start_with(const QString& exe, const QStringList& args, QString* why);
    // Ends it with "quit" on its console, or kills it when that fails.
    ~SimProcess();
    // One console line (the device's front panel), e.g. "set mode 5"; returns
    // once the device has made the change.
    void console(const QString& line);
    // The whole device state as the console prints it.
    QString state();
    quint16 port = 0;

private:
    // The console output up to the end of the line holding marker (10 s at
    // most), events processed meanwhile.
    QString read_until(const QString& marker);
    QProcess proc_;
    QString pending_;
};

// A file's bytes, "(missing)" when it cannot be read.
QByteArray bytes_of(const QString& path);
// Writes a file; a null text removes it instead.
bool put_file(const QString& path, const QByteArray& bytes);

// Fills dir with the data files the program keeps beside itself (from the
// source tree) and a settings file with the given text.
bool make_program_dir(const QString& dir, const QByteArray& ini_text);

}  // namespace tavrin::testing
