// The simulated device against the replies the panel relies on.

#include "device_model.h"

#include <QtTest>

using sim::DeviceModel;
using sim::LineAssembler;

namespace {

// Feeds CR-separated setup commands; any ERR among them spoils the row.
bool run_setup(DeviceModel& m, const QByteArray& setup) {
    if (setup.isEmpty()) return true;
    for (const QByteArray& r : m.feed(setup + '\r'))
        if (r.startsWith("ERR")) return false;
    return true;
}

QByteArray ask(DeviceModel& m, const QByteArray& command) {
    const QList<QByteArray> r = m.feed(command + '\r');
    return r.size() == 1 ? r.first() : QByteArray("<" + QByteArray::number(r.size()) + " replies>");
}

} // namespace

class TestDeviceModel : public QObject {
    Q_OBJECT
private slots:
    void conformance_data();
    void conformance();
    void reply_lengths();
    void presets_round_trip();
    void factory_reset_restarts_with_defaults();
    void restart_ignores_input_until_booted();
    void line_framing();
    void overlong_lines_are_bounded();
};

void TestDeviceModel::conformance_data() {
    QTest::addColumn<QByteArray>("setup"); // CR-separated, run first on a fresh device
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply"); // without its CR

    struct Row {
        const char* name;
        const char* setup;
        const char* command;
        const char* reply;
    };
    const Row rows[] = {
        // display mode
        {"MOD query default", "", "MOD999", "MOD001"},
        {"MOD set quad", "", "MOD005", "MOD005"},
        {"MOD query after dual pip", "MOD004", "MOD999", "MOD004"},
        {"MOD 6 out of range", "", "MOD006", "ERR002"},
        {"MOD 0 out of range", "", "MOD000", "ERR002"},
        {"MOD refused with 1080i", "RES005", "MOD002", "ERR003"},
        // routing
        {"OUT query default", "", "OUT999", "OUT001"},
        {"OUT select", "OUT003", "OUT999", "OUT003"},
        {"OUT 5 out of range", "", "OUT005", "ERR002"},
        {"OUT 2 in TV wall", "MOD003", "OUT002", "ERR003"},
        {"INP routes selected output", "OUT002\rINP004", "INP999", "INP004"},
        {"INP per output", "OUT002\rINP004\rOUT001", "INP999", "INP001"},
        {"INP per mode", "OUT002\rINP004\rMOD005\rOUT002", "INP999", "INP002"},
        {"INP TV wall", "MOD003\rINP003", "INP999", "INP003"},
        {"INP 0 out of range", "", "INP000", "ERR002"},
        // resolution and aspect
        {"RES query default", "", "RES999", "RES008"},
        {"RES last entry", "", "RES014", "RES014"},
        {"RES past the table", "", "RES015", "ERR002"},
        {"RES 0", "", "RES000", "ERR002"},
        {"RES 1080i outside matrix", "MOD005", "RES006", "ERR003"},
        {"ASP set", "", "ASP004", "ASP004"},
        {"ASP query", "ASP002", "ASP999", "ASP002"},
        {"ASP 5", "", "ASP005", "ERR002"},
        // picture
        {"BRI matrix query", "", "BRI999", "BRI050"},
        {"CON matrix set", "", "CON070", "CON070"},
        {"CON matrix query", "CON070", "CON999", "CON070"},
        {"HUE above 100", "", "HUE101", "ERR002"},
        {"SAT folded in matrix", "", "SAT250", "ERR002"},
        {"BRI matrix row query", "BRI020", "BRI993", "BRI420"},
        {"BRI quad row 2", "MOD005", "BRI250", "BRI250"},
        {"BRI quad row 2 query", "MOD005\rBRI250", "BRI992", "BRI250"},
        {"BRI quad row 1 untouched", "MOD005\rBRI230", "BRI991", "BRI050"},
        {"BRI 999 is the matrix value", "MOD005\rBRI230", "BRI999", "BRI050"},
        {"SAT row 4 at 100", "MOD005", "SAT700", "SAT700"},
        {"SAT row 4 query", "MOD005\rSAT700", "SAT994", "SAT700"},
        {"HUE row value 150", "MOD005", "HUE150", "ERR002"},
        {"HUE row 5", "MOD005", "HUE800", "ERR002"},
        {"CON rows kept per mode", "MOD005\rCON410\rMOD002", "CON993", "CON450"},
        {"RST002 answered", "MOD005\rBRI210", "RST002", "RST002"},
        {"RST002 resets rows", "MOD005\rBRI210\rRST002", "BRI992", "BRI250"},
        {"RST002 resets matrix", "CON010\rRST002", "CON999", "CON050"},
        // bezel
        {"BEH limit", "", "BEH998", "BEH200"},
        {"BEV limit", "", "BEV998", "BEV150"},
        {"BEH at limit", "", "BEH200", "BEH200"},
        {"BEH over limit", "", "BEH201", "ERR002"},
        {"BEV over limit", "", "BEV151", "ERR002"},
        {"BEV query", "BEV120", "BEV999", "BEV120"},
        {"BEZ on", "", "BEZ001", "BEZ001"},
        {"BEZ query", "BEZ001", "BEZ999", "BEZ001"},
        {"BEZ 2", "", "BEZ002", "ERR002"},
        // audio
        {"AUE default", "", "AUE999", "AUE000"},
        {"AUE HD", "", "AUE004", "AUE004"},
        {"AUE 5", "", "AUE005", "ERR002"},
        {"AUA default", "", "AUA999", "AUA001"},
        {"AUA right", "", "AUA002", "AUA002"},
        {"AUA 0", "", "AUA000", "ERR002"},
        {"AUB query", "AUB002", "AUB999", "AUB002"},
        {"AUB 3", "", "AUB003", "ERR002"},
        {"AUQ 4", "", "AUQ004", "AUQ004"},
        {"AUQ 5", "", "AUQ005", "ERR002"},
        {"AUD default on", "", "AUD999", "AUD001"},
        {"AUD mute query", "AUD000", "AUD999", "AUD000"},
        {"AUD 2", "", "AUD002", "ERR002"},
        // power, lock, menu, reset, version
        {"PWR default on", "", "PWR999", "PWR001"},
        {"PWR standby", "", "PWR000", "PWR000"},
        {"PWR 2", "", "PWR002", "ERR002"},
        {"LCK lock", "", "LCK001", "LCK001"},
        {"LCK query", "LCK001", "LCK999", "LCK001"},
        {"LCK 2", "", "LCK002", "ERR002"},
        {"MNX", "", "MNX001", "MNX001"},
        {"MNE", "", "MNE001", "MNE001"},
        {"MNO", "", "MNO001", "MNO001"},
        {"MNU", "", "MNU001", "MNU001"},
        {"MND", "", "MND001", "MND001"},
        {"MNL", "", "MNL001", "MNL001"},
        {"MNR", "", "MNR001", "MNR001"},
        {"MNU 2", "", "MNU002", "ERR002"},
        {"RST 3", "", "RST003", "ERR002"},
        {"VER", "", "VER999", "VER300"},
        {"VR2", "", "VR2999", "VR2A01"},
        {"VER set", "", "VER001", "ERR002"},
        // presets
        {"CAL", "", "CAL001", "CAL001"},
        {"SAV", "", "SAV004", "SAV004"},
        {"CAL 5", "", "CAL005", "ERR002"},
        {"SAV 0", "", "SAV000", "ERR002"},
        // network address, mask, gateway: 15 characters, no code
        {"EIP", "", "EIP999", "192.168.001.100"},
        {"EMK", "", "EMK999", "255.255.255.000"},
        {"EGW", "", "EGW999", "192.168.001.001"},
        {"EIP set", "", "EIP000", "ERR002"},
        // HDCP
        {"HPI set", "", "HPI031", "HPI031"},
        {"HPI query", "HPI031", "HPI993", "HPI031"},
        {"HPI query default", "", "HPI991", "HPI010"},
        {"HPI input 5", "", "HPI051", "ERR002"},
        {"HPI value 2", "", "HPI012", "ERR002"},
        {"HPI lead digit", "", "HPI131", "ERR002"},
        {"HPO set", "", "HPO040", "HPO040"},
        {"HPO query", "HPO041", "HPO994", "HPO041"},
        // PiP
        {"PPO set", "", "PPO023", "PPO023"},
        {"PPO query", "PPO023", "PPO992", "PPO023"},
        {"PPO query default", "", "PPO991", "PPO010"},
        {"PPO corner 4", "", "PPO014", "ERR002"},
        {"PPO inset 3", "", "PPO031", "ERR002"},
        {"PPO query 3", "", "PPO993", "ERR002"},
        {"PSZ set", "", "PSZ012", "PSZ012"},
        {"PSZ query", "PSZ021", "PSZ992", "PSZ021"},
        {"PSW in dual pip", "MOD004", "PSW002", "PSW002"},
        {"PSW swaps main and sub", "MOD004\rOUT001\rINP003\rOUT002\rINP004\rPSW001\rOUT001", "INP999", "INP004"},
        {"PSW outside dual pip", "", "PSW001", "ERR003"},
        {"PSW 3", "MOD004", "PSW003", "ERR002"},
        // labels
        {"LAB default off", "", "LAB999", "LAB000"},
        {"LAB on", "", "LAB001", "LAB001"},
        {"LAB 2", "", "LAB002", "ERR002"},
        {"LAI default", "", "LAI991", "LAI1Input 1     "},
        {"LAI set pads", "", "LAI3Camera", "LAI3Camera      "},
        {"LAI query after set", "LAI3Camera", "LAI993", "LAI3Camera      "},
        {"LAI keeps blanks", "", "LAI4 two words", "LAI4 two words  "},
        {"LAI cut to 12", "", "LAI2ABCDEFGHIJKLMNOP", "LAI2ABCDEFGHIJKL"},
        {"LAI empty label", "", "LAI1", "LAI1            "},
        {"LAI input 5", "", "LAI5x", "ERR002"},
        {"LAI query 5", "", "LAI995", "ERR002"},
        {"LAI 999", "", "LAI999", "ERR002"},
        {"LAI control char", "", "LAI1a\tb", "ERR002"},
        // malformed and unknown
        {"unknown code", "", "XYZ001", "ERR001"},
        {"lower case code", "", "bri050", "ERR001"},
        {"two letters", "", "BR", "ERR001"},
        {"EXT is sent, not taken", "", "EXT000", "ERR001"},
        {"no parameter", "", "BRI", "ERR002"},
        {"short parameter", "", "BRI05", "ERR002"},
        {"long parameter", "", "BRI0500", "ERR002"},
        {"letter in parameter", "", "BRI05a", "ERR002"},
        // standby: queries, power, lock, version and factory reset only
        {"standby PWR query", "PWR000", "PWR999", "PWR000"},
        {"standby VER", "PWR000", "VER999", "VER300"},
        {"standby LCK", "PWR000", "LCK001", "LCK001"},
        {"standby MOD query", "PWR000", "MOD999", "MOD001"},
        {"standby row query", "PWR000", "BRI992", "BRI250"},
        {"standby LAI query", "PWR000", "LAI992", "LAI2Input 2     "},
        {"standby EIP", "PWR000", "EIP999", "192.168.001.100"},
        {"standby MOD set", "PWR000", "MOD002", "ERR003"},
        {"standby BRI set", "PWR000", "BRI050", "ERR003"},
        {"standby menu key", "PWR000", "MNX001", "ERR003"},
        {"standby recall", "PWR000", "CAL001", "ERR003"},
        {"standby save", "PWR000", "SAV001", "ERR003"},
        {"standby picture reset", "PWR000", "RST002", "ERR003"},
        {"standby label set", "PWR000", "LAI1abc", "ERR003"},
        {"standby unknown code", "PWR000", "XYZ001", "ERR001"},
        {"standby factory reset", "PWR000", "RST001", "RST001"},
        {"standby power on", "PWR000", "PWR001", "PWR001"},
    };
    for (const Row& r : rows) QTest::newRow(r.name) << QByteArray(r.setup) << QByteArray(r.command) << QByteArray(r.reply);
}

