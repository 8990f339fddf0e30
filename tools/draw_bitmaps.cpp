// Redraws the button bitmaps the panel loads from data/bmp and the program's
// icons under packaging/icons/hicolor (both committed).
// Usage: tavrin4x-draw-bitmaps [bitmap-dir [icon-dir]]
//        (default: data/bmp packaging/icons/hicolor)
#include "widgets/pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString dir = args.size() > 1 ? args.at(1) : QStringLiteral("data/bmp");
    const QString icons = args.size() > 2 ? args.at(2) : QStringLiteral("packaging/icons/hicolor");
    QTextStream err(stderr);
    if (!pictures::write_button_bitmaps(dir)) {
        err << "could not write the bitmaps into " << QDir(dir).absolutePath() << '\n';
        return 1;
    }
    if (!pictures::write_app_icons(icons)) {
        err << "could not write the icons into " << QDir(icons).absolutePath() << '\n';
        return 1;
    }
    err << "bitmaps written to " << QDir(dir).absolutePath() << ", icons to " << QDir(icons).absolutePath() << '\n';
    return 0;
}
