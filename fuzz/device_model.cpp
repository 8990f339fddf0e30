// The simulator's device model: any byte stream, in pieces of a size the
// first byte picks. Every answer must have the length and terminator the
// panel relies on, the line buffer stays bounded, and the state stays a
// state the device can be in.

#include "device_model.h"
#include "support/reply_shape.h"

#include <cstdio>
#include <cstdlib>

using namespace sim;
using tavrin::testing::well_formed;

namespace {

[[noreturn]] void fail(const char* what, const QByteArray& detail = {}) {
    std::fprintf(stderr, "device model fuzz: %s %s\n", what, detail.toPercentEncoding().constData());
    std::abort();
}

bool in(int v, int lo, int hi) { return v >= lo && v <= hi; }

void check_state(const DeviceModel& m) {
    const DeviceState& s = m.state();
    const DeviceConfig& c = m.config();
    if (!in(s.mode, 1, 5) || !in(s.selected_output, 1, 4) || (s.mode == 3 && s.selected_output != 1))
        fail("mode or output");
    for (int mode = 1; mode <= 5; ++mode)
        for (int o = 1; o <= 4; ++o)
            if (!in(s.route[mode][o], 1, 4)) fail("route");
    for (const auto& setting : s.picture)
        for (int mode = 1; mode <= 5; ++mode)
            for (int row = 1; row <= 4; ++row)
                if (!in(setting[mode][row], 0, 100)) fail("picture value");
    if (!in(s.bezel_h, 0, c.bezel_h_max) || !in(s.bezel_v, 0, c.bezel_v_max)) fail("bezel");
    if (!in(s.resolution, 1, c.resolutions) || (s.mode != 1 && in(s.resolution, 5, 6))) fail("resolution");
    if (!in(s.aspect, 0, 4) || !in(s.audio_edid, 0, 4) || !in(s.dual_a_audio, 1, 2) || !in(s.dual_b_audio, 1, 2) ||
        !in(s.quad_audio, 1, 4))
        fail("aspect or audio");
    for (int i = 1; i <= 4; ++i) {
        if (s.labels[i].size() > 12 || !in(s.hdcp_in[i], 0, 1) || !in(s.hdcp_out[i], 0, 1)) fail("label or HDCP");
        if (!in(s.presets[i].mode, 1, 5)) fail("preset");
    }
    for (int w = 1; w <= 2; ++w)
        if (!in(s.pip_position[w], 0, 3) || !in(s.pip_size[w], 0, 3)) fail("PiP");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int piece = data[0] % 64 + 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    DeviceModel m;
    LineAssembler in;
    bool booting_seen = false;
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
        for (const Exchange& e : m.feed(in, bytes.mid(at, piece))) {
            if (e.ignored) {
                if (!e.reply.isEmpty()) fail("answered while booting", e.command);
                continue;
            }
            if (!well_formed(e.command, e.reply)) fail("malformed answer", e.command + " -> " + e.reply);
        }
        if (in.pending_bytes() > LineAssembler::max_line) fail("line buffer");
        check_state(m);
        // A restart ignores one piece of input, then the device is up again.
        if (booting_seen) m.finish_boot();
        booting_seen = m.take_restart_request();
    }
    if (m.describe().isEmpty()) fail("no state text");
    return 0;
}
