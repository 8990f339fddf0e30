#include "main_window/panel.h"

#include "device_controls/audio.h"
#include "device_controls/bezel.h"
#include "device_controls/picture.h"
#include "device_controls/power.h"
#include "device_controls/presets.h"
#include "main_window/link_controls.h"
#include "main_window/startup.h"
#include "panels/hdcp.h"
#include "panels/keypad.h"
#include "panels/labels.h"
#include "panels/pip.h"
#include "routing/display_modes.h"
#include "routing/resolution.h"
#include "routing/routing_map.h"

#include <QPlainTextEdit>
#include <QScrollBar>

namespace tavrin {

// Shows the traffic log in txt_cmd. The log keeps the carriage returns of the
// replies; on screen each one starts a new line.
class Panel::LogView : public LogSink {
public:
    explicit LogView(QPlainTextEdit* box) : box_(box) {}
    void set_text(const QString& whole, const QString& appended) override {
        if (appended.isEmpty() || whole.size() == appended.size() || shown_ + appended.size() != whole.size()) {
            box_->setPlainText(render(whole));
        } else {
            QTextCursor cur(box_->document());
            cur.movePosition(QTextCursor::End);
            cur.insertText(render(appended));
        }
        shown_ = whole.size();
        box_->verticalScrollBar()->setValue(box_->verticalScrollBar()->maximum());
    }

private:
    static QString render(QString s) { return s.replace(QLatin1Char('\r'), QLatin1Char('\n')); }
    QPlainTextEdit* box_;
    qsizetype shown_ = 0;
};

Panel::Panel(Platform& platform, SerialPort& serial, TcpClient& tcp, const ProgramFiles& files)
    : w(files),
      link(st, platform, serial, tcp),
      ctx{w, link, st, platform} {
    log_view_ = std::make_unique<LogView>(w.ctl<QPlainTextEdit>(QStringLiteral("txt_cmd")));
    link.set_log_sink(log_view_.get());

    links = std::make_unique<LinkControls>(ctx);
    startup = std::make_unique<Startup>(ctx, w, *links);
    picture = std::make_unique<Picture>(ctx);
    power = std::make_unique<Power>(ctx, *picture);
    map = std::make_unique<RoutingMap>(ctx);
    modes = std::make_unique<DisplayModes>(ctx, *map, *picture);
    resolution = std::make_unique<Resolution>(ctx);
    audio = std::make_unique<Audio>(ctx);
    bezel = std::make_unique<Bezel>(ctx);
    presets = std::make_unique<Presets>(ctx, *power, *picture, [this] { map->map_refresh(); });
    keypad = std::make_unique<Keypad>(ctx, *modes, *map, *power, *audio);
    hdcp = std::make_unique<Hdcp>(ctx);
    labels = std::make_unique<Labels>(ctx);
    pip = std::make_unique<Pip>(ctx);

    // The device restarts after "RST001"/"PWR001" over Ethernet: the panel
    // openers go away until the next full refresh, and the link is closed.
    link.on_device_restart = [this] {
        for (const char* name : {"lab_pip", "sha_pip", "lab_lab_input", "sha_lab_in"})
            w.control(QLatin1String(name))->hide();
        w.control(QStringLiteral("img_start"))->show();
        w.control(QStringLiteral("cmd_keypad"))->hide();
        links->cmd_disconn_eth_Click();
    };

    // Secondary windows do not outlive the main window.
    QObject::connect(&w, &FrmMain::closing, [this] {
        keypad->close_window();
        hdcp->close_window();
        labels->close_window();
        pip->close_window();
        startup->Form_Unload();
    });
}

Panel::~Panel() = default;

void Panel::load() { startup->Form_Load(); }

}  // namespace tavrin
