#include "desktop/view/ScreenLabel.h"

#include <xcb/xcb.h>

#include <QAbstractEventDispatcher>
#include <QChildEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QSysInfo>
#include <QWindow>
#include <cstdlib>

namespace desktop {

namespace {

// Long enough that running arrows never let it fire, short enough that no
// one sees an old caption on a window uncovered after the arrows stopped.
constexpr int kSettleMs = 200;
// The running arrows show ten captions each.
constexpr std::size_t kPictures = 32;

xcb_connection_t* connection() {
    if (!qGuiApp) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Requests wait in the connection's buffer until it is sent: every label
// drawn in one pass of the loop goes out in one write, before it waits.
bool flushPending = false;

void flushBeforeWaiting(xcb_connection_t* c) {
    static QPointer<QAbstractEventDispatcher> hooked;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher && dispatcher != hooked) {
        hooked = dispatcher;
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher, [] {
            if (!flushPending) return;
            flushPending = false;
            if (xcb_connection_t* now = connection()) xcb_flush(now);
        });
    }
    if (dispatcher)
        flushPending = true;
    else
        xcb_flush(c);
}

// Whether QImage's 32-bit RGB pixels are the server's own for a window of
// this depth and visual, so that they can be sent as they are.
bool takesRgb32(xcb_connection_t* c, std::uint8_t depth, xcb_visualid_t visual) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const bool little = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    if (setup->image_byte_order != (little ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST))
        return false;
    if (depth != 24 && depth != 32) return false;
    bool format = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == depth) format = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
    if (!format) return false;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == visual)
                    return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xff0000 &&
                           v.data->green_mask == 0xff00 && v.data->blue_mask == 0xff;
    return false;
}

}  // namespace

ScreenLabel::ScreenLabel(QWidget* parent) : TextLabel(parent) {
    x11_ = connection() != nullptr;
    if (x11_) {
        // A window of its own for this label alone: its neighbours stay
        // drawn on their window, as before.
        QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setAttribute(Qt::WA_NativeWindow);
        watchCovers();
    }
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    QObject::connect(&settle_, &QTimer::timeout, this, [this] {
        takeCaption();
        update();
    });
}

ScreenLabel::~ScreenLabel() { forgetPictures(); }

void ScreenLabel::setCaption(const QString& text) {
    if (text == (lagging_ ? shown_ : this->text())) return;
    shown_ = text;
    lagging_ = false;
    if (!x11_ || !isVisible() || !updatesEnabled() || !autoFillBackground()) {
        setText(text);
        return;
    }
    // The window gets the caption's picture; Qt's own text and image of the
    // label follow once the captions rest.
    lagging_ = true;
    if (copyToScreen()) {
        settle_.start();
    } else {
        lagging_ = false;
        setText(text);
    }
}

// QLabel's text becomes the caption shown, without a repaint.
void ScreenLabel::takeCaption() {
    if (!lagging_) return;
    lagging_ = false;
    const bool held = testAttribute(Qt::WA_UpdatesDisabled);
    setAttribute(Qt::WA_UpdatesDisabled, true);
    setText(shown_);
    setAttribute(Qt::WA_UpdatesDisabled, held);
}

void ScreenLabel::paintEvent(QPaintEvent* event) {
    takeCaption();
    TextLabel::paintEvent(event);
}

bool ScreenLabel::copyToScreen() {
    if (!prepareWindow()) return false;
    const std::uint32_t pixmap = picture();
    if (!pixmap) return false;
    xcb_connection_t* c = connection();
    xcb_copy_area(c, pixmap, window_, gc_, 0, 0, 0, 0, width(), height());
    flushBeforeWaiting(c);
    return true;
}

// Learns, once for each window, whether pictures can be made for it.
bool ScreenLabel::prepareWindow() {
    const WId id = internalWinId();
    if (!id) return false;
    if (id == window_) return formatKnown_;
    forgetPictures();
    window_ = id;
    xcb_connection_t* c = connection();
    if (!c) return false;
    auto* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr);
    auto* attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr);
    if (geometry && attributes) {
        depth_ = geometry->depth;
        formatKnown_ = takesRgb32(c, depth_, attributes->visual);
    }
    std::free(geometry);
    std::free(attributes);
    if (formatKnown_) {
        // No NoExpose event for every copy: each would wake the loop again.
        gc_ = xcb_generate_id(c);
        const std::uint32_t noExposures = 0;
        xcb_create_gc(c, gc_, id, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    }
    return formatKnown_;
}

