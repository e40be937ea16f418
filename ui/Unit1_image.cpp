// The first version's Image and Palette handlers: raw and PNG in and out, halve, align, palettes.
#include <QString>

#include <string>
#include <utility>

#include "actions/image_actions.h"
#include "actions/palette_actions.h"
#include "ui/Unit1.h"

namespace dabro {

void TForm1::ExportImage1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!pixels_ready(doc(), ref).ok()) return;
    const std::optional<std::string> path = choose_beside_sprite(FileDialog::ExportImageDialog);
    if (!path) return;
    if (!reported_ok(export_image(doc(), ref, 0, *path, true))) return;
    set_status(QStringLiteral("Image exported"));
}

void TForm1::import_png_file(const std::string& path) {
    const ImageRef ref = selected_image();
    if (!pixels_ready(doc(), ref).ok()) return;
    CommandPtr step;
    if (!reported_ok(import_png_step(doc(), ref, path, {}, step))) return;
    run(std::move(step));
    set_status(QStringLiteral("Image imported"));
}

void TForm1::import_raw_file(const std::string& path) {
    const ImageRef ref = selected_image();
    if (!image_ready(doc(), ref).ok()) return;
    CommandPtr step;
    if (!reported_ok(import_raw_step(doc(), ref, path, step))) return;
    run(std::move(step));
    set_status(QStringLiteral("Image imported"));
}

void TForm1::ImportImage1Click(QObject*) {
    if (!image_ready(doc(), selected_image()).ok()) return;
    const std::optional<std::string> path = choose_file(FileDialog::OpenDialog2);
    if (path) import_raw_file(*path);
}

void TForm1::Importbyname1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!image_ready(doc(), ref).ok()) return;
    const std::optional<std::string> path = choose_file(FileDialog::OpenDialog2);
    if (!path) return;
    CommandPtr step;
    if (!reported_ok(import_by_name_step(doc(), ref, *path, step))) return;
    run(std::move(step));
    set_status(QStringLiteral("Image imported"));
}

void TForm1::HalveImage1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!image_ready(doc(), ref).ok()) return;
    CommandPtr step;
    if (!reported_ok(halve_step(doc(), ref, step))) return;
    run(std::move(step));
    set_status(QStringLiteral("Image size halved"));
}

void TForm1::align(std::int32_t frameWidth, std::int32_t frameHeight) {
    const ImageRef ref = selected_image();
    if (image_ready(doc(), ref).ok()) run(align_step(doc(), ref, {frameWidth, frameHeight}));
}

void TForm1::Alignweapon1Click(QObject*) {
    align(kBigItemFrame.width, kBigItemFrame.height);
}

void TForm1::Align1Click(QObject*) {
    align(kSmallItemFrame.width, kSmallItemFrame.height);
}

void TForm1::read_palette(const std::string& path) {
    const int c = selected_collection();
    if (c < 0) return;
    CommandPtr step;
    if (!reported_ok(import_palette_step(doc(), c, 0, path, PaletteReading::SignedOrAct, step)))
        return;
    run(std::move(step));
    set_status(QStringLiteral("Palette imported"));
}

void TForm1::ImportPalette1Click(QObject*) {
    if (selected_collection() < 0) return;
    const std::optional<std::string> path = choose_file(FileDialog::OpenDialog3);
    if (path) read_palette(*path);
}

void TForm1::ExportPalette1Click(QObject*) {
    const int c = selected_collection();
    if (c < 0) return;
    const std::optional<std::string> path = choose_file(FileDialog::SaveDialog3);
    if (!path) return;
    if (!reported_ok(export_palette(doc(), c, 0, *path, PaletteFormat::Act))) return;
    set_status(QStringLiteral("Palette exported"));
}

}  // namespace dabro
