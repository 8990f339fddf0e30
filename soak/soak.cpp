// Soak run: the panel (its real Qt adapters, offscreen) against tavrin4x-sim
// on a line that drops, cuts, soils and truncates replies, with device
// restarts and front-panel changes, driven through its controllers by random
// actions on both links. At each checkpoint the simulator's faults are
// suspended, the panel makes a full refresh, and every field it shows must
// equal the simulator's state dump.
//
//   tavrin4x-soak --minutes N [--seed S] [--round-minutes R] [--sim PATH]
//
// The supervisor runs the soak in rounds, each a child process of its own
// ("--worker") with a fresh simulator, so a crash or a hang is counted and
// the next round goes on. Nothing here is part of the test suite.

#include "device_controls/audio.h"
#include "device_controls/bezel.h"
#include "device_controls/picture.h"
#include "device_controls/power.h"
#include "device_controls/presets.h"
#include "link/qt_ports.h"
#include "main_window/link_controls.h"
#include "main_window/panel.h"
#include "main_window/startup.h"
#include "panels/hdcp.h"
#include "panels/labels.h"
#include "panels/pip.h"
#include "routing/display_modes.h"
#include "routing/resolution.h"
#include "routing/routing_map.h"
#include "support/programs.h"
#include "widgets/controls.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>

using namespace tavrin;

