#include "fault_plan.h"

#include <algorithm>

namespace sim {

FaultPlan::FaultPlan(const FaultSettings& settings, quint64 seed) : settings_(settings), rng_(seed) {}

bool FaultPlan::chance(double p) {
    if (p <= 0) return false; // draws nothing, so an unused fault never shifts the others
    return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p;
}

int FaultPlan::between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

QList<Piece> FaultPlan::shape(const QByteArray& reply) {
    if (reply.isEmpty()) return {};
    const FaultSettings& s = settings_;
    qint64 delay_us = qint64(std::max(0, s.latency_ms)) * 1000;
    if (s.jitter_ms > 0) delay_us += qint64(between(0, s.jitter_ms)) * 1000;
    if (chance(s.drop)) return {};

    QByteArray bytes = reply;
    if (bytes.endsWith('\r') && chance(s.no_cr)) bytes.chop(1);
    if (chance(s.garbage)) {
        const int count = between(1, 4);
        QByteArray junk;
        for (int i = 0; i < count; ++i) {
            char c;
            do c = char(between(0, 255));
            while (c == '\r' || c == '\n'); // soil a reply, do not invent extra lines
            junk.append(c);
        }
        // Inside the reply, never behind its CR, where it would soil the next one.
        const int end = bytes.endsWith('\r') ? int(bytes.size()) - 1 : int(bytes.size());
        bytes.insert(between(0, end), junk);
    }

    QList<Piece> pieces;
    if (bytes.size() >= 2 && chance(s.split)) {
        const int cuts = std::min<int>(between(1, 2), int(bytes.size()) - 1);
        QList<int> at;
        while (at.size() < cuts) {
            const int c = between(1, int(bytes.size()) - 1);
            if (!at.contains(c)) at.append(c);
        }
        std::sort(at.begin(), at.end());
        int from = 0;
        for (int c : at) {
            pieces.append({pieces.isEmpty() ? delay_us : qint64(s.split_gap_ms) * 1000, bytes.mid(from, c - from)});
            from = c;
        }
        pieces.append({qint64(s.split_gap_ms) * 1000, bytes.mid(from)});
    } else {
        pieces.append({delay_us, bytes});
    }
    return pieces;
}

QList<qint64> WirePacer::schedule(qint64 now_us, const QList<Piece>& pieces) {
    QList<qint64> done;
    qint64 t = now_us;
    for (const Piece& p : pieces) {
        const qint64 start = std::max(t + p.delay_us, line_free_us_);
        const qint64 end = start + wire_time_us(p.bytes.size(), baud_);
        line_free_us_ = end;
        done.append(end);
        t = end;
    }
    return done;
}

qint64 WirePacer::arrival(qint64 now_us, qint64 bytes) {
    in_free_us_ = std::max(now_us, in_free_us_) + wire_time_us(bytes, baud_);
    return in_free_us_;
}

} // namespace sim
