#include <QApplication>
#include <QPlainTextEdit>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QPlainTextEdit log;
    log.setWindowTitle(QStringLiteral("TAVRIN-4X v3.00 "));
    log.show();
    return app.exec();
}
