#pragma once
// Output resolution and aspect ratio lists.

#include "main_window/context.h"

namespace tavrin {

class Resolution {
public:
    explicit Resolution(Context& c);
    void cbo_output_Click();
    void cbo_aspect_Click();
    void on_reply_RES();
    void on_reply_ASP();

private:
    Context& c_;
};

}  // namespace tavrin
