// The player's canvas: one frame drawn zoomed and panned, with its box outline.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <optional>

#include "imaging/placement.h"
#include "imaging/player_render.h"

namespace dabro {

// The player's canvas: draws one FrameScene, zoomed and panned, into a buffer of its own
// size. The drawing area (in frame pixels) is centred and then moved by the pan; Ctrl+wheel
// zooms about the cursor and a drag with the left button pans. The overlays (the box, the
// crosshair at frame point (0, 0), the baseline) are painted over it wherever they fall.
class PlayerView : public QWidget {
    Q_OBJECT
  public:
    explicit PlayerView(QWidget* parent);

    // What to draw; the layers point into the document and are read at each paint.
    void set_scene(const FrameScene& scene);
    // The drawing area in frame pixels. With `recentre` it is centred anew; else the frame
    // point (0, 0) keeps its place on the screen.
    void set_content_area(const Area& area, bool recentre);
    // The box outline to draw, in frame pixels, or none.
    void set_box(std::optional<BoundingBox> box);
    void set_crosshair(bool shown);
    // The baseline's row: a line on the top edge of row B, or none.
    void set_baseline(std::optional<int> row);

    int zoom() const { return zoom_; }
    void set_zoom(int zoom);
    // The largest zoom at which the content fits, centred.
    void fit();
    QPoint pan() const { return pan_; }

    // View pixel (originX, originY) is the frame point (0, 0).
    QPoint origin() const;
    // The frame pixel under a point of the view (floor of the zoomed position).
    QPoint image_pixel_at(QPoint viewPoint) const;

    // In Move mode a left drag moves the frame's image (the window is told) instead of
    // panning; the middle button pans in both modes.
    void set_move_mode(bool on);
    // Forgets the drag in progress (Esc put the image back).
    void end_move_drag() { moveDrag_ = false; }

    // The picture as shown, with the current scene drawn.
    const QImage& picture();
    const FrameRenderer& renderer() const { return renderer_; }

  signals:
    // The zoom or the pan changed.
    void view_changed();
    // The cursor moved over the view (to this point of the view), or left it.
    void hovered(std::optional<QPoint> viewPoint);
    // A Move mode drag: pressed at, and now over, these frame pixels; released.
    void move_pressed(QPoint framePixel);
    void move_dragged(QPoint framePixel);
    void move_released();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void draw();
    void zoom_about(int zoom, QPointF viewPoint);

    FrameScene scene_;
    FrameRenderer renderer_;
    QImage buffer_;
    bool stale_ = true;
    Area content_;
    int zoom_ = 1;
    QPoint pan_;
    std::optional<QPoint> dragFrom_;  // a pan in progress, from this point of the view
    bool moveMode_ = false;
    bool moveDrag_ = false;
    std::optional<BoundingBox> box_;
    bool crosshair_ = false;
    std::optional<int> baseline_;
};

}  // namespace dabro
