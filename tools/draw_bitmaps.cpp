// Redraws the button bitmaps the panel loads from data/bmp.
// Usage: tavrin4x-draw-bitmaps [output-dir]   (default: data/bmp)
#include "widgets/pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString dir = args.size() > 1 ? args.at(1) : QStringLiteral("data/bmp");
    QTextStream err(stderr);
    if (!pictures::write_button_bitmaps(dir)) {
        err << "could not write the bitmaps into " << QDir(dir).absolutePath() << '\n';
        return 1;
    }
    err << "bitmaps written to " << QDir(dir).absolutePath() << '\n';
    return 0;
}
