// The keyboard window: the key map as a table (every code, modifiers, keypad
// against main row, physical scan codes), what each key puts on the wire,
// keys dropped while busy and during the arrow pause, toggle and placement,
// and the secondary windows going with the main window.

#include "panels/frm_keypad.h"
#include "panels/frm_hdcp.h"
#include "panels/frm_label.h"
#include "panels/frm_pip.h"
#include "panels/hdcp.h"
#include "panels/keypad.h"
#include "panels/labels.h"
#include "panels/pip.h"
#include "windows_rig.h"

#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

Q_DECLARE_METATYPE(tavrin::KeyAction)
Q_DECLARE_METATYPE(tavrin::ScanCodes)

namespace {
using A = KeyAction;
constexpr auto KP = Qt::KeypadModifier;
}  // namespace

class KeypadTest : public QObject {
    Q_OBJECT
private slots:
    void key_map_data();
    void key_map();
    void keys_reach_the_device_data();
    void keys_reach_the_device();
    void input_keys_route_to_the_selected_output_data();
    void input_keys_route_to_the_selected_output();
    void keys_are_dropped_while_busy();
    void held_arrow_repeats_are_dropped_during_the_pause();
    void only_direction_keys_pause();
    void button_toggles_and_places_the_window();
    void windows_close_with_the_main_window();
};