void TestDeviceModel::conformance() {
    QFETCH(QByteArray, setup);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    DeviceModel m;
    QVERIFY2(run_setup(m, setup), "setup refused");
    QCOMPARE(ask(m, command), reply + '\r');
}

// The panel completes a reply at its CR or at 7 characters (17 for labels,
// 16 for the address answers); every reply must have exactly that length.
void TestDeviceModel::reply_lengths() {
    DeviceModel m;
    const QList<QByteArray> replies =
        m.feed("MOD999\rBRI999\rLAI991\rLAI2x\rEIP999\rEMK999\rEGW999\rVER999\rVR2999\rHPI991\rXYZ\r");
    const QList<int> lengths = {7, 7, 17, 17, 16, 16, 16, 7, 7, 7, 7};
    QCOMPARE(replies.size(), lengths.size());
    for (int i = 0; i < replies.size(); ++i) {
        QCOMPARE(replies[i].size(), lengths[i]);
        QCOMPARE(replies[i].count('\r'), 1);
        QVERIFY(replies[i].endsWith('\r'));
    }
}

void TestDeviceModel::presets_round_trip() {
    DeviceModel m;
    QVERIFY(run_setup(m, "MOD005\rOUT002\rINP004\rOUT003\rBRI260\rCON000\rAUE003\rSAV002"));
    QVERIFY(run_setup(m, "MOD001\rOUT001\rINP002\rCON090\rAUE001\rSAV003"));
    // Scramble what the presets hold, then bring each back.
    QVERIFY(run_setup(m, "MOD002\rOUT004\rINP001\rBRI030\rCON040"));

    QCOMPARE(ask(m, "CAL002"), QByteArray("CAL002\r"));
    QCOMPARE(ask(m, "MOD999"), QByteArray("MOD005\r"));
    QCOMPARE(ask(m, "OUT999"), QByteArray("OUT003\r"));
    QCOMPARE(ask(m, "BRI992"), QByteArray("BRI260\r"));
    QCOMPARE(ask(m, "CON991"), QByteArray("CON000\r"));
    QVERIFY(run_setup(m, "OUT002"));
    QCOMPARE(ask(m, "INP999"), QByteArray("INP004\r"));
    // Audio is not part of a preset: the last setting stays.
    QCOMPARE(ask(m, "AUE999"), QByteArray("AUE001\r"));

    QCOMPARE(ask(m, "CAL003"), QByteArray("CAL003\r"));
    QCOMPARE(ask(m, "MOD999"), QByteArray("MOD001\r"));
    QCOMPARE(ask(m, "INP999"), QByteArray("INP002\r"));
    QCOMPARE(ask(m, "CON999"), QByteArray("CON090\r"));

    // A preset never saved holds the factory picture.
    QCOMPARE(ask(m, "CAL004"), QByteArray("CAL004\r"));
    QCOMPARE(ask(m, "MOD999"), QByteArray("MOD001\r"));
    QCOMPARE(ask(m, "CON999"), QByteArray("CON050\r"));
}

