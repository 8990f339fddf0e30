#include "device_model.h"

#include <QSet>
#include <QStringList>

#include <algorithm>

namespace sim {

namespace {

const QSet<QByteArray>& known_codes() {
    static const QSet<QByteArray> codes = {
        "ASP", "AUA", "AUB", "AUD", "AUE", "AUQ", "BEH", "BEV", "BEZ", "BRI", "CAL", "CON",
        "EGW", "EIP", "EMK", "HPI", "HPO", "HUE", "INP", "LAB", "LAI", "LCK", "MND", "MNE",
        "MNL", "MNO", "MNR", "MNU", "MNX", "MOD", "OUT", "PPO", "PSW", "PSZ", "PWR", "RES",
        "RST", "SAT", "SAV", "VER", "VR2"};
    return codes;
}

// Codes the device still takes in standby besides queries: the power switch
// itself, the lock, version and network information, and the factory reset
// (the panel keeps its reset button usable in standby).
const QSet<QByteArray>& standby_codes() {
    static const QSet<QByteArray> codes = {"PWR", "LCK", "VER", "VR2", "EIP", "EMK", "EGW"};
    return codes;
}

bool three_digits(const QByteArray& s) {
    return s.size() == 3 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool is_query_param(const QByteArray& s) {
    return s == "999" || s == "998" || (s.size() == 3 && s.startsWith("99") && s[2] >= '1' && s[2] <= '4');
}

// Label characters the device can show: printable Latin-1.
bool printable(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 0x20 && u <= 0x7e) || u >= 0xa0;
}

QByteArray reply(const QByteArray& code, const QByteArray& param) { return code + param + '\r'; }

const char* const picture_codes[PictureSettingCount] = {"BRI", "CON", "HUE", "SAT"};

} // namespace

QByteArray pad3(int n) { return QByteArray::number(n).rightJustified(3, '0'); }

// ---------------------------------------------------------------------------

QList<LineAssembler::Line> LineAssembler::push(const QByteArray& bytes) {
    QList<Line> lines;
    for (char c : bytes) {
        if (c == '\n') continue;
        if (c == '\r') {
            if (overflow_)
                lines.append({QByteArray(), true});
            else
                lines.append({buffer_, false});
            buffer_.clear();
            overflow_ = false;
            continue;
        }
        if (overflow_) continue;
        if (buffer_.size() >= max_line) {
            buffer_.clear();
            overflow_ = true;
            continue;
        }
        buffer_.append(c);
    }
    return lines;
}

void LineAssembler::clear() {
    buffer_.clear();
    overflow_ = false;
}

// ---------------------------------------------------------------------------

DeviceModel::DeviceModel(DeviceConfig config) : config_(std::move(config)) {
    config_.resolutions = std::clamp(config_.resolutions, 1, 99); // RES replies carry two digits
    config_.bezel_h_max = std::clamp(config_.bezel_h_max, 0, 253);
    config_.bezel_v_max = std::clamp(config_.bezel_v_max, 0, 253);
    factory_reset();
}

void DeviceModel::factory_reset() {
    DeviceState fresh;
    for (int m = 1; m <= 5; ++m)
        for (int o = 1; o <= 4; ++o) fresh.route[m][o] = o;
    fresh.resolution = std::min(fresh.resolution, config_.resolutions);
    for (int i = 1; i <= 4; ++i) fresh.labels[i] = "Input " + QByteArray::number(i);
    state_ = fresh;
    reset_picture();
    const PresetSnapshot factory = snapshot();
    for (int n = 1; n <= 4; ++n) state_.presets[n] = factory;
}

void DeviceModel::reset_picture() {
    for (auto& setting : state_.picture)
        for (auto& mode : setting) mode.fill(50);
}

PresetSnapshot DeviceModel::snapshot() const {
    return {state_.mode, state_.selected_output, state_.route, state_.picture};
}

void DeviceModel::apply(const PresetSnapshot& preset) {
    state_.mode = preset.mode;
    state_.selected_output = preset.selected_output;
    state_.route = preset.route;
    state_.picture = preset.picture;
}

void DeviceModel::restart() {
    booting_ = true;
    restart_pending_ = true;
}

bool DeviceModel::take_restart_request() { return std::exchange(restart_pending_, false); }

QList<Exchange> DeviceModel::feed(LineAssembler& input, const QByteArray& bytes) {
    QList<Exchange> out;
    for (const LineAssembler::Line& line : input.push(bytes)) {
        if (booting_) {
            out.append({line.text, {}, true});
            continue;
        }
        if (line.overlong) {
            out.append({"<line too long>", err_line_too_long, false});
            continue;
        }
        if (line.text.isEmpty()) continue; // the label command's second CR, stray CRs
        out.append({line.text, execute(line.text), false});
    }
    // Whatever was half received when the device went down is lost with it.
    if (booting_) input.clear();
    return out;
}

QList<QByteArray> DeviceModel::feed(const QByteArray& bytes) {
    QList<QByteArray> replies;
    for (const Exchange& e : feed(own_input_, bytes))
        if (!e.reply.isEmpty()) replies.append(e.reply);
    return replies;
}

QByteArray DeviceModel::execute(const QByteArray& line) {
    if (line.isEmpty()) return {};
    const QByteArray code = line.left(3);
    if (line.size() < 3 || !known_codes().contains(code)) return err_unknown_code;
    const QByteArray param = line.mid(3);
    const bool labelSet = code == "LAI" && !is_query_param(param);
    if (!labelSet && !three_digits(param)) return err_bad_parameter;
    if (!state_.power_on) {
        const bool allowed = is_query_param(param) || standby_codes().contains(code) ||
                             (code == "RST" && param == "001");
        if (!allowed) return err_not_now;
    }
    return dispatch(code, param);
}

QByteArray DeviceModel::dispatch(const QByteArray& code, const QByteArray& param) {
    const int p = param.toInt(); // only used where param has three digits
    DeviceState& s = state_;

    for (int k = 0; k < PictureSettingCount; ++k)
        if (code == picture_codes[k]) return picture(k, code, p);
    if (code == "MOD" || code == "OUT" || code == "INP" || code == "RES") return routing(code, p);
    if (const QByteArray r = setting(code, p); !r.isEmpty()) return r;
    if (code == "PWR" || code == "RST" || code.startsWith("MN")) return power(code, p);
    if (code == "VER" || code == "VR2" || code == "EIP" || code == "EMK" || code == "EGW") return identity(code, p);
    if (code == "CAL" || code == "SAV") {
        if (p < 1 || p > 4) return err_bad_parameter;
        if (code == "SAV")
            s.presets[p] = snapshot();
        else
            apply(s.presets[p]);
        return reply(code, pad3(p));
    }
    if (code == "HPI") return entry_value(code, s.hdcp_in.data(), 4, 1, p);
    if (code == "HPO") return entry_value(code, s.hdcp_out.data(), 4, 1, p);
    if (code == "PPO") return entry_value(code, s.pip_position.data(), 2, 3, p);
    if (code == "PSZ") return entry_value(code, s.pip_size.data(), 2, 3, p);
    if (code == "PSW") {
        if (p != 1 && p != 2) return err_bad_parameter;
        if (s.mode != 4) return err_not_now; // nothing to swap without insets
        std::swap(s.route[4][2 * p - 1], s.route[4][2 * p]);
        return reply(code, pad3(p));
    }
    if (code == "LAI") return label(param);
    return err_unknown_code;
}

// MOD, OUT, INP, RES: what is shown where.
QByteArray DeviceModel::routing(const QByteArray& code, int p) {
    DeviceState& s = state_;
    if (code == "MOD") {
        if (p == 999) return reply(code, pad3(s.mode));
        if (p < 1 || p > 5) return err_bad_parameter;
        // Interlaced 1080 lines only work with one picture per output.
        if (p != 1 && (s.resolution == 5 || s.resolution == 6)) return err_not_now;
        s.mode = p;
        if (p == 3) s.selected_output = 1; // the wall is the only output
        return reply(code, pad3(p));
    }
    if (code == "OUT") {
        if (p == 999) return reply(code, pad3(s.selected_output));
        if (p < 1 || p > 4) return err_bad_parameter;
        if (s.mode == 3 && p != 1) return err_not_now;
        s.selected_output = p;
        return reply(code, pad3(p));
    }
    if (code == "INP") {
        const int out = s.mode == 3 ? 1 : s.selected_output;
        if (p == 999) return reply(code, pad3(s.route[s.mode][out]));
        if (p < 1 || p > 4) return err_bad_parameter;
        s.route[s.mode][out] = p;
        return reply(code, pad3(p));
    }
    if (p == 999) return reply(code, pad3(s.resolution));
    if (p < 1 || p > config_.resolutions) return err_bad_parameter;
    if (s.mode != 1 && (p == 5 || p == 6)) return err_not_now;
    s.resolution = p;
    return reply(code, pad3(p));
}

// The settings that are one value each; empty for any other code.
QByteArray DeviceModel::setting(const QByteArray& code, int p) {
    DeviceState& s = state_;
    if (code == "ASP") return simple_value(code, s.aspect, 0, 4, p);
    if (code == "BEH") return bezel(code, s.bezel_h, config_.bezel_h_max, p);
    if (code == "BEV") return bezel(code, s.bezel_v, config_.bezel_v_max, p);
    if (code == "BEZ") return switch_value(code, s.bezel_on, p);
    if (code == "AUE") return simple_value(code, s.audio_edid, 0, 4, p);
    if (code == "AUA") return simple_value(code, s.dual_a_audio, 1, 2, p);
    if (code == "AUB") return simple_value(code, s.dual_b_audio, 1, 2, p);
    if (code == "AUQ") return simple_value(code, s.quad_audio, 1, 4, p);
    if (code == "AUD") return switch_value(code, s.audio_on, p);
    if (code == "LCK") return switch_value(code, s.locked, p);
    if (code == "LAB") return switch_value(code, s.labels_on, p);
    return {};
}

// PWR, RST and the menu keys.
QByteArray DeviceModel::power(const QByteArray& code, int p) {
    if (code == "PWR") {
        if (p == 999) return reply(code, pad3(state_.power_on ? 1 : 0));
        if (p == 0) {
            state_.power_on = false;
            return reply(code, "000");
        }
        if (p == 1) {
            state_.power_on = true;
            restart();
            return reply(code, "001");
        }
        return err_bad_parameter;
    }
    if (code == "RST") {
        if (p == 1) {
            factory_reset();
            restart();
            return reply(code, "001");
        }
        if (p == 2) {
            reset_picture();
            return reply(code, "002");
        }
        return err_bad_parameter;
    }
    if (p != 1) return err_bad_parameter;
    return reply(code, "001");
}

// The firmware versions and the Ethernet address answers.
QByteArray DeviceModel::identity(const QByteArray& code, int p) {
    if (p != 999) return err_bad_parameter;
    if (code == "VER" || code == "VR2")
        return code + (code == "VER" ? config_.version : config_.version2).leftJustified(3, ' ', true) + '\r';
    const QByteArray& a = code == "EIP" ? config_.ip_address : code == "EMK" ? config_.net_mask : config_.gateway;
    // The address answers carry no code: fifteen characters and a CR.
    return a.leftJustified(15, ' ', true) + '\r';
}

QByteArray DeviceModel::picture(int setting, const QByteArray& code, int p) {
    auto& table = state_.picture[setting];
    const int mode = state_.mode;
    if (p == 999) return reply(code, pad3(table[1][1]));
    if (p >= 991 && p <= 994) {
        const int row = p - 990;
        const int v = mode == 1 ? table[1][1] : table[mode][row];
        return reply(code, pad3((row - 1) * 200 + v));
    }
    if (mode == 1) {
        if (p > 100) return err_bad_parameter;
        table[1][1] = p;
        return reply(code, pad3(p));
    }
    const int row = p / 200 + 1;
    const int v = p % 200;
    if (row > 4 || v > 100) return err_bad_parameter;
    table[mode][row] = v;
    return reply(code, pad3(p));
}

QByteArray DeviceModel::bezel(const QByteArray& code, int& value, int max, int p) {
    if (p == 999) return reply(code, pad3(value));
    if (p == 998) return reply(code, pad3(max));
    if (p > max) return err_bad_parameter;
    value = p;
    return reply(code, pad3(p));
}

QByteArray DeviceModel::simple_value(const QByteArray& code, int& value, int lo, int hi, int p) {
    if (p == 999) return reply(code, pad3(value));
    if (p < lo || p > hi) return err_bad_parameter;
    value = p;
    return reply(code, pad3(p));
}

QByteArray DeviceModel::switch_value(const QByteArray& code, bool& on, int p) {
    int value = on;
    const QByteArray r = simple_value(code, value, 0, 1, p);
    on = value;
    return r;
}

// "HPI0" n s (port 1..4, setting 0..1), "PPO0" w p and "PSZ0" w z (inset
// 1..2, position or size 0..3): the parameter's digits are 0, the entry and
// its value; "99n" asks for entry n. table[0] is unused.
QByteArray DeviceModel::entry_value(const QByteArray& code, int* table, int entries, int max, int p) {
    if (p >= 991 && p <= 990 + entries) {
        const int n = p - 990;
        return reply(code, "0" + QByteArray::number(n) + QByteArray::number(table[n]));
    }
    const int n = p / 10, v = p % 10;
    if (p >= 100 || n < 1 || n > entries || v > max) return err_bad_parameter;
    table[n] = v;
    return reply(code, pad3(p));
}

// "LAI99n" asks for label n; "LAI" n text sets it. Longer texts are cut to the
// twelve characters the device keeps.
QByteArray DeviceModel::label(const QByteArray& param) {
    int n = 0;
    if (is_query_param(param)) {
        if (param == "998" || param == "999") return err_bad_parameter;
        n = param[2] - '0';
    } else {
        if (param.isEmpty() || param[0] < '1' || param[0] > '4') return err_bad_parameter;
        const QByteArray text = param.mid(1);
        if (!std::all_of(text.begin(), text.end(), printable)) return err_bad_parameter;
        n = param[0] - '0';
        state_.labels[n] = text.left(12);
    }
    return "LAI" + QByteArray::number(n) + state_.labels[n].leftJustified(12, ' ') + '\r';
}

QString DeviceModel::describe() const {
    const DeviceState& s = state_;
    static const char* mode_names[] = {"?", "Matrix", "Dual PoP", "TV Wall", "Dual PiP", "Quad"};
    QStringList lines;
    lines << QStringLiteral("power %1%2, lock %3")
                 .arg(s.power_on ? "on" : "standby", booting_ ? " (booting)" : "", s.locked ? "on" : "off");
    lines << QStringLiteral("mode %1 (%2), selected output %3").arg(s.mode).arg(mode_names[s.mode]).arg(s.selected_output);
    for (int m = 1; m <= 5; ++m) {
        QString r = QStringLiteral("  routing %1:").arg(mode_names[m], -9);
        for (int o = 1; o <= (m == 3 ? 1 : 4); ++o) r += QStringLiteral(" %1<-%2").arg(o).arg(s.route[m][o]);
        lines << r;
    }
    for (int k = 0; k < PictureSettingCount; ++k) {
        QString r = QStringLiteral("  %1 matrix %2, rows (mode %3)").arg(picture_codes[k]).arg(s.picture[k][1][1]).arg(s.mode);
        for (int row = 1; row <= 4; ++row)
            r += QStringLiteral(" %1").arg(s.mode == 1 ? s.picture[k][1][1] : s.picture[k][s.mode][row]);
        lines << r;
    }
    lines << QStringLiteral("bezel %1, H %2/%3, V %4/%5")
                 .arg(s.bezel_on ? "on" : "off")
                 .arg(s.bezel_h)
                 .arg(config_.bezel_h_max)
                 .arg(s.bezel_v)
                 .arg(config_.bezel_v_max);
    lines << QStringLiteral("resolution %1 of %2, aspect %3").arg(s.resolution).arg(config_.resolutions).arg(s.aspect);
    lines << QStringLiteral("audio %1, EDID %2, dual A %3, dual B %4, quad %5")
                 .arg(s.audio_on ? "on" : "muted")
                 .arg(s.audio_edid)
                 .arg(s.dual_a_audio)
                 .arg(s.dual_b_audio)
                 .arg(s.quad_audio);
    QString labels = QStringLiteral("labels %1:").arg(s.labels_on ? "on" : "off");
    for (int i = 1; i <= 4; ++i) labels += QStringLiteral(" [%1]").arg(QString::fromLatin1(s.labels[i]));
    lines << labels;
    lines << QStringLiteral("HDCP in %1%2%3%4, out %5%6%7%8")
                 .arg(s.hdcp_in[1]).arg(s.hdcp_in[2]).arg(s.hdcp_in[3]).arg(s.hdcp_in[4])
                 .arg(s.hdcp_out[1]).arg(s.hdcp_out[2]).arg(s.hdcp_out[3]).arg(s.hdcp_out[4]);
    lines << QStringLiteral("PiP A position %1 size %2, PiP B position %3 size %4")
                 .arg(s.pip_position[1]).arg(s.pip_size[1]).arg(s.pip_position[2]).arg(s.pip_size[2]);
    return lines.join('\n');
}

} // namespace sim
