#include "main_window/shutdown_guard.h"

#include "main_window/panel.h"
#include "main_window/startup.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <cstdlib>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#endif

namespace tavrin {

namespace {

#ifdef Q_OS_UNIX
const int handled_signals[] = {SIGTERM, SIGINT, SIGHUP};
int wake_fds[2] = {-1, -1};  // [0] read by the event loop, [1] written by the handler

// Only async-signal-safe work here: one byte into the socket. The event loop
// does the rest in its own time.
extern "C" void on_termination_signal(int signo) {
    const int saved = errno;
    const char byte = char(signo);
    [[maybe_unused]] const ssize_t n = ::write(wake_fds[1], &byte, 1);
    errno = saved;
}
#endif

Panel* panel_at_exit = nullptr;

// Runs when something calls exit() with the panel still up; Qt does so when
// the connection to the display breaks. The widgets are all still there then
// (exit() unwinds no stack), so the settings are written as at a close, but
// only from the thread that owns them.
extern "C" void save_at_exit() {
    Panel* p = panel_at_exit;
    panel_at_exit = nullptr;
    if (!p || !QCoreApplication::instance() || QThread::currentThread() != QCoreApplication::instance()->thread())
        return;
    p->startup->unattended_exit = true;
    p->startup->save_settings();
}

}  // namespace

ShutdownGuard::ShutdownGuard(Panel& panel) : panel_(panel) {
    static bool exit_hook = false;
    if (!exit_hook) exit_hook = std::atexit(save_at_exit) == 0;
    panel_at_exit = &panel;
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, wake_fds) != 0) return;
    for (int fd : wake_fds) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        // A full socket (a storm of signals) drops the byte instead of
        // blocking the handler; one pending byte is all it takes.
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    notifier_ = new QSocketNotifier(wake_fds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ShutdownGuard::on_signal);
    struct sigaction sa {};
    sa.sa_handler = on_termination_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : handled_signals) ::sigaction(s, &sa, nullptr);
    // A write to an X server or a peer that has gone away would otherwise end
    // the program on the spot, settings unwritten; ignored, the write fails
    // and the loss takes the normal way out (a lost display, a lost link).
    ::signal(SIGPIPE, SIG_IGN);
#endif
}

ShutdownGuard::~ShutdownGuard() {
    panel_at_exit = nullptr;
#ifdef Q_OS_UNIX
    if (!notifier_) return;
    for (int s : handled_signals) ::signal(s, SIG_DFL);
    delete notifier_;
    for (int& fd : wake_fds) {
        ::close(fd);
        fd = -1;
    }
#endif
}

void ShutdownGuard::on_signal() {
#ifdef Q_OS_UNIX
    char drain[64];
    while (::read(wake_fds[0], drain, sizeof drain) > 0) {
    }
#endif
    // Later signals (a logout sends SIGTERM and SIGHUP together) find the
    // close under way and change nothing.
    if (requested_) return;
    requested_ = true;
    panel_.startup->unattended_exit = true;
    // As if the operator closed the window: the secondary windows go, the
    // serial port is closed, the settings are written.
    panel_.w.close();
    // A message box may be open with its own event loop; every loop ends.
    QCoreApplication::exit(0);
}

}  // namespace tavrin
