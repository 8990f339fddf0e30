#pragma once
// The composition: one main window, the command exchange and one controller
// per subject, wired together. Production passes the Qt adapters, tests the
// fakes; nothing else differs.

#include "context/context.h"
#include "link/link.h"
#include "link/ports.h"
#include "main_window/frm_main.h"
#include "state/panel_state.h"

#include <memory>

namespace tavrin {

class LinkControls;
class Startup;
class Picture;
class Power;
class RoutingMap;
class DisplayModes;
class Resolution;
class Audio;
class Bezel;
class Presets;
class Keypad;
class Hdcp;
class Labels;
class Pip;
class PaintPacer;

class Panel {
public:
    // files: a program folder alone will do; the rest is found from it.
    Panel(Platform& platform, SerialPort& serial, TcpClient& tcp, const ProgramFiles& files);
    ~Panel();

    // Form_Load: first values, lists, files, link restore, height, title, show.
    void load();

    PanelState st;
    FrmMain w;
    Link link;
    Context ctx;

    std::unique_ptr<LinkControls> links;
    std::unique_ptr<Startup> startup;
    std::unique_ptr<Picture> picture;
    std::unique_ptr<Power> power;
    std::unique_ptr<RoutingMap> map;
    std::unique_ptr<DisplayModes> modes;
    std::unique_ptr<Resolution> resolution;
    std::unique_ptr<Audio> audio;
    std::unique_ptr<Bezel> bezel;
    std::unique_ptr<Presets> presets;
    std::unique_ptr<Keypad> keypad;
    std::unique_ptr<Hdcp> hdcp;
    std::unique_ptr<Labels> labels;
    std::unique_ptr<Pip> pip;

private:
    class WarmUp;
    std::unique_ptr<WarmUp> warm_up_;
    class LogView;
    std::unique_ptr<LogView> log_view_;
    std::unique_ptr<PaintPacer> pacer_;
};

}  // namespace tavrin
