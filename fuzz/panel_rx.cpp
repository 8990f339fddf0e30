#include "panel_rx.h"

#include "device_controls/audio.h"
#include "device_controls/bezel.h"
#include "device_controls/picture.h"
#include "device_controls/power.h"
#include "device_controls/presets.h"
#include "device_model.h"
#include "main_window/link_controls.h"
#include "main_window/startup.h"
#include "panels/hdcp.h"
#include "panels/keypad.h"
#include "panels/labels.h"
#include "panels/pip.h"
#include "routing/display_modes.h"
#include "routing/resolution.h"
#include "routing/routing_map.h"
#include "support/panel_rig.h"

#include <QApplication>
#include <QComboBox>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace fuzz {

using namespace tavrin;
using namespace tavrin::testing;

namespace {

[[noreturn]] void fail(const char* what, const QByteArray& detail = {}) {
    std::fprintf(stderr, "panel fuzz: %s %s\n", what, detail.toPercentEncoding().constData());
    std::abort();
}

class Script {
public:
    Script(const uint8_t* d, size_t n) : d_(d), n_(n) {}
    bool empty() const { return at_ >= n_; }
    int next() { return empty() ? -1 : d_[at_++]; }
    QByteArray take(size_t n) {
        n = std::min(n, n_ - at_);
        QByteArray out(reinterpret_cast<const char*>(d_ + at_), qsizetype(n));
        at_ += n;
        return out;
    }

private:
    const uint8_t* d_;
    size_t n_;
    size_t at_ = 0;
};

// The device end of the link: answers from the device model or the script,
// delivered on later event-loop turns.
class Device {
public:
    Device(PanelRig& rig, Path path, Script& script) : rig_(rig), tcp_(path == Path::Tcp), script_(script) {
        rig.serial.on_write = [this](const QByteArray& b) { on_write(b); };
        rig.tcp.on_send = [this](const QByteArray& b) { on_write(b); };
        rig.platform.on_pump = [this] { step(); };
    }
    ~Device() {
        rig_.serial.on_write = nullptr;
        rig_.tcp.on_send = nullptr;
        rig_.platform.on_pump = nullptr;
    }

    void deliver(const QByteArray& bytes) {
        if (tcp_) rig_.tcp.deliver(bytes);
        else rig_.serial.deliver(bytes);
    }
    bool idle() const { return pending_.empty(); }
    sim::DeviceModel model;

private:
    // A command is one write: its text and one CR. A label command carries
    // its own CR before that (the device's empty second line).
    static bool one_command(QByteArray w) {
        if (!w.endsWith('\r')) return false;
        w.chop(1);
        if (w.startsWith("LAI") && w.endsWith('\r')) w.chop(1);
        return w.size() >= 3 && !w.contains('\r') && !w.contains('\n');
    }

    void on_write(const QByteArray& bytes) {
        if (!one_command(bytes)) fail("a write that is not one command:", bytes);
        const QByteArray line = bytes.left(bytes.indexOf('\r'));
        const int how = script_.next();
        QByteArray reply = model.execute(line);
        int delay = 1, cut = 0;
        if (how >= 0x80 && how < 0x88) return;  // silence
        if (how >= 0xC0) reply = script_.take(size_t(how & 63) + 1);
        if (how >= 0 && how < 0x80) {
            delay = (how & 7) + 1;
            cut = (how >> 3) & 15;
        }
        const int due = rig_.platform.pumps + delay;
        if (cut > 0 && cut < reply.size()) {
            pending_.push_back({due, reply.left(cut)});
            pending_.push_back({due + 2, reply.mid(cut)});
        } else {
            pending_.push_back({due, reply});
        }
    }

    void step() {
        std::vector<QByteArray> due;
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (it->due <= rig_.platform.pumps) {
                due.push_back(it->bytes);
                it = pending_.erase(it);
            } else {
                ++it;
            }
        }
        for (const QByteArray& b : due) deliver(b);
    }

    struct Pending {
        int due;
        QByteArray bytes;
    };
    PanelRig& rig_;
    bool tcp_;
    Script& script_;
    std::vector<Pending> pending_;
};

