// The four secondary windows on the whole panel, the device model answering:
// toggles and placement, refreshes and where they stop, replies open and
// closed, what their controls send, the key map and the label commands.

#include "device_controls/controls_rig.h"
#include "panels/frm_hdcp.h"
#include "panels/frm_keypad.h"
#include "panels/frm_label.h"
#include "panels/frm_pip.h"
#include "panels/hdcp.h"
#include "panels/keypad.h"
#include "panels/labels.h"
#include "panels/pip.h"

#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;
using A = KeyAction;
using S = ScanCodes;

namespace {

constexpr auto KP = Qt::KeypadModifier;
enum { keypad, hdcp, labels, pip };

const struct {
    const char *opener, *title;
    QSize size;
    QStringList queries;  // asked on every opening, in this order
} wins[] = {
    {"cmd_keypad", "Keyboard", {353, 112}, {}},
    {"cmd_hdcp", "HDCP", {541, 106},
     {"HPI991", "HPI992", "HPI993", "HPI994", "HPO991", "HPO992", "HPO993", "HPO994"}},
    {"lab_lab_input", "Input Labels", {183, 141}, {"LAB999", "LAI991", "LAI992", "LAI993", "LAI994"}},
    {"lab_pip", "DUAL PiP", {221, 119}, {"PPO991", "PPO992", "PSZ991", "PSZ992"}},
};

void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

struct WinRig : Rig {
    explicit WinRig(bool silent = false) {
        if (silent) device.responder = nullptr;
        st().cur_mode = 2, st().dual_kind = 2;  // Dual PiP, where the PiP window asks the device
        w().control(QStringLiteral("fra_btn"))->setEnabled(true);  // openers as with the device on
        for (const auto& x : wins) w().control(x.opener)->setEnabled(true), w().control(x.opener)->show();
        take_received();
    }
    PanelWindow* window(int win) {
        return std::array<PanelWindow*, 4>{p().keypad->window(), p().hdcp->window(), p().labels->window(),
                                           p().pip->window()}[win];
    }
    bool is_open(int win) {
        return std::array{st().keypad_open, st().hdcp_open, st().label_open, st().pip_open}[win];
    }
    void toggle(int win) { click(w().control(wins[win].opener)); }
};

// What the open window shows: '0'/'1'/'-' per option pair and the label boxes;
// per PiP inset its size and its corners ('#' coloured as selected).
QString shown(Panel& p) {
    const auto pair = [](QAbstractButton* a, QAbstractButton* b) {
        return QChar(a->isChecked() ? '0' : b->isChecked() ? '1' : '-');
    };
    QString s;
    for (int n = 1; p.hdcp->window() && n <= 8; ++n)
        s += n <= 4 ? pair(p.hdcp->window()->opt_hdcp_in(n, 0), p.hdcp->window()->opt_hdcp_in(n, 1))
                    : pair(p.hdcp->window()->opt_hdcp_out(n - 4, 0), p.hdcp->window()->opt_hdcp_out(n - 4, 1));
    if (FrmLabel* f = p.labels->window()) {
        s += pair(f->opt_on_off(0), f->opt_on_off(1));
        for (int i = 1; i <= 4; ++i) s += '|' + f->txt_lab_in(i)->text();
    }
    for (int inset = 1; p.pip->window() && inset <= 2; ++inset) {
        s += QString::number(p.pip->window()->size_list(inset)->currentIndex()) + ':';
        for (int k = 0; k < 4; ++k)
            s += p.pip->window()->pos(inset, k)->back_color() == colors::selected ? '#' : '.';
    }
    return s;
}

}  // namespace

