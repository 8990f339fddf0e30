#include "support/programs.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <utility>
#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

namespace tavrin::testing {

bool SimProcess::start(const QString& exe, const QStringList& extra, QString* why) {
    return start_with(exe, QStringList{"--listen", "127.0.0.1:0", "--quiet", "--boot-ms", "200"} + extra, why);
}

bool SimProcess::start_with(const QString& exe, const QStringList& args, QString* why) {
    if (exe.isEmpty() || !QFileInfo::exists(exe)) {
        *why = QStringLiteral("no simulator at ") + exe;
        return false;
    }
    proc_.setProgram(exe);
    proc_.setArguments(args);
    proc_.setProcessChannelMode(QProcess::SeparateChannels);
#ifdef Q_OS_LINUX
    // A run that crashes or is killed takes its simulator with it.
    proc_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
    proc_.start();
    if (!proc_.waitForStarted(10000)) {
        *why = QStringLiteral("the simulator did not start");
        return false;
    }
    static const QRegularExpression ready(QStringLiteral("listening on [^\\s]*:(\\d+)"));
    const QString out = read_until(QStringLiteral("listening on"));
    const auto m = ready.match(out);
    if (!m.hasMatch()) {
        *why = QStringLiteral("no ready line from the simulator: ") + out;
        return false;
    }
    port = m.captured(1).toUShort();
    return true;
}

SimProcess::~SimProcess() {
    if (proc_.state() == QProcess::NotRunning) return;
    proc_.write("quit\n");
    if (!proc_.waitForFinished(5000)) {
        proc_.kill();
        proc_.waitForFinished(5000);
    }
}

void SimProcess::console(const QString& line) {
    proc_.write(line.toLatin1() + '\n');
    proc_.waitForBytesWritten(2000);
    // The console answers in order: once the state is printed, the change
    // has been made (and sent to every client).
    state();
}

QString SimProcess::state() {
    pending_.clear();
    proc_.readAllStandardOutput();
    proc_.write("state\n");
    return read_until(QStringLiteral("PiP A position"));
}

QString SimProcess::read_until(const QString& marker) {
    const auto line_done = [&] {
        const qsizetype at = pending_.indexOf(marker);
        return at >= 0 && pending_.indexOf(QLatin1Char('\n'), at) >= 0;
    };
    for (QDeadlineTimer deadline(10000); !line_done() && !deadline.hasExpired();) {
        proc_.waitForReadyRead(100);
        pending_ += QString::fromLocal8Bit(proc_.readAllStandardOutput());
        QCoreApplication::processEvents();
    }
    return std::exchange(pending_, QString());
}

namespace {
void copy_tree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& fi : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (fi.isDir()) copy_tree(fi.filePath(), QDir(to).filePath(fi.fileName()));
        else QFile::copy(fi.filePath(), QDir(to).filePath(fi.fileName()));
    }
}
}  // namespace

QByteArray bytes_of(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

bool put_file(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (bytes.isNull()) return !f.exists() || f.remove();
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

bool make_program_dir(const QString& dir, const QByteArray& ini_text) {
    copy_tree(QStringLiteral(TAVRIN_DATA_DIR), dir);
    return put_file(QDir(dir).filePath(QStringLiteral("tavrin_4x.ini")), ini_text);
}

}  // namespace tavrin::testing
