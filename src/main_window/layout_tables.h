#pragma once
// The main window as data: one row per control, in creation order. A row's
// container must come before it, and later rows lie above earlier ones, which
// is how value boxes sit on their sliders and map labels on their cells.
//
// A control's name starts with what it is, and the routines that serve it
// are named after it and the event (cmd_refresh_Click, hsr_bri_Change,
// tim_eth_Timer, wsk_client_Connect):
//   cmd_  command button          opt_  option (radio) button
//   cbo_  drop-down list          hsr_  slider (horizontal scroll bar)
//   txt_  text box                lab_  label (some take clicks)
//   sha_  shape: lamp, map cell   fra_  frame grouping other controls
//   img_  picture                 tim_  timer
//   wsk_  the TCP connection      frm_  a window
// Arrays carry the index in parentheses: cmd_mode(3). Three controls have
// plain numbered names: Image1, the product banner, and Label1 and Label3,
// the captions of the subnet mask and gateway boxes.

#include <QImage>
#include <QRgb>

#include <span>

namespace tavrin::layout {

enum class Kind {
    Button,     // ColorButton
    Option,     // QRadioButton
    Dropdown,   // QComboBox, pick list only
    Slider,     // ScrollSlider
    TextBox,    // QLineEdit
    LogBox,     // QPlainTextEdit, read-only, vertical scroll bar
    Label,      // ClickLabel
    RoundRect,  // ShapeWidget
    Circle,     // ShapeWidget
    Frame,      // QGroupBox with caption
    BareFrame,  // QGroupBox drawn without border or caption
    Image,      // ImageBox
};

enum class Font {
    standard,   // Arial 9
    bold,       // Arial 9 bold
    mode,       // Arial 9.75 bold
    output,     // Verdana 14.25 bold
    map,        // Verdana 14.25
    mono,       // Courier New 9
    clear,      // 新細明體 12
    resolution, // Arial 11.25
};

struct FontSpec {
    const char* family;
    double points;
    bool bold;
};
const FontSpec& font_spec(Font f);

enum Flags : unsigned {
    hidden = 1u << 0,
    disabled = 1u << 1,
    read_only = 1u << 2,  // display only
    centred = 1u << 3,    // text centred in the control
    caption_covered = 1u << 4,  // frames whose inner frames lie over their caption
};

struct Range {
    int min = 0, max = 0, large = 0;
};

struct Row {
    const char* name;
    Kind kind;
    const char* container;  // "" is the window itself
    int l, t, w, h;         // twips, relative to the container
    const char* caption = "";
    unsigned flags = 0;
    Font font = Font::standard;
    QRgb back = 0;    // 0: the toolkit's colour
    QRgb fore = 0;    // text colour, 0: the toolkit's
    QRgb border = 0;  // shapes
    Range range{};    // sliders
    QImage (*picture)() = nullptr;
};

std::span<const Row> rows();

}  // namespace tavrin::layout
