// The simulated device without sockets: the replies the panel relies on, framing
// and restart, fault injection (random byte streams are the device_model fuzz
// target's, in the checking build).

#include "console.h"
#include "device_model.h"
#include "fault_plan.h"
#include "support/reply_shape.h"

#include <QtTest>

#include <random>

using namespace sim;
using tavrin::testing::well_formed;

namespace sim {
bool operator==(const Piece& a, const Piece& b) { return a.delay_us == b.delay_us && a.bytes == b.bytes; }
} // namespace sim

class TestModel : public QObject {
    Q_OBJECT
private slots:
    // Sessions on a fresh device, steps joined by '|': "command>reply", or just
    // "command" where the reply repeats it. LF is ignored; the empty line after a
    // label (the runner adds one CR to each command) is not answered.
    void replies_data() {
        QTest::addColumn<QByteArray>("steps");
        static const char* const sessions[] = {
            "mode routing: MOD999>MOD001|MOD005|MOD999>MOD005|MOD006>ERR002|MOD000>ERR002|RES005>ERR003|MOD001|"
            "RES005|MOD002>ERR003|RES999>RES005|RES014|RES015>ERR002|RES000>ERR002|ASP004|ASP999>ASP004|"
            "ASP005>ERR002|OUT999>OUT001|OUT005>ERR002|OUT002|INP004|INP999>INP004|OUT001|INP999>INP001|"
            "INP000>ERR002|MOD005|OUT002|INP999>INP002|MOD003|OUT999>OUT001|OUT002>ERR003|INP003|INP999>INP003",
            "picture: BRI999>BRI050|CON070|CON999>CON070|HUE101>ERR002|SAT250>ERR002|BRI020|BRI993>BRI420|"
            "MOD005|BRI250|BRI992>BRI250|BRI991>BRI050|BRI999>BRI020|SAT700|SAT994>SAT700|HUE150>ERR002|"
            "HUE800>ERR002|CON410|MOD002|CON993>CON450|MOD005|CON993>CON410|RST002|BRI992>BRI250|CON991>CON050|"
            "MOD001|CON999>CON050|RST003>ERR002",
            "settings: BEH998>BEH200|BEV998>BEV150|BEH200|BEH201>ERR002|BEV151>ERR002|BEV120|BEV999>BEV120|"
            "BEZ001|BEZ999>BEZ001|BEZ002>ERR002|AUE999>AUE000|AUE004|AUE005>ERR002|AUA999>AUA001|AUA002|"
            "AUA000>ERR002|AUB002|AUB999>AUB002|AUB003>ERR002|AUQ004|AUQ005>ERR002|AUD999>AUD001|AUD000|"
            "AUD999>AUD000|AUD002>ERR002|LCK001|LCK999>LCK001|LCK002>ERR002|MNX001|MNE001|MNO001|MNU001|MND001|"
            "MNL001|MNR001|MNU002>ERR002|VER999>VER300|VR2999>VR2A01|VER001>ERR002|EIP999>192.168.001.100|"
            "EMK999>255.255.255.000|EGW999>192.168.001.001|EIP000>ERR002|HPI991>HPI010|HPI031|HPI993>HPI031|"
            "HPI051>ERR002|HPI012>ERR002|HPI131>ERR002|HPO041|HPO994>HPO041|PPO991>PPO010|PPO023|PPO992>PPO023|"
            "PPO014>ERR002|PPO031>ERR002|PPO993>ERR002|PSZ021|PSZ992>PSZ021|PWR999>PWR001|PWR002>ERR002|PWR000|"
            "PWR999>PWR000|PWR001|PWR999>PWR001",
            "swap: PSW001>ERR003|MOD004|PSW003>ERR002|OUT001|INP003|OUT002|INP004|PSW001|INP999>INP003|OUT001|"
            "INP999>INP004|OUT003|INP001|OUT004|INP002|PSW002|INP999>INP001|OUT003|INP999>INP002",
            "labels and errors: LAB999>LAB000|LAB001|LAB002>ERR002|LAI991>LAI1Input 1     |"
            "LAI2Deck\r>LAI2Deck        |LAI3Camera>LAI3Camera      |LAI993>LAI3Camera      |"
            "LAI4 two words>LAI4 two words  |LAI2ABCDEFGHIJKLMNOP>LAI2ABCDEFGHIJKL|LAI1>LAI1            |"
            "LAI5x>ERR002|LAI995>ERR002|LAI999>ERR002|LAI1a\tb>ERR002|MOD\n999\n>MOD001|XYZ001>ERR001|"
            "bri050>ERR001|BR>ERR001|EXT000>ERR001|BRI>ERR002|BRI05>ERR002|BRI0500>ERR002|BRI05a>ERR002|"
            "CAL005>ERR002|SAV000>ERR002",
            "presets: MOD005|OUT002|INP004|OUT003|BRI260|AUE003|SAV002|MOD001|OUT001|INP002|CON090|AUE001|"
            "CAL002|MOD999>MOD005|OUT999>OUT003|BRI992>BRI260|CON999>CON050|OUT002|INP999>INP004|AUE999>AUE001|"
            "MOD001|OUT001|INP999>INP001|CON010|MOD002|CAL004|MOD999>MOD001|CON999>CON050",
            "standby: PWR000|VER999>VER300|VR2999>VR2A01|LCK001|MOD999>MOD001|BRI992>BRI250|BEH998>BEH200|"
            "LAI992>LAI2Input 2     |EIP999>192.168.001.100|XYZ001>ERR001|MOD002>ERR003|BRI050>ERR003|"
            "MNX001>ERR003|CAL001>ERR003|SAV001>ERR003|RST002>ERR003|LAI1abc>ERR003|PWR001",
            "factory reset: MOD005|LAI1Studio>LAI1Studio      |LCK001|SAV001|PWR000|RST001|PWR999>PWR001|"
            "MOD999>MOD001|LCK999>LCK000|LAI991>LAI1Input 1     |CAL001|MOD999>MOD001",
        };
        for (const QByteArray s : sessions)
            QTest::newRow(s.left(s.indexOf(':')).constData()) << s.mid(s.indexOf(':') + 2);
    }