// What an operator may do that sends: the controllers' own routines, with
// one argument byte to pick among their variants.
using Action = std::function<void(Panel&, int)>;
const std::vector<Action>& actions() {
    static const std::vector<Action> table = {
        [](Panel& p, int) { p.presets->cmd_refresh_Click(); },
        [](Panel& p, int a) { p.modes->cmd_mode_Click(a % 5 + 1); },
        [](Panel& p, int a) { p.map->cmd_out_Click(a % 4 + 1); },
        [](Panel& p, int a) { p.map->lab_out_in_Click(a % 4 + 1, (a / 4) % 4 + 1); },
        [](Panel& p, int) { p.map->map_refresh(); },
        [](Panel& p, int a) {
            static const char* groups[] = {"hsr_bri", "hsr_con", "hsr_hue", "hsr_sat"};
            auto* s = p.w.ctl_at<ScrollSlider>(QLatin1String(groups[a % 4]), (a / 4) % 4 + 1);
            s->setValue(s->minimum() + (a * 37) % (s->maximum() - s->minimum() + 1));
        },
        [](Panel& p, int) { p.picture->cmd_pic_refresh_Click(); },
        [](Panel& p, int) { p.picture->cmd_pic_reset_Click(); },
        [](Panel& p, int) { p.power->cmd_pwr_Click(); },
        [](Panel& p, int) { p.power->cmd_lock_Click(); },
        [](Panel& p, int a) {
            Power& w = *p.power;
            const std::function<void()> keys[] = {[&] { w.cmd_menu_menu_Click(); }, [&] { w.cmd_menu_exit_Click(); },
                                                  [&] { w.cmd_menu_ok_Click(); },   [&] { w.cmd_menu_up_Click(); },
                                                  [&] { w.cmd_menu_down_Click(); }, [&] { w.cmd_menu_left_Click(); },
                                                  [&] { w.cmd_menu_right_Click(); }};
            keys[a % 7]();
        },
        [](Panel& p, int) { p.power->cmd_fact_reset_Click(); },
        [](Panel& p, int) { p.power->cmd_ver_Click(); },
        [](Panel& p, int a) { p.presets->cmd_recall_Click(a % 4 + 1); },
        [](Panel& p, int a) { p.presets->cmd_save_Click(a % 4 + 1); },
        [](Panel& p, int a) {
            Audio& au = *p.audio;
            switch (a % 4) {
            case 0: au.opt_audio_Click((a / 4) % 5); break;
            case 1: au.opt_da_Click((a / 4) % 2 + 1); break;
            case 2: au.opt_db_Click((a / 4) % 2 + 1); break;
            default: au.opt_quad_Click((a / 4) % 4 + 1); break;
            }
        },
        [](Panel& p, int) { p.audio->cmd_mute_Click(); },
        [](Panel& p, int a) {
            auto* s = p.w.ctl<ScrollSlider>(QLatin1String(a % 2 ? "hsr_bezel_h" : "hsr_bezel_v"));
            s->setValue(s->minimum() + (a * 13) % (s->maximum() - s->minimum() + 1));
        },
        [](Panel& p, int a) { p.bezel->opt_bezel_onoff_Click(a % 2); },
        [](Panel& p, int a) {
            auto* list = p.w.ctl<QComboBox>(QLatin1String(a % 2 ? "cbo_output" : "cbo_aspect"));
            if (list->count() == 0) return;
            list->setCurrentIndex((a / 2) % list->count());
            if (a % 2) p.resolution->cbo_output_Click();
            else p.resolution->cbo_aspect_Click();
        },
        [](Panel& p, int) { p.hdcp->cmd_hdcp_Click(); },
        [](Panel& p, int) { p.hdcp->hdcp_refresh(); },
        [](Panel& p, int a) {
            p.hdcp->hdcp_in_out_set(QStringLiteral("%1%2%3").arg(a % 2 ? "HPI0" : "HPO0").arg((a / 2) % 4 + 1).arg((a / 8) % 2));
        },
        [](Panel& p, int) { p.labels->lab_lab_input_Click(); },
        [](Panel& p, int) { p.labels->label_in_refresh(); },
        [](Panel& p, int) { p.pip->lab_pip_Click(); },
        [](Panel& p, int) { p.pip->dual_pip_refresh(); },
        [](Panel& p, int a) {
            p.pip->dual_pip_set(a % 2 ? QStringLiteral("PPO0%1%2").arg((a / 2) % 2 + 1).arg((a / 4) % 4)
                                      : QStringLiteral("PSZ0%1%2").arg((a / 2) % 2 + 1).arg((a / 4) % 4));
        },
        [](Panel& p, int) {
            if (p.link.link_kind() == 0) p.links->cmd_get_ip_Click();
        },
        [](Panel& p, int) { p.startup->cmd_advance_Click(); },
    };
    return table;
}

