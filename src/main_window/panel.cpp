#include "main_window/panel.h"

#include "device_controls/audio.h"
#include "device_controls/bezel.h"
#include "device_controls/picture.h"
#include "device_controls/power.h"
#include "device_controls/presets.h"
#include "link/program_files.h"
#include "main_window/link_controls.h"
#include "main_window/startup.h"
#include "panels/hdcp.h"
#include "panels/keypad.h"
#include "panels/labels.h"
#include "panels/pip.h"
#include "routing/display_modes.h"
#include "routing/resolution.h"
#include "routing/routing_map.h"
#include "widgets/paint_pacer.h"

#include <QAccessible>
#include <QEvent>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QTimer>
#include <QWindow>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

namespace tavrin {

namespace {
// How long a due frame waits for the next command: well above the few tenths
// of a millisecond between an answer and the next query of a chain, well
// below what the eye notices.
constexpr int kWireGraceMs = 4;
}  // namespace

// Shows the traffic log in txt_cmd. The log keeps the carriage returns of the
// replies; on screen each one starts a new line. Laying out the text is the
// costly part of an entry, so the box catches up at most once per pass of the
// event loop, and not at all while it is out of sight (below the window's
// edge in both views, or hidden): then it catches up when it is painted again.
class Panel::LogView : public QObject, public LogSink {
public:
    LogView(QPlainTextEdit* box, PaintPacer& pacer) : box_(box), pacer_(pacer) {
        box_->installEventFilter(this);
        box_->viewport()->installEventFilter(this);
    }
    void set_text(const QString& whole, const QString& appended) override {
        // A command is logged just before it leaves.
        if (appended.endsWith(QLatin1Char('>'))) pacer_.command_left();
        // Anything but an append to what was there replaces the box's text.
        if (appended.isEmpty() || whole.size() == appended.size() || logged_ + appended.size() != whole.size())
            replace_ = true;
        whole_ = &whole;  // the log itself, which outlives this view: no copy to detach
        logged_ = whole.size();
        stale_ = true;
        if (in_sight()) schedule();
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (stale_ && (e->type() == QEvent::Show || (o == box_->viewport() && e->type() == QEvent::Paint))) schedule();
        return false;
    }

private:
    void schedule() {
        if (scheduled_) return;
        scheduled_ = true;
        QMetaObject::invokeMethod(this, [this] { catch_up(); }, Qt::QueuedConnection);
    }
    void catch_up() {
        scheduled_ = false;
        if (!stale_ || !whole_ || !in_sight()) return;
        if (replace_) {
            box_->setPlainText(render(*whole_));
        } else {
            QTextCursor cur(box_->document());
            cur.movePosition(QTextCursor::End);
            cur.insertText(render(whole_->mid(shown_)));
        }
        shown_ = whole_->size();
        replace_ = false;
        stale_ = false;
        box_->verticalScrollBar()->setValue(box_->verticalScrollBar()->maximum());
    }
    bool in_sight() const { return box_->isVisible() && !box_->visibleRegion().isEmpty(); }
    static QString render(QString s) { return s.replace(QLatin1Char('\r'), QLatin1Char('\n')); }
    QPlainTextEdit* box_;
    PaintPacer& pacer_;
    const QString* whole_ = nullptr;
    qsizetype logged_ = 0;  // the log's length at the last entry
    qsizetype shown_ = 0;   // how much of it the box holds
    bool replace_ = false;
    bool stale_ = false;
    bool scheduled_ = false;
};

Panel::Panel(Platform& platform, SerialPort& serial, TcpClient& tcp, const ProgramFiles& files)
    : w(files),
      link(st, platform, serial, tcp),
      ctx{w, link, st, platform} {
    pacer_ = std::make_unique<PaintPacer>();
    // A frame that comes due between an answer and the next command of a
    // chain is painted while that command's answer is on its way.
    pacer_->set_wire_gate([this] { return link.awaiting_reply() && !link.reply_done(); }, kWireGraceMs);
    log_view_ = std::make_unique<LogView>(w.ctl<QPlainTextEdit>(QStringLiteral("txt_cmd")), *pacer_);
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

// A moment after the window is on the screen, the controls that are still
// hidden are drawn once off screen: the first Refresh then shows them without
// paying for first-time text shaping, glyphs and style caches. Not sooner: the
// window's first appearance must not wait for it.
class Panel::WarmUp : public QObject {
public:
    explicit WarmUp(FrmMain& w) : w_(w) {
        QWindow* handle = w_.windowHandle();
        if (handle && handle->isExposed()) QTimer::singleShot(kDelayMs, this, [this] { run(); });
        else if (handle) handle->installEventFilter(this);
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Expose && static_cast<QWindow*>(o)->isExposed()) {
            o->removeEventFilter(this);
            QTimer::singleShot(kDelayMs, this, [this] { run(); });
        }
        return false;
    }

private:
    static constexpr int kDelayMs = 250;
    void run() {
        // What shows has just been painted; what Refresh will bring out has
        // not. Each hidden control is drawn into a scratch image of its own
        // size, handed back at once, so the panel's peak memory stays as it was.
        QHash<QString, QFont> fonts;
        for (QWidget* c : w_.findChildren<QWidget*>()) {
            // Controls whose state a reply changes look themselves up for
            // accessibility on every change; the first lookup builds the entry.
            QAccessible::queryAccessibleInterface(c);
            fonts.insert(c->font().key(), c->font());
            if (!c->isHidden() || c->width() <= 0 || c->height() <= 0) continue;
            QImage scratch(c->size(), QImage::Format_ARGB32_Premultiplied);
            c->render(&scratch);
        }
        // Text boxes and lists that start empty have not loaded their fonts,
        // shaped or rasterised a glyph yet: what replies bring, in every font
        // the window uses, drawn as a control draws it. Figures alone are
        // shaped apart from words, so they get a line of their own.
        QLabel sample;
        for (const QFont& f : fonts) {
            sample.setFont(f);
            for (const QString& text : {QStringLiteral(" 0123456789.:-/"),
                                        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz")}) {
                sample.setText(text);
                sample.resize(sample.sizeHint());
                QImage scratch(sample.size(), QImage::Format_ARGB32_Premultiplied);
                sample.render(&scratch);
            }
        }
        // The power, mute and lock replies show key pictures from files:
        // decoded here once and kept (a few kilobytes), so the first refresh
        // neither reads nor decodes them.
        for (const char* file : {"power_none.bmp", "power_on.bmp", "power_standby.bmp", "speaker_on.bmp",
                                 "speaker_off.bmp", "lock.bmp", "unlock.bmp"})
            ColorButton::preload_picture(w_.bitmap_path(QLatin1String(file)));
    }
    FrmMain& w_;
};

Panel::~Panel() = default;

void Panel::load() {
    startup->Form_Load();
    warm_up_ = std::make_unique<WarmUp>(w);
}

}  // namespace tavrin
