#include "console.h"

#include "device_model.h"

#include <QHash>
#include <QRegularExpression>

namespace sim {

namespace {

// Settings with one number, as "set NAME N".
const QHash<QString, QByteArray>& single_settings() {
    static const QHash<QString, QByteArray> table = {
        {"power", "PWR"},  {"lock", "LCK"},   {"mode", "MOD"},   {"output", "OUT"}, {"input", "INP"},
        {"res", "RES"},    {"aspect", "ASP"}, {"bezel", "BEZ"},  {"bezh", "BEH"},   {"bezv", "BEV"},
        {"edid", "AUE"},   {"dual-a", "AUA"}, {"dual-b", "AUB"}, {"quad", "AUQ"},   {"audio", "AUD"},
        {"labels", "LAB"},
    };
    return table;
}

const QHash<QString, QByteArray>& picture_settings() {
    static const QHash<QString, QByteArray> table = {{"bri", "BRI"}, {"con", "CON"}, {"hue", "HUE"}, {"sat", "SAT"}};
    return table;
}

// Settings with two single digits folded into "0" a b.
const QHash<QString, QByteArray>& pair_settings() {
    static const QHash<QString, QByteArray> table = {
        {"hdcp-in", "HPI"}, {"hdcp-out", "HPO"}, {"pip-pos", "PPO"}, {"pip-size", "PSZ"}};
    return table;
}

bool number(const QString& s, int lo, int hi, int* out) {
    bool ok = false;
    const int v = s.toInt(&ok);
    if (!ok || v < lo || v > hi) return false;
    *out = v;
    return true;
}

ConsoleAction device(QList<QByteArray> commands) { return {ConsoleAction::Device, std::move(commands), {}}; }
ConsoleAction error(const QString& message) { return {ConsoleAction::Error, {}, message}; }

// "set NAME ..." with args[0] the name.
ConsoleAction parse_set(const QStringList& args) {
    int a = 0, b = 0;
    if (args.isEmpty()) return error("set what? type help");
    const QString name = args[0].toLower();
    if (single_settings().contains(name)) {
        if (args.size() != 2 || !number(args[1], 0, 999, &a))
            return error(QStringLiteral("usage: set %1 N").arg(name));
        return device({single_settings()[name] + pad3(a)});
    }
    if (picture_settings().contains(name)) {
        const QByteArray code = picture_settings()[name];
        if (args.size() == 2 && number(args[1], 0, 100, &a)) return device({code + pad3(a)});
        if (args.size() == 3 && number(args[1], 1, 4, &a) && number(args[2], 0, 100, &b))
            return device({code + pad3((a - 1) * 200 + b)});
        return error(QStringLiteral("usage: set %1 VALUE  or  set %1 ROW VALUE (row 1..4, value 0..100)").arg(name));
    }
    if (pair_settings().contains(name)) {
        if (args.size() != 3 || !number(args[1], 0, 9, &a) || !number(args[2], 0, 9, &b))
            return error(QStringLiteral("usage: set %1 N V").arg(name));
        return device({pair_settings()[name] + "0" + QByteArray::number(a) + QByteArray::number(b)});
    }
    return error(QStringLiteral("unknown setting '%1'; type help").arg(name));
}

} // namespace

ConsoleAction parse_console_line(const QString& raw) {
    const QString line = raw.trimmed();
    if (line.isEmpty()) return {};
    const QString verb = line.section(' ', 0, 0, QString::SectionSkipEmpty).toLower();
    const QStringList args = line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts).mid(1);
    int a = 0, b = 0;

