// The player's placement: frames drawn by box, the overlays and the reference frame.
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "ui/Unit1.h"
#include "ui/player_window.h"

namespace dabro {

bool PlayerWindow::by_box() const {
    return placeByBox->isChecked();
}

Area PlayerWindow::content_area(const std::vector<FrameImage>& frames) const {
    const SpriteDocument& doc = form_.session().document;
    if (by_box()) return drawing_area(doc, frames);
    const Extent box = content_box(doc, frames);
    return {0, 0, box.width, box.height};
}

void PlayerWindow::place_overlays(FrameScene& scene) {
    const SpriteDocument& doc = form_.session().document;
    const bool byBox = by_box();
    std::optional<BoundingBox> box;
    if (boxOutline->isChecked() && shown_.found()) {
        const ImageCollection& c = doc.collections[static_cast<std::size_t>(shown_.collection)];
        box = c.boxes[static_cast<std::size_t>(shown_.slot)];
        // Drawn at the corner, the image's top-left stands for (left, top).
        if (!byBox) *box = {0, 0, box->right - box->left, box->bottom - box->top};
    }
    view->set_box(box);
    view->set_crosshair(byBox && crosshairBox->isChecked());
    view->set_baseline(byBox && baselineBox->isChecked() ? std::optional<int>(baselineRow->value())
                                                         : std::nullopt);
    if (!byBox || !pinned_) return;
    const Pinned& p = *pinned_;
    FrameImage image = p.sequence >= 0
                           ? sequence_frame_image(doc, p.sequence, p.frame, p.direction)
                           : collection_image(doc, p.collection, p.collectionFrame, p.direction);
    if (!form_.session().imagesReadable) image.slot = -1;
    scene.reference = layer_of(image);
}

void PlayerWindow::pin_reference(bool pinned) {
    if (pinned)
        pinned_ = Pinned{sequence_, collection_, collectionFrame_, direction_, frame_};
    else
        pinned_.reset();
    show_frame();
}

}  // namespace dabro
