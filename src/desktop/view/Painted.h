// The controls that are drawn rather than built from a Qt widget: pictures,
// lines and shapes.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QStaticText>
#include <QWidget>
#include <list>
#include <utility>

namespace desktop {

// A label. A caption of one line is drawn from a laid-out text kept for each
// of the last few captions: a caption that changes many times a second
// among a few texts (the running arrows) is then laid out once, not at every
// repaint. Anything else is drawn as QLabel draws it.
class TextLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;  // a new font lays every caption out anew

private:
    const QStaticText& laidOut(const QString& text);
    std::list<std::pair<QString, QStaticText>> recent_;  // the most recent first
};

// Image and PictureBox: a picture at the top left corner, or stretched over
// the control. No picture (or one that cannot be read) draws nothing.
class PictureWidget : public QWidget {
public:
    explicit PictureWidget(QWidget* parent) : QWidget(parent) {}
    void setPicture(const QPixmap& picture);
    void setStretch(bool stretch);
    void setBorder(bool border);
    const QPixmap& picture() const { return picture_; }
    // Where the picture is drawn in the widget.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPixmap picture_;
    bool stretch_ = false;
    bool border_ = false;
};

// A line between two points of its container; the widget covers just the
// line's bounding box and lets the mouse through.
class LineWidget : public QWidget {
public:
    explicit LineWidget(QWidget* parent);
    // Points in pixels of the container.
    void setLine(QPoint from, QPoint to, const QColor& colour, int width);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QPoint from_, to_;
    QColor colour_;
    int width_ = 1;
};

// Rectangle, square, oval, circle and their rounded forms.
class ShapeWidget : public QWidget {
public:
    explicit ShapeWidget(QWidget* parent);
    struct Style {
        int shape = 0;
        QColor border;
        int borderWidth = 1;
        QColor fill;
        bool filled = false;
        QColor back;
        bool opaque = false;
    };
    void setStyle(const Style& style);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Style style_;
};

}  // namespace desktop