class WindowsTest : public QObject {
    Q_OBJECT
private slots:
    void toggle_place_and_close() {
        for (int win = keypad; win <= pip; ++win) {
            WinRig rig;
            // Where each fits the screen: the label window lines up with the main window's right edge.
            for (int i = 0; i < 2; ++i)  // the offscreen platform settles a move on the second go
                rig.w().move(win == labels ? 800 - rig.w().frameGeometry().width() : 0, 300),
                    QCoreApplication::processEvents();
            rig.toggle(win);
            QPointer<PanelWindow> f = rig.window(win);
            QVERIFY(rig.is_open(win) && f && f->isVisible() && f->parentWidget() == &rig.w());
            QCOMPARE(rig.take_received(), wins[win].queries);
            QCOMPARE(f->windowTitle(), QString(wins[win].title));
            QCOMPARE(f->size(), wins[win].size);
            const QRect m = rig.w().frameGeometry(), g = f->frameGeometry();
            const int left[] = {m.left(), m.left(), m.right() + 1 - g.width(), m.left() + 359};
            const int above = win == hdcp ? m.top() + rig.w().control("cmd_hdcp")->y() : m.top();
            QCOMPARE(g.topLeft(), QPoint(left[win], above - g.height()));
            // Closed by its opener, by the window system or with the main window.
            for (int way : {0, 1, 2}) {
                if (way > 0) rig.toggle(win), f = rig.window(win);
                if (way == 0) rig.toggle(win);
                else if (way == 1) f->close();
                else rig.w().close();
                QVERIFY(!rig.is_open(win) && !rig.window(win));
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QVERIFY(f.isNull());
            }
        }
        for (auto [mode, kind] : {std::pair{2, 1}, {1, 0}, {3, 2}, {5, 2}}) {  // PiP asks only in Dual PiP
            WinRig other;
            other.st().cur_mode = mode, other.st().dual_kind = kind;
            other.toggle(pip);
            QVERIFY(other.st().pip_open && other.take_received().isEmpty());
        }
    }

    void replies_fill_open_windows_only_and_never_send() {
        const std::tuple<int, QByteArray, QString> rows[] = {  // replies, the last CR left to reply()
            {hdcp, "HPI031", "--1-----"}, {hdcp, "HPI010\rHPO011\rHPO040", "0---1--0"},
            // Ports 0, 5, 9 and x, setting 7 and a short reply name no option.
            {hdcp, "HPI021\rHPI001\rHPI051\rHPO091\rHPI0x1\rHPI027\rHPI1", "-1------"},
            {labels, "LAB001\rLAB007", "1||||"}, {labels, "LAB000", "0||||"},
            {labels, "LAI3STAGE LEFT  ", "-|||STAGE LEFT  |"},
            {labels, "LAI4ABCDEFGHIJKLMNOP\rLAI1Cam", "-|Cam|||ABCDEFGHIJKL"},
            {labels, "LAI0ABCDEFGHIJKL\rLAI5ABCDEFGHIJKL\rLAIxABCDEFGHIJKL", "-||||"},
            {pip, "PPO023", "-1:....-1:...#"}, {pip, "PPO011\rPPO012", "-1:..#.-1:...."},
            // Corners 4 and 9, insets 3, 0 and x name no button: the shown corner stays.
            {pip, "PPO011\rPPO014\rPPO029\rPPO032\rPPO002\rPPO0x2", "-1:.#..-1:...."},
            {pip, "PSZ012\rPSZ023\rPSZ014\rPSZ071", "2:....3:...."},
        };
        for (const auto& [win, replies, want] : rows) {
            WinRig rig(true);  // the window starts empty: its refresh stops at the first query
            rig.toggle(win);
            QCOMPARE(rig.take_received(), wins[win].queries.mid(0, 1));
            rig.reply(replies);
            QCOMPARE(shown(rig.p()), want);
            QVERIFY(rig.take_received().isEmpty() && rig.st().cmd_enable);
            rig.toggle(win);
            rig.st().cmd_enable = false;  // a handler that ran would set it again
            rig.reply(replies);
            QVERIFY(!rig.st().cmd_enable);
        }
    }

