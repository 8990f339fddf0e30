// tavrin4x: the control panel. Reads its files from its own directory, or
// from the installed share folder.

#include "link/qt_ports.h"
#include "link/traffic_log.h"
#include "main_window/command_line.h"
#include "main_window/panel.h"
#include "main_window/shutdown_guard.h"
#include "widgets/pictures.h"

#include <QApplication>
#include <QStyleFactory>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    if (const auto code = tavrin::answer_help_or_version(argc, argv)) return *code;
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("TAVRIN_4X"));
    QApplication::setDesktopFileName(QStringLiteral("tavrin4x"));
    QApplication::setWindowIcon(pictures::app_icon());
    const tavrin::CommandLine cl = tavrin::parse_command_line(QCoreApplication::arguments());
    if (cl.action == tavrin::CommandLine::Action::Error) {
        std::fputs(qPrintable(cl.text), stderr);
        return 2;
    }

    const QString dir = QCoreApplication::applicationDirPath();
    tavrin::QtPlatform platform;
    tavrin::QtSerialPort serial(dir);
    tavrin::QtTcpClient tcp;
    // With --traffic-log the panel talks through ports that write the traffic down.
    std::unique_ptr<tavrin::LoggedPorts> logged;
    if (QString why; !cl.traffic_log.isEmpty() &&
                     !(logged = tavrin::LoggedPorts::open(cl.traffic_log, serial, tcp, &why))) {
        std::fprintf(stderr, "tavrin4x: cannot open the traffic log %s: %s\n", qPrintable(cl.traffic_log),
                     qPrintable(why));
        return 2;
    }
    tavrin::Panel panel(platform, logged ? static_cast<tavrin::SerialPort&>(logged->serial) : serial,
                        logged ? static_cast<tavrin::TcpClient&>(logged->tcp) : tcp, dir);
    platform.set_message_parent(&panel.w);
    tavrin::ShutdownGuard guard(panel);
    panel.load();
    if (guard.requested()) return 0;  // ended by a signal while starting
    return app.exec();
}