namespace {

void out(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

// Lets the event loop run for ms milliseconds.
void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// ------------------------------------------------------------------ comparing

// The device state dump, the fields the panel shows.
struct DeviceView {
    bool ok = false;
    bool booting = false;
    int power = -1, lock = -1, mode = 0, selected_output = 0;
    int route[6][5] = {};
    int picture[4][5] = {};  // [BRI CON HUE SAT][row 1..4] as the rows of the current mode
    int bezel_on = -1, bezel_h = -1, bezel_h_max = -1, bezel_v = -1, bezel_v_max = -1;
    int resolution = 0, aspect = -1;
    int audio_on = -1, edid = -1, dual_a = -1, dual_b = -1, quad = -1;
};

DeviceView parse_state(const QString& s) {
    DeviceView d;
    auto grab = [&](const QString& pattern) { return QRegularExpression(pattern).match(s); };
    const auto power = grab(QStringLiteral("power (on|standby)( \\(booting\\))?, lock (on|off)"));
    const auto mode = grab(QStringLiteral("mode (\\d) \\([^)]*\\), selected output (\\d)"));
    const auto bezel = grab(QStringLiteral("bezel (on|off), H (\\d+)/(\\d+), V (\\d+)/(\\d+)"));
    const auto res = grab(QStringLiteral("resolution (\\d+) of \\d+, aspect (\\d)"));
    const auto audio = grab(QStringLiteral("audio (on|muted), EDID (\\d), dual A (\\d), dual B (\\d), quad (\\d)"));
    if (!power.hasMatch() || !mode.hasMatch() || !bezel.hasMatch() || !res.hasMatch() || !audio.hasMatch()) return d;
    d.power = power.captured(1) == QLatin1String("on");
    d.booting = power.hasCaptured(2);
    d.lock = power.captured(3) == QLatin1String("on");
    d.mode = mode.captured(1).toInt();
    d.selected_output = mode.captured(2).toInt();
    d.bezel_on = bezel.captured(1) == QLatin1String("on");
    d.bezel_h = bezel.captured(2).toInt();
    d.bezel_h_max = bezel.captured(3).toInt();
    d.bezel_v = bezel.captured(4).toInt();
    d.bezel_v_max = bezel.captured(5).toInt();
    d.resolution = res.captured(1).toInt();
    d.aspect = res.captured(2).toInt();
    d.audio_on = audio.captured(1) == QLatin1String("on");
    d.edid = audio.captured(2).toInt();
    d.dual_a = audio.captured(3).toInt();
    d.dual_b = audio.captured(4).toInt();
    d.quad = audio.captured(5).toInt();
    static const char* names[] = {"", "Matrix", "Dual PoP", "TV Wall", "Dual PiP", "Quad"};
    for (int m = 1; m <= 5; ++m) {
        const auto r = grab(QStringLiteral("routing %1\\s*:((?: \\d<-\\d)+)").arg(QLatin1String(names[m])));
        if (!r.hasMatch()) return d;
        auto it = QRegularExpression(QStringLiteral("(\\d)<-(\\d)")).globalMatch(r.captured(1));
        while (it.hasNext()) {
            const auto p = it.next();
            d.route[m][p.captured(1).toInt()] = p.captured(2).toInt();
        }
    }
    static const char* codes[] = {"BRI", "CON", "HUE", "SAT"};
    for (int k = 0; k < 4; ++k) {
        const auto r = grab(QStringLiteral("%1 matrix \\d+, rows \\(mode \\d\\) (\\d+) (\\d+) (\\d+) (\\d+)").arg(QLatin1String(codes[k])));
        if (!r.hasMatch()) return d;
        for (int row = 1; row <= 4; ++row) d.picture[k][row] = r.captured(row).toInt();
    }
    d.ok = true;
    return d;
}

// Every field of the main window that shows device state, against the dump.
QStringList compare(Panel& p, const DeviceView& d) {
    QStringList bad;
    FrmMain& w = p.w;
    auto check = [&](const QString& field, const QString& panel, const QString& device) {
        if (panel != device) bad << QStringLiteral("%1: panel %2, device %3").arg(field, panel, device);
    };
    auto n = [](int v) { return QString::number(v); };
    auto checked = [&](const char* group, int first, int last) {
        QStringList on;
        for (int i = first; i <= last; ++i)
            if (w.ctl_at<QRadioButton>(QLatin1String(group), i)->isChecked()) on << QString::number(i);
        return on.join(QLatin1Char('+'));
    };
    auto picture_of = [&](const char* button) {
        return QFileInfo(w.ctl<ColorButton>(QLatin1String(button))->picture_file()).fileName();
    };

    // Mode: the selected mode button and the mode the panel works in.
    QStringList lit;
    for (int i = 1; i <= 5; ++i)
        if (w.ctl_at<ColorButton>(QStringLiteral("cmd_mode"), i)->back_color() == colors::selected) lit << n(i);
    check(QStringLiteral("mode button"), lit.join(QLatin1Char('+')), n(d.mode));
    const int panel_mode = p.st.cur_mode == 2 ? (p.st.dual_kind == 2 ? 4 : 2) : p.st.cur_mode;
    check(QStringLiteral("mode"), n(panel_mode), n(d.mode));

    // Routing: the lit cell of each output column of the current mode. In
    // standby the device refuses to select another output, so the panel can
    // only learn (and show) the column of the output already selected.
    for (int col = 1; col <= (d.mode == 3 ? 1 : 4); ++col) {
        if (!d.power && d.mode != 3 && col != d.selected_output) continue;
        QStringList routed;
        for (int i = 1; i <= 4; ++i)
            if (w.ctl_at<ShapeWidget>(QStringLiteral("sha_out_%1_in").arg(QChar(u'a' + col - 1)), i)->fill() == colors::routed)
                routed << n(i);
        check(QStringLiteral("routing of output %1").arg(col), routed.join(QLatin1Char('+')), n(d.route[d.mode][col]));
    }

    // Picture: Matrix has one row, the other modes four.
    static const char* groups[] = {"bri", "con", "hue", "sat"};
    for (int k = 0; k < 4; ++k) {
        for (int row = 1; row <= (d.mode == 1 ? 1 : 4); ++row) {
            const QString what = QStringLiteral("%1 row %2").arg(QLatin1String(groups[k])).arg(row);
            check(what + QStringLiteral(" slider"), n(w.ctl_at<ScrollSlider>(QStringLiteral("hsr_") + QLatin1String(groups[k]), row)->value()),
                  n(d.picture[k][row]));
            check(what + QStringLiteral(" box"), w.ctl_at<QLineEdit>(QStringLiteral("txt_") + QLatin1String(groups[k]), row)->text().trimmed(),
                  n(d.picture[k][row]));
        }
    }

    // Bezel.
    check(QStringLiteral("bezel on/off"), checked("opt_bezel_onoff", 0, 1), n(d.bezel_on));
    auto* bh = w.ctl<ScrollSlider>(QStringLiteral("hsr_bezel_h"));
    auto* bv = w.ctl<ScrollSlider>(QStringLiteral("hsr_bezel_v"));
    check(QStringLiteral("bezel H"), n(bh->value()) + QLatin1Char('/') + n(bh->maximum()), n(d.bezel_h) + QLatin1Char('/') + n(d.bezel_h_max));
    check(QStringLiteral("bezel V"), n(bv->value()) + QLatin1Char('/') + n(bv->maximum()), n(d.bezel_v) + QLatin1Char('/') + n(d.bezel_v_max));

    // Audio.
    check(QStringLiteral("audio EDID"), checked("opt_audio", 0, 4), n(d.edid));
    check(QStringLiteral("dual A audio"), checked("opt_da", 1, 2), n(d.dual_a));
    check(QStringLiteral("dual B audio"), checked("opt_db", 1, 2), n(d.dual_b));
    check(QStringLiteral("quad audio"), checked("opt_quad", 1, 4), n(d.quad));
    check(QStringLiteral("mute button"), picture_of("cmd_mute"), QLatin1String(d.audio_on ? "speaker_on.bmp" : "speaker_off.bmp"));

    // Resolution and aspect.
    check(QStringLiteral("resolution"), n(w.ctl<QComboBox>(QStringLiteral("cbo_output"))->currentIndex() + 1), n(d.resolution));
    check(QStringLiteral("aspect"), n(w.ctl<QComboBox>(QStringLiteral("cbo_aspect"))->currentIndex()), n(d.aspect));

    // Power and lock.
    check(QStringLiteral("power button"), picture_of("cmd_pwr"), QLatin1String(d.power ? "power_on.bmp" : "power_standby.bmp"));
    check(QStringLiteral("lock button"), picture_of("cmd_lock"), QLatin1String(d.lock ? "lock.bmp" : "unlock.bmp"));
    return bad;
}

// ------------------------------------------------------------------ worker

struct Options {
    QString sim;
    quint64 seed = 1;
    double minutes = 2;
    int checkpoint_s = 30;
};

class Worker {
public:
    explicit Worker(const Options& o) : o_(o), rng_(o.seed) {}
    int run();

private:
    bool make_panel();
    void action();
    bool checkpoint();
    void link_up(int patience_ms);
    void connect_ethernet(int patience_ms);
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    Options o_;
    std::mt19937_64 rng_;
    QTemporaryDir dir_;
    testing::SimProcess sim_;
    QtPlatform platform_;
    std::unique_ptr<QtSerialPort> serial_;
    std::unique_ptr<QtTcpClient> tcp_;
    std::unique_ptr<Panel> panel_;
    QTimer box_closer_;
    int boxes_ = 0;
    int actions_ok_ = 0, actions_bad_ = 0, checks_ok_ = 0, checks_bad_ = 0, fields_bad_ = 0, switches_ = 0, front_panel_ = 0;
};

bool Worker::make_panel() {
    // RS-232 COM1 (the simulator's pty), advanced view, the TCP address ready.
    if (!testing::make_program_dir(dir_.path(), QStringLiteral("0\r\n1\r\n#TRUE#\r\n\"127.0.0.1:%1\"\r\n")
                                                     .arg(sim_.port)
                                                     .toLatin1()))
        return false;
    serial_ = std::make_unique<QtSerialPort>(dir_.path());
    tcp_ = std::make_unique<QtTcpClient>();
    panel_ = std::make_unique<Panel>(platform_, *serial_, *tcp_, dir_.path());
    platform_.set_message_parent(&panel_->w);
    panel_->load();
    return panel_->link.rs232_open();
}

void Worker::connect_ethernet(int patience_ms) {
    Panel& p = *panel_;
    if (!p.w.ctl<ColorButton>(QStringLiteral("cmd_conn_eth"))->isEnabled()) return;  // an attempt runs
    p.links->cmd_conn_eth_Click();
    for (QDeadlineTimer bound(patience_ms); !p.link.eth_connected() && !bound.hasExpired();) spin(5);
}

// What an operator does when the link is down: connect again.
void Worker::link_up(int patience_ms) {
    Panel& p = *panel_;
    if (p.link.link_kind() == 1 && !p.link.eth_connected()) connect_ethernet(patience_ms);
    if (p.link.link_kind() == 0 && !p.link.rs232_open()) p.links->cmd_conn_Click();
}

void Worker::action() {
    Panel& p = *panel_;
    FrmMain& w = p.w;
    auto slider = [&](const QString& name) {
        auto* v = w.ctl<ScrollSlider>(name);
        v->setValue(pick(v->minimum(), v->maximum()));
    };
    auto pick_from = [&](const char* list) {
        auto* box = w.ctl<QComboBox>(QLatin1String(list));
        box->setCurrentIndex(pick(0, box->count() - 1));
    };
    auto front_panel = [&] {
        ++front_panel_;
        const int n = pick(1, 4), v = pick(0, 100), b = pick(0, 1);
        const QString lines[] = {
            QStringLiteral("set mode %1").arg(pick(1, 5)), QStringLiteral("route %1 %2").arg(n).arg(pick(1, 4)),
            QStringLiteral("set bri %1 %2").arg(n).arg(v), QStringLiteral("set con %1").arg(v),
            QStringLiteral("mute"), QStringLiteral("unmute"), QStringLiteral("set lock %1").arg(b),
            QStringLiteral("set res %1").arg(pick(1, 14)), QStringLiteral("set aspect %1").arg(pick(0, 4)),
            QStringLiteral("set edid %1").arg(pick(0, 4)), QStringLiteral("set bezh %1").arg(v),
            QStringLiteral("set quad %1").arg(n), QStringLiteral("set dual-a %1").arg(b + 1),
            QStringLiteral("recall %1").arg(n), QStringLiteral("set bezel %1").arg(b),
            // Rarer: a restart or standby, a factory reset, the end of the TCP sessions.
            QStringLiteral("set power %1").arg(b), QStringLiteral("factory-reset"), QStringLiteral("ext")};
        const int k = pick(0, int(std::size(lines)) - 1);
        return lines[k >= 15 && pick(0, 2) ? 0 : k];
    };
    static const char* const groups[] = {"hsr_bri", "hsr_con", "hsr_hue", "hsr_sat"};
    struct Action {
        int weight;
        const char* name;
        std::function<void()> run;
    };
    const Action table[] = {
        {4, "refresh", [&] { p.presets->cmd_refresh_Click(); }},
        {5, "mode", [&] { p.modes->cmd_mode_Click(pick(1, 5)); }},
        {4, "output", [&] { p.map->cmd_out_Click(pick(1, 4)); }},
        {5, "route", [&] { p.map->lab_out_in_Click(p.st.cur_output, pick(1, 4)); }},
        {1, "map refresh", [&] { p.map->map_refresh(); }},
        {7, "picture slider", [&] { slider(QStringLiteral("%1(%2)").arg(QLatin1String(groups[pick(0, 3)])).arg(pick(1, 4))); }},
        {1, "picture refresh", [&] { p.picture->cmd_pic_refresh_Click(); }},
        {1, "picture reset", [&] { p.picture->cmd_pic_reset_Click(); }},
        {2, "power", [&] { p.power->cmd_pwr_Click(); }},
        {2, "lock", [&] { p.power->cmd_lock_Click(); }},
        {1, "menu key", [&] { p.power->cmd_menu_up_Click(); }},
        {1, "version", [&] { p.power->cmd_ver_Click(); }},
        {2, "recall", [&] { p.presets->cmd_recall_Click(pick(1, 4)); }},
        {1, "save", [&] { p.presets->cmd_save_Click(pick(1, 4)); }},
        {4, "audio option", [&] {
             switch (pick(0, 3)) {
             case 0: p.audio->opt_audio_Click(pick(0, 4)); break;
             case 1: p.audio->opt_da_Click(pick(1, 2)); break;
             case 2: p.audio->opt_db_Click(pick(1, 2)); break;
             default: p.audio->opt_quad_Click(pick(1, 4)); break;
             }
         }},
        {2, "mute", [&] { p.audio->cmd_mute_Click(); }},
        {3, "bezel slider", [&] { slider(QLatin1String(pick(0, 1) ? "hsr_bezel_h" : "hsr_bezel_v")); }},
        {1, "bezel on/off", [&] { p.bezel->opt_bezel_onoff_Click(pick(0, 1)); }},
        {3, "resolution", [&] { pick_from("cbo_output"), p.resolution->cbo_output_Click(); }},
        {2, "aspect", [&] { pick_from("cbo_aspect"), p.resolution->cbo_aspect_Click(); }},
        {1, "HDCP window", [&] { p.hdcp->cmd_hdcp_Click(); }},
        {1, "HDCP set", [&] {
             p.hdcp->hdcp_in_out_set(QStringLiteral("%1%2%3").arg(QLatin1String(pick(0, 1) ? "HPI0" : "HPO0")).arg(pick(1, 4)).arg(pick(0, 1)));
         }},
        {1, "HDCP refresh", [&] { p.hdcp->hdcp_refresh(); }},
        {1, "labels window", [&] { p.labels->lab_lab_input_Click(); }},
        {1, "label refresh", [&] { p.labels->label_in_refresh(); }},
        {1, "PiP window", [&] { p.pip->lab_pip_Click(); }},
        {1, "PiP set", [&] {
             p.pip->dual_pip_set(QStringLiteral("%1%2%3").arg(QLatin1String(pick(0, 1) ? "PPO0" : "PSZ0")).arg(pick(1, 2)).arg(pick(0, 3)));
         }},
        {1, "PiP refresh", [&] { p.pip->dual_pip_refresh(); }},
        {1, "get IP", [&] {
             if (p.link.link_kind() == 0) p.links->cmd_get_ip_Click();
         }},
        {1, "advanced view", [&] { p.startup->cmd_advance_Click(); }},
        {2, "factory reset", [&] { p.power->cmd_fact_reset_Click(); }},
        {4, "switch link", [&] {
             ++switches_;
             const int to = 1 - p.link.link_kind();
             p.links->opt_interface_Click(to);
             if (to == 1) connect_ethernet(3000);
         }},
        {12, "front panel", [&] { sim_.console(front_panel()); }},
        {20, "idle", [&] { spin(pick(1, 300)); }},
    };
    int total = 0;
    for (const Action& a : table) total += a.weight;
    int r = pick(0, total - 1);
    const Action* chosen = &table[0];
    for (const Action& a : table) {
        if (r < a.weight) {
            chosen = &a;
            break;
        }
        r -= a.weight;
    }
    // Named before it runs, so a crash or a hang names what was going on.
    const int number = actions_ok_ + actions_bad_ + 1;
    out(QStringLiteral("ACTION %1 %2").arg(number).arg(QLatin1String(chosen->name)));
    chosen->run();
    spin(pick(0, 20));  // the panel takes what comes in between clicks

    if (!p.st.busy && !p.link.awaiting_reply() && p.st.cmd_enable) {
        ++actions_ok_;
    } else {
        ++actions_bad_;
        out(QStringLiteral("INCONSISTENT after %1: busy %2 awaiting_reply %3 cmd_enable %4")
                .arg(QLatin1String(chosen->name))
                .arg(p.st.busy)
                .arg(p.link.awaiting_reply())
                .arg(p.st.cmd_enable));
    }
    link_up(3000);
}

bool Worker::checkpoint() {
    Panel& p = *panel_;
    sim_.console(QStringLiteral("faults off"));
    // Wait out a restart, and whatever the faulty line still holds.
    DeviceView d = parse_state(sim_.state());
    for (QDeadlineTimer bound(10000); (!d.ok || d.booting) && !bound.hasExpired(); d = parse_state(sim_.state())) spin(100);
    spin(400);
    link_up(5000);
    if (!p.st.advanced_view) p.startup->cmd_advance_Click();
    p.presets->cmd_refresh_Click();
    spin(50);
    d = parse_state(sim_.state());
    QStringList bad = d.ok ? compare(p, d) : QStringList{QStringLiteral("no state dump from the simulator")};
    if (!p.link.link_up()) bad.prepend(QStringLiteral("link down at the checkpoint"));
    sim_.console(QStringLiteral("faults on"));
    if (bad.isEmpty()) {
        ++checks_ok_;
        out(QStringLiteral("CHECK passed (%1 link)").arg(QLatin1String(p.link.link_kind() ? "TCP" : "serial")));
        return true;
    }
    ++checks_bad_;
    fields_bad_ += int(bad.size());
    out(QStringLiteral("CHECK failed (%1 link): %2").arg(QLatin1String(p.link.link_kind() ? "TCP" : "serial"), bad.join(QStringLiteral("; "))));
    out(QStringLiteral("  traffic: ") + QString(p.link.log_text()).replace(QLatin1Char('\r'), QLatin1Char('|')));
    out(QStringLiteral("  device: ") + sim_.state().replace(QLatin1Char('\n'), QStringLiteral(" / ")));
    return false;
}

int Worker::run() {
    QString why;
    // A simulator that dies with us, its traffic log (which records every
    // fault it injects) in a file.
    const QStringList args = {
        QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--serial"), dir_.filePath(QStringLiteral("COM1")),
        QStringLiteral("--log"), dir_.filePath(QStringLiteral("sim.log")), QStringLiteral("--seed"), QString::number(o_.seed),
        QStringLiteral("--boot-ms"), QStringLiteral("300"), QStringLiteral("--restart-drop-ms"), QStringLiteral("100"),
        QStringLiteral("--drop"), QStringLiteral("0.02"), QStringLiteral("--split"), QStringLiteral("0.1"),
        QStringLiteral("--split-gap-ms"), QStringLiteral("2"), QStringLiteral("--garbage"), QStringLiteral("0.02"),
        QStringLiteral("--no-cr"), QStringLiteral("0.02"), QStringLiteral("--jitter-ms"), QStringLiteral("2")};
    if (!sim_.start_with(o_.sim, args, &why)) {
        out(QStringLiteral("SETUP %1").arg(why));
        return 2;
    }
    // A modal box would stop the run: close each as it appears, and count it.
    QObject::connect(&box_closer_, &QTimer::timeout, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++boxes_;
            out(QStringLiteral("BOX %1").arg(box->text()));
            box->close();
        }
    });
    box_closer_.start(20);
    if (!make_panel()) {
        out(QStringLiteral("SETUP the panel did not open the simulator's serial port"));
        return 2;
    }

