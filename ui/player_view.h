// The player's canvas: one frame drawn zoomed and panned, with its box outline.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <optional>

#include "imaging/player_render.h"

namespace dabro {

// The player's canvas: draws one FrameScene, zoomed and panned, into a buffer of its own
// size. The images' content box (contentWidth x contentHeight image pixels from pixel
// (0, 0)) is centred and then moved by the pan; Ctrl+wheel zooms about the cursor and a
// drag with the left button pans.
class PlayerView : public QWidget {
    Q_OBJECT
  public:
    explicit PlayerView(QWidget* parent);

    // What to draw; the layers point into the document and are read at each paint.
    void set_scene(const FrameScene& scene);
    void set_content_size(int width, int height);
    // The box outline to draw, in image pixels, or none.
    void set_box(std::optional<BoundingBox> box);

    int zoom() const { return zoom_; }
    void set_zoom(int zoom);
    // The largest zoom at which the content fits, centred.
    void fit();
    QPoint pan() const { return pan_; }

    // View pixel (originX, originY) shows image pixel (0, 0).
    QPoint origin() const;
    // The image pixel under a point of the view (floor of the zoomed position).
    QPoint image_pixel_at(QPoint viewPoint) const;

    // The picture as shown, with the current scene drawn.
    const QImage& picture();
    const FrameRenderer& renderer() const { return renderer_; }

  signals:
    // The zoom or the pan changed.
    void view_changed();
    // The cursor moved over the view (to this point of the view), or left it.
    void hovered(std::optional<QPoint> viewPoint);

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
    int contentWidth_ = 0;
    int contentHeight_ = 0;
    int zoom_ = 1;
    QPoint pan_;
    std::optional<QPoint> dragFrom_;
    std::optional<BoundingBox> box_;
};

}  // namespace dabro
