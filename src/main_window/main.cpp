// tavrin4x: the control panel. Reads its files from its own directory.

#include "link/qt_ports.h"
#include "main_window/panel.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setApplicationName(QStringLiteral("TAVRIN_4X"));

    const QString dir = QCoreApplication::applicationDirPath();
    tavrin::QtPlatform platform;
    tavrin::QtSerialPort serial(dir);
    tavrin::QtTcpClient tcp;
    tavrin::Panel panel(platform, serial, tcp, dir);
    platform.set_message_parent(&panel.w);
    panel.load();
    return app.exec();
}