    QElapsedTimer clock;
    clock.start();
    const qint64 end_ms = qint64(o_.minutes * 60000);
    qint64 next_check = qint64(o_.checkpoint_s) * 1000;
    while (clock.elapsed() < end_ms) {
        action();
        if (clock.elapsed() >= next_check && clock.elapsed() < end_ms - 5000) {
            checkpoint();
            next_check = clock.elapsed() + qint64(o_.checkpoint_s) * 1000;
        }
    }
    checkpoint();  // the final full refresh

    // The faults the simulator injected, from its traffic log.
    QFile log(dir_.filePath(QStringLiteral("sim.log")));
    int dropped = 0, reshaped = 0, restarts = 0;
    if (log.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : log.readAll().split('\n')) {
            dropped += line.contains("fault: dropped");
            reshaped += line.contains("fault: sent as");
            restarts += line.contains("device restarting");
        }
    }
    out(QStringLiteral("RESULT actions %1 %2 checks %3 %4 dropped %5 reshaped %6 restarts %7 boxes %8 switches %9 front %10 fields %11")
            .arg(actions_ok_)
            .arg(actions_bad_)
            .arg(checks_ok_)
            .arg(checks_bad_)
            .arg(dropped)
            .arg(reshaped)
            .arg(restarts)
            .arg(boxes_)
            .arg(switches_)
            .arg(front_panel_)
            .arg(fields_bad_));
    panel_.reset();
    return 0;
}

