// Fault injection must be reproducible and must do what each option says.

#include "fault_plan.h"

#include <QtTest>

using sim::FaultPlan;
using sim::FaultSettings;
using sim::Piece;
using sim::WirePacer;

namespace {

QByteArray joined(const QList<Piece>& pieces) {
    QByteArray all;
    for (const Piece& p : pieces) all += p.bytes;
    return all;
}

// Stream of all pieces with their delays, as one comparable text.
QByteArray run(FaultPlan& plan, int replies) {
    QByteArray stream;
    for (int i = 0; i < replies; ++i) {
        const QByteArray reply = "BRI" + QByteArray::number(100 + i % 900) + '\r';
        for (const Piece& p : plan.shape(reply)) stream += QByteArray::number(p.delay_us) + ':' + p.bytes + '|';
        stream += '#';
    }
    return stream;
}

FaultSettings everything() {
    FaultSettings s;
    s.latency_ms = 3;
    s.jitter_ms = 7;
    s.drop = 0.1;
    s.split = 0.4;
    s.split_gap_ms = 2;
    s.garbage = 0.3;
    s.no_cr = 0.2;
    return s;
}

} // namespace

class TestFaultPlan : public QObject {
    Q_OBJECT
private slots:
    void default_is_transparent();
    void same_seed_same_stream();
    void each_fault_does_its_part();
    void rates_follow_probabilities();
    void pacer_costs_wire_time();
    void pacer_keeps_order();
};

void TestFaultPlan::default_is_transparent() {
    FaultPlan plan(FaultSettings{}, 1);
    QVERIFY(plan.transparent());
    const QList<Piece> p = plan.shape("MOD001\r");
    QCOMPARE(p.size(), 1);
    QCOMPARE(p.first().bytes, QByteArray("MOD001\r"));
    QCOMPARE(p.first().delay_us, 0);
    FaultSettings baud_only;
    baud_only.baud = 115200; // pacing alone is no fault
    QVERIFY(FaultPlan(baud_only, 1).transparent());
}

void TestFaultPlan::same_seed_same_stream() {
    FaultPlan a(everything(), 42), b(everything(), 42), c(everything(), 43);
    const QByteArray sa = run(a, 500), sb = run(b, 500), sc = run(c, 500);
    QCOMPARE(sa, sb);
    QVERIFY(sa != sc);
    FaultPlan clean(FaultSettings{}, 42);
    QVERIFY(sa != run(clean, 500)); // the faults did change something
}

void TestFaultPlan::each_fault_does_its_part() {
    const QByteArray reply = "LAI1Camera      \r";
    {
        FaultSettings s;
        s.drop = 1;
        QVERIFY(FaultPlan(s, 1).shape(reply).isEmpty());
    }
    {
        FaultSettings s;
        s.no_cr = 1;
        QCOMPARE(joined(FaultPlan(s, 1).shape(reply)), reply.chopped(1));
    }
    {
        FaultSettings s;
        s.split = 1;
        s.split_gap_ms = 4;
        s.latency_ms = 9;
        FaultPlan plan(s, 5);
        for (int i = 0; i < 200; ++i) {
            const QList<Piece> p = plan.shape(reply);
            QVERIFY(p.size() == 2 || p.size() == 3);
            QCOMPARE(joined(p), reply);
            QCOMPARE(p[0].delay_us, 9000);
            for (int k = 1; k < p.size(); ++k) {
                QCOMPARE(p[k].delay_us, 4000);
                QVERIFY(!p[k].bytes.isEmpty());
            }
        }
    }
    {
        FaultSettings s;
        s.garbage = 1;
        FaultPlan plan(s, 9);
        for (int i = 0; i < 200; ++i) {
            const QByteArray got = joined(plan.shape(reply));
            const int extra = int(got.size() - reply.size());
            QVERIFY(extra >= 1 && extra <= 4);
            QCOMPARE(got.count('\r'), 1); // no invented lines
            QVERIFY(!got.contains('\n'));
            // The stray bytes sit in one place; the reply is intact around them.
            bool found = false;
            for (int at = 0; at + extra <= got.size() && !found; ++at)
                found = got.left(at) + got.mid(at + extra) == reply;
            QVERIFY(found);
        }
    }
    {
        FaultSettings s;
        s.latency_ms = 20;
        s.jitter_ms = 10;
        FaultPlan plan(s, 3);
        QSet<qint64> seen;
        for (int i = 0; i < 300; ++i) {
            const qint64 d = plan.shape(reply).first().delay_us;
            QVERIFY(d >= 20000 && d <= 30000);
            seen.insert(d);
        }
        QVERIFY(seen.size() > 5);
    }
}

void TestFaultPlan::rates_follow_probabilities() {
    FaultSettings s;
    s.drop = 0.25;
    FaultPlan plan(s, 11);
    int dropped = 0;
    for (int i = 0; i < 4000; ++i) dropped += plan.shape("PWR001\r").isEmpty();
    QVERIFY2(dropped > 800 && dropped < 1200, qPrintable(QString::number(dropped)));
}

void TestFaultPlan::pacer_costs_wire_time() {
    QCOMPARE(WirePacer::wire_time_us(11520, 115200), 1000000); // 11520 bytes = 115200 bits
    QCOMPARE(WirePacer::wire_time_us(7, 0), 0);
    WirePacer line(115200);
    // Two replies handed over at the same moment leave one after the other.
    QCOMPARE(line.schedule(0, {Piece{0, QByteArray(1152, 'x')}}), QList<qint64>({100000}));
    QCOMPARE(line.schedule(0, {Piece{0, QByteArray(1152, 'x')}}), QList<qint64>({200000}));
    // Once the line is idle, a delay counts from the hand-over.
    QCOMPARE(line.schedule(500000, {Piece{3000, QByteArray(1152, 'x')}}), QList<qint64>({603000}));
}

void TestFaultPlan::pacer_keeps_order() {
    FaultSettings s;
    s.jitter_ms = 50;
    s.split = 0.5;
    FaultPlan plan(s, 8);
    WirePacer line(0);
    qint64 last = 0;
    for (int i = 0; i < 500; ++i) {
        // Replies handed over 1 ms apart with up to 50 ms of jitter each.
        for (qint64 t : line.schedule(i * 1000, plan.shape("MOD001\r"))) {
            QVERIFY(t >= last);
            last = t;
        }
    }
}

QTEST_GUILESS_MAIN(TestFaultPlan)
#include "fault_plan.moc"
