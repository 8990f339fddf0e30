#pragma once
// Output resolution and aspect ratio lists.

#include "context/context.h"

#include <array>

class QComboBox;

namespace tavrin {

class Resolution {
public:
    explicit Resolution(Context& c);
    void cbo_output_Click();
    void cbo_aspect_Click();
    void on_reply_RES();
    void on_reply_ASP();

private:
    // Selects what a reply reports, with cmd_enable held false.
    void select_reported(QComboBox* list, int position);

    Context& c_;
    QComboBox* output_ = nullptr;
    QComboBox* aspect_ = nullptr;
    std::array<ColorButton*, 5> mode_buttons_{};
};

}  // namespace tavrin
