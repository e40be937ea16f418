#include "ui/image_view.h"

#include <QPainter>

namespace dabro {

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage& ImageView::surface() {
    if (surface_.size() != size()) surface_ = QImage(size(), QImage::Format_RGB32);
    return surface_;
}

void ImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!surface_.isNull()) painter.drawImage(0, 0, surface_);
}

}  // namespace dabro
