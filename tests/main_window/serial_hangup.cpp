// The whole panel on the real QSerialPort over a pseudo-terminal whose far
// end goes away while connected (what stopping the simulator or pulling a USB
// adapter does): the port ends closed as by Disconnect, the operator is told
// once, nothing keeps waking the program, and Connect works when it is back.

#include "link/qt_ports.h"
#include "main_window/link_controls.h"
#include "main_window/panel.h"

#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace tavrin;

namespace {

struct RecordingPlatform : QtPlatform {
    void message(const QString& text, MsgIcon) override { messages << text; }
    QStringList messages;
};

// Counts descriptor wake-ups (socket-notifier activations) anywhere in the program.
struct WakeCounter : QObject {
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::SockAct) ++wakes;
        return false;
    }
    int wakes = 0;
};

// The device's end of a pseudo-terminal pair, published as COM1 beside the program.
int plug_device(const QString& program_dir) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
    fcntl(master, F_SETFL, O_NONBLOCK);
    const QString com1 = QDir(program_dir).filePath(QStringLiteral("COM1"));
    QFile::remove(com1);
    return QFile::link(QString::fromLocal8Bit(ptsname(master)), com1) ? master : -1;
}

QByteArray device_reads(int master) {
    char buf[64];
    const ssize_t n = ::read(master, buf, sizeof buf);
    return n > 0 ? QByteArray(buf, int(n)) : QByteArray();
}

}  // namespace

class SerialHangupTest : public QObject {
    Q_OBJECT
private slots:
    void far_end_closes_then_comes_back() {
        QTemporaryDir dir;
        QFile ini(dir.filePath(QStringLiteral("tavrin_4x.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write("0\r\n1\r\n#FALSE#\r\n\"\"\r\n") > 0);
        ini.close();
        int device = plug_device(dir.path());
        QVERIFY(device >= 0);
        RecordingPlatform platform;
        QtSerialPort serial(dir.path());
        QtTcpClient tcp;
        Panel panel(platform, serial, tcp, dir.path());
        panel.load();
        QVERIFY(panel.link.rs232_open && platform.messages.isEmpty());
        const auto buttons = [&] {
            return panel.w.ctl<ColorButton>(QStringLiteral("cmd_conn"))->back_color().name() + ' ' +
                   panel.w.ctl<ColorButton>(QStringLiteral("cmd_disconn"))->back_color().name();
        };
        QCOMPARE(buttons(), QStringLiteral("#00d020 #c0c0c0"));

        ::close(device);  // the device goes away
        WakeCounter counter;
        QCoreApplication::instance()->installEventFilter(&counter);
        for (int turn = 0; turn < 1000 && platform.messages.isEmpty(); ++turn) QCoreApplication::processEvents();
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY2(platform.messages[0].startsWith(QStringLiteral("COM1: Connection lost !\n")) &&
                     platform.messages[0].contains(QStringLiteral("hung up")),
                 qPrintable(platform.messages[0]));
        QCOMPARE(serial.is_open(), false);
        QCOMPARE(panel.link.rs232_open, false);
        QCOMPARE(buttons(), QStringLiteral("#c0c0c0 #ff0000"));
        // Nothing is left to wake the program: no descriptor fires in many turns of the loop.
        counter.wakes = 0;
        for (int turn = 0; turn < 300; ++turn) QCoreApplication::processEvents();
        QCOMPARE(counter.wakes, 0);
        QCOMPARE(platform.messages.size(), 1);

        device = plug_device(dir.path());  // back, as a new pseudo-terminal under the same name
        QVERIFY(device >= 0);
        panel.w.ctl<ColorButton>(QStringLiteral("cmd_conn"))->click();
        QVERIFY(panel.link.rs232_open);
        QCOMPARE(buttons(), QStringLiteral("#00d020 #c0c0c0"));
        panel.link.tx_cmd_nowait(QStringLiteral("BRI250"));
        QByteArray got;
        QTRY_COMPARE(got += device_reads(device), QByteArray("BRI250\r"));
        QCOMPARE(platform.messages.size(), 1);
        ::close(device);
        for (int turn = 0; turn < 1000 && platform.messages.size() < 2; ++turn) QCoreApplication::processEvents();
        QCOMPARE(platform.messages.size(), 2);  // a second loss is told again
        QCoreApplication::instance()->removeEventFilter(&counter);
    }
};

QTEST_MAIN(SerialHangupTest)
#include "serial_hangup.moc"
