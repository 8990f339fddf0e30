#pragma once
// The shape every device answer must have: the panel completes a reply at its
// CR or at 7 characters (17 for labels, 16 for the address answers), so each
// reply must have exactly that length. Shared by the simulator's tests and its
// fuzz target.

#include <QByteArray>

namespace tavrin::testing {

inline bool well_formed(const QByteArray& command, const QByteArray& r) {
    if (!r.endsWith('\r') || r.count('\r') != 1) return false;
    if (r.startsWith("ERR")) return r.size() == 7;
    const QByteArray code = command.left(3);
    if (code == "EIP" || code == "EMK" || code == "EGW") return r.size() == 16;
    return r.startsWith(code) && r.size() == (code == "LAI" ? 17 : 7);
}

}  // namespace tavrin::testing
