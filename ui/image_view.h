#pragma once

#include <QImage>
#include <QWidget>

namespace dabro {

// The preview surface: a picture the size of the view, drawn at its top-left corner.
class ImageView : public QWidget {
public:
    explicit ImageView(QWidget* parent);

    // The surface at the view's current size, reallocated only when that size changes.
    QImage& surface();
    const QImage& picture() const { return surface_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage surface_;
};

}  // namespace dabro