    void replies() {
        QFETCH(QByteArray, steps);
        DeviceModel m;
        for (const QByteArray& step : steps.split('|')) {
            const QByteArray command = step.split('>').first(), want = step.split('>').last() + '\r';
            QCOMPARE(m.feed(command + '\r'), QList<QByteArray>{want});
            QVERIFY(well_formed(command, want));
            QCOMPARE(m.take_restart_request(), m.booting()); // PWR001 and RST001 restart, nothing else
            m.finish_boot();
        }
    }

    void framing_and_restart() {
        DeviceModel m;
        LineAssembler in;
        auto replies = [&](const QByteArray& bytes) {
            QByteArray all;
            for (const Exchange& e : m.feed(in, bytes)) all += e.ignored ? "-" : e.reply;
            return all;
        };
        // A flood without CR stays bounded and is refused once; a line of exactly the limit is a line,
        // one byte more is not.
        QCOMPARE(replies(QByteArray(1 << 20, 'A')), QByteArray());
        QVERIFY(in.pending_bytes() <= LineAssembler::max_line);
        const QByteArray longest = "LAI1" + QByteArray(LineAssembler::max_line - 4, 'x');
        QCOMPARE(replies("\rMOD005\r" + longest + '\r' + longest + "x\r"),
                 QByteArray("ERR004\rMOD005\rLAI1xxxxxxxxxxxx\rERR004\r"));
        // A restart answers; the rest of its chunk and all until the boot is over is lost.
        QCOMPARE(replies("PWR001\rMOD999\rMOD9"), QByteArray("PWR001\r-"));
        QVERIFY(m.take_restart_request() && !m.take_restart_request());
        QCOMPARE(replies("99\rPWR999\rMOD9"), QByteArray("--"));
        m.finish_boot();
        QCOMPARE(replies("99\rMOD999\r"), QByteArray("ERR001\rMOD005\r")); // settings survive
    }

