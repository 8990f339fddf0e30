#!/usr/bin/env python3
"""Mutation run: how many plausible faults of the program do the tests catch?

Each mutant below is one small change to one file of src/ or simulator/ (a
flipped comparison, a changed constant, a dropped statement, a swapped
condition). The run copies the tree into a scratch folder (the working tree is
never touched), builds it there once with the core libraries shared so that a
mutant costs one compile and one link, then for every mutant: applies it,
rebuilds the programs and test programs, runs every test program and records
which test functions fail. A mutant that no test notices "survives".

    tools/mutation_run.py [--scratch DIR] [--only ID,ID] [--out FILE.json]
    tools/mutation_run.py --compare BEFORE.json AFTER.json

--compare lists the mutants the first run caught and the second did not: the
tests must keep catching what they caught before a clean-up.

Mutants whose text is no longer in the source (the code moved on) are
reported as "stale" and skipped; update the table when that happens.
"""

import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

# (id, file, text as it is, text as the mutant has it, the fault in words).
# The text must occur exactly once in the file.
MUTANTS = [
    # ---- command exchange and reception
    ("link-serial-budget", "src/link/link.cpp", "kSerialSlices = 300;", "kSerialSlices = 150;", "serial reply wait halved"),
    ("link-drop-while-awaiting", "src/link/link.cpp",
     "    reply_done_ = false;\n    if (!check_link()) return;\n    if (awaiting_reply_) return;\n",
     "    reply_done_ = false;\n    if (!check_link()) return;\n", "tx_cmd sends while another waits"),
    ("link-err-is-answer", "src/link/link.cpp", 'if (code == QLatin1String("ERR")) {',
     'if (code == QLatin1String("ER")) {', "ERR no longer counts as an answer"),
    ("link-serial-7", "src/link/link.cpp", "if (rx_count_ < kShortReply && !terminator) return false;",
     "if (rx_count_ < kShortReply - 1 && !terminator) return false;", "serial completes at 6 characters"),
    ("link-serial-lai-17", "src/link/link.cpp",
     "return !(is_label_reply(rx_buffer_) && rx_count_ < kLabelReply && !terminator);",
     "return !(is_label_reply(rx_buffer_) && rx_count_ < kLabelReply - 1 && !terminator);",
     "serial label reply completes one short"),
    ("link-count-wraps", "src/link/link.cpp", "rx_count_ = int16_t(std::min<int>(int(rx_count_) + n, 32767));",
     "rx_count_ = int16_t(int(rx_count_) + n);", "reply count wraps negative"),
    ("link-restart-pwr", "src/link/link.cpp",
     'if (tx_str == QLatin1String("RST001") || tx_str == QLatin1String("PWR001")) {',
     'if (tx_str == QLatin1String("RST001")) {', "PWR001 over Ethernet not treated as a restart"),
    ("link-nowait-own-pump", "src/link/link.cpp",
     "    if (rx_complete_) {\n        dispatch_unsolicited(link_kind_ == LinkKind::ethernet);",
     "    if (false) {\n        dispatch_unsolicited(link_kind_ == LinkKind::ethernet);", "answer inside tx_cmd_nowait's pump lost"),
    ("link-busy-nesting", "src/link/link.cpp", "st_.busy = wait_depth_ > 0;", "st_.busy = false;",
     "a nested wait clears busy for the outer one"),
    # ---- adapters, files, settings
    ("ports-port-zero", "src/link/qt_ports.cpp", "if (!ok || v < 1 || v > 65535) return false;",
     "if (!ok || v > 65535) return false;", "port 0 accepted"),
    ("ports-octal", "src/link/qt_ports.cpp", "const uint v = part.toUInt(&ok, 10);",
     "const uint v = part.toUInt(&ok, 0);", "zero-padded octets read as octal"),
    ("ports-lost-twice", "src/link/qt_ports.cpp", "            if (session != session_) return;  // closed or re-opened meanwhile\n",
     "", "a lost serial port reported once per error"),
    ("ports-hangup-cause", "src/link/qt_ports.cpp", "(pfd.revents & (POLLHUP | POLLERR))", "(pfd.revents & POLLERR)",
     "a hang-up reported with errno's stale text"),
    ("settings-port-range", "src/link/settings.cpp", "to_int(fields[1], 1, 9, &v)", "to_int(fields[1], 0, 99, &v)",
     "port number out of range accepted"),
    ("settings-utf8-guess", "src/link/settings.cpp", "                if (c.unicode() > 0xFF) return wide;",
     "                return wide;", "Latin-1 file that is valid UTF-8 read as UTF-8"),
    ("files-user-copy", "src/link/program_files.cpp",
     "(!user_has || writable(beside) || writable(program_dir))", "(!user_has || writable(program_dir))",
     "a writable file beside the program loses to the user copy"),
    ("files-installed-first", "src/link/program_files.cpp",
     "    if (is_regular_file(beside)) return beside;\n    const QString installed",
     "    const QString installed", "installed data preferred to the copy beside the program"),
    # ---- link controls and start-up
    ("eth-restart-quiet", "src/main_window/link_controls.cpp", "    if (c_.link.device_restarting()) return;\n", "",
     "restart's dropped connection reported as a loss"),
    ("serial-lost-twice", "src/main_window/link_controls.cpp",
     "    if (!c_.link.rs232_open()) return;\n    cmd_disconn_Click();", "    cmd_disconn_Click();",
     "a second loss report shows a second message"),
    ("getip-wait", "src/main_window/link_controls.cpp", "i < 51 && !link.ip_answered()",
     "i < 21 && !link.ip_answered()", "address answers waited for too briefly"),
    ("version-chain", "src/device_controls/power.cpp",
     "send_queries(c_.link, {QStringLiteral(\"VER999\"), QStringLiteral(\"VR2999\")});",
     "c_.link.tx_cmd(QStringLiteral(\"VER999\")); c_.link.tx_cmd(QStringLiteral(\"VR2999\"));", "VR2 asked after an unanswered VER"),
    # ---- the window and its table
    ("window-read-only", "src/main_window/frm_main.cpp", "t->setReadOnly(r.flags & layout::read_only);",
     "t->setReadOnly(false);", "value boxes editable"),
    ("table-mode2-width", "src/main_window/layout_tables.cpp", '{"cmd_mode(2)", K::Button, "fra_btn", 3720, 0, 1185,',
     '{"cmd_mode(2)", K::Button, "fra_btn", 3720, 0, 1155,', "a mode button too narrow"),
    ("table-caption", "src/main_window/layout_tables.cpp", '"Dual PoP", 0, F::mode', '"Dual POP", 0, F::mode',
     "a mode caption misspelt"),
    ("table-hue-range", "src/main_window/layout_tables.cpp", '"hsr_hue(4)", K::Slider, "fra_hue", 690, 1650, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}',
     '"hsr_hue(4)", K::Slider, "fra_hue", 690, 1650, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 255, 10}', "hue slider reaches past the device's 100"),
    ("table-keypad-shown", "src/main_window/layout_tables.cpp", '"Keyboard", hidden}', '"Keyboard"}',
     "Keyboard button shown before Refresh"),
    ("table-out3-overlap", "src/main_window/layout_tables.cpp", '{"cmd_out(3)", K::Button, "fra_btn", 5550, 510,',
     '{"cmd_out(3)", K::Button, "fra_btn", 5050, 510,', "an output button over its neighbour"),
    ("table-bezel-box-editable", "src/main_window/layout_tables.cpp",
     '{"txt_bezel_v", K::TextBox, "fra_bezel", 1530, 1080, 555, 375, "", read_only | centred,',
     '{"txt_bezel_v", K::TextBox, "fra_bezel", 1530, 1080, 555, 375, "", centred,', "a bezel value box editable"),
    ("table-log-in-view", "src/main_window/layout_tables.cpp", '{"txt_cmd", K::LogBox, "", 150, 6600,',
     '{"txt_cmd", K::LogBox, "", 150, 6300,', "traffic log inside the tall view"),
    ("table-get-ip-enabled", "src/main_window/layout_tables.cpp", '"Get IP", disabled, F::standard, grey}',
     '"Get IP", 0, F::standard, grey}', "Get IP enabled before the link is chosen"),
    # ---- routing and modes
    ("mode-settle", "src/routing/display_modes.cpp", "for (int n = 0; n < 10 && !link.reply_done(); ++n) link.Delay(0.5f);",
     "for (int n = 0; n < 2 && !link.reply_done(); ++n) link.Delay(0.5f);", "mode change waits 1 s instead of 5"),
    ("mode-pip-cur-mode", "src/routing/display_modes.cpp",
     "    {DisplayMode::dual, DualKind::pip,",
     "    {4, DualKind::pip,", "Dual PiP leaves cur_mode 4"),
    ("mode-bezel-standby", "src/routing/display_modes.cpp",
     "const bool on = st.pwr_state == 1 && std::any_of(",
     "const bool on = std::any_of(", "bezel frame enabled in standby"),
    ("mode-rows-wall", "src/state/panel_state.h",
     "mode == dual || mode == tv_wall || mode == quad",
     "mode == dual || mode == quad", "TV Wall keeps rows 2-4 disabled"),
    ("mode-pip-lamp", "src/routing/display_modes.cpp",
     "const bool pip = st.cur_mode == DisplayMode::dual && st.dual_kind == DualKind::pip;",
     "const bool pip = st.dual_kind == DualKind::pip;", "PiP lamp stays after leaving Dual PiP"),
    ("map-wall-out", "src/routing/routing_map.cpp",
     "    if (c_.st.cur_mode == DisplayMode::tv_wall) return;  // the wall is the only output\n",
     "", "output buttons work in TV Wall"),
    ("map-other-column", "src/routing/routing_map.cpp",
     "if (c_.st.cur_output != column || !in_1_to_4(index)) return;", "if (!in_1_to_4(index)) return;",
     "a click in another column routes"),
    ("map-refresh-stop", "src/routing/routing_map.cpp",
     "    send_queries(c_.link, queries);",
     "    send_queries(c_.link, queries, [](const QString&) { return true; });", "map read goes on after a silent OUT"),
    ("reso-1080i", "src/routing/resolution.cpp", "return position == 4 || position == 5;",
     "return position == 4 || position == 6;", "wrong entry treated as 1080i"),
    ("reso-reply-offset", "src/routing/resolution.cpp", "select_reported(output_, number - 1);",
     "select_reported(output_, number);", "RES reply selects the next entry"),
    # ---- device controls
    ("pic-row-fold", "src/device_controls/picture.cpp",
     "const int p = mode == DisplayMode::matrix ? v : (index - 1) * 200 + v;",
     "const int p = mode == DisplayMode::matrix ? v : index * 200 + v;", "slider row folded wrong"),
    ("pic-reply-above-100", "src/device_controls/picture.cpp", "if (row >= 1 && row <= 4 && v >= 0 && v <= 100) {",
     "if (row >= 1 && row <= 4 && v >= 0) {", "value above 100 shown"),
    ("pic-sat-goes-on", "src/device_controls/picture.cpp",
     "    send_queries(c_.link, queries, [](const QString& q) { return q.startsWith(QLatin1String(kGroups[Sat].code)); });",
     "    send_queries(c_.link, queries);", "silent SAT ends the picture refresh"),
    ("pic-undo-while-waiting", "src/device_controls/picture.cpp",
     "    if (c_.link.link_up() && c_.link.awaiting_reply()) {\n        // Another exchange waits",
     "    if (false) {\n        // Another exchange waits", "a dropped slider change stays shown"),
    ("bezel-box-follows", "src/device_controls/bezel.cpp",
     "        if (a.slider->value() != before) a.box->setText", "        if (false) a.box->setText",
     "box keeps a value above the new limit"),
    ("audio-mute-from-254", "src/device_controls/on_off.h",
     "const bool on = state != 1;",
     "const bool on = state == 0;", "first mute click asks for mute"),
    ("power-stays-disabled", "src/device_controls/power.cpp",
     '    c_.w.control(QStringLiteral("cmd_pwr"))->setEnabled(true);\n}', "}", "standby answer leaves power disabled"),
    ("power-busy-click", "src/device_controls/power.cpp",
     "const bool sent = c_.link.link_up() && !c_.link.awaiting_reply();", "const bool sent = c_.link.link_up();",
     "a power click dropped while busy is kept"),
    ("power-standby-set", "src/device_controls/power.cpp", '"fra_audio",       "fra_quad"};',
     '"fra_audio",       "fra_bezel"};', "quad audio frame left out of standby"),
    ("power-fact-reset-link-down", "src/device_controls/power.cpp",
     '    if (c_.link.link_up()) c_.w.control(QStringLiteral("cmd_fact_reset"))->setEnabled(false);',
     '    c_.w.control(QStringLiteral("cmd_fact_reset"))->setEnabled(false);', "reset button locked with the link down"),
    ("preset-recall-map", "src/device_controls/presets.cpp",
     "if (send_and_settle(recall_, QStringLiteral(\"CAL\"), index)) read_map_();",
     "send_and_settle(recall_, QStringLiteral(\"CAL\"), index); read_map_();", "map read after a failed recall"),
    ("refresh-asp-goes-on", "src/device_controls/presets.cpp",
     'complete = link.reply_done() || query == QLatin1String("ASP999");', "complete = link.reply_done();",
     "silent ASP ends the full refresh"),
    ("refresh-limit-reset", "src/device_controls/presets.cpp",
     '        if (query == QLatin1String("BEH998") || query == QLatin1String("BEV998")) c_.st.bezel_max_query = false;\n',
     "", "an unanswered limit query leaves the limit flag set"),
    # ---- secondary windows and keys
    ("hdcp-closed", "src/panels/hdcp.cpp", "    if (!c_.st.hdcp_open) return;\n", "",
     "HDCP replies handled with the window closed"),
    ("labels-trimmed", "src/panels/labels.cpp", "setText(reply.mid(4, 12));", "setText(reply.mid(4, 12).trimmed());",
     "label blanks dropped"),
    ("pip-refresh-mode", "src/panels/frm_pip.cpp",
     "if (c_.st.cur_mode == DisplayMode::dual && c_.st.dual_kind == DualKind::pip) main_.dual_pip_refresh();",
     "if (c_.st.dual_kind == DualKind::pip) main_.dual_pip_refresh();", "PiP window asks outside Dual PiP"),
    ("pip-size-args", "src/panels/frm_pip.cpp", '"PSZ0%1%2").arg(inset).arg(index)', '"PSZ0%1%2").arg(index).arg(inset)',
     "size command digits swapped"),
    ("label-length", "src/panels/frm_label.cpp", "box->setMaxLength(12);", "box->setMaxLength(16);",
     "label box takes 16 characters"),
    ("keys-busy", "src/panels/keypad.cpp", "    if (c_.st.busy) return true;\n", "",
     "keys act while an exchange waits"),
    ("keys-pause-down", "src/panels/keypad.cpp", "return a == KeyAction::MenuUp || a == KeyAction::MenuDown ||",
     "return a == KeyAction::MenuUp ||", "Down does not pause"),
    ("keys-1080i-lock", "src/panels/keypad.cpp", "if (!modes_.mode_locked(index)) modes_.cmd_mode_Click(index);",
     "modes_.cmd_mode_Click(index);", "keys ignore the 1080i lock"),
    # ---- widgets
    ("slider-thumb-held", "src/widgets/controls.cpp",
     "if (!isSliderDown()) completed(v);",
     "completed(v);", "dragging reports every step"),
    ("wheel-focus", "src/widgets/controls.cpp",
     "if (e->type() != QEvent::Wheel || static_cast<QWidget*>(watched)->hasFocus()) return false;",
     "if (e->type() != QEvent::Wheel) return false;", "wheel ignored even with focus"),
    # ---- simulated device
    ("sim-wall-route", "simulator/device_model.cpp", "const int out = s.mode == 3 ? 1 : s.selected_output;",
     "const int out = s.selected_output;", "TV Wall routes the selected output"),
    ("sim-picture-row", "simulator/device_model.cpp", "    const int row = p / 200 + 1;\n    const int v = p % 200;",
     "    const int row = p / 200;\n    const int v = p % 200;", "picture row decoded wrong"),
    ("sim-standby-lock", "simulator/device_model.cpp", '{"PWR", "LCK", "VER",', '{"PWR", "VER",',
     "lock refused in standby"),
    ("sim-line-limit", "simulator/device_model.cpp", "if (buffer_.size() >= max_line) {",
     "if (buffer_.size() > max_line) {", "line buffer one byte over its bound"),
    ("sim-boot-clears", "simulator/device_model.cpp", "    if (booting_) input.clear();\n", "",
     "half a line survives a restart"),
    ("sim-swap-pair", "simulator/device_model.cpp", "std::swap(s.route[4][2 * p - 1], s.route[4][2 * p]);",
     "std::swap(s.route[4][p], s.route[4][p + 1]);", "PiP B swaps the wrong outputs"),
    ("sim-factory-reset", "simulator/device_model.cpp", "            factory_reset();\n            restart();", "            restart();",
     "RST001 keeps the settings"),
    ("sim-save", "simulator/device_model.cpp", "            s.presets[p] = snapshot();", "            ;",
     "SAV stores nothing"),
    ("sim-label-tab", "simulator/device_model.cpp", "return (u >= 0x20 && u <= 0x7e) || u >= 0xa0;",
     "return (u >= 0x08 && u <= 0x7e) || u >= 0xa0;", "tab accepted in a label"),
    ("console-route", "simulator/console.cpp", 'return device({"OUT" + pad3(a), "INP" + pad3(b)});',
     'return device({"OUT" + pad3(b), "INP" + pad3(a)});', "route takes input and output swapped"),
    ("console-picture-row", "simulator/console.cpp", "return device({code + pad3((a - 1) * 200 + b)});",
     "return device({code + pad3(a * 200 + b)});", "set bri ROW V folds the row wrong"),
    ("console-label-text", "simulator/console.cpp", "+ int(args[0].size()) + 1;", "+ int(args[0].size());",
     "label text keeps the separating blank"),
    ("console-mute", "simulator/console.cpp", 'if (verb == "mute") return device({"AUD000"});',
     'if (verb == "mute") return device({"AUD001"});', "mute unmutes"),
    ("console-listen-host", "simulator/console.cpp", "        if (!host.isEmpty()) result.host = host;",
     "        result.host = host;", "\":port\" listens on no address"),
    ("fault-no-draw", "simulator/fault_plan.cpp", "    if (p <= 0) return false; // draws nothing",
     "    if (p < 0) return false; // draws nothing", "an unused fault shifts the others' draws"),
    ("fault-garbage-after-cr", "simulator/fault_plan.cpp",
     "const int end = bytes.endsWith('\\r') ? int(bytes.size()) - 1 : int(bytes.size());",
     "const int end = int(bytes.size());", "stray bytes may land behind the reply's CR, soiling the next reply"),
    ("fault-garbage-lf", "simulator/fault_plan.cpp", "while (c == '\\r' || c == '\\n');", "while (c == '\\r');",
     "garbage may contain LF"),
    ("pacer-overtake", "simulator/fault_plan.cpp", "const qint64 start = std::max(t + p.delay_us, line_free_us_);",
     "const qint64 start = t + p.delay_us;", "paced pieces overtake each other"),
    ("server-serial-broadcast", "simulator/sim_server.cpp", "    if (serial_channel_) serial_channel_->send(reply);\n", "",
     "front-panel changes not sent on the serial line"),
    # ---- faults that trimmed tests were checked against
    ("link-tick-nests", "src/link/link.cpp", "if (in_rx_tick_ && wait_depth_ <= tick_wait_depth_) return;",
     "if (in_rx_tick_) return;", "a click during a serial tick never reads its answer"),
    ("link-tick-recursion", "src/link/link.cpp", "if (in_rx_tick_ && wait_depth_ <= tick_wait_depth_) return;",
     "if (false) return;", "serial ticks nest: a backlog deepens the stack"),
    ("link-pending-dropped", "src/link/link.cpp", "    serial_pending_at_ = i;\n    if (i >= data.size()) {",
     "    serial_pending_at_ = i;\n    if (true) {", "bytes behind a reply's CR thrown away"),
    ("pic-reset-rows", "src/device_controls/picture.cpp",
     "const int rows = c_.st.cur_mode == DisplayMode::matrix ? 1 : 4;", "const int rows = 4;",
     "Matrix picture reset clears all four rows"),
    ("pic-sends-while-held", "src/device_controls/picture.cpp",
     "void Picture::slider_change(Group g, int index) {\n    if (!c_.st.cmd_enable) return;",
     "void Picture::slider_change(Group g, int index) {", "a slider moved by a reply sends it back"),
    ("font-mode-size", "src/main_window/layout_tables.cpp", '    {"Arial", 9.75, true},', '    {"Arial", 9, true},',
     "mode buttons in the wrong size"),
    ("keys-main-9", "src/panels/keypad.cpp", "{Qt::Key_9, Zone::Keypad, KeyAction::Lock}",
     "{Qt::Key_9, Zone::Any, KeyAction::Lock}", "main-row 9 locks the device"),
    ("keys-scan-in4", "src/panels/keypad.cpp", "{14, KeyAction::Mode5}, {47, KeyAction::In4},",
     "{14, KeyAction::Mode5}, {48, KeyAction::In4},", "the key right of L told by the wrong scan code"),
    ("traffic-escape-del", "src/link/traffic_log.cpp", "if (b < 0x20 || b >= 0x7F) {", "if (b < 0x20 || b > 0x7F) {",
     "DEL written raw into the traffic log"),
    ("mode-options-standby", "src/routing/display_modes.cpp", "if (!dual || c_.st.pwr_state != 1) return;",
     "if (!dual) return;", "audio option captions change in standby"),
    ("mode-matrix-boxes-kept", "src/routing/display_modes.cpp", "            if (!per_output) c_.w.ctl_at<QLineEdit>",
     "            if (false) c_.w.ctl_at<QLineEdit>", "Matrix keeps old values in rows 2-4"),
    ("map-wall-column", "src/routing/routing_map.cpp", "paint_column(1, in);  // the wall is column a",
     "paint_column(c_.st.cur_output, in);  // the wall is column a", "TV Wall input painted in the selected column"),
    ("pic-reply-row-now", "src/device_controls/picture.cpp", "        row = p / 200 + 1;", "        row = p / 200;",
     "picture reply shown one row up"),
    ("link-nowait-while-awaiting", "src/link/link.cpp",
     "    if (!check_link()) return;\n    if (awaiting_reply_) return;\n    awaiting_reply_ = true;\n    clear_reply();",
     "    if (!check_link()) return;\n    awaiting_reply_ = true;\n    clear_reply();", "a slider move goes out while a reply is awaited"),
    ("link-wire-latin1", "src/link/link.cpp", "out.append(c.unicode() <= 0xFF ? char(c.unicode()) : '?');",
     "out.append(c.unicode() <= 0x7F ? char(c.unicode()) : '?');", "Latin-1 letters sent as '?'"),
    ("link-pad3", "src/link/link.cpp", "if (s.size() < 3) s.prepend(", "if (s.size() < 2) s.prepend(",
     "two-digit numbers sent unpadded"),
    ("mute-picture-inverted", "src/device_controls/audio.cpp", "c_.st.audio_state != 0 ? QStringLiteral(\"speaker_on.bmp\")",
     "c_.st.audio_state == 0 ? QStringLiteral(\"speaker_on.bmp\")", "muted shown as sound on"),
    # ---- faults an earlier version had, each guarded by the test written for it
    ("ports-stale-input", "src/link/qt_ports.cpp",
     "    port_.clear(QSerialPort::Input);\n    ++session_;\n    watching_ = true;",
     "    ++session_;\n    watching_ = true;", "bytes from before the open taken as replies"),
    ("ports-lost-open", "src/link/qt_ports.cpp", "            close();\n            if (on_lost) on_lost(cause);",
     "            if (on_lost) on_lost(cause);", "a lost serial port left open (polled for ever)"),
    ("ports-busy-denied", "src/link/qt_ports.cpp",
     "if (::access(QFile::encodeName(device_).constData(), R_OK | W_OK) != 0)",
     "if (::access(QFile::encodeName(device_).constData(), R_OK | W_OK) == 0)", "a busy port reported as denied"),
    ("tcp-keepalive-idle", "src/link/qt_ports.cpp", "    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);\n",
     "", "keep-alive starts after the system's two hours"),
    ("signal-pipe", "src/main_window/shutdown_guard.cpp", "    ::signal(SIGPIPE, SIG_IGN);\n", "",
     "a write to a closed pipe ends the panel"),
    ("exit-hook", "src/main_window/shutdown_guard.cpp", "if (!exit_hook) exit_hook = std::atexit(save_at_exit) == 0;",
     "exit_hook = true;", "a lost display leaves the settings unwritten"),
    ("traffic-crlf", "src/link/traffic_log.cpp", "            if (lf) p.bytes += b;\n", "",
     "the LF of a CR LF reply left out of the traffic log"),
    ("log-clear-81", "src/link/link.cpp", "constexpr int16_t kLogEntries = 80;", "constexpr int16_t kLogEntries = 81;",
     "the command log cleared one entry late"),
    ("link-down-sends", "src/link/link.cpp",
     "    if (link_kind_ == LinkKind::rs232 && !rs232_open_) {",
     "    if (false) {", "commands go out on a closed serial link"),
    ("pacer-loses-held", "src/widgets/paint_pacer.cpp", "if (w.held && w.widget) QCoreApplication::postEvent",
     "if (false && w.widget) QCoreApplication::postEvent", "a repaint held back is lost when pacing ends"),
    ("pacer-no-gate", "src/widgets/paint_pacer.cpp", "    if (!on_wire_ || command_out) return 0;",
     "    return 0;", "due frames painted between answer and next command"),
    ("font-arial-stand-in", "src/widgets/fonts.cpp", '{"Arial", "Liberation Sans"},', '{"Arial", "DejaVu Sans"},',
     "Arial stood in for by a wider face"),
    # ---- files the table had left out
    ("startup-cmd-enable", "src/main_window/startup.cpp",
     "    link.set_tim_rx_enabled(true);\n    c_.st.cmd_enable = true;\n}", "    link.set_tim_rx_enabled(true);\n}",
     "controls never send after start-up"),
    ("startup-aspect-shown", "src/main_window/startup.cpp", "    aspect->setCurrentIndex(-1);\n", "",
     "an aspect shown before the device reports one"),
    ("startup-com9", "src/main_window/startup.cpp", "for (int n = 1; n <= 9; ++n) com->addItem",
     "for (int n = 1; n <= 8; ++n) com->addItem", "COM9 missing from the port list"),
    ("window-placement", "src/panels/frm_label.cpp",
     "place_frame_at(main_frame.left() + main_frame.width() - own.width(), main_frame.top() - own.height());",
     "place_frame_at(main_frame.left(), main_frame.top() - own.height());", "label window not at the right edge"),
    ("cmdline-positional", "src/main_window/command_line.cpp",
     "} else if (!ok || !p.positionalArguments().isEmpty()) {", "} else if (!ok) {", "a stray argument accepted"),
    ("picture-power-on", "src/widgets/pictures.cpp", "return power_picture(QColor(0x00, 0xA0, 0x00));",
     "return power_picture(QColor(0xE0, 0x00, 0x00));", "power on drawn red"),
    ("reply-number-base", "src/link/reply_text.cpp", "value = value * 10 + c.digitValue();",
     "value = value * 8 + c.digitValue();", "numbers in replies read in the wrong base"),
    ("sim-serial-broadcast-tcp", "simulator/sim_server.cpp",
     "    for (const QPointer<Channel>& c : tcp_channels_)\n        if (c) c->send(reply);\n", "",
     "front-panel changes not sent to TCP clients"),
    ("sim-pty-link-kept", "simulator/pty_port.cpp",
     "    if (!link_path_.isEmpty()) {\n        ::unlink(QFile::encodeName(link_path_).constData());",
     "    if (false) {\n        ::unlink(QFile::encodeName(link_path_).constData());", "the serial link name left behind"),
    ("hdcp-window-refresh", "src/panels/hdcp.cpp", 'send_queries(c_.link, {QStringLiteral("HPI991"), QStringLiteral("HPI992"),',
     'send_queries(c_.link, {QStringLiteral("HPI992"), QStringLiteral("HPI991"),', "HDCP inputs asked out of order"),
    ("eth-connecting-colour", "src/main_window/link_controls.cpp", "        conn_eth->set_back_color(colors::in_progress);",
     "        conn_eth->set_back_color(colors::neutral);", "Connect does not show the attempt under way"),
    ("settings-in-place", "src/link/settings.cpp", "    if (!f.open(QIODevice::WriteOnly)) return write_in_place(path, bytes);",
     "    if (true) return write_in_place(path, bytes);", "the settings rewritten in place, not replaced"),
    ("audio-da-code", "src/device_controls/audio.cpp", '{QStringLiteral("opt_da"), QStringLiteral("AUA"), 1, 2},',
     '{QStringLiteral("opt_da"), QStringLiteral("AUB"), 1, 2},', "dual A audio options send B's command"),
    ("slider-release-same", "src/widgets/controls.cpp", "if (value() != settled_) completed(value());",
     "completed(value());", "a thumb let go where it was taken reports a change"),
    ("logview-after-clear", "src/main_window/panel.cpp", "        if (replace_) {\n            box_->setPlainText",
     "        if (false) {\n            box_->setPlainText", "the traffic box appends to what a clear removed"),
    ("port-change-keeps-half-reply", "src/main_window/link_controls.cpp",
     "    // A half-received reply of the previous port is forgotten.\n    link.forget_reception();\n", "",
     "half a reply of the previous port taken into the next one's"),
    ("sim-faults-off-kept", "simulator/sim_server.cpp",
     "        for (const QPointer<Channel>& c : tcp_channels_)\n            if (c) c->set_faults(faults_on_);\n", "",
     "\"faults off\" leaves the connected clients' faults on"),
]