void TestDeviceModel::factory_reset_restarts_with_defaults() {
    DeviceModel m;
    QVERIFY(run_setup(m, "MOD005\rLAI1Studio\rLCK001\rSAV001\rPWR000"));
    QCOMPARE(ask(m, "RST001"), QByteArray("RST001\r"));
    QVERIFY(m.booting());
    QVERIFY(m.take_restart_request());
    m.finish_boot();
    QCOMPARE(ask(m, "PWR999"), QByteArray("PWR001\r"));
    QCOMPARE(ask(m, "MOD999"), QByteArray("MOD001\r"));
    QCOMPARE(ask(m, "LCK999"), QByteArray("LCK000\r"));
    QCOMPARE(ask(m, "LAI991"), QByteArray("LAI1Input 1     \r"));
    QVERIFY(run_setup(m, "CAL001"));
    QCOMPARE(ask(m, "MOD999"), QByteArray("MOD001\r"));
}

void TestDeviceModel::restart_ignores_input_until_booted() {
    DeviceModel m;
    QVERIFY(run_setup(m, "MOD005\rPWR000"));
    LineAssembler in;
    // Everything behind the power-on command in the same chunk is lost.
    const QList<sim::Exchange> ex = m.feed(in, "PWR001\rMOD999\rMOD9");
    QCOMPARE(ex.size(), 2);
    QCOMPARE(ex[0].reply, QByteArray("PWR001\r"));
    QVERIFY(ex[1].ignored);
    QVERIFY(ex[1].reply.isEmpty());
    QVERIFY(m.take_restart_request());
    QVERIFY(!m.take_restart_request());

    const QList<sim::Exchange> during = m.feed(in, "99\rPWR999\r");
    QCOMPARE(during.size(), 2);
    QVERIFY(during[0].ignored && during[1].ignored);

    m.feed(in, "MOD9");
    m.finish_boot();
    // The half line from the boot time does not join the next one.
    const QList<sim::Exchange> after = m.feed(in, "99\rMOD999\rPWR999\r");
    QCOMPARE(after.size(), 3);
    QCOMPARE(after[0].reply, QByteArray("ERR001\r"));
    QCOMPARE(after[1].reply, QByteArray("MOD005\r")); // settings survive a power cycle
    QCOMPARE(after[2].reply, QByteArray("PWR001\r"));
}