// The panel after an input, once everything queued has been handled.
void check_at_rest(Panel& p, const char* when) {
    const Link& l = p.link;
    if (p.st.busy) fail(when, "busy");
    if (l.awaiting_reply()) fail(when, "awaiting_reply");
    if (!p.st.cmd_enable) fail(when, "cmd_enable off");
    if (l.link_kind() == 0 && !l.tim_rx_enabled()) fail(when, "serial poll left off");
    if (l.reply().size() > Link::max_reply_chars || l.rx_count() < 0) fail(when, "reply buffer");
    if (l.held_back_bytes() > Link::max_pending_bytes) fail(when, "held-back bytes");
}

void bring_link_up(PanelRig& rig, Path path) {
    if (path == Path::Tcp && !rig.link().eth_connected()) rig.connect_ethernet();
    if (path == Path::Serial && !rig.link().rs232_open()) rig.p().links->set_comm();
}

}  // namespace

void run_panel_input(Path path, const uint8_t* data, size_t size) {
    static int argc = 1;
    static char arg0[] = "fuzz_panel";
    static char* argv[] = {arg0, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The offscreen platform's notes ("does not support raise()") would
        // drown the fuzzer's own output; real trouble stays audible.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
            if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(msg));
        });
        return new QApplication(argc, argv);
    }();
    (void)app;

    // One panel for the whole run: building the window costs far more than
    // an input. Each input starts from wherever the last one left the panel
    // (at rest, as checked), against a device fresh from the factory.
    static PanelRig& rig = *new PanelRig(path == Path::Tcp ? PanelRig::Start::Ethernet : PanelRig::Start::Serial);
    rig.serial.writes.clear();
    rig.tcp.sends.clear();
    rig.platform.messages.clear();
    Script script(data, size);
    Device device(rig, path, script);
    Panel& p = rig.p();
    check_at_rest(p, "before the input:");
    // The secondary windows start closed, so an input found here mostly
    // behaves the same when replayed alone.
    p.keypad->close_window();
    p.hdcp->close_window();
    p.labels->close_window();
    p.pip->close_window();

    while (!script.empty()) {
        const int op = script.next();
        bring_link_up(rig, path);
        if (op < 0x40) {
            device.deliver(script.take(size_t(op) + 1));
        } else if (op < 0x50) {
            rig.platform.advance((op & 15) + 1);
        } else if (op < 0x80) {
            const auto& table = actions();
            actions()[size_t(op - 0x50) % table.size()](p, std::max(0, script.next()));
        } else {
            const QByteArray unit = script.take(size_t(std::max(0, script.next()) % 16) + 1);
            device.deliver(unit.repeated(((op & 0x7F) + 1) * 16));
        }
        if (p.link.reply().size() > Link::max_reply_chars || p.link.rx_count() < 0) fail("reply buffer over its cap");
        if (p.link.held_back_bytes() > Link::max_pending_bytes) fail("held-back bytes over their cap");
    }

    // Let everything in flight arrive and be handled. Each turn takes at
    // least one held-back byte, so the bound means "stuck".
    for (int turns = 0; !device.idle() || p.link.held_back_bytes() > 0 || !rig.serial.input.isEmpty(); ++turns) {
        if (turns > 4 * Link::max_pending_bytes) fail("reception never drains");
        rig.platform.advance(1);
    }
    rig.platform.advance(2);
    check_at_rest(p, "at rest:");

    // And a plain exchange still works.
    bring_link_up(rig, path);
    rig.platform.messages.clear();
    p.link.tx_cmd(QStringLiteral("LCK999"));
    if (!p.link.reply_done()) fail("no answer after the input");
    if (p.st.lock_state != (device.model.state().locked ? 1 : 0)) fail("answer not handled");
    check_at_rest(p, "after a plain exchange:");
}

}  // namespace fuzz