    void what_the_controls_send() {
        WinRig rig;
        for (int win : {hdcp, labels, pip}) rig.toggle(win);
        FrmHdcp* h = rig.p().hdcp->window();
        FrmPip* f = rig.p().pip->window();
        const std::pair<QWidget*, const char*> rows[] = {
            {h->opt_hdcp_in(4, 1), "HPI041"}, {h->opt_hdcp_out(2, 1), "HPO021"},
            {rig.p().labels->window()->opt_on_off(1), "LAB001"}, {f->cmd_b_pos[3], "PPO023"},
            {f->size_list(2), "PSZ023"}, {f->cmd_b_swap, "PSW002"}};
        // The buttons and lists only while commands are enabled.
        for (const auto& [control, sent] : rows)
            for (bool enabled : {true, false}) {
                rig.take_received();
                rig.st().cmd_enable = enabled;
                if (auto* list = qobject_cast<QComboBox*>(control)) QTest::keyClick(list, Qt::Key_End);
                else click(control);
                QCOMPARE(rig.take_received(), enabled ? QStringList{sent} : QStringList());
            }
        // Enter sends a label box byte for byte, and does not consult cmd_enable.
        rig.st().cmd_enable = false;
        rig.device.responder = nullptr;  // unanswered: the box keeps what was sent
        const std::tuple<int, const char*, QByteArray, const char*> typed_rows[] = {
            {2, "Studio B", "LAI2Studio B\r\r", "Studio B"}, {1, "", "LAI1\r\r", ""},
            {4, " A  label ", "LAI4 A  label \r\r", " A  label "},
            // Twelve characters are all the device keeps: the box takes no more.
            {4, "Studio B left wall", "LAI4Studio B lef\r\r", "Studio B lef"},
            // A CR or LF would end the command and start a second one.
            {3, "AB\rMOD001", "LAI3ABMOD001\r\r", "ABMOD001"}, {3, "x\r\ny\tz", "LAI3xyz\r\r", "xyz"},
            {1, "a\x7f" "b\u0085c", "LAI1abc\r\r", "abc"}, {2, "Caf\u00e9", "LAI2Caf\xe9\r\r", "Caf\u00e9"},
            {2, "\u03a9 room", "LAI2? room\r\r", "\u03a9 room"}};
        for (const auto& [box, typed, wire, after] : typed_rows) {
            QLineEdit* edit = rig.p().labels->window()->txt_lab_in(box);
            rig.serial.writes.clear();
            edit->setText(QString::fromUtf8(typed));
            QTest::keyClick(edit, Qt::Key_Return);
            QCOMPARE(rig.serial.writes.join(), wire);
            QCOMPARE(edit->text(), QString::fromUtf8(after));
        }
    }

    void key_map() {
        // Keypad digit (Num Lock on), the key the keypad sends with Num Lock off, the
        // main-row digit's action, the keypad key's action with or without the keypad flag.
        const std::tuple<int, int, A, A> pad[] = {
            {Qt::Key_7, Qt::Key_Home, A::None, A::Mute},       {Qt::Key_8, Qt::Key_Up, A::None, A::MenuUp},
            {Qt::Key_9, Qt::Key_PageUp, A::None, A::Lock},     {Qt::Key_4, Qt::Key_Left, A::Mode4, A::MenuLeft},
            {Qt::Key_5, Qt::Key_Clear, A::Mode5, A::MenuOk},   {Qt::Key_6, Qt::Key_Right, A::None, A::MenuRight},
            {Qt::Key_1, Qt::Key_End, A::Mode1, A::MenuExit},   {Qt::Key_2, Qt::Key_Down, A::Mode2, A::MenuDown},
            {Qt::Key_3, Qt::Key_PageDown, A::Mode3, A::MenuMenu}, {Qt::Key_0, Qt::Key_Insert, A::None, A::None}};
        const std::pair<int, A> letters[] = {{Qt::Key_S, A::OutB}, {Qt::Key_K, A::In2}, {Qt::Key_Enter, A::None}};
        for (Qt::KeyboardModifiers m : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
            const auto action = [m](int key, Qt::KeyboardModifiers more = {}) {
                return Keypad::key_action(key, m | more, 0, S::None);
            };
            for (const auto& [digit, nav, main_row, on_pad] : pad) {
                const QByteArray row = QByteArray::number(digit, 16) + " mods " + QByteArray::number(int(m), 16);
                QVERIFY2(action(digit) == main_row && action(digit, KP) == on_pad, row);
                QVERIFY2(action(nav) == on_pad && action(nav, KP) == on_pad, row);
            }
            for (const auto& [key, a] : letters) QVERIFY2(action(key) == a, QByteArray::number(key, 16));
        }
        // By scan code: the key right of L whatever it writes, main-row digits whatever
        // Shift or the layout make of them, other keys by what they write.
        const std::tuple<int, quint32, S, A> scans[] = {
            {Qt::Key_Odiaeresis, 47, S::X11, A::In4}, {Qt::Key_Semicolon, 59, S::X11, A::None},
            {Qt::Key_Exclam, 10, S::X11, A::Mode1},   {Qt::Key_Eacute, 11, S::X11, A::Mode2},
            {Qt::Key_J, 44, S::X11, A::In1},          {Qt::Key_Odiaeresis, 0x27, S::Windows, A::In4},
            {Qt::Key_V, 47, S::Windows, A::None},     {Qt::Key_Odiaeresis, 47, S::None, A::None}};
        for (const auto& [key, scan, codes, a] : scans)
            QVERIFY2(Keypad::key_action(key, Qt::ShiftModifier, scan, codes) == a, QByteArray::number(scan));
    }