// ------------------------------------------------------------------ supervisor

struct Totals {
    long actions_ok = 0, actions_bad = 0, checks_ok = 0, checks_bad = 0, dropped = 0, reshaped = 0, restarts = 0,
         boxes = 0, switches = 0, front = 0, fields = 0;
    int rounds = 0, crashes = 0, hangs = 0, setup_failures = 0;
};

// One round in a child process; a round that stays silent for hang_s is a hang.
void run_round(const QString& self, const Options& o, double minutes, int hang_s, Totals& t) {
    QProcess child;
    child.setProgram(self);
    child.setArguments({QStringLiteral("--worker"), QStringLiteral("--minutes"), QString::number(minutes), QStringLiteral("--seed"),
                        QString::number(o.seed), QStringLiteral("--sim"), o.sim, QStringLiteral("--checkpoint-s"),
                        QString::number(o.checkpoint_s)});
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start();
    if (!child.waitForStarted(10000)) {
        ++t.setup_failures;
        return;
    }
    ++t.rounds;
    QString last = QStringLiteral("(start-up)");
    QByteArray pending;
    bool hung = false;
    QElapsedTimer quiet;
    quiet.start();
    while (child.state() != QProcess::NotRunning) {
        child.waitForReadyRead(200);
        pending += child.readAllStandardOutput();
        int nl;
        while ((nl = int(pending.indexOf('\n'))) >= 0) {
            const QString line = QString::fromUtf8(pending.left(nl));
            pending.remove(0, nl + 1);
            quiet.restart();
            if (line.startsWith(QLatin1String("ACTION "))) {
                last = line.section(QLatin1Char(' '), 2);
                continue;
            }
            if (line.startsWith(QLatin1String("BOX "))) continue;
            if (line.startsWith(QLatin1String("RESULT "))) {
                const QStringList f = line.split(QLatin1Char(' '));
                auto v = [&](const char* key, int k = 1) { return f.value(f.indexOf(QLatin1String(key)) + k).toLong(); };
                t.actions_ok += v("actions"), t.actions_bad += v("actions", 2), t.checks_ok += v("checks"),
                    t.checks_bad += v("checks", 2), t.dropped += v("dropped"), t.reshaped += v("reshaped"),
                    t.restarts += v("restarts"), t.boxes += v("boxes"), t.switches += v("switches"), t.front += v("front"), t.fields += v("fields");
            }
            out(QStringLiteral("  [round %1] %2").arg(t.rounds).arg(line));
        }
        if (quiet.elapsed() > hang_s * 1000LL) {
            hung = true;
            out(QStringLiteral("  [round %1] HANG: nothing for %2 s; last action: %3").arg(t.rounds).arg(hang_s).arg(last));
            child.kill();
            child.waitForFinished(5000);
            break;
        }
    }
    if (hung) {
        ++t.hangs;
    } else if (child.exitStatus() == QProcess::CrashExit) {
        ++t.crashes;
        out(QStringLiteral("  [round %1] CRASH; last action: %2").arg(t.rounds).arg(last));
    } else if (child.exitCode() != 0) {
        ++t.setup_failures;
        out(QStringLiteral("  [round %1] ended with exit code %2").arg(t.rounds).arg(child.exitCode()));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's notes about raise() and size hints say nothing here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& msg) {
        if (!msg.startsWith(QLatin1String("This plugin does not support")) && !msg.startsWith(QLatin1String("QStandardPaths:")))
            std::fprintf(stderr, "%s\n", qPrintable(msg));
    });
    QApplication app(argc, argv);
    QCommandLineParser cl;
    cl.setApplicationDescription(QStringLiteral("Soak run of the panel against a faulty tavrin4x-sim."));
    cl.addHelpOption();
    cl.addOptions({
        {QStringLiteral("minutes"), QStringLiteral("How long in all (default 10)."), QStringLiteral("n"), QStringLiteral("10")},
        {QStringLiteral("round-minutes"), QStringLiteral("Length of one round (default 2)."), QStringLiteral("n"), QStringLiteral("2")},
        {QStringLiteral("seed"), QStringLiteral("First seed (default 1); round k uses seed + k."), QStringLiteral("n"), QStringLiteral("1")},
        {QStringLiteral("checkpoint-s"), QStringLiteral("Seconds between checkpoints (default 30)."), QStringLiteral("n"), QStringLiteral("30")},
        {QStringLiteral("hang-s"), QStringLiteral("Silence that counts as a hang (default 90)."), QStringLiteral("n"), QStringLiteral("90")},
        {QStringLiteral("sim"), QStringLiteral("The simulator program."), QStringLiteral("path"), QStringLiteral(SIM_EXE)},
        {QStringLiteral("worker"), QStringLiteral("Run one round in this process (used by the supervisor).")},
    });
    cl.process(app);
    Options o;
    o.sim = cl.value(QStringLiteral("sim"));
    o.seed = cl.value(QStringLiteral("seed")).toULongLong();
    o.minutes = cl.value(QStringLiteral("minutes")).toDouble();
    o.checkpoint_s = std::max(5, cl.value(QStringLiteral("checkpoint-s")).toInt());

    if (cl.isSet(QStringLiteral("worker"))) {
        Worker worker(o);
        return worker.run();
    }

    const double round = std::max(0.5, cl.value(QStringLiteral("round-minutes")).toDouble());
    const int hang_s = std::max(30, cl.value(QStringLiteral("hang-s")).toInt());
    out(QStringLiteral("soak: %1 minutes in rounds of %2, first seed %3").arg(o.minutes).arg(round).arg(o.seed));
    Totals t;
    QElapsedTimer clock;
    clock.start();
    for (int k = 0;; ++k) {
        const double left = o.minutes - double(clock.elapsed()) / 60000.0;
        if (left < 0.25) break;
        Options r = o;
        r.seed = o.seed + quint64(k);
        run_round(QCoreApplication::applicationFilePath(), r, std::min(round, left), hang_s, t);
    }
    const long mismatches = t.fields;
    out(QStringLiteral("soak: %1 minutes, %2 rounds").arg(double(clock.elapsed()) / 60000.0, 0, 'f', 1).arg(t.rounds));
    out(QStringLiteral("  actions: %1 passed, %2 failed (busy, awaiting_reply or cmd_enable left wrong)").arg(t.actions_ok).arg(t.actions_bad));
    out(QStringLiteral("  faults injected: %1 (%2 replies dropped, %3 cut, soiled or unterminated), %4 device restarts")
            .arg(t.dropped + t.reshaped + t.restarts)
            .arg(t.dropped)
            .arg(t.reshaped)
            .arg(t.restarts));
    out(QStringLiteral("  also: %1 front-panel changes, %2 link switches, %3 message boxes closed").arg(t.front).arg(t.switches).arg(t.boxes));
    out(QStringLiteral("  checks (full refresh equals the device): %1 passed, %2 failed").arg(t.checks_ok).arg(t.checks_bad));
    out(QStringLiteral("  fields compared per check: mode, routing, picture values, bezel, audio, resolution, aspect, power, lock"));
    out(QStringLiteral("  crashes: %1, hangs: %2, mismatched fields: %3%4")
            .arg(t.crashes)
            .arg(t.hangs)
            .arg(mismatches)
            .arg(t.setup_failures ? QStringLiteral(", rounds that could not start: %1").arg(t.setup_failures) : QString()));
    return t.crashes || t.hangs || mismatches || t.checks_bad || t.actions_bad || t.setup_failures ? 1 : 0;
}