def run(cmd, **kw):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **kw)


def prepare(repo, scratch):
    tree, build = scratch / "tree", scratch / "build"

    def shared(text):
        # Shared core libraries: a mutant recompiles one file and relinks one
        # library, not every test program.
        return re.sub(r"qt_add_library\((tavrin4x(?:_sim)?_core) STATIC", r"qt_add_library(\1 SHARED", text)

    # The files git knows or would add. Only those that differ are written
    # (and so rebuilt); files gone from the source go here too.
    names = run(["git", "-C", str(repo), "ls-files", "-co", "--exclude-standard"], check=True).stdout.split("\n")
    wanted = set()
    for name in filter(None, names):
        data = (repo / name).read_bytes()
        if name in ("CMakeLists.txt", "simulator/CMakeLists.txt"):
            data = shared(data.decode()).encode()
        dst = tree / name
        wanted.add(dst)
        if not dst.exists() or dst.read_bytes() != data:
            dst.parent.mkdir(parents=True, exist_ok=True)
            dst.write_bytes(data)
            shutil.copymode(repo / name, dst)
    for old in [f for f in tree.rglob("*") if f.is_file() and f not in wanted]:
        old.unlink()
    if not (build / "build.ninja").exists():
        r = run(["cmake", "-S", str(tree), "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                 "-DCMAKE_LINK_DEPENDS_NO_SHARED=ON", f"-DCMAKE_INSTALL_RPATH={build};{build}/simulator"])
        if r.returncode:
            sys.exit(r.stdout)
    tests = sorted(f"test_{p.parent.name}_{p.stem}" for p in (tree / "tests").glob("*/*.cpp")
                   if p.parent.name != "support")
    return tree, build, tests


def build_targets(build, targets):
    r = run(["ninja", "-C", str(build), "-j2"] + targets)
    return r.returncode == 0, r.stdout[-3000:]


FAIL = re.compile(r"^FAIL!  : (\w+::\w+)\(")
ENTER = re.compile(r"^INFO   : (\w+::\w+)\(.*\) entering")


def run_tests(build, tests, timeout):
    """{test program: [test functions that failed]} for every program that failed."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    failed = {}
    for t in tests:
        exe = build / "tests" / t
        try:
            p = subprocess.Popen([str(exe), "-v1"], cwd=exe.parent, env=env, stdout=subprocess.PIPE,
                                 stderr=subprocess.STDOUT, text=True, errors="replace", start_new_session=True)
            out, _ = p.communicate(timeout=timeout)
            rc = p.returncode
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGKILL)
            out, _ = p.communicate()
            rc = "timeout"
        if rc == 0:
            continue
        lines = out.splitlines()
        funcs = sorted({m.group(1) for m in map(FAIL.match, lines) if m})
        if not funcs:  # crashed or hung: blame the function that was running
            entered = [m.group(1) for m in map(ENTER.match, lines) if m]
            funcs = [f"{entered[-1] if entered else '?'} ({'timeout' if rc == 'timeout' else 'crash'})"]
        failed[t] = funcs
    return failed


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--scratch", default="/tmp/mut")
    ap.add_argument("--only", default="")
    ap.add_argument("--out", default="")
    ap.add_argument("--timeout", type=int, default=240)
    ap.add_argument("--compare", nargs=2, metavar=("BEFORE", "AFTER"))
    a = ap.parse_args()
    if a.compare:
        return compare(*a.compare)

    repo = Path(__file__).resolve().parent.parent
    scratch = Path(a.scratch)
    tree, build, tests = prepare(repo, scratch)
    targets = tests + ["tavrin4x", "tavrin4x-sim"]
    ok, log = build_targets(build, targets)
    if not ok:
        sys.exit("the unchanged tree does not build:\n" + log)
    base = run_tests(build, tests, a.timeout)
    if base:
        sys.exit(f"the unchanged tree fails its tests: {base}")

    chosen = [m for m in MUTANTS if not a.only or m[0] in a.only.split(",")]
    results = []
    for n, (mid, file, old, new, what) in enumerate(chosen, 1):
        path = tree / file
        original = path.read_text() if path.is_file() else ""
        start = time.time()
        if original.count(old) != 1:  # the text moved on, or its file did
            res = {"status": "stale"}
        else:
            path.write_text(original.replace(old, new))
            try:
                ok, log = build_targets(build, targets)
                if not ok:
                    res = {"status": "stillborn", "log": log}
                else:
                    killed = run_tests(build, tests, a.timeout)
                    res = {"status": "killed" if killed else "survived", "by": killed}
            finally:
                path.write_text(original)
        res.update(id=mid, file=file, fault=what, seconds=round(time.time() - start))
        results.append(res)
        by = "; ".join(f"{t}: {', '.join(f)}" for t, f in res.get("by", {}).items())
        print(f"[{n}/{len(chosen)}] {mid:28} {res['status']:9} {by}", flush=True)
        if a.out:
            Path(a.out).write_text(json.dumps(results, indent=1))
    build_targets(build, targets)  # leave the scratch build unmutated
    counts = {s: sum(r["status"] == s for r in results) for s in ("killed", "survived", "stillborn", "stale")}
    print("mutants", len(results), counts)
    for r in results:
        if r["status"] == "survived":
            print(f"  survived: {r['id']} ({r['file']}): {r['fault']}")


def compare(before, after):
    b = {r["id"]: r for r in json.loads(Path(before).read_text())}
    c = {r["id"]: r for r in json.loads(Path(after).read_text())}
    lost = [i for i, r in b.items() if r["status"] == "killed" and c.get(i, {}).get("status") != "killed"]
    gained = [i for i, r in c.items() if r["status"] == "killed" and b.get(i, {}).get("status") != "killed"]
    for name, rs in (("before", b), ("after", c)):
        print(name, len(rs), {s: sum(r["status"] == s for r in rs.values())
                              for s in ("killed", "survived", "stillborn", "stale")})
    print("caught before, not after:", lost or "none")
    print("caught after, not before:", gained or "none")
    return 1 if lost else 0


if __name__ == "__main__":
    sys.exit(main())