    void keys_reach_the_device_unless_it_is_busy() {
        WinRig rig;
        rig.w().control(QStringLiteral("fra_btn"))->setEnabled(false);  // keys act in standby too
        rig.st().cur_output = 3;                                         // inputs go to output C
        rig.toggle(keypad);
        rig.both("MOD001");  // Matrix, then 1080i chosen
        pick(rig.w().ctl<QComboBox>(QStringLiteral("cbo_output")), 4);
        QCOMPARE(rig.take_received(), QStringList({"RES005"}));
        const std::tuple<int, Qt::KeyboardModifiers, QString> keys[] = {
            {Qt::Key_J, {}, "INP001"},     {Qt::Key_Semicolon, {}, "INP004"},
            // 1080i in Matrix locks modes 2-5 for the keys as for the buttons, until Matrix is chosen again.
            {Qt::Key_2, {}, ""},           {Qt::Key_5, {}, ""},               {Qt::Key_1, {}, "MOD001"},
            {Qt::Key_5, {}, "MOD005"},     {Qt::Key_A, {}, "OUT001"},         {Qt::Key_F, {}, "OUT004"},
            {Qt::Key_7, KP, "AUD001"},     {Qt::Key_8, KP, "MNU001"},         {Qt::Key_9, KP, "LCK001"},
            {Qt::Key_4, KP, "MNL001"},     {Qt::Key_Clear, KP, "MNO001"},     {Qt::Key_Right, {}, "MNR001"},
            {Qt::Key_End, {}, "MNE001"},   {Qt::Key_Down, {}, "MND001"},      {Qt::Key_PageDown, {}, "MNX001"},
            {Qt::Key_0, KP, ""},           {Qt::Key_7, {}, ""}};
        for (const auto& [key, mods, first] : keys) {
            const qint64 before = rig.platform.now;  // the fake clock moves only while pumping
            QTest::keyClick(rig.window(keypad), Qt::Key(key), mods);
            QCOMPARE(rig.take_received().value(0), first);
            // The four direction keys pause 50 ms after their command.
            if (first.startsWith("MN"))
                QCOMPARE(rig.platform.now - before >= 50, QString("UDLR").contains(first[2]));
        }
        // The repeats of a held arrow that come during its pause are dropped.
        int repeats = 0;
        rig.platform.then_on_pump = [&] {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
            if (rig.st().busy && !rig.link().awaiting_reply())
                ++repeats, QApplication::sendEvent(rig.window(keypad), &repeat);
        };
        QTest::keyClick(rig.window(keypad), Qt::Key_Up);
        rig.platform.then_on_pump = nullptr;
        QVERIFY(repeats >= 40);  // while the pause pumped
        QCOMPARE(rig.take_received(), QStringList({"MNU001"}));
    }
};

QTEST_MAIN(WindowsTest)
#include "windows.moc"