void KeypadTest::key_map_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<quint32>("scan");
    QTest::addColumn<tavrin::ScanCodes>("codes");
    QTest::addColumn<tavrin::KeyAction>("action");
    const auto row = [](const char* name, int key, Qt::KeyboardModifiers mods, A action, quint32 scan = 0,
                        ScanCodes codes = ScanCodes::None) {
        QTest::newRow(name) << key << int(mods) << scan << codes << action;
    };
    // Main-row digits choose modes; with modifiers too.
    row("1", Qt::Key_1, {}, A::Mode1);
    row("2", Qt::Key_2, {}, A::Mode2);
    row("3", Qt::Key_3, {}, A::Mode3);
    row("4", Qt::Key_4, {}, A::Mode4);
    row("5", Qt::Key_5, {}, A::Mode5);
    row("Ctrl+3", Qt::Key_3, Qt::ControlModifier, A::Mode3);
    row("main 6", Qt::Key_6, {}, A::None);
    row("main 9", Qt::Key_9, {}, A::None);
    row("main 0", Qt::Key_0, {}, A::None);
    // Outputs and inputs, letters whatever the modifiers.
    row("A", Qt::Key_A, {}, A::OutA);
    row("Shift+A", Qt::Key_A, Qt::ShiftModifier, A::OutA);
    row("Ctrl+A", Qt::Key_A, Qt::ControlModifier, A::OutA);
    row("Alt+A", Qt::Key_A, Qt::AltModifier, A::OutA);
    row("S", Qt::Key_S, {}, A::OutB);
    row("D", Qt::Key_D, {}, A::OutC);
    row("Shift+F", Qt::Key_F, Qt::ShiftModifier, A::OutD);
    row("J", Qt::Key_J, {}, A::In1);
    row("K", Qt::Key_K, Qt::ControlModifier, A::In2);
    row("L", Qt::Key_L, {}, A::In3);
    row("; without scan code", Qt::Key_Semicolon, {}, A::In4);
    row("G", Qt::Key_G, {}, A::None);
    row("Q", Qt::Key_Q, {}, A::None);
    row("Space", Qt::Key_Space, {}, A::None);
    // The numeric keypad with Num Lock on: digits flagged as keypad keys.
    row("kp 7", Qt::Key_7, KP, A::Mute);
    row("kp 8", Qt::Key_8, KP, A::MenuUp);
    row("kp 9", Qt::Key_9, KP, A::Lock);
    row("kp 4", Qt::Key_4, KP, A::MenuLeft);
    row("kp 5", Qt::Key_5, KP, A::MenuOk);
    row("kp 6", Qt::Key_6, KP, A::MenuRight);
    row("kp 1", Qt::Key_1, KP, A::MenuExit);
    row("kp 2", Qt::Key_2, KP, A::MenuDown);
    row("kp 3", Qt::Key_3, KP, A::MenuMenu);
    row("Shift+kp 3", Qt::Key_3, KP | Qt::ShiftModifier, A::MenuMenu);
    row("kp 0", Qt::Key_0, KP, A::None);
    // Num Lock off, and the separate navigation keys.
    row("kp Home", Qt::Key_Home, KP, A::Mute);
    row("Home", Qt::Key_Home, {}, A::Mute);
    row("kp Up", Qt::Key_Up, KP, A::MenuUp);
    row("Up", Qt::Key_Up, {}, A::MenuUp);
    row("kp PgUp", Qt::Key_PageUp, KP, A::Lock);
    row("PgUp", Qt::Key_PageUp, {}, A::Lock);
    row("kp Left", Qt::Key_Left, KP, A::MenuLeft);
    row("Left", Qt::Key_Left, {}, A::MenuLeft);
    row("kp Clear", Qt::Key_Clear, KP, A::MenuOk);
    row("kp Right", Qt::Key_Right, KP, A::MenuRight);
    row("Right", Qt::Key_Right, {}, A::MenuRight);
    row("kp End", Qt::Key_End, KP, A::MenuExit);
    row("End", Qt::Key_End, {}, A::MenuExit);
    row("kp Down", Qt::Key_Down, KP, A::MenuDown);
    row("Down", Qt::Key_Down, {}, A::MenuDown);
    row("kp PgDn", Qt::Key_PageDown, KP, A::MenuMenu);
    row("PgDn", Qt::Key_PageDown, {}, A::MenuMenu);
    row("Ctrl+PgDn", Qt::Key_PageDown, Qt::ControlModifier, A::MenuMenu);
    row("kp Insert", Qt::Key_Insert, KP, A::None);
    row("kp Enter", Qt::Key_Enter, KP, A::None);
    // Physical keys by scan code: the key right of L whatever it writes,
    // main-row digits whatever Shift or the layout makes of them.
    row("X11 key right of L (o umlaut)", Qt::Key_Odiaeresis, {}, A::In4, 47, ScanCodes::X11);
    row("X11 ; on another key", Qt::Key_Semicolon, Qt::ShiftModifier, A::None, 59, ScanCodes::X11);
    row("X11 Shift+1", Qt::Key_Exclam, Qt::ShiftModifier, A::Mode1, 10, ScanCodes::X11);
    row("X11 AZERTY 2", Qt::Key_Eacute, {}, A::Mode2, 11, ScanCodes::X11);
    row("X11 5", Qt::Key_5, {}, A::Mode5, 14, ScanCodes::X11);
    row("X11 6", Qt::Key_6, {}, A::None, 15, ScanCodes::X11);
    row("X11 kp 1", Qt::Key_1, KP, A::MenuExit, 87, ScanCodes::X11);
    row("X11 J", Qt::Key_J, {}, A::In1, 44, ScanCodes::X11);
    row("Windows key right of L", Qt::Key_Odiaeresis, {}, A::In4, 0x27, ScanCodes::Windows);
    row("Windows Shift+1", Qt::Key_Exclam, Qt::ShiftModifier, A::Mode1, 0x02, ScanCodes::Windows);
    row("Windows 47 is V", Qt::Key_V, {}, A::None, 47, ScanCodes::Windows);
    row("no scan set: 47 means nothing", Qt::Key_Odiaeresis, {}, A::None, 47, ScanCodes::None);
}

void KeypadTest::key_map() {
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(quint32, scan);
    QFETCH(tavrin::ScanCodes, codes);
    QFETCH(tavrin::KeyAction, action);
    QCOMPARE(Keypad::key_action(key, Qt::KeyboardModifiers(mods), scan, codes), action);
}

void KeypadTest::keys_reach_the_device_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<QString>("first");
    QTest::newRow("1") << int(Qt::Key_1) << 0 << "MOD001";
    QTest::newRow("5") << int(Qt::Key_5) << 0 << "MOD005";
    QTest::newRow("Shift+A") << int(Qt::Key_A) << int(Qt::ShiftModifier) << "OUT001";
    QTest::newRow("F") << int(Qt::Key_F) << 0 << "OUT004";
    QTest::newRow("kp 7") << int(Qt::Key_7) << int(KP) << "AUD001";
    QTest::newRow("Home") << int(Qt::Key_Home) << 0 << "AUD001";
    QTest::newRow("kp 8") << int(Qt::Key_8) << int(KP) << "MNU001";
    QTest::newRow("kp 9") << int(Qt::Key_9) << int(KP) << "LCK001";
    QTest::newRow("kp 4") << int(Qt::Key_4) << int(KP) << "MNL001";
    QTest::newRow("Clear") << int(Qt::Key_Clear) << int(KP) << "MNO001";
    QTest::newRow("Right") << int(Qt::Key_Right) << 0 << "MNR001";
    QTest::newRow("kp 1") << int(Qt::Key_1) << int(KP) << "MNE001";
    QTest::newRow("Down") << int(Qt::Key_Down) << 0 << "MND001";
    QTest::newRow("PgDn") << int(Qt::Key_PageDown) << 0 << "MNX001";
    QTest::newRow("kp 0") << int(Qt::Key_0) << int(KP) << "";
    QTest::newRow("main 7") << int(Qt::Key_7) << 0 << "";
}

