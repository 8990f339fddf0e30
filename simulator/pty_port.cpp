#include "pty_port.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

PtyPort::PtyPort(QObject* parent) : QObject(parent) {}

PtyPort::~PtyPort() { close(); }

bool PtyPort::open(const QString& link_path, QString* error) {
    auto fail = [&](const QString& what) {
        *error = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
        close();
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return fail("posix_openpt");
    if (::grantpt(master_) != 0) return fail("grantpt");
    if (::unlockpt(master_) != 0) return fail("unlockpt");
    const char* name = ::ptsname(master_);
    if (!name) return fail("ptsname");
    slave_name_ = QString::fromLocal8Bit(name);

    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave_ < 0) return fail("open " + slave_name_);
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0) return fail("tcgetattr");
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) return fail("tcsetattr");
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

    // Replace a link left behind by an earlier run, but never a real file.
    const QByteArray link = QFile::encodeName(link_path);
    struct stat st{};
    if (::lstat(link.constData(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            errno = EEXIST;
            return fail(link_path + " exists and is not a link");
        }
        ::unlink(link.constData());
    }
    if (::symlink(name, link.constData()) != 0) return fail("symlink " + link_path);
    link_path_ = link_path;

    read_notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(read_notifier_, &QSocketNotifier::activated, this, &PtyPort::on_readable);
    write_notifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    write_notifier_->setEnabled(false);
    connect(write_notifier_, &QSocketNotifier::activated, this, &PtyPort::on_writable);
    return true;
}

void PtyPort::close() {
    delete read_notifier_;
    read_notifier_ = nullptr;
    delete write_notifier_;
    write_notifier_ = nullptr;
    if (!link_path_.isEmpty()) {
        ::unlink(QFile::encodeName(link_path_).constData());
        link_path_.clear();
    }
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
    pending_.clear();
}

void PtyPort::on_readable() {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            emit received(QByteArray(buf, int(n)));
            if (master_ < 0) return; // closed by a receiver
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // EAGAIN: drained. EIO would mean no slave is open, which our own
        // descriptor prevents; stop listening rather than spin on it.
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) read_notifier_->setEnabled(false);
        return;
    }
}

void PtyPort::write(const QByteArray& bytes) {
    if (master_ < 0) return;
    pending_.append(bytes);
    if (pending_.size() > max_pending) pending_.remove(0, pending_.size() - max_pending);
    on_writable();
}

void PtyPort::on_writable() {
    while (!pending_.isEmpty()) {
        const ssize_t n = ::write(master_, pending_.constData(), size_t(pending_.size()));
        if (n > 0) {
            pending_.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break; // EAGAIN: the other side is not reading; wait for room
    }
    write_notifier_->setEnabled(!pending_.isEmpty());
}

} // namespace sim
