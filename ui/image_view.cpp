// The preview surface.
#include "ui/image_view.h"

#include <QPainter>

#include "imaging/render.h"

namespace dabro {

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage& ImageView::surface() {
    if (surface_.size() != size()) surface_ = QImage(size(), QImage::Format_RGB32);
    return surface_;
}

void ImageView::request(const CollectionImage& image, const Palette& palette) {
    pendingImage_ = &image;
    pendingPalette_ = &palette;
    update();
}

void ImageView::clear() {
    pendingImage_ = nullptr;
    surface().fill(kPreviewGreyRgb32);
    update();
}

const QImage& ImageView::picture() {
    draw_pending();
    return surface_;
}

void ImageView::draw_pending() {
    if (!pendingImage_) return;
    QImage& s = surface();
    if (!s.isNull()) {
        render_image_into(*pendingImage_, *pendingPalette_,
                          reinterpret_cast<std::uint32_t*>(s.bits()), s.width(), s.height(),
                          s.bytesPerLine() / 4);
    }
    pendingImage_ = nullptr;
}

void ImageView::paintEvent(QPaintEvent*) {
    draw_pending();
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!surface_.isNull()) painter.drawImage(0, 0, surface_);
}

}  // namespace dabro
