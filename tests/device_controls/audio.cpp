// Audio: the four option groups (click sends, reply selects without sending),
// digits naming no option, and the mute toggle with its pictures.

#include "device_controls/audio.h"
#include "support/panel_rig.h"

#include <QFile>
#include <QRadioButton>
#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

struct Rig : PanelRig {
    Rig() {
        for (const char* f : {"fra_btn", "fra_audio", "fra_dual_a", "fra_dual_b", "fra_quad"})
            w().control(QLatin1String(f))->setEnabled(true);
        take_received();
    }
    QRadioButton* opt(const QString& group, int i) { return w().ctl_at<QRadioButton>(group, i); }
    ColorButton* mute() { return w().ctl<ColorButton>(QStringLiteral("cmd_mute")); }
    void reply(const QByteArray& bytes) {
        device.send_unsolicited(bytes, false);
        platform.advance(5);
    }
    // The one checked option of a group, or -1.
    int checked(const QString& group, int first, int last) {
        int found = -1;
        for (int i = first; i <= last; ++i)
            if (opt(group, i)->isChecked()) found = i;
        return found;
    }
};

}  // namespace

class AudioTest : public QObject {
    Q_OBJECT
private slots:
    void option_round_trip_data();
    void option_round_trip();
    void digits_naming_no_option_are_ignored_data();
    void digits_naming_no_option_are_ignored();
    void option_click_while_disabled_sends_nothing();
    void mute_alternates_and_follows_the_device();
    void unanswered_mute_keeps_the_request();
    void missing_bitmap_keeps_the_picture();
};

void AudioTest::option_round_trip_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("audio EDID") << "opt_audio" << "AUE" << 0 << 4;
    QTest::newRow("dual A") << "opt_da" << "AUA" << 1 << 2;
    QTest::newRow("dual B") << "opt_db" << "AUB" << 1 << 2;
    QTest::newRow("quad") << "opt_quad" << "AUQ" << 1 << 4;
}

void AudioTest::option_round_trip() {
    QFETCH(QString, group);
    QFETCH(QString, code);
    QFETCH(int, first);
    QFETCH(int, last);
    Rig rig;
    rig.echo_device();
    for (int i = first; i <= last; ++i) {
        QTest::mouseClick(rig.opt(group, i), Qt::LeftButton);
        QCOMPARE(rig.take_received(), QStringList{code + Link::Pad3(i)});
        QCOMPARE(rig.checked(group, first, last), i);
        QVERIFY(rig.st().cmd_enable);
    }
    // The device reports another choice: selected, nothing sent back.
    rig.reply(code.toLatin1() + Link::Pad3(first).toLatin1() + '\r');
    QCOMPARE(rig.checked(group, first, last), first);
    QVERIFY(rig.take_received().isEmpty());
    QVERIFY(rig.st().cmd_enable);
}

void AudioTest::digits_naming_no_option_are_ignored_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("AUA000") << "opt_da" << QByteArray("AUA000\r") << 1 << 2;
    QTest::newRow("AUB003") << "opt_db" << QByteArray("AUB003\r") << 1 << 2;
    QTest::newRow("AUQ005") << "opt_quad" << QByteArray("AUQ005\r") << 1 << 4;
    QTest::newRow("AUQ000") << "opt_quad" << QByteArray("AUQ000\r") << 1 << 4;
    QTest::newRow("AUE009") << "opt_audio" << QByteArray("AUE009\r") << 0 << 4;
}

void AudioTest::digits_naming_no_option_are_ignored() {
    QFETCH(QString, group);
    QFETCH(QByteArray, reply);
    QFETCH(int, first);
    QFETCH(int, last);
    Rig rig;
    rig.reply(reply.left(5) + QByteArray::number(last) + '\r');
    QCOMPARE(rig.checked(group, first, last), last);
    rig.reply(reply);
    QCOMPARE(rig.checked(group, first, last), last);
    QVERIFY(rig.st().cmd_enable);
    QVERIFY(rig.take_received().isEmpty());
}

void AudioTest::option_click_while_disabled_sends_nothing() {
    Rig rig;
    rig.echo_device();
    rig.st().cmd_enable = false;
    rig.p().audio->opt_quad_Click(2);
    rig.p().audio->opt_audio_Click(4);
    QVERIFY(rig.take_received().isEmpty());
}

void AudioTest::mute_alternates_and_follows_the_device() {
    Rig rig;
    rig.echo_device();
    QCOMPARE(rig.st().audio_state, int16_t(254));
    const QString on = rig.w().bitmap_path(QStringLiteral("speaker_on.bmp"));
    const QString off = rig.w().bitmap_path(QStringLiteral("speaker_off.bmp"));

    QTest::mouseClick(rig.mute(), Qt::LeftButton);
    QCOMPARE(rig.mute()->picture_file(), on);
    QTest::mouseClick(rig.mute(), Qt::LeftButton);
    QCOMPARE(rig.mute()->picture_file(), off);
    rig.st().cmd_enable = false;  // the mute button sends regardless
    rig.p().audio->cmd_mute_Click();
    rig.st().cmd_enable = true;
    QCOMPARE(rig.mute()->picture_file(), on);
    QCOMPARE(rig.take_received(), (QStringList{"AUD001", "AUD000", "AUD001"}));

    rig.reply("AUD000\r");  // muted on the device's front panel
    QCOMPARE(rig.st().audio_state, int16_t(0));
    QCOMPARE(rig.mute()->picture_file(), off);
    rig.p().audio->cmd_mute_Click();
    QCOMPARE(rig.take_received(), QStringList{"AUD001"});
}

void AudioTest::unanswered_mute_keeps_the_request() {
    Rig rig;
    rig.device.never_answer(QStringLiteral("AUD001"));
    rig.echo_device();
    const QString before = rig.mute()->picture_file();
    rig.p().audio->cmd_mute_Click();
    QCOMPARE(rig.mute()->picture_file(), before);
    QCOMPARE(rig.st().audio_state, int16_t(1));
    rig.p().audio->cmd_mute_Click();
    QCOMPARE(rig.take_received(), (QStringList{"AUD001", "AUD000"}));
}

void AudioTest::missing_bitmap_keeps_the_picture() {
    Rig rig;
    rig.reply("AUD001\r");
    const QImage shown = rig.mute()->picture();
    QVERIFY(!shown.isNull());
    QVERIFY(QFile::remove(rig.w().bitmap_path(QStringLiteral("speaker_off.bmp"))));
    rig.reply("AUD000\r");
    QCOMPARE(rig.st().audio_state, int16_t(0));
    QCOMPARE(rig.mute()->picture(), shown);
}

QTEST_MAIN(AudioTest)
#include "audio.moc"
