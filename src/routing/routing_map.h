#pragma once
// The routing map: four output buttons and sixteen input cells.

#include "context/context.h"

#include <array>

namespace tavrin {

class RoutingMap {
public:
    explicit RoutingMap(Context& c);
    void cmd_out_Click(int index);
    // A click on input cell index (1..4) of column a, b, c or d.
    void lab_out_a_in_Click(int index);
    void lab_out_b_in_Click(int index);
    void lab_out_c_in_Click(int index);
    void lab_out_d_in_Click(int index);
    // What all four do, column 1..4 for a..d; the keyboard window's input
    // keys call it with the selected output's column.
    void lab_out_in_Click(int column, int index);
    void map_refresh();
    void map_show_output(int column);
    void on_reply_OUT();
    void on_reply_INP();

    // The cell controls of column 1..4 (a..d), input 1..4.
    ShapeWidget* cell_shape(int column, int input) const;
    ClickLabel* cell_label(int column, int input) const;
    static void show_cell(QWidget* cell, bool on);
    // Paints one cell: shape fill and label background alike.
    void paint_cell(int column, int input, const QColor& color);

private:
    void paint_column(int column, int routed_input);

    Context& c_;
    // The map's cells, looked up once: the refresh's replies repaint them all.
    std::array<ShapeWidget*, 16> shapes_{};
    std::array<ClickLabel*, 16> labels_{};
};

}  // namespace tavrin
