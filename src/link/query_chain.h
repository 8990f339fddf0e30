#pragma once
// Reading the device a query at a time. Each query waits for its answer, and
// the first one left unanswered ends the chain: the device is busy or gone,
// and every query after it would only wait out its own time-out.

#include "link/link.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace tavrin {

// Sends the queries in order with tx_cmd and stops after the first that got
// no answer, unless may_go_unanswered(query) lets the chain go on past it.
// Returns whether the last query sent was answered.
inline bool send_queries(Link& link, const QStringList& queries,
                         const std::function<bool(const QString&)>& may_go_unanswered = {}) {
    for (const QString& q : queries) {
        link.tx_cmd(q);
        if (!link.reply_done() && !(may_go_unanswered && may_go_unanswered(q))) break;
    }
    return link.reply_done();
}

}  // namespace tavrin
