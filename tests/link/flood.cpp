// Floods on the serial receive path: thousands of replies in one read and
// across reads, random bytes at full speed, a reply every millisecond; on the
// fakes and on QSerialPort over a pseudo-terminal. However long the backlog,
// the stack stays flat, other events keep running while it is worked off, and
// a normal exchange works afterwards.

#include "link/qt_ports.h"
#include "support/fake_env.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

using namespace tavrin;
using namespace tavrin::testing;

namespace {
// Counts the replies a handler got and how far apart on the stack it was
// called: a backlog worked off by recursion shows as a span that grows with
// the number of replies.
struct Seen {
    int count = 0;
    quintptr lo = ~quintptr(0), hi = 0;
    int posted_ran_at = -1;  // replies handled when an event posted at reply 100 ran
    void note() {
        const auto at = quintptr(__builtin_frame_address(0));
        lo = std::min(lo, at);
        hi = std::max(hi, at);
        if (++count == 100) QMetaObject::invokeMethod(qApp, [this] { posted_ran_at = count; }, Qt::QueuedConnection);
    }
    qint64 span() const { return count ? qint64(hi - lo) : 0; }
};
constexpr qint64 kFlatStack = 16 * 1024;

QByteArray replies(int n) { return QByteArray("BRI050\r").repeated(n); }

// The device end of a pseudo-terminal whose other end the panel opens as COM1.
struct Pty {
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ok = master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 &&
             QFile::link(QString::fromLocal8Bit(ptsname(master)), dir.filePath(QStringLiteral("COM1")));
    }
    ~Pty() {
        if (writer.joinable()) writer.join();
        if (master >= 0) ::close(master);
    }
    void write_all(const QByteArray& bytes) const {
        for (qsizetype at = 0; at < bytes.size();) {
            const ssize_t n = ::write(master, bytes.constData() + at, size_t(bytes.size() - at));
            if (n <= 0) return;
            at += n;
        }
    }
    // Answers the first `command` line the panel writes with `reply`.
    void answer_once(QByteArray command, QByteArray reply) {
        if (writer.joinable()) writer.join();
        writer = std::thread([this, command, reply] {
            QByteArray got;
            pollfd p{master, POLLIN, 0};
            while (!got.contains(command) && ::poll(&p, 1, 30000) > 0) {
                char buf[256];
                const ssize_t n = ::read(master, buf, sizeof buf);
                if (n <= 0) return;
                got.append(buf, n);
            }
            write_all(reply);
        });
    }
    int master = -1;
    bool ok = false;
    QTemporaryDir dir;
    std::thread writer;
};

// The exchange on QSerialPort and the real event loop; messages are only recorded.
struct RealSerial : QtPlatform {
    explicit RealSerial(const QString& dir) : serial(dir) {
        link.register_handler(QStringLiteral("BRI"), [this] { bri.note(); });
        link.register_handler(QStringLiteral("MOD"), [this] { mods << link.reply(); });
    }
    void message(const QString& text, MsgIcon) override { messages << text; }
    QStringList messages, mods;
    Seen bri;
    PanelState st;
    QtSerialPort serial;
    QtTcpClient tcp;
    Link link{st, *this, serial, tcp};
};
}  // namespace

