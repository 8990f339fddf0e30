// The operator console turns front-panel lines into device commands.

#include "console.h"

#include <QtTest>

using sim::ConsoleAction;

class TestConsole : public QObject {
    Q_OBJECT
private slots:
    void device_commands_data();
    void device_commands();
    void mistakes_are_refused_data();
    void mistakes_are_refused();
    void listen_address_data();
    void listen_address();
};

void TestConsole::device_commands_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QByteArray>("commands"); // joined by '|'
    QTest::newRow("mode") << "set mode 5" << QByteArray("MOD005");
    QTest::newRow("upper case verb") << "SET Mode 2" << QByteArray("MOD002");
    QTest::newRow("power") << "set power 0" << QByteArray("PWR000");
    QTest::newRow("input") << "  set input 3  " << QByteArray("INP003");
    QTest::newRow("route") << "route 2 4" << QByteArray("OUT002|INP004");
    QTest::newRow("matrix brightness") << "set bri 60" << QByteArray("BRI060");
    QTest::newRow("row contrast") << "set con 3 40" << QByteArray("CON440");
    QTest::newRow("row 1") << "set sat 1 100" << QByteArray("SAT100");
    QTest::newRow("hdcp") << "set hdcp-in 3 1" << QByteArray("HPI031");
    QTest::newRow("pip size") << "set pip-size 2 1" << QByteArray("PSZ021");
    QTest::newRow("mute") << "mute" << QByteArray("AUD000");
    QTest::newRow("unmute") << "unmute" << QByteArray("AUD001");
    QTest::newRow("recall") << "recall 3" << QByteArray("CAL003");
    QTest::newRow("save") << "save 1" << QByteArray("SAV001");
    QTest::newRow("swap") << "swap 2" << QByteArray("PSW002");
    QTest::newRow("label keeps blanks") << "label 2 Cam  A" << QByteArray("LAI2Cam  A");
    QTest::newRow("send raw") << "send LAI1two words" << QByteArray("LAI1two words");
    QTest::newRow("picture reset") << "reset-picture" << QByteArray("RST002");
}

void TestConsole::device_commands() {
    QFETCH(QString, line);
    QFETCH(QByteArray, commands);
    const ConsoleAction a = sim::parse_console_line(line);
    QCOMPARE(a.kind, ConsoleAction::Device);
    QCOMPARE(a.commands, commands.split('|'));
}

void TestConsole::mistakes_are_refused_data() {
    QTest::addColumn<QString>("line");
    QTest::newRow("unknown verb") << "frobnicate";
    QTest::newRow("unknown setting") << "set volume 3";
    QTest::newRow("missing value") << "set mode";
    QTest::newRow("not a number") << "set mode five";
    QTest::newRow("row out of range") << "set bri 5 50";
    QTest::newRow("value out of range") << "set bri 2 101";
    QTest::newRow("route one number") << "route 2";
    QTest::newRow("recall 5") << "recall 5";
    QTest::newRow("label 0") << "label 0 x";
    QTest::newRow("send nothing") << "send";
}

void TestConsole::mistakes_are_refused() {
    QFETCH(QString, line);
    const ConsoleAction a = sim::parse_console_line(line);
    QCOMPARE(a.kind, ConsoleAction::Error);
    QVERIFY(a.commands.isEmpty());
    QVERIFY(!a.message.isEmpty());
}

void TestConsole::listen_address_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("host and port") << "127.0.0.1:2323" << true << "127.0.0.1" << 2323;
    QTest::newRow("port 0") << "127.0.0.1:0" << true << "127.0.0.1" << 0;
    QTest::newRow("port only") << "4000" << true << "127.0.0.1" << 4000;
    QTest::newRow("colon port") << ":23" << true << "127.0.0.1" << 23;
    QTest::newRow("v6") << "[::1]:2323" << true << "::1" << 2323;
    QTest::newRow("bare v6") << "::1" << false << "" << 0;
    QTest::newRow("port too big") << "127.0.0.1:70000" << false << "" << 0;
    QTest::newRow("no port") << "localhost" << false << "" << 0;
}

void TestConsole::listen_address() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, host);
    QFETCH(int, port);
    sim::ListenAddress got;
    QString error;
    QCOMPARE(sim::parse_listen(text, &got, &error), ok);
    if (!ok) {
        QVERIFY(!error.isEmpty());
        return;
    }
    QCOMPARE(got.host, host);
    QCOMPARE(got.port, port);
}

QTEST_GUILESS_MAIN(TestConsole)
#include "console.moc"