    void faults() {
        const QByteArray r = "LAI1Camera      \r";
        FaultPlan clean(FaultSettings{.baud = 115200}, 1); // pacing alone is no fault
        QVERIFY(clean.transparent() && clean.shape(r) == QList<Piece>({Piece{0, r}}));
        // A fault left at 0 draws nothing: with drops alone, each reply takes exactly one draw.
        FaultPlan drops(FaultSettings{.drop = 0.5}, 9);
        std::mt19937_64 same(9);
        for (int i = 0; i < 200; ++i)
            QCOMPARE(drops.shape(r).isEmpty(), std::uniform_real_distribution<double>(0.0, 1.0)(same) < 0.5);
        // Every fault at once: each does what it says, about as often as asked, and
        // the seed alone decides.
        const FaultSettings all{.latency_ms = 20, .jitter_ms = 10, .drop = 0.2, .split = 0.5, .split_gap_ms = 4,
                                .garbage = 0.5, .no_cr = 0.5};
        FaultPlan plan(all, 5), twin(all, 5), other(all, 6);
        QSet<qint64> delays;
        int dropped = 0, split = 0, soiled = 0, no_cr = 0, differ = 0;
        for (int i = 0; i < 5000; ++i) {
            const QList<Piece> p = plan.shape(r);
            QVERIFY(twin.shape(r) == p);
            differ += other.shape(r) != p;
            dropped += p.isEmpty();
            if (p.isEmpty()) continue;
            QVERIFY(p.size() <= 3 && p[0].delay_us >= 20000 && p[0].delay_us <= 30000);
            delays.insert(p[0].delay_us);
            QByteArray got;
            for (int k = 0; k < p.size(); ++k) {
                QVERIFY(!p[k].bytes.isEmpty() && (k == 0 || p[k].delay_us == 4000));
                got += p[k].bytes;
            }
            // 1 to 4 stray bytes in one place, never CR or LF nor behind the CR
            // (they would soil the next reply); the reply intact around them.
            const QByteArray want = got.contains('\r') ? r : r.chopped(1);
            const int extra = int(got.size() - want.size());
            QVERIFY(extra >= 0 && extra <= 4 && got.count('\r') <= 1 && !got.contains('\n'));
            QVERIFY(got.endsWith('\r') == want.endsWith('\r'));
            int same = 0;
            while (same < want.size() && got[same] == want[same]) ++same;
            QVERIFY(got.endsWith(want.mid(same)));
            split += p.size() > 1, soiled += extra > 0, no_cr += want.size() < r.size();
        }
        QVERIFY(delays.contains(20000) && delays.contains(30000) && differ > 2500); // jitter spans 0..10 ms
        for (int n : {dropped * 2, split, soiled, no_cr})
            QVERIFY2(n > 1900 && n < 2100, QByteArray::number(n).data());
        // Wire time: 10 bits a byte; replies handed over together leave one after the other.
        WirePacer line(115200);
        const QList<Piece> two = {Piece{0, QByteArray(1152, 'x')}, Piece{3000, QByteArray(1152, 'x')}};
        QCOMPARE(line.schedule(0, two), QList<qint64>({100000, 203000}));
        QCOMPARE(line.schedule(0, two), QList<qint64>({303000, 406000}));
        // Commands take wire time too, one after the other, on their own half of the line.
        WirePacer duplex(115200);
        QCOMPARE(QList<qint64>({duplex.arrival(0, 7), duplex.arrival(100, 7), duplex.arrival(5000, 7)}),
                 QList<qint64>({607, 1214, 5607}));
        QCOMPARE(duplex.schedule(0, {Piece{0, "PWR001\r"}}), QList<qint64>{607});
    }

    // The front-panel console: what each line becomes, and the --listen forms.
    void console() {
        const char* const rows[][2] = {
            {"route 2 4", "OUT002|INP004"}, {"  SET Mode 5 ", "MOD005"}, {"set bri 2 50", "BRI250"}, {"set sat 70", "SAT070"},
            {"set hdcp-in 3 1", "HPI031"}, {"set pip-size 2 3", "PSZ023"}, {"mute", "AUD000"}, {"unmute", "AUD001"},
            {"label 3  two  words", "LAI3 two  words"}, {"send LAI1a b", "LAI1a b"}, {"save 4", "SAV004"},
            {"swap 3", "error"}, {"route 5 1", "error"}, {"set bri 5 10", "error"}, {"set nothing 1", "error"},
            {"set mode x", "error"}, {"label 0 x", "error"}, {"bogus", "error"}, {"", "-"}, {"ext", "ext"},
            {"state", "state"}, {"quit", "quit"}, {"faults off", "faults"}};
        for (const auto& [line, want] : rows) {
            const ConsoleAction a = parse_console_line(QString::fromLatin1(line));
            const QString got = a.kind == ConsoleAction::Device  ? QString::fromLatin1(a.commands.join('|'))
                                : a.kind == ConsoleAction::Error ? "error"
                                : QStringList{"", "ext", "state", "help", "quit", "faults", "-"}.value(a.kind);
            QCOMPARE(QString(line) + " -> " + got, QString(line) + " -> " + want);
        }
        const char* const listen[][2] = {{"127.0.0.1:0", "127.0.0.1 0"}, {":2400", "127.0.0.1 2400"},
                                         {"2500", "127.0.0.1 2500"},     {"[::1]:23", "::1 23"},
                                         {"::1", "error"},               {"[::1]23", "error"},
                                         {"host:65536", "error"},        {"host:x", "error"}};
        for (const auto& [text, want] : listen) {
            ListenAddress l;
            QString why;
            const QString got = parse_listen(text, &l, &why) ? l.host + ' ' + QString::number(l.port) : "error";
            QCOMPARE(QString(text) + " -> " + got, QString(text) + " -> " + want);
        }
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "model.moc"
