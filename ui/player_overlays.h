// The player's overlays: the box, the crosshair at frame point (0, 0) and the baseline.
#pragma once

#include <QPoint>
#include <QSize>
#include <optional>

#include "document/sprite_document.h"

class QPainter;

namespace dabro {

// What to paint over a frame; `origin` is the view pixel of the frame point (0, 0), each frame
// pixel `zoom` view pixels a side.
struct Overlays {
    QPoint origin;
    int zoom = 1;
    QSize view;
    std::optional<BoundingBox> box;
    bool crosshair = false;
    std::optional<int> baseline;
};

// Paints the overlays wherever they fall, each cut only by the view's own edges.
void draw_overlays(QPainter& painter, const Overlays& overlays);

}  // namespace dabro
