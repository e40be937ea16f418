// The preview surface.
#pragma once

#include <QImage>
#include <QWidget>

#include "document/sprite_document.h"

namespace dabro {

// The preview surface: a picture the size of the view, drawn at its top-left corner.
class ImageView : public QWidget {
  public:
    explicit ImageView(QWidget* parent);

    // Draws `image` with `palette` over the grey at the next paint, or when the picture is
    // asked for. A refresh may draw the same image several times; only the last request is
    // drawn. Both must stay valid until then: they are slots of the session's document.
    void request(const CollectionImage& image, const Palette& palette);
    // Shows the grey alone.
    void clear();
    // The picture as shown, with any requested drawing done.
    const QImage& picture();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage& surface();
    void draw_pending();

    QImage surface_;
    const CollectionImage* pendingImage_ = nullptr;
    const Palette* pendingPalette_ = nullptr;
};

}  // namespace dabro