class FloodTest : public QObject {
    Q_OBJECT
private slots:
    void fakes() {
        // All in one read; and read by read as the device goes on sending,
        // with replies cut across reads.
        const QByteArray many = replies(9000);
        QList<QByteArray> pieces;
        for (qsizetype at = 0; at < many.size(); at += 997) pieces << many.mid(at, 997);
        const QList<QPair<const char*, QList<QByteArray>>> rows = {
            {"5000 in one read", {replies(5000)}}, {"9000 across reads", pieces}};
        for (const auto& row : rows) {
            const char* const name = row.first;
            const QList<QByteArray>& reads = row.second;  // a plain reference: lambdas below capture it
            LinkRig rig;
            rig.open_serial();
            Seen seen;
            rig.link.register_handler(QStringLiteral("BRI"), [&] { seen.note(); });
            QStringList mods;
            rig.link.register_handler(QStringLiteral("MOD"), [&] { mods << rig.link.reply(); });
            int next = 0, total = 0;
            for (const QByteArray& r : reads) total += int(r.count('\r'));
            const auto device = rig.platform.on_pump;
            rig.platform.on_pump = [&] {  // the next read's bytes arrive at every pump
                device();
                if (next < reads.size()) rig.serial.deliver(reads.at(next++));
            };
            for (int i = 0; i < 4 * total && seen.count < total; ++i) rig.platform.advance(1);
            QVERIFY2(seen.count == total, name);
            QVERIFY2(seen.span() < kFlatStack, qPrintable(QString("%1: %2 bytes").arg(name).arg(seen.span())));
            QVERIFY2(seen.posted_ran_at > 0 && seen.posted_ran_at < total, name);
            rig.device.answer(QStringLiteral("MOD999"), "MOD005\r");
            rig.link.tx_cmd(QStringLiteral("MOD999"));
            QVERIFY2(rig.link.reply_done() && mods == QStringList{"MOD005"}, name);
        }
    }

    void click_while_a_tick_ends() {
        // A click that sends while a tick pumps its last events still gets
        // its answer: that reply wait reads the port although a tick is open.
        LinkRig rig;
        rig.open_serial();
        QStringList pwr;
        rig.link.register_handler(QStringLiteral("PWR"), [&] { pwr << rig.link.reply(); });
        rig.link.register_handler(QStringLiteral("BRI"), [] {});
        rig.device.answer(QStringLiteral("PWR999"), "PWR001\r", 3);
        // A tick runs in the next pump and pumps twice itself; the click comes in the second.
        auto click = rig.platform.make_timer();
        click->set_interval(3);
        int clicks = 0;
        click->on_timeout = [&] {
            click->set_enabled(false);
            ++clicks;
            rig.link.tx_cmd(QStringLiteral("PWR999"));
        };
        rig.device.send_unsolicited("BRI050\r", false);
        click->set_enabled(true);
        rig.platform.advance(1);
        QCOMPARE(clicks, 1);
        QCOMPARE(pwr, QStringList{"PWR001"});
        QCOMPARE(rig.link.reply_done(), true);
    }

    void pseudo_terminal_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("128 KiB of replies back to back") << 0;
        QTest::newRow("random bytes at full speed") << 1;
        QTest::newRow("a reply every millisecond") << 2;
    }
    void pseudo_terminal() {
        QFETCH(int, kind);
        Pty pty;
        QVERIFY(pty.ok);
        RealSerial r(pty.dir.path());
        QVERIFY(r.serial.open(1));
        r.link.serial_opened();
        r.link.set_tim_rx_enabled(true);
        // The device floods, then sends a last reply: replies are handled in
        // order, so once that one is in, the backlog has been worked off.
        QByteArray flood;
        int expected = 0;
        if (kind == 0) {
            flood = replies(128 * 1024 / 7);
            expected = int(flood.count('\r'));
        } else if (kind == 1) {
            flood.resize(256 * 1024);
            QRandomGenerator rng(7);
            for (char& c : flood) c = char(rng.bounded(256));
        } else {
            expected = 3000;
        }
        pty.writer = std::thread([&pty, flood, expected, kind] {
            if (kind == 2) {
                for (int i = 0; i < expected; ++i) {
                    pty.write_all("BRI050\r");
                    usleep(1000);
                }
            }
            pty.write_all(flood + "\rMOD001\r");
        });
        QTRY_VERIFY_WITH_TIMEOUT(r.mods.contains(QStringLiteral("MOD001")), 120000);
        if (expected) QCOMPARE(r.bri.count, expected);
        if (r.bri.count > 100) QVERIFY(r.bri.posted_ran_at > 0 && r.bri.posted_ran_at < r.bri.count);
        QVERIFY2(r.bri.span() < 4 * kFlatStack, qPrintable(QString::number(r.bri.span())));
        pty.answer_once("MOD999\r", "MOD005\r");
        r.link.tx_cmd(QStringLiteral("MOD999"));
        QVERIFY(r.link.reply_done());
        QCOMPARE(r.mods.last(), QStringLiteral("MOD005"));
    }
};

QTEST_MAIN(FloodTest)
#include "flood.moc"
