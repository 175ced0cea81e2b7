// A label whose caption changes many times a second: the running arrows.
#pragma once

#include <QTimer>
#include <cstdint>
#include <list>
#include <tuple>
#include <utility>

#include "desktop/view/Painted.h"

namespace desktop {

// On X11 the label is a window of its own, and a new caption is one copy of
// a picture the X server already holds for that caption. Qt's way, a repaint
// of the window, costs a wake-up of the loop, a round trip to the server and
// an upload of the image at every change: for two arrows at 40 captions a
// second, more than the rest of the running program. The pictures are the
// label's own painting, so it looks as every label does. Where that cannot
// be done (another platform, a window format it does not know, a label
// that is not opaque), the label is repainted as any other.
//
// A window of its own lies over every widget of its parent's window, also
// over the panels that Qt stacks above the label: so the window is cut to
// the part of the label that no widget above it covers, and follows them as
// they are shown, hidden, moved, resized or restacked.
class ScreenLabel : public TextLabel {
public:
    explicit ScreenLabel(QWidget* parent);
    ~ScreenLabel() override;
    // Shows a new caption. While captions follow each other quickly, QLabel's
    // text() lags behind the caption shown.
    void setCaption(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchCovers();
    void clipToUncovered();
    bool copyToScreen();
    void takeCaption();
    bool prepareWindow();
    std::uint32_t picture();
    void dropPictures();
    void forgetPictures();  // and what it knew of the window

    bool x11_ = false;
    QString shown_;         // the caption on the screen
    bool lagging_ = false;  // QLabel's text is not yet shown_
    std::uintptr_t window_ = 0;  // the window that the pictures were made for
    bool formatKnown_ = false;
    std::uint8_t depth_ = 0;
    std::uint32_t gc_ = 0;
    // What the pictures depend on besides the caption, the font, the
    // colours and the size (those reach changeEvent and resizeEvent).
    std::tuple<int, bool, int, int, int> look_{};
    std::list<std::pair<QString, std::uint32_t>> pictures_;  // the most recent first
    // Brings Qt's own image of the label up to date once the captions rest,
    // for whatever Qt shows from it (an uncovered window).
    QTimer settle_;
};

}  // namespace desktop