void TestDeviceModel::line_framing() {
    DeviceModel m;
    // LF anywhere is ignored, lines may arrive in pieces, empty lines are silent.
    QCOMPARE(m.feed("MO"), QList<QByteArray>());
    QCOMPARE(m.feed("D\n99"), QList<QByteArray>());
    QCOMPARE(m.feed("9\r\n"), QList<QByteArray>({"MOD001\r"}));
    QCOMPARE(m.feed("\r\r\n\r"), QList<QByteArray>());
    // A label set ends with two CRs; the second must not be answered.
    QCOMPARE(m.feed("LAI2Deck\r\r"), QList<QByteArray>({"LAI2Deck        \r"}));
    QCOMPARE(m.feed("PWR999\rMOD999\r"), QList<QByteArray>({"PWR001\r", "MOD001\r"}));
}

void TestDeviceModel::overlong_lines_are_bounded() {
    DeviceModel m;
    LineAssembler in;
    const QByteArray flood(1 << 20, 'A');
    QVERIFY(m.feed(in, flood).isEmpty());
    QVERIFY(in.pending_bytes() <= LineAssembler::max_line);
    const QList<sim::Exchange> ex = m.feed(in, "\rMOD999\r");
    QCOMPARE(ex.size(), 2);
    QCOMPARE(ex[0].reply, QByteArray("ERR004\r"));
    QCOMPARE(ex[1].reply, QByteArray("MOD001\r"));
    // A line of exactly the limit is still a line (answered, not refused as too long).
    const QByteArray longest = "LAI1" + QByteArray(LineAssembler::max_line - 4, 'x');
    QCOMPARE(m.feed(in, longest + '\r').first().reply, QByteArray("LAI1xxxxxxxxxxxx\r"));
}

QTEST_GUILESS_MAIN(TestDeviceModel)
#include "device_model.moc"