    if (verb == "help" || verb == "?") return {ConsoleAction::Help, {}, {}};
    if (verb == "state") return {ConsoleAction::ShowState, {}, {}};
    if (verb == "quit" || verb == "exit") return {ConsoleAction::Quit, {}, {}};
    if (verb == "ext") return {ConsoleAction::EndSessions, {}, {}};
    if (verb == "faults") {
        if (args.size() != 1 || (args[0] != "on" && args[0] != "off")) return error("usage: faults on|off");
        return {ConsoleAction::Faults, {}, {}, args[0] == "on"};
    }
    if (verb == "mute") return device({"AUD000"});
    if (verb == "unmute") return device({"AUD001"});
    if (verb == "reset-picture") return device({"RST002"});
    if (verb == "factory-reset") return device({"RST001"});
    if (verb == "send") {
        // Everything after "send " exactly, so label texts keep their blanks.
        const QString text = line.mid(line.indexOf(' ') + 1);
        if (args.isEmpty()) return error("send what? e.g. send MOD005");
        return device({text.toLatin1()});
    }
    if (verb == "label") {
        if (args.isEmpty() || !number(args[0], 1, 4, &a)) return error("usage: label N TEXT (N 1..4)");
        const int at = line.indexOf(args[0], line.indexOf(' ')) + int(args[0].size()) + 1;
        return device({"LAI" + QByteArray::number(a) + line.mid(at).toLatin1()});
    }
    if (verb == "recall" || verb == "save" || verb == "swap") {
        const int hi = verb == "swap" ? 2 : 4;
        if (args.size() != 1 || !number(args[0], 1, hi, &a))
            return error(QStringLiteral("usage: %1 N (1..%2)").arg(verb).arg(hi));
        const QByteArray code = verb == "recall" ? "CAL" : verb == "save" ? "SAV" : "PSW";
        return device({code + pad3(a)});
    }
    if (verb == "route") {
        if (args.size() != 2 || !number(args[0], 1, 4, &a) || !number(args[1], 1, 4, &b))
            return error("usage: route OUTPUT INPUT (1..4 each)");
        return device({"OUT" + pad3(a), "INP" + pad3(b)});
    }
    if (verb == "set") return parse_set(args);
    return error(QStringLiteral("unknown command '%1'; type help").arg(verb));
}

QString console_help() {
    return QStringLiteral(
        "Front panel (changes are sent to every client as unsolicited replies):\n"
        "  set power 0|1         standby / on (1 restarts the device)\n"
        "  set mode 1..5         Matrix, Dual PoP, TV Wall, Dual PiP, Quad\n"
        "  set output 1..4       select an output;  set input 1..4  route to it\n"
        "  route OUT IN          both at once\n"
        "  set res N | aspect 0..4 | lock 0|1 | labels 0|1\n"
        "  set bri|con|hue|sat V   or   set bri|con|hue|sat ROW V\n"
        "  set bezel 0|1 | bezh V | bezv V\n"
        "  set edid 0..4 | dual-a 1|2 | dual-b 1|2 | quad 1..4 | audio 0|1\n"
        "  mute | unmute\n"
        "  set hdcp-in N S | hdcp-out N S | pip-pos W P | pip-size W Z\n"
        "  recall N | save N | swap W | label N TEXT\n"
        "  reset-picture | factory-reset\n"
        "  send CMD              any protocol command, e.g. send MOD005\n"
        "Simulator:\n"
        "  ext                   end every TCP connection (EXT000)\n"
        "  faults off|on         suspend or resume the fault options\n"
        "  state                 show the device state\n"
        "  quit                  end the simulator\n");
}

bool parse_listen(const QString& text, ListenAddress* out, QString* error) {
    ListenAddress result;
    QString port_text;
    if (text.startsWith('[')) {
        const int close = int(text.indexOf(']'));
        if (close < 0 || text.mid(close + 1, 1) != ":") {
            *error = "expected [address]:port";
            return false;
        }
        result.host = text.mid(1, close - 1);
        port_text = text.mid(close + 2);
    } else if (text.count(':') == 1) {
        const QString host = text.section(':', 0, 0);
        if (!host.isEmpty()) result.host = host;
        port_text = text.section(':', 1);
    } else if (text.contains(':')) {
        *error = "write an IPv6 address as [address]:port";
        return false;
    } else {
        port_text = text;
    }
    bool ok = false;
    const int port = port_text.toInt(&ok);
    if (!ok || port < 0 || port > 65535) {
        *error = QStringLiteral("bad port '%1'").arg(port_text);
        return false;
    }
    result.port = port;
    *out = result;
    return true;
}

} // namespace sim
