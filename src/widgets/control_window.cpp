#include "widgets/control_window.h"

#include <cmath>

namespace tavrin {

int twips::px(int length) { return int(std::lround(length / double(per_pixel))); }

ControlWindow::ControlWindow(ProgramFiles files, QWidget* parent) : QWidget(parent), files_(std::move(files)) {}

void ControlWindow::add_control(const QString& name, QWidget* w) {
    w->setObjectName(name);
    Q_ASSERT_X(!controls_.contains(name), "ControlWindow::add_control", qPrintable(name));
    controls_.insert(name, w);
}

QWidget* ControlWindow::control(const QString& name) const {
    QWidget* w = controls_.value(name);
    if (!w) qFatal("%s has no control named \"%s\"", qPrintable(objectName()), qPrintable(name));
    return w;
}

QString ControlWindow::bitmap_path(const QString& file) const {
    return files_.data_file(QStringLiteral("bmp/") + file);
}

}  // namespace tavrin
