#include "routing/routing_map.h"

#include "link/query_chain.h"
#include "link/reply_text.h"

namespace tavrin {

namespace {
QString column_letter(int column) { return QString(QChar(u'a' + (column - 1))); }
bool in_1_to_4(int n) { return n >= 1 && n <= 4; }
}  // namespace

RoutingMap::RoutingMap(Context& c) : c_(c) {
    c_.link.register_handler(QStringLiteral("OUT"), [this] { on_reply_OUT(); });
    c_.link.register_handler(QStringLiteral("INP"), [this] { on_reply_INP(); });

    // Each column's cells report through the column's own click routine.
    using Click = void (RoutingMap::*)(int);
    const Click click[] = {&RoutingMap::lab_out_a_in_Click, &RoutingMap::lab_out_b_in_Click,
                           &RoutingMap::lab_out_c_in_Click, &RoutingMap::lab_out_d_in_Click};
    for (int i = 1; i <= 4; ++i) {
        auto* out = c_.w.ctl_at<ColorButton>(QStringLiteral("cmd_out"), i);
        QObject::connect(out, &QPushButton::clicked, out, [this, i] { cmd_out_Click(i); });
        for (int col = 1; col <= 4; ++col) {
            ClickLabel* lab = cell_label(col, i);
            QObject::connect(lab, &ClickLabel::clicked, lab, [this, f = click[col - 1], i] { (this->*f)(i); });
            shapes_[(col - 1) * 4 + i - 1] = cell_shape(col, i);
            labels_[(col - 1) * 4 + i - 1] = lab;
        }
    }
}

ShapeWidget* RoutingMap::cell_shape(int column, int input) const {
    if (in_1_to_4(column) && in_1_to_4(input) && shapes_[(column - 1) * 4 + input - 1])
        return shapes_[(column - 1) * 4 + input - 1];
    static const QString names[] = {QStringLiteral("sha_out_a_in"), QStringLiteral("sha_out_b_in"),
                                    QStringLiteral("sha_out_c_in"), QStringLiteral("sha_out_d_in")};
    return c_.w.ctl_at<ShapeWidget>(in_1_to_4(column) ? names[column - 1]
                                                      : QStringLiteral("sha_out_%1_in").arg(column_letter(column)),
                                    input);
}

ClickLabel* RoutingMap::cell_label(int column, int input) const {
    if (in_1_to_4(column) && in_1_to_4(input) && labels_[(column - 1) * 4 + input - 1])
        return labels_[(column - 1) * 4 + input - 1];
    static const QString names[] = {QStringLiteral("lab_out_a_in"), QStringLiteral("lab_out_b_in"),
                                    QStringLiteral("lab_out_c_in"), QStringLiteral("lab_out_d_in")};
    return c_.w.ctl_at<ClickLabel>(in_1_to_4(column) ? names[column - 1]
                                                     : QStringLiteral("lab_out_%1_in").arg(column_letter(column)),
                                   input);
}

void RoutingMap::show_cell(QWidget* cell, bool on) {
    // Showing or hiding a control costs a relayout and a repaint of what it
    // covers: only when it really changes.
    if (cell->isHidden() == on) cell->setVisible(on);
}

void RoutingMap::paint_cell(int column, int input, const QColor& color) {
    cell_shape(column, input)->set_fill(color);
    cell_label(column, input)->set_back_color(color);
}

void RoutingMap::cmd_out_Click(int index) {
    if (c_.st.cur_mode == DisplayMode::tv_wall) return;  // the wall is the only output
    if (!in_1_to_4(index)) return;
    map_show_output(index);
    c_.link.tx_cmd(QStringLiteral("OUT") + Link::Pad3(index));
    c_.link.tx_cmd(QStringLiteral("INP999"));
}

void RoutingMap::lab_out_a_in_Click(int index) { lab_out_in_Click(1, index); }
void RoutingMap::lab_out_b_in_Click(int index) { lab_out_in_Click(2, index); }
void RoutingMap::lab_out_c_in_Click(int index) { lab_out_in_Click(3, index); }
void RoutingMap::lab_out_d_in_Click(int index) { lab_out_in_Click(4, index); }

void RoutingMap::lab_out_in_Click(int column, int index) {
    // Inputs route to the selected output only; other columns are display.
    if (c_.st.cur_output != column || !in_1_to_4(index)) return;
    c_.link.tx_cmd(QStringLiteral("INP") + Link::Pad3(index));
}

void RoutingMap::map_refresh() {
    // The wall is one output: every INP reply paints column a, so reading
    // outputs 2 to 4 would leave column d selected over a blank button.
    const int outputs = c_.st.cur_mode == DisplayMode::tv_wall ? 1 : 4;
    QStringList queries;
    for (int n = 1; n <= outputs; ++n) queries << QStringLiteral("OUT") + Link::Pad3(n) << QStringLiteral("INP999");
    send_queries(c_.link, queries);
}

void RoutingMap::map_show_output(int column) {
    // Each cell goes straight to its new look: a label hidden and shown again
    // still costs a repaint of the cells around it.
    for (int i = 1; i <= 4; ++i) {
        for (int col = 1; col <= 4; ++col) {
            ShapeWidget* shape = cell_shape(col, i);
            const bool selected = col == column;
            shape->set_border(selected ? colors::black : colors::idle_lamp);
            // Outside the selected column only the routed input keeps its number.
            show_cell(cell_label(col, i), selected || shape->fill() == colors::routed);
            if (selected) show_cell(shape, true);
        }
    }
}

void RoutingMap::on_reply_OUT() {
    const int out = last_digit(c_.link.reply());
    // A digit that names no output leaves selection and map as they were.
    if (!in_1_to_4(out)) return;
    for (int i = 1; i <= 4; ++i)
        c_.w.ctl_at<ColorButton>(QStringLiteral("cmd_out"), i)->set_back_color(i == out ? colors::selected : colors::neutral);
    c_.st.cur_output = int16_t(out);
    map_show_output(out);
}

void RoutingMap::on_reply_INP() {
    const int in = last_digit(c_.link.reply());
    // A digit that names no input paints nothing.
    if (!in_1_to_4(in)) return;
    c_.st.cur_input = int16_t(in);
    const int mode = c_.st.cur_mode;
    if (mode == DisplayMode::tv_wall) {
        paint_column(1, in);  // the wall is column a, whatever output is selected
    } else if (mode == DisplayMode::matrix || mode == DisplayMode::dual || mode == DisplayMode::quad) {
        if (in_1_to_4(c_.st.cur_output)) paint_column(c_.st.cur_output, in);
    }
}

void RoutingMap::paint_column(int column, int routed_input) {
    for (int i = 1; i <= 4; ++i) paint_cell(column, i, colors::neutral);
    paint_cell(column, routed_input, colors::routed);
}

}  // namespace tavrin