void KeypadTest::keys_reach_the_device() {
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(QString, first);
    WindowsRig rig;
    rig.p().keypad->cmd_keypad_Click();
    FrmKeypad* f = rig.p().keypad->window();
    // Keys act though the main window's buttons are disabled (standby).
    QVERIFY(!rig.w().control(QStringLiteral("fra_btn"))->isEnabled());
    QTest::keyClick(f, Qt::Key(key), Qt::KeyboardModifiers(mods));
    const QStringList sent = rig.take_received();
    if (first.isEmpty()) QVERIFY(sent.isEmpty());
    else QCOMPARE(sent.value(0), first);
    // The menu keys and lock/mute send exactly one command.
    if (first.startsWith(QLatin1String("MN")) || first == QLatin1String("AUD001") || first == QLatin1String("LCK001"))
        QCOMPARE(sent.size(), 1);
}

void KeypadTest::input_keys_route_to_the_selected_output_data() {
    QTest::addColumn<int>("output");
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("J with C") << 3 << int(Qt::Key_J) << QStringList({"INP001"});
    QTest::newRow("K with A") << 1 << int(Qt::Key_K) << QStringList({"INP002"});
    QTest::newRow("L with D") << 4 << int(Qt::Key_L) << QStringList({"INP003"});
    QTest::newRow("; with B") << 2 << int(Qt::Key_Semicolon) << QStringList({"INP004"});
    QTest::newRow("no output") << 254 << int(Qt::Key_J) << QStringList();
}

void KeypadTest::input_keys_route_to_the_selected_output() {
    QFETCH(int, output);
    QFETCH(int, key);
    QFETCH(QStringList, sent);
    WindowsRig rig;
    rig.st().cur_output = output;
    rig.p().keypad->cmd_keypad_Click();
    QTest::keyClick(rig.p().keypad->window(), Qt::Key(key));
    QCOMPARE(rig.take_received(), sent);
}

void KeypadTest::keys_are_dropped_while_busy() {
    WindowsRig rig;
    rig.p().keypad->cmd_keypad_Click();
    FrmKeypad* f = rig.p().keypad->window();
    // A key pressed while another command waits for its reply.
    int delivered = 0;
    rig.device.answer(QStringLiteral("MNX001"), "MNX001\r", 30);
    rig.on_command = [&](const QString&) {};
    const auto pump = rig.platform.on_pump;
    rig.platform.on_pump = [&] {
        pump();
        if (rig.link().awaiting_reply && delivered < 5) {
            ++delivered;
            QTest::keyClick(f, Qt::Key_A);
        }
    };
    QTest::keyClick(f, Qt::Key_PageDown);
    QCOMPARE(delivered, 5);
    QCOMPARE(rig.take_received(), QStringList({"MNX001"}));
    rig.platform.on_pump = pump;
    rig.st().busy = true;
    QTest::keyClick(f, Qt::Key_A);
    QVERIFY(rig.take_received().isEmpty());
    rig.st().busy = false;
    QTest::keyClick(f, Qt::Key_A);
    QCOMPARE(rig.take_received().value(0), QStringLiteral("OUT001"));
}

