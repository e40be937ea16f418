// The player's overlays, painted over the frame wherever they fall.
#include "ui/player_overlays.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>

namespace dabro {

namespace {

// A view coordinate, held a little outside the view so that no line is lost or overflows.
double on_view(std::int64_t v, int side) {
    return static_cast<double>(std::clamp<std::int64_t>(v, -4, std::int64_t{side} + 4));
}

}  // namespace

void draw_overlays(QPainter& painter, const Overlays& o) {
    const std::int64_t z = o.zoom;
    const int w = o.view.width();
    const int h = o.view.height();
    painter.setBrush(Qt::NoBrush);
    if (o.box) {
        // From the left edge of column `left` to the left edge of column `right`, and the
        // same for rows.
        const BoundingBox& b = *o.box;
        const double x0 = on_view(o.origin.x() + std::int64_t{std::min(b.left, b.right)} * z, w);
        const double x1 = on_view(o.origin.x() + std::int64_t{std::max(b.left, b.right)} * z, w);
        const double y0 = on_view(o.origin.y() + std::int64_t{std::min(b.top, b.bottom)} * z, h);
        const double y1 = on_view(o.origin.y() + std::int64_t{std::max(b.top, b.bottom)} * z, h);
        painter.setPen(QPen(QColor(255, 220, 0), 0));
        painter.drawRect(
            QRectF(x0 + 0.5, y0 + 0.5, std::max(0.0, x1 - x0 - 1), std::max(0.0, y1 - y0 - 1)));
    }
    if (o.baseline) {
        const std::int64_t y = o.origin.y() + std::int64_t{*o.baseline} * z;
        if (y >= 0 && y <= h) {
            painter.setPen(QPen(QColor(0, 200, 255), 0));
            painter.drawLine(QPointF(0, static_cast<double>(y) + 0.5),
                             QPointF(w, static_cast<double>(y) + 0.5));
        }
    }
    if (o.crosshair) {
        // The corner point between pixels: arms along the edges that meet there.
        constexpr int kArm = 10;
        const double x = on_view(o.origin.x(), w) + 0.5;
        const double y = on_view(o.origin.y(), h) + 0.5;
        painter.setPen(QPen(QColor(255, 64, 160), 0));
        painter.drawLine(QPointF(x - kArm, y), QPointF(x + kArm, y));
        painter.drawLine(QPointF(x, y - kArm), QPointF(x, y + kArm));
    }
}

}  // namespace dabro
