// tavrin4x: the control panel. Reads its files from its own directory, or
// from the installed share folder.

#include "link/qt_ports.h"
#include "main_window/panel.h"
#include "main_window/shutdown_guard.h"
#include "widgets/pictures.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("TAVRIN_4X"));
    QApplication::setDesktopFileName(QStringLiteral("tavrin4x"));
    QApplication::setWindowIcon(pictures::app_icon());

    const QString dir = QCoreApplication::applicationDirPath();
    tavrin::QtPlatform platform;
    tavrin::QtSerialPort serial(dir);
    tavrin::QtTcpClient tcp;
    tavrin::Panel panel(platform, serial, tcp, dir);
    platform.set_message_parent(&panel.w);
    tavrin::ShutdownGuard guard(panel);
    panel.load();
    if (guard.requested()) return 0;  // ended by a signal while starting
    return app.exec();
}