void KeypadTest::held_arrow_repeats_are_dropped_during_the_pause() {
    WindowsRig rig;
    rig.p().keypad->cmd_keypad_Click();
    FrmKeypad* f = rig.p().keypad->window();
    int repeats = 0;
    bool answered = false;
    rig.device.answer(QStringLiteral("MNU001"), "MNU001\r", 2);
    const auto pump = rig.platform.on_pump;
    rig.platform.on_pump = [&] {
        pump();
        // Auto-repeat of the held key, arriving after the answer, in the pause
        // (the exchange's own last pump is not part of the pause).
        if (answered && !rig.link().awaiting_reply && rig.st().busy) {
            ++repeats;
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(f, &repeat);
        }
        if (rig.link().awaiting_reply && rig.device.received.contains(QStringLiteral("MNU001"))) answered = true;
    };
    QTest::keyClick(f, Qt::Key_Up);
    rig.platform.on_pump = pump;
    QVERIFY(repeats >= 40);  // the 50 ms pause pumped while it waited
    QCOMPARE(rig.take_received(), QStringList({"MNU001"}));
    // After the pause the next repeat acts again.
    QTest::keyClick(f, Qt::Key_Up);
    QCOMPARE(rig.take_received(), QStringList({"MNU001"}));
}

void KeypadTest::only_direction_keys_pause() {
    WindowsRig rig;
    rig.p().keypad->cmd_keypad_Click();
    FrmKeypad* f = rig.p().keypad->window();
    const struct {
        Qt::Key key;
        bool pause;
    } keys[] = {{Qt::Key_Up, true}, {Qt::Key_Down, true}, {Qt::Key_Left, true}, {Qt::Key_Right, true},
                {Qt::Key_Clear, false}, {Qt::Key_End, false}, {Qt::Key_PageDown, false}, {Qt::Key_PageUp, false}};
    for (const auto& k : keys) {
        // Fake clock: time passes only by pumping; an answer takes 2 pumps.
        const qint64 before = rig.platform.now;
        QTest::keyClick(f, k.key);
        const qint64 spent = rig.platform.now - before;
        QVERIFY2(k.pause ? spent >= 50 : spent < 50, qPrintable(QStringLiteral("key %1 took %2").arg(k.key).arg(spent)));
    }
    QCOMPARE(rig.take_received().size(), 8);
}

void KeypadTest::button_toggles_and_places_the_window() {
    WindowsRig rig;
    auto* button = rig.w().ctl<ColorButton>(QStringLiteral("cmd_keypad"));
    button->show();  // as after a full refresh
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(rig.st().keypad_open);
    FrmKeypad* f = rig.p().keypad->window();
    QCOMPARE(f->windowTitle(), QStringLiteral("Keyboard"));
    QCOMPARE(f->img_keypad->geometry(), QRect(6, 8, 339, 96));
    QCOMPARE(f->parentWidget(), &rig.w());
    QVERIFY(f->windowFlags().testFlag(Qt::Tool));
    QCOMPARE(f->frameGeometry().left(), rig.w().frameGeometry().left());
    QCOMPARE(f->frameGeometry().bottom() + 1, rig.w().frameGeometry().top());
    QVERIFY(rig.take_received().isEmpty());

    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!rig.st().keypad_open);
    QVERIFY(!f->isVisible());

    // Closed by the window system, then opened above the main window's new place.
    QTest::mouseClick(button, Qt::LeftButton);
    rig.p().keypad->window()->close();
    QVERIFY(!rig.st().keypad_open);
    rig.w().move(520, 610);
    QTest::mouseClick(button, Qt::LeftButton);
    f = rig.p().keypad->window();
    QVERIFY(rig.st().keypad_open);
    QCOMPARE(f->frameGeometry().left(), rig.w().frameGeometry().left());
    QCOMPARE(f->frameGeometry().bottom() + 1, rig.w().frameGeometry().top());
}

void KeypadTest::windows_close_with_the_main_window() {
    WindowsRig rig;
    rig.st().cur_mode = 2;
    rig.st().dual_kind = 2;
    rig.p().keypad->cmd_keypad_Click();
    rig.p().hdcp->cmd_hdcp_Click();
    rig.p().labels->lab_lab_input_Click();
    rig.p().pip->lab_pip_Click();
    const QList<QPointer<QWidget>> windows{QPointer<QWidget>(rig.p().keypad->window()),
                                           QPointer<QWidget>(rig.p().hdcp->window()),
                                           QPointer<QWidget>(rig.p().labels->window()),
                                           QPointer<QWidget>(rig.p().pip->window())};
    for (const auto& w : windows) QVERIFY(w && w->isVisible());
    rig.w().close();
    QVERIFY(!rig.st().keypad_open && !rig.st().hdcp_open && !rig.st().label_open && !rig.st().pip_open);
    WindowsRig::flush_deletes();
    for (const auto& w : windows) QVERIFY(w.isNull());
}

QTEST_MAIN(KeypadTest)
#include "keypad.moc"
