// The device controls against the simulator's device model: picture, power,
// lock, audio, bezel and the full refresh (with the picture refresh at its end),
// plus one table of replies that name no control.

#include "device_controls/controls_rig.h"

#include <QtTest/qtestspontaneevent.h>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

// The ten controls a PWR reply enables (device on) or disables (standby).
bool standby_set_is(Rig& r, bool on) {
    for (const char* name : {"cmd_hdcp", "cbo_aspect", "fra_btn", "fra_recall_save", "fra_dual_a", "fra_dual_b",
                             "fra_bezel", "fra_pic", "fra_audio", "fra_quad"})
        if (r.c(name)->isEnabled() != on) return false;
    return true;
}
// Everything the operator can see, and where the panel thinks it is.
QStringList snapshot(Rig& r) {
    QStringList out{QStringLiteral("%1 %2 %3").arg(r.st().cur_mode).arg(r.st().cur_output).arg(r.st().cur_input)};
    for (QWidget* w : r.w().findChildren<QWidget*>()) {
        if (w->objectName().isEmpty()) continue;  // parts of other widgets, the log's scroll bar
        QString v = w->objectName() + (w->isHidden() ? " hidden" : "");
        for (const char* p : {"enabled", "value", "maximum", "text", "checked", "currentIndex"})
            v += ' ' + w->property(p).toString();
        if (auto* x = qobject_cast<ColorButton*>(w)) v += x->back_color().name() + x->picture_file();
        if (auto* x = qobject_cast<ShapeWidget*>(w)) v += x->fill().name() + x->border().name();
        if (auto* x = qobject_cast<ClickLabel*>(w)) v += x->back_color().name();
        out << v;
    }
    return out;
}
QString file_of(Rig& r, const char* button) { return r.c<ColorButton>(button)->picture_file().section('/', -1); }

const QStringList kHead{"VER999", "VR2999", "AUA999", "AUB999", "AUD999", "AUE999", "AUQ999", "BEH999",
                        "BEV999", "BEZ999", "BEH998", "BEV998", "LCK999", "PWR999", "RES999", "MOD999"};

