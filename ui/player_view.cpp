// The player's canvas: zoom, pan and the drawing of one frame.
#include "ui/player_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "ui/player_overlays.h"

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

void PlayerView::set_content_area(const Area& area, bool recentre) {
    if (area == content_ && !recentre) return;
    const QPoint before = origin();
    content_ = area;
    if (recentre)
        pan_ = QPoint();
    else
        pan_ += before - origin();
    stale_ = true;
    update();
}

void PlayerView::set_crosshair(bool shown) {
    crosshair_ = shown;
    update();
}

void PlayerView::set_baseline(std::optional<int> row) {
    baseline_ = row;
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
    const std::int64_t w = content_.width();
    const std::int64_t h = content_.height();
    if (w > 0) zoom = static_cast<int>(std::min<std::int64_t>(zoom, width() / w));
    if (h > 0) zoom = static_cast<int>(std::min<std::int64_t>(zoom, height() / h));
    zoom_ = std::max(zoom, 1);
    pan_ = QPoint();
    stale_ = true;
    update();
    emit view_changed();
}

QPoint PlayerView::origin() const {
    const std::int64_t x =
        (width() - content_.width() * zoom_) / 2 - content_.left * zoom_ + pan_.x();
    const std::int64_t y =
        (height() - content_.height() * zoom_) / 2 - content_.top * zoom_ + pan_.y();
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
    draw_overlays(painter, {origin(), zoom_, size(), box_, crosshair_, baseline_});
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

void PlayerView::set_move_mode(bool on) {
    moveMode_ = on;
    moveDrag_ = false;
}

void PlayerView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && moveMode_) {
        moveDrag_ = true;
        emit move_pressed(image_pixel_at(at));
    } else if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
        dragFrom_ = at;
    }
    QWidget::mousePressEvent(event);
}

void PlayerView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (moveDrag_ && (event->buttons() & Qt::LeftButton)) {
        emit move_dragged(image_pixel_at(at));
    } else if (dragFrom_ && (event->buttons() & (Qt::LeftButton | Qt::MiddleButton))) {
        pan_ += at - *dragFrom_;
        dragFrom_ = at;
        stale_ = true;
        update();
        emit view_changed();
    }
    emit hovered(at);
}

void PlayerView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && moveDrag_) {
        moveDrag_ = false;
        emit move_released();
    } else if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
        dragFrom_.reset();
    }
    QWidget::mouseReleaseEvent(event);
}

void PlayerView::leaveEvent(QEvent*) {
    emit hovered(std::nullopt);
}
}  // namespace dabro
