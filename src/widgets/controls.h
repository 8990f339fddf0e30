#pragma once
// The small controls Qt lacks, shaped after what the panel needs: buttons
// whose background colour and picture change at run time, filled shapes with
// a border colour, clickable labels, and sliders that report only completed
// changes.

#include "widgets/palette.h"

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QWidget>

namespace tavrin {

// A command button with a settable background colour and optional picture.
class ColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit ColorButton(QWidget* parent = nullptr);
    void set_back_color(const QColor& c);
    QColor back_color() const { return back_; }
    void set_picture(const QImage& img);
    // Loads a bitmap file as the picture; a missing or unreadable file leaves
    // the current picture and returns false.
    bool load_picture_file(const QString& path);
    // Reads and decodes a bitmap file ahead of its first use and keeps it:
    // a later load of the same file, unchanged, takes it from here.
    static void preload_picture(const QString& path);
    const QImage& picture() const { return picture_; }
    QString picture_file() const { return picture_file_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    const QPixmap& shown_picture();
    bool caption_wraps(int width);

    QColor back_ = colors::neutral;
    QImage picture_;
    QString picture_file_;
    QPixmap shown_;  // picture_ as last drawn
    bool shown_enabled_ = true;
    QString wrap_text_;
    int wrap_width_ = -1;
    QFont wrap_font_;
    bool wraps_ = false;
};

// A filled rounded rectangle or circle with a border colour.
class ShapeWidget : public QWidget {
    Q_OBJECT
public:
    enum class Kind { RoundRect, Circle, Rect, Outline };
    explicit ShapeWidget(Kind kind, QWidget* parent = nullptr);
    void set_fill(const QColor& c);
    QColor fill() const { return fill_; }
    void set_border(const QColor& c);
    QColor border() const { return border_; }
    Kind kind() const { return kind_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    Kind kind_;
    QColor fill_ = colors::neutral;
    QColor border_ = colors::black;
};

// A label that takes clicks and can have an opaque background colour.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget* parent = nullptr);
    void set_back_color(const QColor& c);   // invalid colour: transparent
    QColor back_color() const { return back_; }
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QColor back_;
};

// A horizontal scroll bar (arrows, trough, thumb). change() is raised for
// completed value changes only: an arrow or trough click, a key, a value set
// from code, or the release of a dragged thumb - never while dragging.
class ScrollSlider : public QScrollBar {
    Q_OBJECT
public:
    explicit ScrollSlider(QWidget* parent = nullptr);
    // Puts back the value from before the change just reported, without
    // reporting that as a change (for a change that could not be sent).
    void undo_change();
signals:
    void change();

private:
    void completed(int v);
    int settled_ = 0;   // after the last completed change
    int previous_ = 0;  // before it
    bool undoing_ = false;
};

// Lets w (a list or slider) take the mouse wheel only while it has the
// keyboard focus, which a click or Tab gives it: a wheel turned on its way
// across the panel must not switch a live output.
void wheel_only_with_focus(QWidget* w);

// An image shown stretched to the control, in its own colours even inside a
// disabled frame: it is a picture to read, not a control to operate.
class ImageBox : public QLabel {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr);
    void set_image(const QImage& img);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QPixmap scaled_;
    qint64 scaled_from_ = 0;
};

}  // namespace tavrin
