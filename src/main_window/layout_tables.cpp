#include "main_window/layout_tables.h"

#include "widgets/palette.h"
#include "widgets/pictures.h"

#include <array>

namespace tavrin::layout {

namespace {

using K = Kind;
using F = Font;

// The palette's colours under short names, so the rows stay readable.
const QRgb grey = colors::neutral.rgba();
const QRgb black = colors::black.rgba();
const QRgb red = colors::red.rgba();
const QRgb panel = colors::unlit.rgba();      // the picture frames
const QRgb value_box = colors::unlit.rgba();  // slider value boxes
const QRgb lamp = colors::unlit.rgba();       // indicator lamps before first use
const QRgb lamp_border = colors::lamp_border.rgba();

// L, T, W, H in twips; positions inside a frame count from the frame's
// top-left corner, where its caption sits on the border.
const Row table[] = {
    // Top band, left column
    {"cmd_refresh", K::Button, "", 60, 60, 1100, 405, "Refresh"},
    {"Image1", K::Image, "", 60, 570, 1095, 495, "", 0, F::standard, 0, 0, 0, {}, pictures::banner},
    {"cmd_pwr", K::Button, "", 60, 1140, 1100, 585, "", 0, F::standard, grey, 0, 0, {}, pictures::power_symbol},
    {"cmd_advance", K::Button, "", 60, 1740, 1095, 405, "Advanced"},

    // Button frame. It spans nearly the whole top band, so the keyboard button and
    // the link frame that overlap it are created after it and lie above it.
    {"fra_btn", K::BareFrame, "", 1350, 90, 11325, 2115, "", disabled},
    {"img_start", K::Image, "fra_btn", 30, 0, 2550, 195, "", 0, F::standard, 0, 0, 0, {}, pictures::start_prompt},
    {"sha_pip", K::Circle, "fra_btn", 1575, -30, 285, 345, "", hidden, F::standard, lamp, 0, lamp_border},
    {"lab_pip", K::Label, "fra_btn", 1530, 15, 285, 315, "  P", hidden, F::bold},
    {"sha_lab_in", K::Circle, "fra_btn", 1980, -30, 285, 345, "", hidden, F::standard, lamp, 0, lamp_border},
    {"lab_lab_input", K::Label, "fra_btn", 1950, 15, 285, 315, "  L", hidden, F::bold},
    {"cmd_mode(1)", K::Button, "fra_btn", 2550, 0, 1155, 435, "Matrix", 0, F::mode, grey},
    {"cmd_mode(2)", K::Button, "fra_btn", 3720, 0, 1185, 435, "Dual PoP", 0, F::mode, grey},
    {"cmd_mode(3)", K::Button, "fra_btn", 4920, 0, 1155, 435, "TV Wall", 0, F::mode, grey},
    {"cmd_mode(4)", K::Button, "fra_btn", 6090, 0, 1155, 435, "Dual PiP", 0, F::mode, grey},
    {"cmd_mode(5)", K::Button, "fra_btn", 7260, 0, 1155, 435, "Quad", 0, F::mode, grey},
    {"cmd_out(1)", K::Button, "fra_btn", 2550, 510, 1365, 495, "A", 0, F::output, grey},
    {"cmd_out(2)", K::Button, "fra_btn", 4050, 510, 1365, 495, "B", 0, F::output, grey},
    {"cmd_out(3)", K::Button, "fra_btn", 5550, 510, 1365, 495, "C", 0, F::output, grey},
    {"cmd_out(4)", K::Button, "fra_btn", 7050, 510, 1365, 495, "D", 0, F::output, grey},
    {"sha_out_a_in(1)", K::RoundRect, "fra_btn", 2610, 1080, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_a_in(1)", K::Label, "fra_btn", 2640, 1110, 525, 420, "1", centred, F::map, grey},
    {"sha_out_a_in(2)", K::RoundRect, "fra_btn", 3270, 1080, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_a_in(2)", K::Label, "fra_btn", 3300, 1110, 525, 420, "2", centred, F::map, grey},
    {"sha_out_a_in(3)", K::RoundRect, "fra_btn", 2610, 1620, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_a_in(3)", K::Label, "fra_btn", 2640, 1650, 525, 420, "3", centred, F::map, grey},
    {"sha_out_a_in(4)", K::RoundRect, "fra_btn", 3270, 1620, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_a_in(4)", K::Label, "fra_btn", 3300, 1650, 525, 420, "4", centred, F::map, grey},
    {"sha_out_b_in(1)", K::RoundRect, "fra_btn", 4080, 1080, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_b_in(1)", K::Label, "fra_btn", 4110, 1110, 525, 420, "1", centred, F::map, grey},
    {"sha_out_b_in(2)", K::RoundRect, "fra_btn", 4740, 1080, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_b_in(2)", K::Label, "fra_btn", 4770, 1110, 525, 420, "2", centred, F::map, grey},
    {"sha_out_b_in(3)", K::RoundRect, "fra_btn", 4080, 1620, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_b_in(3)", K::Label, "fra_btn", 4110, 1650, 525, 420, "3", centred, F::map, grey},
    {"sha_out_b_in(4)", K::RoundRect, "fra_btn", 4740, 1620, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_b_in(4)", K::Label, "fra_btn", 4770, 1650, 525, 420, "4", centred, F::map, grey},
    {"sha_out_c_in(1)", K::RoundRect, "fra_btn", 5580, 1080, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_c_in(1)", K::Label, "fra_btn", 5610, 1110, 525, 420, "1", centred, F::map, grey},
    {"sha_out_c_in(2)", K::RoundRect, "fra_btn", 6240, 1080, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_c_in(2)", K::Label, "fra_btn", 6270, 1110, 525, 420, "2", centred, F::map, grey},
    {"sha_out_c_in(3)", K::RoundRect, "fra_btn", 5580, 1620, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_c_in(3)", K::Label, "fra_btn", 5610, 1650, 525, 420, "3", centred, F::map, grey},
    {"sha_out_c_in(4)", K::RoundRect, "fra_btn", 6240, 1620, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_c_in(4)", K::Label, "fra_btn", 6270, 1650, 525, 420, "4", centred, F::map, grey},
    {"sha_out_d_in(1)", K::RoundRect, "fra_btn", 7110, 1080, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_d_in(1)", K::Label, "fra_btn", 7140, 1110, 525, 420, "1", centred, F::map, grey},
    {"sha_out_d_in(2)", K::RoundRect, "fra_btn", 7770, 1080, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_d_in(2)", K::Label, "fra_btn", 7800, 1110, 525, 420, "2", centred, F::map, grey},
    {"sha_out_d_in(3)", K::RoundRect, "fra_btn", 7110, 1620, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_d_in(3)", K::Label, "fra_btn", 7140, 1650, 525, 420, "3", centred, F::map, grey},
    {"sha_out_d_in(4)", K::RoundRect, "fra_btn", 7770, 1620, 585, 465, "", 0, F::standard, grey, 0, black},
    {"lab_out_d_in(4)", K::Label, "fra_btn", 7800, 1650, 525, 420, "4", centred, F::map, grey},
    {"cmd_mute", K::Button, "fra_btn", 0, 360, 735, 525, "", 0, F::standard, grey, 0, 0, {}, pictures::speaker_on},
    {"cmd_menu_up", K::Button, "fra_btn", 780, 360, 735, 525, "", 0, F::standard, grey, 0, 0, {}, pictures::menu_up},
    {"cmd_lock", K::Button, "fra_btn", 1560, 360, 735, 525, "", 0, F::standard, grey, 0, 0, {}, pictures::lock_caption},
    {"cmd_menu_left", K::Button, "fra_btn", 0, 930, 735, 555, "", 0, F::standard, grey, 0, 0, {}, pictures::menu_left},
    {"cmd_menu_ok", K::Button, "fra_btn", 780, 930, 735, 555, "", 0, F::standard, grey, 0, 0, {}, pictures::menu_ok},
    {"cmd_menu_right", K::Button, "fra_btn", 1560, 930, 735, 555, "", 0, F::standard, grey, 0, 0, {}, pictures::menu_right},
    {"cmd_menu_exit", K::Button, "fra_btn", 0, 1530, 735, 525, "", 0, F::standard, grey, 0, 0, {}, pictures::menu_exit},
    {"cmd_menu_down", K::Button, "fra_btn", 780, 1530, 735, 525, "", 0, F::standard, grey, 0, 0, {}, pictures::menu_down},
    {"cmd_menu_menu", K::Button, "fra_btn", 1560, 1530, 735, 525, "", 0, F::standard, grey, 0, 0, {}, pictures::menu_menu},
    {"lab_reso_out", K::Label, "fra_btn", 8700, 1650, 1035, 495, "Output Resolution"},
    {"cbo_output", K::Dropdown, "fra_btn", 9780, 1710, 1515, 375, "", 0, F::resolution},
    {"cmd_keypad", K::Button, "", 1350, 60, 1515, 345, "Keyboard", hidden},

    // Control interface; the RS-232 and Ethernet groups share their places and
    // start hidden until the stored link choice shows one of them.
    {"fra_rs232", K::Frame, "", 9990, 0, 2655, 1695, "Control Interface"},
    {"opt_interface(0)", K::Option, "fra_rs232", 150, 300, 1035, 285, "RS-232"},
    {"opt_interface(1)", K::Option, "fra_rs232", 1290, 300, 1245, 285, "Ethernet"},
    {"cmd_conn", K::Button, "fra_rs232", 120, 630, 1215, 405, "Connect", hidden},
    {"cmd_disconn", K::Button, "fra_rs232", 1350, 630, 1215, 405, "Disconnect", hidden},
    {"cbo_com", K::Dropdown, "fra_rs232", 120, 1110, 1215, 375, "", hidden},
    {"lab_rs232", K::Label, "fra_rs232", 1380, 1200, 1155, 315, "115200,8,N,1"},
    {"cmd_conn_eth", K::Button, "fra_rs232", 120, 630, 1215, 405, "Connect", hidden},
    {"cmd_disconn_eth", K::Button, "fra_rs232", 1350, 630, 1215, 405, "Disconnect", hidden | disabled},
    {"lab_ip", K::Label, "fra_rs232", 120, 1200, 375, 315, "IP :", hidden},
    {"txt_ip", K::TextBox, "fra_rs232", 570, 1140, 1965, 345, "", hidden, F::mono},
    {"lab_eth_state", K::Label, "fra_rs232", 1590, 1440, 1245, 315, "Connecting...", hidden, F::standard, 0, red},

    // Middle band: audio
    {"fra_dual_a", K::Frame, "", 90, 2430, 1785, 735, "Dual A Audio", disabled},
    {"opt_da(1)", K::Option, "fra_dual_a", 120, 300, 765, 315, "Left"},
    {"opt_da(2)", K::Option, "fra_dual_a", 900, 300, 765, 315, "Right"},
    {"fra_dual_b", K::Frame, "", 90, 3270, 1785, 735, "Dual B Audio", disabled},
    {"opt_db(1)", K::Option, "fra_dual_b", 120, 300, 765, 315, "Left"},
    {"opt_db(2)", K::Option, "fra_dual_b", 900, 300, 765, 315, "Right"},
    {"fra_quad", K::Frame, "", 90, 2430, 1785, 1575, "Quad Audio", hidden | disabled},
    {"opt_quad(1)", K::Option, "fra_quad", 210, 390, 615, 315, "Q1"},
    {"opt_quad(2)", K::Option, "fra_quad", 990, 390, 615, 315, "Q2"},
    {"opt_quad(3)", K::Option, "fra_quad", 210, 1050, 615, 315, "Q3"},
    {"opt_quad(4)", K::Option, "fra_quad", 990, 1050, 615, 315, "Q4"},

    // Bezel correction; each value box covers the trough of its slider and leaves
    // both arrows free
    {"fra_bezel", K::Frame, "", 1980, 2430, 2505, 1575, "Bezel Correction", disabled},
    {"opt_bezel_onoff(1)", K::Option, "fra_bezel", 120, 270, 615, 315, "On"},
    {"opt_bezel_onoff(0)", K::Option, "fra_bezel", 780, 270, 615, 315, "Off"},
    {"lab_bezel_h", K::Label, "fra_bezel", 120, 660, 1095, 255, "H Correction"},
    {"hsr_bezel_h", K::Slider, "fra_bezel", 1290, 600, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 254, 10}},
    {"txt_bezel_h", K::TextBox, "fra_bezel", 1530, 600, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_bezel_v", K::Label, "fra_bezel", 120, 1110, 1095, 255, "V Correction"},
    {"hsr_bezel_v", K::Slider, "fra_bezel", 1290, 1080, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 254, 10}},
    {"txt_bezel_v", K::TextBox, "fra_bezel", 1530, 1080, 555, 375, "", read_only | centred, F::standard, value_box},

    {"fra_audio", K::Frame, "", 1980, 4080, 2505, 1035, "Audio EDID", disabled},
    {"opt_audio(0)", K::Option, "fra_audio", 90, 270, 735, 315, "2CH"},
    {"opt_audio(1)", K::Option, "fra_audio", 870, 270, 735, 315, "6CH"},
    {"opt_audio(2)", K::Option, "fra_audio", 1680, 270, 735, 315, "8CH"},
    {"opt_audio(3)", K::Option, "fra_audio", 90, 630, 1335, 315, "Bitstream"},
    {"opt_audio(4)", K::Option, "fra_audio", 1680, 630, 735, 315, "HD"},

    // Picture: four groups of four rows (caption, slider, value box over the slider)
    // The four inner frames hide the caption; the "Picture" label below names it.
    {"fra_pic", K::Frame, "", 4680, 2430, 7965, 2685, "Picture", disabled | caption_covered, F::standard, panel},
    {"fra_con", K::Frame, "fra_pic", 120, 60, 1845, 2175, "Contrast", 0, F::standard, panel},
    {"lab_con(1)", K::Label, "fra_con", 60, 300, 645, 375, "Out A", centred},
    {"hsr_con(1)", K::Slider, "fra_con", 690, 300, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_con(1)", K::TextBox, "fra_con", 930, 300, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_con(2)", K::Label, "fra_con", 60, 750, 645, 375, "Out B", centred},
    {"hsr_con(2)", K::Slider, "fra_con", 690, 750, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_con(2)", K::TextBox, "fra_con", 930, 750, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_con(3)", K::Label, "fra_con", 60, 1200, 645, 375, "Out C", centred},
    {"hsr_con(3)", K::Slider, "fra_con", 690, 1200, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_con(3)", K::TextBox, "fra_con", 930, 1200, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_con(4)", K::Label, "fra_con", 60, 1650, 645, 375, "Out D", centred},
    {"hsr_con(4)", K::Slider, "fra_con", 690, 1650, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_con(4)", K::TextBox, "fra_con", 930, 1650, 555, 375, "", read_only | centred, F::standard, value_box},
    {"fra_bri", K::Frame, "fra_pic", 2070, 60, 1845, 2175, "Brightness", 0, F::standard, panel},
    {"lab_bri(1)", K::Label, "fra_bri", 60, 300, 645, 375, "Out A", centred},
    {"hsr_bri(1)", K::Slider, "fra_bri", 690, 300, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_bri(1)", K::TextBox, "fra_bri", 930, 300, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_bri(2)", K::Label, "fra_bri", 60, 750, 645, 375, "Out B", centred},
    {"hsr_bri(2)", K::Slider, "fra_bri", 690, 750, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_bri(2)", K::TextBox, "fra_bri", 930, 750, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_bri(3)", K::Label, "fra_bri", 60, 1200, 645, 375, "Out C", centred},
    {"hsr_bri(3)", K::Slider, "fra_bri", 690, 1200, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_bri(3)", K::TextBox, "fra_bri", 930, 1200, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_bri(4)", K::Label, "fra_bri", 60, 1650, 645, 375, "Out D", centred},
    {"hsr_bri(4)", K::Slider, "fra_bri", 690, 1650, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_bri(4)", K::TextBox, "fra_bri", 930, 1650, 555, 375, "", read_only | centred, F::standard, value_box},
    {"fra_sat", K::Frame, "fra_pic", 4020, 60, 1845, 2175, "Saturation", 0, F::standard, panel},
    {"lab_sat(1)", K::Label, "fra_sat", 60, 300, 645, 375, "Out A", centred},
    {"hsr_sat(1)", K::Slider, "fra_sat", 690, 300, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_sat(1)", K::TextBox, "fra_sat", 930, 300, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_sat(2)", K::Label, "fra_sat", 60, 750, 645, 375, "Out B", centred},
    {"hsr_sat(2)", K::Slider, "fra_sat", 690, 750, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_sat(2)", K::TextBox, "fra_sat", 930, 750, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_sat(3)", K::Label, "fra_sat", 60, 1200, 645, 375, "Out C", centred},
    {"hsr_sat(3)", K::Slider, "fra_sat", 690, 1200, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_sat(3)", K::TextBox, "fra_sat", 930, 1200, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_sat(4)", K::Label, "fra_sat", 60, 1650, 645, 375, "Out D", centred},
    {"hsr_sat(4)", K::Slider, "fra_sat", 690, 1650, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_sat(4)", K::TextBox, "fra_sat", 930, 1650, 555, 375, "", read_only | centred, F::standard, value_box},
    {"fra_hue", K::Frame, "fra_pic", 5970, 60, 1845, 2175, "Hue", 0, F::standard, panel},
    {"lab_hue(1)", K::Label, "fra_hue", 60, 300, 645, 375, "Out A", centred},
    {"hsr_hue(1)", K::Slider, "fra_hue", 690, 300, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_hue(1)", K::TextBox, "fra_hue", 930, 300, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_hue(2)", K::Label, "fra_hue", 60, 750, 645, 375, "Out B", centred},
    {"hsr_hue(2)", K::Slider, "fra_hue", 690, 750, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_hue(2)", K::TextBox, "fra_hue", 930, 750, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_hue(3)", K::Label, "fra_hue", 60, 1200, 645, 375, "Out C", centred},
    {"hsr_hue(3)", K::Slider, "fra_hue", 690, 1200, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_hue(3)", K::TextBox, "fra_hue", 930, 1200, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_hue(4)", K::Label, "fra_hue", 60, 1650, 645, 375, "Out D", centred},
    {"hsr_hue(4)", K::Slider, "fra_hue", 690, 1650, 1035, 375, "", 0, F::standard, 0, 0, 0, {0, 100, 10}},
    {"txt_hue(4)", K::TextBox, "fra_hue", 930, 1650, 555, 375, "", read_only | centred, F::standard, value_box},
    {"lab_pic", K::Label, "fra_pic", 4920, 2340, 675, 255, "Picture"},
    {"cmd_pic_reset", K::Button, "fra_pic", 5640, 2310, 1100, 345, "Reset", 0, F::standard, grey},
    {"cmd_pic_refresh", K::Button, "fra_pic", 6750, 2310, 1100, 345, "Refresh", 0, F::standard, grey},

    // Aspect, HDCP, presets
    {"lab_aspect", K::Label, "", 150, 4110, 795, 495, "Aspect\nRatio"},
    {"cmd_hdcp", K::Button, "", 1020, 4170, 825, 405, "HDCP", disabled},
    {"cbo_aspect", K::Dropdown, "", 90, 4650, 1755, 375, "", disabled},
    {"fra_recall_save", K::Frame, "", 60, 5190, 7755, 1095, "Recall / Save", disabled},
    {"cmd_recall(1)", K::Button, "fra_recall_save", 90, 420, 915, 435, "Recall 1", 0, F::standard, grey},
    {"cmd_recall(2)", K::Button, "fra_recall_save", 1020, 420, 915, 435, "Recall 2", 0, F::standard, grey},
    {"cmd_recall(3)", K::Button, "fra_recall_save", 1950, 420, 915, 435, "Recall 3", 0, F::standard, grey},
    {"cmd_recall(4)", K::Button, "fra_recall_save", 2880, 420, 915, 435, "Recall 4", 0, F::standard, grey},
    {"cmd_save(1)", K::Button, "fra_recall_save", 3960, 420, 915, 435, "Save 1", 0, F::standard, grey},
    {"cmd_save(2)", K::Button, "fra_recall_save", 4890, 420, 915, 435, "Save 2", 0, F::standard, grey},
    {"cmd_save(3)", K::Button, "fra_recall_save", 5820, 420, 915, 435, "Save 3", 0, F::standard, grey},
    {"cmd_save(4)", K::Button, "fra_recall_save", 6750, 420, 915, 435, "Save 4", 0, F::standard, grey},

    // Device address query; the labels lie under the boxes they name
    {"cmd_get_ip", K::Button, "", 7920, 5190, 1100, 375, "Get IP", disabled, F::standard, grey},
    {"lab_inq_ip", K::Label, "", 9090, 5250, 315, 315, "IP"},
    {"txt_get_ip", K::TextBox, "", 9360, 5190, 1965, 345, "", 0, F::mono},
    {"Label1", K::Label, "", 8130, 5610, 1395, 315, "Subnet Mask"},
    {"txt_get_mask", K::TextBox, "", 9360, 5580, 1965, 345, "", 0, F::mono},
    {"Label3", K::Label, "", 8400, 5970, 1035, 315, "Gate Way"},
    {"txt_get_gate", K::TextBox, "", 9360, 5970, 1965, 345, "", 0, F::mono},

    // Reset and version
    {"cmd_fact_reset", K::Button, "", 11460, 5160, 1185, 585, "Factory Reset"},
    {"cmd_ver", K::Button, "", 11460, 5760, 1185, 315, "F/W Ver"},
    {"txt_ver", K::TextBox, "", 11490, 6090, 675, 390, "", 0, F::mono, grey},
    {"txt_ver2", K::TextBox, "", 12150, 6090, 450, 390, "", 0, F::mono, grey},

    // Bottom band: traffic log
    {"txt_cmd", K::LogBox, "", 150, 6600, 11835, 2445, "", 0, F::mono},
    {"cmd_clear", K::Button, "", 12060, 6600, 645, 555, "清", 0, F::clear},
};

// The families the windows were laid out for; layout_font() adds faces of
// the same widths that are freely available.
const std::array<FontSpec, 8> fonts = {{
    {"Arial", 9, false},
    {"Arial", 9, true},
    {"Arial", 9.75, true},
    {"Verdana", 14.25, true},
    {"Verdana", 14.25, false},
    {"Courier New", 9, false},
    {"新細明體", 12, false},
    {"Arial", 11.25, false},
}};

}  // namespace

const FontSpec& font_spec(Font f) { return fonts[static_cast<size_t>(f)]; }

std::span<const Row> rows() { return table; }

}  // namespace tavrin::layout
