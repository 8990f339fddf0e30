// Every caption of every window fits its control with the faces the panel
// asks for: nothing cut off, nothing wrapped out of sight. Run with the fonts
// the package depends on (see scripts/setup.sh); other faces measure differently.

#include "panels/frm_hdcp.h"
#include "panels/frm_keypad.h"
#include "panels/frm_label.h"
#include "panels/frm_pip.h"
#include "panels/hdcp.h"
#include "panels/keypad.h"
#include "panels/labels.h"
#include "panels/panel_window.h"
#include "panels/pip.h"
#include "support/panel_rig.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QtTest>

using namespace tavrin;
using namespace tavrin::testing;

namespace {

// Where a caption does not fit: "name: text" for each such control.
QStringList cut_captions(QWidget* window) {
    QStringList out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        QString text;
        QRect room;
        int flags = 0;
        if (auto* b = qobject_cast<ColorButton*>(w)) {
            // As the button paints it: wrapped when one line is too wide.
            text = b->text();
            room = b->rect().adjusted(3, 3, -3, -3);
            flags = Qt::AlignCenter | Qt::TextShowMnemonic;
            if (b->fontMetrics().horizontalAdvance(text) > room.width()) flags |= Qt::TextWordWrap;
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            text = l->text();
            room = l->contentsRect();
            flags = int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0);
        } else if (auto* r = qobject_cast<QRadioButton*>(w); r || qobject_cast<QCheckBox*>(w)) {
            // The room the style leaves beside the indicator.
            auto* a = static_cast<QAbstractButton*>(w);
            QStyleOptionButton opt;
            opt.initFrom(a);
            opt.text = text = a->text();
            room = a->style()->subElementRect(r ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &opt, a);
            flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic;
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            if (g->fontMetrics().horizontalAdvance(g->title()) > g->width()) out << w->objectName() + ": " + g->title();
            continue;
        }
        if (text.trimmed().isEmpty()) continue;
        const QRect needed = QFontMetrics(w->font()).boundingRect(room, flags, text);
        if (!room.contains(needed)) out << w->objectName() + ": " + text;
    }
    return out;
}

}  // namespace

class CaptionsTest : public QObject {
    Q_OBJECT
private slots:
    void no_caption_is_cut() {
        PanelRig r;
        r.st().cur_mode = 2, r.st().dual_kind = 2;  // Dual PiP, so the PiP window opens
        r.w().control(QStringLiteral("fra_btn"))->setEnabled(true);
        for (const char* opener : {"cmd_keypad", "cmd_hdcp", "lab_lab_input", "lab_pip"}) {
            r.w().control(QLatin1String(opener))->setEnabled(true);
            r.w().control(QLatin1String(opener))->show();
            QTest::mouseClick(r.w().control(QLatin1String(opener)), Qt::LeftButton);
        }
        const QList<QWidget*> windows{&r.w(), r.p().keypad->window(), r.p().hdcp->window(), r.p().labels->window(),
                                      r.p().pip->window()};
        for (QWidget* w : windows) {
            QVERIFY(w && w->isVisible());
            const QStringList cut = cut_captions(w);
            QVERIFY2(cut.isEmpty(), qPrintable(w->windowTitle() + " | " + cut.join(" | ")));
        }
    }
};

QTEST_MAIN(CaptionsTest)
#include "captions.moc"
