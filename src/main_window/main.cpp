// tavrin4x: the control panel. Reads its files from its own directory.

#include "link/qt_ports.h"
#include "link/traffic_log.h"
#include "main_window/command_line.h"
#include "main_window/panel.h"

#include <QApplication>
#include <QStyleFactory>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    if (const auto code = tavrin::answer_help_or_version(argc, argv)) return *code;
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("TAVRIN_4X"));
    const tavrin::CommandLine cl = tavrin::parse_command_line(QCoreApplication::arguments());
    if (cl.action == tavrin::CommandLine::Action::Error) {
        std::fputs(qPrintable(cl.text), stderr);
        return 2;
    }

    const QString dir = QCoreApplication::applicationDirPath();
    tavrin::QtPlatform platform;
    tavrin::QtSerialPort serial(dir);
    tavrin::QtTcpClient tcp;
    // With --traffic-log the ports are wrapped so that what passes is written down.
    std::unique_ptr<tavrin::TrafficLog> traffic;
    std::unique_ptr<tavrin::LoggedSerialPort> logged_serial;
    std::unique_ptr<tavrin::LoggedTcpClient> logged_tcp;
    if (!cl.traffic_log.isEmpty()) {
        traffic = std::make_unique<tavrin::TrafficLog>(cl.traffic_log);
        if (QString why; !traffic->open(&why)) {
            std::fprintf(stderr, "tavrin4x: cannot open the traffic log %s: %s\n", qPrintable(cl.traffic_log),
                         qPrintable(why));
            return 2;
        }
        logged_serial = std::make_unique<tavrin::LoggedSerialPort>(serial, *traffic);
        logged_tcp = std::make_unique<tavrin::LoggedTcpClient>(tcp, *traffic);
    }
    tavrin::Panel panel(platform, traffic ? static_cast<tavrin::SerialPort&>(*logged_serial) : serial,
                        traffic ? static_cast<tavrin::TcpClient&>(*logged_tcp) : tcp, dir);
    platform.set_message_parent(&panel.w);
    panel.load();
    return app.exec();
}
