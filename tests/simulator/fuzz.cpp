// Random input must never crash the device, grow its buffers, break the reply
// format or push a setting out of its range.

#include "device_model.h"

#include <QtTest>

#include <random>

using sim::DeviceModel;
using sim::LineAssembler;

namespace {

const QList<QByteArray> codes = {"ASP", "AUA", "AUB", "AUD", "AUE", "AUQ", "BEH", "BEV", "BEZ", "BRI", "CAL",
                                 "CON", "EGW", "EIP", "EMK", "HPI", "HPO", "HUE", "INP", "LAB", "LAI", "LCK",
                                 "MND", "MNE", "MNL", "MNO", "MNR", "MNU", "MNX", "MOD", "OUT", "PPO", "PSW",
                                 "PSZ", "PWR", "RES", "RST", "SAT", "SAV", "VER", "VR2"};

// Half pure noise, half near-misses of real commands, which reach deeper.
QByteArray random_input(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    QByteArray s;
    if (pick(0, 1) == 0) {
        const int n = pick(0, 40);
        for (int i = 0; i < n; ++i) s += pick(0, 9) == 0 ? '\r' : char(pick(0, 255));
    } else {
        const int lines = pick(1, 4);
        for (int l = 0; l < lines; ++l) {
            s += codes[pick(0, int(codes.size()) - 1)];
            if (pick(0, 3) != 0) {
                // Three digits, mostly small, as real parameters are.
                s += pick(0, 3) == 0 ? '9' : '0';
                s += char('0' + pick(0, pick(0, 1) ? 9 : 4));
                s += char('0' + pick(0, 9));
            } else {
                const int n = pick(0, 5);
                static const char alphabet[] = "0123456789999\n a";
                for (int i = 0; i < n; ++i) s += alphabet[pick(0, int(sizeof alphabet) - 2)];
            }
            if (pick(0, 7) != 0) s += '\r';
        }
    }
    return s;
}

bool well_formed(const sim::Exchange& e) {
    const QByteArray& r = e.reply;
    if (!r.endsWith('\r') || r.count('\r') != 1) return false;
    if (r.startsWith("ERR")) return r.size() == 7;
    const QByteArray code = e.command.left(3);
    if (code == "EIP" || code == "EMK" || code == "EGW") return r.size() == 16;
    if (!r.startsWith(code)) return false; // answered under the command's own code
    return r.size() == (code == "LAI" ? 17 : 7);
}

bool in_range(const DeviceModel& m) {
    const sim::DeviceState& s = m.state();
    auto within = [](int v, int lo, int hi) { return v >= lo && v <= hi; };
    bool ok = within(s.mode, 1, 5) && within(s.selected_output, 1, 4) &&
              within(s.resolution, 1, m.config().resolutions) && within(s.aspect, 0, 4) &&
              within(s.bezel_h, 0, m.config().bezel_h_max) && within(s.bezel_v, 0, m.config().bezel_v_max) &&
              within(s.audio_edid, 0, 4) && within(s.dual_a_audio, 1, 2) && within(s.dual_b_audio, 1, 2) &&
              within(s.quad_audio, 1, 4);
    for (int mode = 1; mode <= 5; ++mode)
        for (int o = 1; o <= 4; ++o) {
            ok = ok && within(s.route[mode][o], 1, 4);
            for (int k = 0; k < sim::PictureSettingCount; ++k) ok = ok && within(s.picture[k][mode][o], 0, 100);
        }
    for (int i = 1; i <= 4; ++i)
        ok = ok && s.labels[i].size() <= 12 && within(s.hdcp_in[i], 0, 1) && within(s.hdcp_out[i], 0, 1);
    for (int w = 1; w <= 2; ++w) ok = ok && within(s.pip_position[w], 0, 3) && within(s.pip_size[w], 0, 3);
    return ok;
}

} // namespace

class TestFuzz : public QObject {
    Q_OBJECT
private slots:
    void random_input_keeps_the_device_sane();
};

void TestFuzz::random_input_keeps_the_device_sane() {
    std::mt19937 rng(20240601);
    DeviceModel m;
    LineAssembler in;
    int answered = 0, errors = 0;
    for (int i = 0; i < 20000; ++i) {
        const QByteArray input = random_input(rng);
        for (const sim::Exchange& e : m.feed(in, input)) {
            if (e.reply.isEmpty()) {
                QVERIFY(e.ignored);
                continue;
            }
            if (!well_formed(e))
                QFAIL(qPrintable(QStringLiteral("bad reply %1 to %2")
                                     .arg(QString::fromLatin1(e.reply.toPercentEncoding()),
                                          QString::fromLatin1(e.command.toPercentEncoding()))));
            ++answered;
            errors += e.reply.startsWith("ERR");
        }
        QVERIFY(in.pending_bytes() <= LineAssembler::max_line);
        if (m.take_restart_request()) m.finish_boot();
        if (i % 1000 == 0) QVERIFY(in_range(m));
    }
    QVERIFY(in_range(m));
    // The run reached past the error paths, and the device still answers.
    QVERIFY2(answered - errors > 500, qPrintable(QString::number(answered - errors)));
    in.clear();
    m.finish_boot();
    QVERIFY(m.feed("\rPWR001\r").size() == 1);
    m.finish_boot();
    QCOMPARE(m.feed("PWR999\r"), QList<QByteArray>({"PWR001\r"}));
}

QTEST_GUILESS_MAIN(TestFuzz)
#include "fuzz.moc"
