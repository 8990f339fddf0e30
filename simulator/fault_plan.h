#pragma once
// Turns each reply into what actually goes on the wire when the link
// misbehaves: late, dropped, cut into pieces, soiled with stray bytes or
// missing its CR. Every decision comes from one seeded generator, so a given
// seed and the same sequence of replies always give the same byte stream.

#include <QByteArray>
#include <QList>

#include <random>

namespace sim {

struct FaultSettings {
    int latency_ms = 0;    // added before every reply
    int jitter_ms = 0;     // plus a uniform 0..jitter_ms
    double drop = 0;       // probability that a reply is not sent at all
    double split = 0;      // probability that a reply leaves in 2 or 3 pieces
    int split_gap_ms = 5;  // pause between those pieces
    double garbage = 0;    // probability of 1..4 stray bytes inside a reply
    double no_cr = 0;      // probability that the CR is left off
    int baud = 0;          // line rate for wire time; 0 = no pacing

    bool any_fault() const {
        return latency_ms > 0 || jitter_ms > 0 || drop > 0 || split > 0 || garbage > 0 || no_cr > 0;
    }
};

struct Piece {
    qint64 delay_us = 0; // pause before this piece (after the previous one)
    QByteArray bytes;
};

class FaultPlan {
public:
    FaultPlan(const FaultSettings& settings, quint64 seed);

    // The pieces of one reply, in order; empty when the reply is dropped.
    QList<Piece> shape(const QByteArray& reply);

    // No faults configured: replies go out unchanged and at once.
    bool transparent() const { return !settings_.any_fault(); }
    const FaultSettings& settings() const { return settings_; }

private:
    bool chance(double p);
    int between(int lo, int hi);

    FaultSettings settings_;
    std::mt19937_64 rng_;
};

// Paces a serial line in both directions: a byte costs 10 bit times (start,
// 8 data, stop). Output is handed over only once its last byte would have
// been on the wire; input counts as arrived only once the line could have
// carried it. Nothing overtakes what went before it in the same direction.
class WirePacer {
public:
    explicit WirePacer(int baud) : baud_(baud) {}

    static qint64 wire_time_us(qint64 bytes, int baud) { return baud > 0 ? bytes * 10 * 1000000 / baud : 0; }

    // Absolute times (same clock as now_us) at which each piece is complete.
    QList<qint64> schedule(qint64 now_us, const QList<Piece>& pieces);
    // When bytes that the peer wrote at now_us have all come in.
    qint64 arrival(qint64 now_us, qint64 bytes);

private:
    int baud_;
    qint64 line_free_us_ = 0;
    qint64 in_free_us_ = 0;
};

} // namespace sim