// The picture of the current caption on the server, made the first time it
// is shown: the label paints itself into an image, as it paints on screen.
std::uint32_t ScreenLabel::picture() {
    const auto look = std::make_tuple(int(alignment()), wordWrap(), frameStyle(), margin(), indent());
    if (look != look_) {
        dropPictures();
        look_ = look;
    }
    for (auto it = pictures_.begin(); it != pictures_.end(); ++it)
        if (it->first == shown_) {
            pictures_.splice(pictures_.begin(), pictures_, it);
            return it->second;
        }
    xcb_connection_t* c = connection();
    const QSize area = size();
    const std::size_t bytes = std::size_t(area.width()) * area.height() * 4;
    // A picture too big for one request would close the connection.
    if (!c || area.isEmpty() || devicePixelRatio() != 1 ||
        bytes + 64 > std::size_t(xcb_get_maximum_request_length(c)) * 4)
        return 0;
    // The label's paint takes the new caption first (paintEvent).
    QImage image(area, QImage::Format_RGB32);
    render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    const std::uint32_t pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, depth_, pixmap, window_, area.width(), area.height());
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc_, area.width(), area.height(), 0, 0, 0, depth_,
                  std::uint32_t(image.sizeInBytes()), image.constBits());
    pictures_.emplace_front(shown_, pixmap);
    if (pictures_.size() > kPictures) {
        xcb_free_pixmap(c, pictures_.back().second);
        pictures_.pop_back();
    }
    return pixmap;
}

void ScreenLabel::dropPictures() {
    if (xcb_connection_t* c = connection())
        for (auto& [text, pixmap] : pictures_) xcb_free_pixmap(c, pixmap);
    pictures_.clear();
}

void ScreenLabel::forgetPictures() {
    dropPictures();
    xcb_connection_t* c = connection();
    if (c && gc_) xcb_free_gc(c, gc_);
    gc_ = 0;
    window_ = 0;
    formatKnown_ = false;
}

void ScreenLabel::changeEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::FontChange:
        case QEvent::PaletteChange:
        case QEvent::EnabledChange:
        case QEvent::StyleChange:
        case QEvent::LayoutDirectionChange: dropPictures(); break;
        default: break;
    }
    TextLabel::changeEvent(event);
}

void ScreenLabel::resizeEvent(QResizeEvent* event) {
    dropPictures();
    TextLabel::resizeEvent(event);
}

// What may come to lie over the label: the widgets beside it and beside
// each of its containers up to the window, and the label and its containers
// themselves moving. Their children lie within them.
void ScreenLabel::watchCovers() {
    installEventFilter(this);
    for (QWidget* level = this; !level->isWindow() && level->parentWidget(); level = level->parentWidget()) {
        QWidget* parent = level->parentWidget();
        parent->installEventFilter(this);
        for (QObject* child : parent->children())
            if (child != this && child->isWidgetType()) child->installEventFilter(this);
    }
}

bool ScreenLabel::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::WinIdChange:
            if (watched == this)
                if (QWindow* window = windowHandle()) window->installEventFilter(this);
            break;
        case QEvent::Expose:
            // The window was mapped, or something over it went away: Qt puts
            // its own image of the label back, which holds the caption it
            // last painted, not the one copied since, unless it paints anew.
            // (On a slow machine the expose of a newly mapped window comes
            // after the first captions.)
            if (watched == windowHandle()) {
                takeCaption();
                update();
            }
            break;
        case QEvent::ChildAdded:
            // A new widget beside the label or one of its containers.
            if (watched->isWidgetType() && watched != this &&
                static_cast<QWidget*>(watched)->isAncestorOf(this))
                if (QObject* child = static_cast<QChildEvent*>(event)->child(); child->isWidgetType())
                    child->installEventFilter(this);
            break;
        case QEvent::ParentChange:
            if (watched == this) watchCovers();
            clipToUncovered();
            break;
        case QEvent::ChildRemoved:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::ZOrderChange: clipToUncovered(); break;
        default: break;
    }
    return false;
}

// Among the children of one parent, a later one lies over an earlier one.
void ScreenLabel::clipToUncovered() {
    const QRect own = rect();
    QRegion open(own);
    QPoint origin;  // of the level's parent, in the label's coordinates
    for (const QWidget* level = this; !level->isWindow() && level->parentWidget();
         level = level->parentWidget()) {
        origin -= level->pos();
        bool above = false;
        for (const QObject* child : level->parentWidget()->children()) {
            if (child == level) {
                above = true;
                continue;
            }
            if (!above || !child->isWidgetType()) continue;
            const auto* over = static_cast<const QWidget*>(child);
            if (over->isWindow() || over->isHidden()) continue;
            const QRect place = over->geometry().translated(origin);
            if (!place.intersects(own)) continue;
            open -= over->mask().isEmpty() ? QRegion(place) : over->mask().translated(place.topLeft());
        }
    }
    if (open == QRegion(own))
        clearMask();
    else
        // An empty mask would be none: wholly covered, the window keeps a
        // pixel outside itself.
        setMask(open.isEmpty() ? QRegion(-1, -1, 1, 1) : open);
}

}  // namespace desktop
