#include "widgets/pictures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

// Counts distinct colours, stopping early: a picture with one colour is blank.
int colours(const QImage& img, int enough = 3) {
    QSet<QRgb> seen;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            seen.insert(img.pixel(x, y));
            if (seen.size() >= enough) return int(seen.size());
        }
    return int(seen.size());
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
  private slots:
    void sizes_data();
    void sizes();
    void states_differ();
    void bitmaps_round_trip();
};

void TestPictures::sizes_data() {
    QTest::addColumn<std::function<QImage()>>("draw");
    QTest::addColumn<QSize>("size");
    const QSize power(70, 36), key(46, 32);
    QTest::newRow("power_symbol") << std::function<QImage()>(pictures::power_symbol) << power;
    QTest::newRow("power_none") << std::function<QImage()>(pictures::power_none) << power;
    QTest::newRow("power_on") << std::function<QImage()>(pictures::power_on) << power;
    QTest::newRow("power_standby") << std::function<QImage()>(pictures::power_standby) << power;
    QTest::newRow("lock_design") << std::function<QImage()>(pictures::lock_design) << key;
    QTest::newRow("lock") << std::function<QImage()>(pictures::lock) << key;
    QTest::newRow("unlock") << std::function<QImage()>(pictures::unlock) << key;
    QTest::newRow("speaker_design") << std::function<QImage()>(pictures::speaker_design) << key;
    QTest::newRow("speaker_on") << std::function<QImage()>(pictures::speaker_on) << key;
    QTest::newRow("speaker_off") << std::function<QImage()>(pictures::speaker_off) << key;
    QTest::newRow("menu_up") << std::function<QImage()>(pictures::menu_up) << key;
    QTest::newRow("menu_down") << std::function<QImage()>(pictures::menu_down) << key;
    QTest::newRow("menu_left") << std::function<QImage()>(pictures::menu_left) << key;
    QTest::newRow("menu_right") << std::function<QImage()>(pictures::menu_right) << key;
    QTest::newRow("menu_ok") << std::function<QImage()>(pictures::menu_ok) << key;
    QTest::newRow("menu_exit") << std::function<QImage()>(pictures::menu_exit) << key;
    QTest::newRow("menu_menu") << std::function<QImage()>(pictures::menu_menu) << key;
    QTest::newRow("start_prompt") << std::function<QImage()>(pictures::start_prompt) << QSize(170, 13);
    QTest::newRow("image1") << std::function<QImage()>(pictures::image1) << QSize(890, 234);
    QTest::newRow("vertical_refresh") << std::function<QImage()>(pictures::vertical_refresh) << QSize(16, 93);
    QTest::newRow("keypad_layout") << std::function<QImage()>(pictures::keypad_layout) << QSize(339, 96);
}

void TestPictures::sizes() {
    QFETCH(std::function<QImage()>, draw);
    QFETCH(QSize, size);
    const QImage img = draw();
    QCOMPARE(img.size(), size);
    QVERIFY2(colours(img) >= 2, "picture is one flat colour");
}

void TestPictures::states_differ() {
    const QImage none = pictures::power_none(), on = pictures::power_on(),
                 standby = pictures::power_standby();
    QVERIFY(none != on);
    QVERIFY(on != standby);
    QVERIFY(none != standby);
    QVERIFY(pictures::lock() != pictures::unlock());
    QVERIFY(pictures::speaker_on() != pictures::speaker_off());
    // Each arrow key points its own way.
    const QImage arrows[] = {pictures::menu_up(), pictures::menu_down(), pictures::menu_left(),
                             pictures::menu_right()};
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            QVERIFY2(arrows[i] != arrows[j], qPrintable(QString("arrows %1 and %2").arg(i).arg(j)));
}

void TestPictures::bitmaps_round_trip() {
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString dir = tmp.filePath("bmp/sub"); // missing directories are created
    QVERIFY(pictures::write_button_bitmaps(dir));

    const struct {
        const char* name;
        QImage (*draw)();
    } files[] = {
        {"power_none.bmp", pictures::power_none},
        {"power_on.bmp", pictures::power_on},
        {"power_standby.bmp", pictures::power_standby},
        {"lock.bmp", pictures::lock},
        {"unlock.bmp", pictures::unlock},
        {"speaker_on.bmp", pictures::speaker_on},
        {"speaker_off.bmp", pictures::speaker_off},
    };
    for (const auto& f : files) {
        const QString path = QDir(dir).filePath(f.name);
        QImage loaded;
        QVERIFY2(loaded.load(path, "BMP"), qPrintable(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(30);
        QCOMPARE(header.left(2), QByteArray("BM"));
        QCOMPARE(int(quint8(header[28])) | int(quint8(header[29])) << 8, 24); // bits per pixel
        // BMP is lossless: the file must hold exactly what was drawn.
        QCOMPARE(loaded.convertToFormat(QImage::Format_RGB32),
                 f.draw().convertToFormat(QImage::Format_RGB32));
    }
    QCOMPARE(QDir(dir).entryList(QDir::Files).size(), 7);
}

QTEST_MAIN(TestPictures)
#include "pictures.moc"