// A full refresh: the device's mode before the click, the view, a command left unanswered, what goes out.
struct Refresh { QByteArray mode; bool advanced; QString silent; QStringList expected; };

}  // namespace
Q_DECLARE_METATYPE(Refresh)

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void change_dropped_while_waiting() {
        // While another exchange waits for its answer a slider change is dropped;
        // slider and box go back to what they showed, as the device kept it.
        using Move = void (*)(ScrollSlider*);
        const std::tuple<const char*, const char*, const char*, QByteArray, Move, const char*> rows[] = {
            {"MOD005", "hsr_con(3)", "txt_con(3)", "CON440",
             [](ScrollSlider* s) { s->setSliderDown(true), s->setValue(45), s->setValue(47), s->setSliderDown(false); },
             "CON447"},
            {"MOD003", "hsr_bezel_h", "txt_bezel_h", "BEH040",
             [](ScrollSlider* s) { s->triggerAction(QAbstractSlider::SliderPageStepSub); }, "BEH030"}};
        for (const auto& [mode, slider_name, box_name, reported, move, sent] : rows) {
            Rig rig(Device::On);
            rig.both(mode);
            rig.reply(reported);
            auto* slider = rig.c<ScrollSlider>(slider_name);
            const bool moved = rig.while_busy([&, move = move] { move(slider); });
            QVERIFY2(moved && slider->value() == 40 && rig.c<QLineEdit>(box_name)->text() == " 40", slider_name);
            QCOMPARE(rig.take_received(), (QStringList{"VER999", "VR2999"}));
            move(slider);  // with nothing waiting it goes out, rows folded into one number
            QCOMPARE(rig.take_received(), QStringList{sent});
        }
    }

    void picture_reset() {
        // Matrix resets row 1 only; without the device's answer nothing is reset.
        for (const auto& [mode, silent, rows] : {std::tuple{1, "", 1}, {5, "", 4}, {5, "RST002", 0}}) {
            Rig rig(Device::On);
            rig.both("MOD00" + QByteArray::number(mode));
            for (int k = 0; k < 16; ++k)
                rig.slider(k % 4, k / 4 + 1)->setValue(13), rig.box(k % 4, k / 4 + 1)->setText("13");
            rig.take_received();
            rig.silent << silent;
            QTest::mouseClick(rig.c<QPushButton>("cmd_pic_reset"), Qt::LeftButton);
            rig.platform.advance(5);
            QCOMPARE(rig.take_received(), QStringList{"RST002"});  // the sliders' moves send nothing
            for (int k = 0; k < 16; ++k)
                QCOMPARE(rig.box(k % 4, k / 4 + 1)->text() + '/' + QString::number(rig.slider(k % 4, k / 4 + 1)->value()),
                         QString(k / 4 < rows ? "50/50" : "13/13"));
        }
    }

    void wheel_needs_focus() {
        // A wheel notch passing over a list or slider changes nothing until the
        // operator has clicked or tabbed to it.
        Rig rig(Device::On);
        rig.w().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&rig.w()));
        rig.reply("RES003"), rig.reply("BRI050");
        for (const auto& [name, code, value] :
             {std::tuple{"cbo_output", "RES", "currentIndex"}, {"hsr_bri(1)", "BRI", "value"}}) {
            QWidget* w = rig.c(name);
            const QVariant before = w->property(value);
            for (bool focused : {false, true}) {
                if (focused) w->setFocus(Qt::TabFocusReason);
                const QPointF at(w->width() / 2.0, w->height() / 2.0);
                QWheelEvent e(at, w->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
                QSpontaneKeyEvent::setSpontaneous(&e);  // as from the mouse itself
                qApp->notify(w, &e);
                const QStringList sent = rig.take_received();
                QVERIFY2(focused ? sent.size() == 1 && sent[0].startsWith(code) && w->property(value) != before
                                 : sent.isEmpty() && w->property(value) == before, name);
            }
        }
    }

    void power_and_factory_reset() {
        Rig rig;
        auto* pwr = rig.c<ColorButton>("cmd_pwr");
        auto* fact = rig.c("cmd_fact_reset");
        rig.silent << "PWR001" << "RST001";
        QTest::mouseClick(pwr, Qt::LeftButton);  // asks for on, then waits for the device to say so
        QVERIFY(!pwr->isEnabled());
        QCOMPARE(file_of(rig, "cmd_pwr") + ' ' + file_of(rig, "cmd_mute"), "power_none.bmp speaker_on.bmp");
        // Any PWR reply sets the power picture and the controls to what it reports,
        // and makes the power button usable again (standby must not lock it out)
        // and the factory reset, which else waits for its own answer.
        for (const auto& [reply, on] : {std::pair{"PWR000", false}, {"PWR001", true}, {"PWR002", true},
                                        {"PWR00x", false}, {"RST001", false}}) {
            QTest::mouseClick(fact, Qt::LeftButton);
            QVERIFY(!fact->isEnabled());
            rig.reply(reply);
            QVERIFY2(fact->isEnabled() && pwr->isEnabled() && standby_set_is(rig, on) &&
                         file_of(rig, "cmd_pwr") == (on ? "power_on.bmp" : "power_standby.bmp"), reply);
        }
        for (const char* name : {"cmd_refresh", "opt_interface(0)", "opt_interface(1)"})
            QVERIFY2(rig.c(name)->isEnabled(), name);  // usable in standby
        QCOMPARE(rig.take_received(), QStringList{"PWR001"} + QStringList(5, "RST001"));
        rig.link().serial_closed();  // with the link down nothing goes out and it stays usable
        QTest::mouseClick(fact, Qt::LeftButton);
        QVERIFY(fact->isEnabled());
    }

    void power_click_that_does_not_go_out() {
        // Link down, or another exchange waiting: nothing of the click remains, so
        // the next one still asks for the opposite of what the device reported.
        for (const char* reported : {"", "PWR000", "PWR001"}) {
            for (bool link_down : {true, false}) {
                Rig rig;
                if (*reported) rig.reply(reported);
                auto* pwr = rig.c<ColorButton>("cmd_pwr");
                const QString file = pwr->picture_file(), mute = file_of(rig, "cmd_mute");
                const QImage image = pwr->picture();
                const int16_t state = rig.st().pwr_state;
                const auto click = [&] { QTest::mouseClick(pwr, Qt::LeftButton); };
                if (link_down)
                    rig.link().serial_closed(), click(), rig.link().serial_opened();
                else
                    QVERIFY(rig.while_busy(click));
                QVERIFY2(pwr->isEnabled() && rig.st().pwr_state == state && pwr->picture_file() == file &&
                             pwr->picture() == image && file_of(rig, "cmd_mute") == mute,
                         QByteArray(reported) + (link_down ? " link down" : " busy"));
                rig.take_received();
                click();
                QCOMPARE(rig.take_received(), QStringList{state == 1 ? "PWR000" : "PWR001"});
            }
        }
    }

    void audio_options_and_toggles() {
        Rig rig(Device::On);
        QStringList expected;  // the reports below send nothing back
        for (const auto& [group, code, first, last] : {std::tuple{"opt_audio", "AUE", 0, 4}, {"opt_da", "AUA", 1, 2},
                                                       {"opt_db", "AUB", 1, 2}, {"opt_quad", "AUQ", 1, 4}}) {
            for (int i = first; i <= last; ++i) {
                QTest::mouseClick(rig.c<QRadioButton>(group, i), Qt::LeftButton);
                expected << code + Link::Pad3(i);
            }
            rig.reply(code + Link::Pad3(first).toLatin1());  // reported from the device's front panel
            QVERIFY(rig.c<QRadioButton>(group, first)->isChecked());
        }
        QCOMPARE(rig.take_received(), expected);
        // Lock and mute: a click asks for the opposite of what the device reported,
        // cmd_enable or not; the picture follows the report, never the click.
        for (const auto& [button, code, on, off] : {std::tuple{"cmd_lock", "LCK", "lock.bmp", "unlock.bmp"},
                                                    {"cmd_mute", "AUD", "speaker_on.bmp", "speaker_off.bmp"}}) {
            rig.silent = QStringList{code + QString("001"), code + QString("000")};
            for (const auto& [reported, file, asked] : {std::tuple{"000", off, "001"}, {"001", on, "000"}}) {
                rig.reply(code + QByteArray(reported));
                rig.st().cmd_enable = false;  // they send regardless
                QTest::mouseClick(rig.c(button), Qt::LeftButton);
                QCOMPARE(file_of(rig, button), QString(file));
                QCOMPARE(rig.take_received(), QStringList{code + QString(asked)});
            }
        }
    }

    void bezel() {
        Rig rig(Device::On);
        auto* h = rig.c<ScrollSlider>("hsr_bezel_h");
        auto* box = rig.c<QLineEdit>("txt_bezel_h");
        box->setText(" 12");
        // A limit keeps the value and its box, unless it is below the value: then
        // it pulls both down. A value above an old limit makes the limit give way.
        for (const auto& [limit, reply, value, max, text] :
             {std::tuple{true, "BEH120", 0, 120, " 12"}, {false, "BEH050", 50, 120, " 50"},
              {true, "BEH040", 40, 40, " 40"}, {false, "BEH200", 200, 200, " 200"}}) {
            rig.st().bezel_max_query = limit;
            rig.reply(reply);
            QVERIFY2(h->value() == value && h->maximum() == max && box->text() == text && !rig.st().bezel_max_query &&
                         rig.st().cmd_enable, reply);
        }
        QCOMPARE(rig.c<ScrollSlider>("hsr_bezel_v")->maximum(), 254);
        for (int on : {1, 0}) {  // bezel correction off disables the sliders
            rig.reply("BEZ00" + QByteArray::number(on));
            QVERIFY(rig.c<QRadioButton>("opt_bezel_onoff", on)->isChecked() && h->isEnabled() == on);
        }
        QVERIFY(rig.take_received().isEmpty());
    }

    void full_refresh_data() {
        QTest::addColumn<Refresh>("c");
        const QStringList quad = kHead + QStringList{"OUT999", "INP999", "ASP999"} + kMapQueries;
        const QStringList wall = kHead + QStringList{"INP999", "ASP999", "OUT001", "INP999"};  // the wall only
        const QStringList matrix = quad + picture_queries(1), pic = picture_queries(5);
        QTest::newRow("Quad, compact view") << Refresh{"MOD005", false, "", quad};
        QTest::newRow("TV Wall") << Refresh{"MOD003", true, "", wall + picture_queries(3)};
        QTest::newRow("Dual PiP") << Refresh{"MOD004", true, "", quad + picture_queries(2)};
        QTest::newRow("Matrix, ASP999 unanswered goes on") << Refresh{"MOD001", true, "ASP999", matrix};
        QTest::newRow("VER999 unanswered") << Refresh{"MOD005", true, "VER999", {"VER999"}};
        QTest::newRow("BEH998 unanswered") << Refresh{"MOD005", true, "BEH998", kHead.mid(0, 11)};
        QTest::newRow("OUT002 unanswered") << Refresh{"MOD005", true, "OUT002", quad.mid(0, 22) + pic};
        QTest::newRow("Quad CON992 unanswered") << Refresh{"MOD005", true, "CON992", quad + pic.mid(0, 6)};
        QTest::newRow("Quad SAT991 unanswered goes on") << Refresh{"MOD005", true, "SAT991", quad + pic};
    }
    void full_refresh() {
        QFETCH(Refresh, c);
        Rig rig(Device::Start, c.advanced ? QByteArray() : QByteArray("0\r\n1\r\n#FALSE#\r\n\"\"\r\n"));
        rig.model.execute(c.mode);
        rig.silent << c.silent;
        auto* refresh = rig.c<ColorButton>("cmd_refresh");
        bool in_progress = true;  // the button while every query goes out
        rig.device.responder = [&, inner = rig.device.responder](const QString& cmd) {
            in_progress &= refresh->back_color() == colors::in_progress && !refresh->isEnabled();
            return inner(cmd);
        };
        QTest::mouseClick(refresh, Qt::LeftButton);
        QCOMPARE(rig.take_received(), c.expected);
        QVERIFY(in_progress && refresh->isEnabled() && refresh->back_color() == colors::neutral);
        QVERIFY(!rig.st().bezel_max_query);  // an unanswered limit query leaves no later echo taken as a limit
        QVERIFY(rig.c("img_start")->isHidden() && !rig.c("cmd_keypad")->isHidden());
    }

    void replies_naming_nothing() {
        for (const char* r : {"BRI150", "BRI800", "SAT999", "AUA000", "AUB003", "AUQ005", "AUE009", "BEZ007",
                              "BEH300", "CAL000", "CAL005", "SAV009", "MOD000", "MOD006", "MOD00x", "OUT000",
                              "OUT009", "INP005", "INP00?", "Matrix BRI150"}) {
            Rig rig(Device::On);
            rig.both(QByteArray(r).startsWith("Matrix") ? "MOD001" : "MOD005");
            for (const char* before : {"OUT002", "INP004", "AUQ003", "AUE002", "AUA002", "BEZ001", "CAL002", "SAV003",
                                       "BRI260"})
                rig.reply(before);
            const QStringList before = snapshot(rig);
            rig.reply(QByteArray(r).right(6));
            QVERIFY2(snapshot(rig) == before && rig.st().cmd_enable && rig.take_received().isEmpty(), r);
        }
    }
};

QTEST_MAIN(ControlsTest)
#include "controls.moc"
