#include "desktop/view/Painted.h"

#include <QEvent>
#include <QStyle>

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace desktop {

const QStaticText& TextLabel::laidOut(const QString& text) {
    for (auto it = recent_.begin(); it != recent_.end(); ++it)
        if (it->first == text) {
            recent_.splice(recent_.begin(), recent_, it);
            return recent_.front().second;
        }
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    laid.prepare(QTransform(), font());
    recent_.emplace_front(text, std::move(laid));
    if (recent_.size() > 16) recent_.pop_back();
    return recent_.front().second;
}

void TextLabel::paintEvent(QPaintEvent* event) {
    const QString shown = text();
    const bool simple = !wordWrap() && frameStyle() == QFrame::NoFrame && textFormat() == Qt::PlainText &&
                        !shown.contains(QChar('\n')) && !shown.contains(QChar('&'));
    if (!simple) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    const QStaticText& laid = laidOut(shown);
    const QRect area = contentsRect();
    const QSizeF size = laid.size();
    const Qt::Alignment a = QStyle::visualAlignment(layoutDirection(), alignment());
    qreal x = area.left(), y = area.top();
    if (a & Qt::AlignRight) x = area.right() + 1 - size.width();
    else if (a & Qt::AlignHCenter) x = area.left() + (area.width() - size.width()) / 2;
    if (a & Qt::AlignBottom) y = area.bottom() + 1 - size.height();
    else if (a & Qt::AlignVCenter) y = area.top() + (area.height() - size.height()) / 2;
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    p.setClipRect(area);
    p.drawStaticText(QPointF(x, y), laid);
}

void TextLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) recent_.clear();
    QLabel::changeEvent(event);
}

void PictureWidget::setPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void PictureWidget::setStretch(bool stretch) {
    stretch_ = stretch;
    update();
}

void PictureWidget::setBorder(bool border) {
    border_ = border;
    update();
}

// A stretched picture grows only by whole multiples and stands centred:
// enlarged by a fraction, every pixel would blur into its neighbours. One
// larger than its place shrinks to fit, keeping its proportions.
QRect PictureWidget::pictureRect() const {
    if (picture_.isNull()) return {};
    const QSize own = picture_.size() / picture_.devicePixelRatio();
    if (!stretch_) return QRect(QPoint(0, 0), own);
    QSize shown = own;
    if (own.width() > width() || own.height() > height()) {
        shown = own.scaled(size(), Qt::KeepAspectRatio);
    } else {
        const int factor = std::max(1, std::min(width() / own.width(), height() / own.height()));
        shown = own * factor;
    }
    QRect r(QPoint(0, 0), shown);
    r.moveCenter(rect().center());
    return r;
}

void PictureWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!picture_.isNull()) {
        const QRect r = pictureRect();
        // Shrinking smooths; whole multiples stay sharp.
        p.setRenderHint(QPainter::SmoothPixmapTransform, r.width() < picture_.width());
        p.drawPixmap(r, picture_);
    }
    if (border_) {
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

LineWidget::LineWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineWidget::setLine(QPoint from, QPoint to, const QColor& colour, int width) {
    width_ = std::max(1, width);
    colour_ = colour;
    const int pad = width_;
    const QRect box = QRect(from, to).normalized().adjusted(-pad, -pad, pad, pad);
    from_ = from - box.topLeft();
    to_ = to - box.topLeft();
    setGeometry(box);
    update();
}

void LineWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QPen(colour_, width_));
    p.drawLine(from_, to_);
}

ShapeWidget::ShapeWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeWidget::setStyle(const Style& style) {
    style_ = style;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = std::max(1, style_.borderWidth);
    QRectF r = QRectF(rect()).adjusted(w / 2.0, w / 2.0, -w / 2.0, -w / 2.0);
    // Square, circle and rounded square keep equal sides, centred.
    if (style_.shape == 1 || style_.shape == 3 || style_.shape == 5) {
        const qreal side = std::min(r.width(), r.height());
        r = QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
    }
    QPainterPath path;
    switch (style_.shape) {
        case 2:
        case 3: path.addEllipse(r); break;
        case 4:
        case 5: {
            const qreal radius = std::min(r.width(), r.height()) / 6;
            path.addRoundedRect(r, radius, radius);
            break;
        }
        default: path.addRect(r);
    }
    if (style_.opaque) p.fillPath(path, style_.back);
    if (style_.filled) p.fillPath(path, style_.fill);
    p.setPen(QPen(style_.border, w));
    p.drawPath(path);
}

}  // namespace desktop
