// The player's canvas: zoom, pan and the drawing of one frame.
#include "ui/player_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace dabro {

PlayerView::PlayerView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(160, 120);
}

void PlayerView::set_scene(const FrameScene& scene) {
    scene_ = scene;
    stale_ = true;
    update();
}

void PlayerView::set_content_size(int width, int height) {
    if (width == contentWidth_ && height == contentHeight_) return;
    contentWidth_ = width;
    contentHeight_ = height;
    stale_ = true;
    update();
}

void PlayerView::set_box(std::optional<BoundingBox> box) {
    box_ = box;
    update();
}

void PlayerView::set_zoom(int zoom) {
    zoom_about(zoom, QPointF(width() / 2.0, height() / 2.0));
}

void PlayerView::zoom_about(int zoom, QPointF at) {
    zoom = std::clamp(zoom, 1, kMaxZoom);
    if (zoom == zoom_) return;
    // The image point under `at` stays under it.
    const QPoint o = origin();
    const double ix = (at.x() - o.x()) / zoom_;
    const double iy = (at.y() - o.y()) / zoom_;
    zoom_ = zoom;
    const QPoint centred = origin() - pan_;
    pan_ = QPoint(static_cast<int>(std::lround(at.x() - ix * zoom_)) - centred.x(),
                  static_cast<int>(std::lround(at.y() - iy * zoom_)) - centred.y());
    stale_ = true;
    update();
    emit view_changed();
}

void PlayerView::fit() {
    int zoom = kMaxZoom;
    if (contentWidth_ > 0) zoom = std::min(zoom, width() / contentWidth_);
    if (contentHeight_ > 0) zoom = std::min(zoom, height() / contentHeight_);
    zoom_ = std::max(zoom, 1);
    pan_ = QPoint();
    stale_ = true;
    update();
    emit view_changed();
}

QPoint PlayerView::origin() const {
    const std::int64_t x = (width() - std::int64_t{contentWidth_} * zoom_) / 2 + pan_.x();
    const std::int64_t y = (height() - std::int64_t{contentHeight_} * zoom_) / 2 + pan_.y();
    return {static_cast<int>(std::clamp<std::int64_t>(x, -1000000000, 1000000000)),
            static_cast<int>(std::clamp<std::int64_t>(y, -1000000000, 1000000000))};
}

QPoint PlayerView::image_pixel_at(QPoint p) const {
    const QPoint o = origin();
    return {static_cast<int>(floor_div(p.x() - o.x(), zoom_)),
            static_cast<int>(floor_div(p.y() - o.y(), zoom_))};
}

void PlayerView::draw() {
    if (buffer_.size() != size()) {
        buffer_ = QImage(size(), QImage::Format_RGB32);
        renderer_.invalidate();
        stale_ = true;
    }
    if (!stale_ || buffer_.isNull()) return;
    FrameScene scene = scene_;
    scene.zoom = zoom_;
    const QPoint o = origin();
    scene.originX = o.x();
    scene.originY = o.y();
    renderer_.render(scene, {reinterpret_cast<std::uint32_t*>(buffer_.bits()), buffer_.width(),
                             buffer_.height(), buffer_.bytesPerLine() / 4});
    stale_ = false;
}

const QImage& PlayerView::picture() {
    draw();
    return buffer_;
}

void PlayerView::paintEvent(QPaintEvent*) {
    draw();
    QPainter painter(this);
    painter.drawImage(0, 0, buffer_);
    if (!box_) return;
    // The box in image pixels: from the left edge of column `left` to the left edge of
    // column `right`, and the same for rows.
    const QPoint o = origin();
    const std::int64_t x0 = o.x() + std::int64_t{std::min(box_->left, box_->right)} * zoom_;
    const std::int64_t x1 = o.x() + std::int64_t{std::max(box_->left, box_->right)} * zoom_;
    const std::int64_t y0 = o.y() + std::int64_t{std::min(box_->top, box_->bottom)} * zoom_;
    const std::int64_t y1 = o.y() + std::int64_t{std::max(box_->top, box_->bottom)} * zoom_;
    auto clampToView = [](std::int64_t v) {
        return static_cast<double>(std::clamp<std::int64_t>(v, -4, 100000));
    };
    painter.setPen(QPen(QColor(255, 220, 0), 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(clampToView(x0) + 0.5, clampToView(y0) + 0.5,
                            std::max(0.0, clampToView(x1) - clampToView(x0) - 1),
                            std::max(0.0, clampToView(y1) - clampToView(y0) - 1)));
}

void PlayerView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) zoom_about(zoom_ + steps, event->position());
    event->accept();
}

void PlayerView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragFrom_ = event->position().toPoint();
    QWidget::mousePressEvent(event);
}

void PlayerView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
        pan_ += at - *dragFrom_;
        dragFrom_ = at;
        stale_ = true;
        update();
        emit view_changed();
    }
    emit hovered(at);
}

void PlayerView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragFrom_.reset();
    QWidget::mouseReleaseEvent(event);
}

void PlayerView::leaveEvent(QEvent*) {
    emit hovered(std::nullopt);
}
}  // namespace dabro
