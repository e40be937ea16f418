// The window's Image > Export and a PNG brought into the selected image (Import PNG, a drop).
#include <QString>

#include <string>
#include <utility>

#include "actions/image_actions.h"
#include "ui/Unit1.h"

namespace dabro {

void TForm1::ExportImage1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref) || !readable_collection(doc(), ref.collection)) return;
    const std::optional<std::string> path = choose_beside_sprite(FileDialog::ExportImageDialog);
    if (!path) return;
    if (!reported_ok(export_image(doc(), ref, 0, *path, true))) return;
    set_status(QStringLiteral("Image exported"));
}

void TForm1::import_png_file(const std::string& path) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref) || !readable_collection(doc(), ref.collection)) return;
    CommandPtr step;
    if (!reported_ok(import_png_step(doc(), ref, path, {}, step))) return;
    run(std::move(step));
    set_status(QStringLiteral("Image imported"));
}

}  // namespace dabro
