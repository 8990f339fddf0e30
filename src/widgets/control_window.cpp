#include "widgets/control_window.h"

#include <cmath>

namespace tavrin {

int twips::px(int length) { return int(std::lround(length / double(per_pixel))); }

ControlWindow::ControlWindow(ProgramFiles files, QWidget* parent) : QWidget(parent), files_(std::move(files)) {}

void ControlWindow::add_control(const QString& name, QWidget* w) {
    w->setObjectName(name);
    Q_ASSERT_X(!controls_.contains(name), "ControlWindow::add_control", qPrintable(name));
    controls_.insert(name, w);
    const qsizetype open = name.indexOf(QLatin1Char('('));
    if (open > 0 && name.endsWith(QLatin1Char(')'))) {
        bool ok = false;
        const int index = name.mid(open + 1, name.size() - open - 2).toInt(&ok);
        if (ok && index >= 0) {
            QList<QWidget*>& cells = arrays_[name.left(open)];
            if (cells.size() <= index) cells.resize(index + 1);
            cells[index] = w;
        }
    }
}

QWidget* ControlWindow::control_at(const QString& name, int index) const {
    const auto it = arrays_.constFind(name);
    if (it != arrays_.constEnd() && index >= 0 && index < it->size() && it->at(index)) return it->at(index);
    return control(QStringLiteral("%1(%2)").arg(name).arg(index));
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
