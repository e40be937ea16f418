// The PNG bridge in the window: the selected image to PNG or raw and a PNG into it, the
// selected collection to and from a collection sheet.
#include <QString>

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "actions/image_import.h"
#include "commands/document_commands.h"
#include "document/file_layer.h"
#include "imaging/colour_match.h"
#include "interchange/image_png.h"
#include "interchange/sheet.h"
#include "ui/Unit1.h"

namespace dabro {

namespace {

bool ends_with_raw(std::string path) {
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return path.size() >= 4 && path.compare(path.size() - 4, 4, ".raw") == 0;
}

// The inverse of raw Import: an index and an alpha per pixel. A shadow pixel takes the
// palette's colour nearest to black, since the raw form has no black of its own.
std::vector<std::uint8_t> raw_pixels(const PixelImage& pixels, const Palette& palette) {
    ColourMatcher matcher(palette);
    const std::uint8_t black = matcher.nearest(0);
    std::vector<std::uint8_t> raw;
    raw.reserve(pixels.pixels.size() * 2);
    for (const Pixel& p : pixels.pixels) {
        raw.push_back(p.kind == PixelKind::Black ? black : p.index);
        raw.push_back(p.alpha);
    }
    return raw;
}

// Shows the long work's progress through the prompts and closes its dialog at the end.
class ProgressScope {
  public:
    ProgressScope(UserPrompts& prompts, QString label)
        : prompts_(prompts), label_(std::move(label)) {}
    ~ProgressScope() { prompts_.end_progress(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
    Progress callback() {
        return [this](std::int64_t done, std::int64_t total) {
            return prompts_.show_progress(label_, done, total);
        };
    }

  private:
    UserPrompts& prompts_;
    QString label_;
};

}  // namespace

void TForm1::ExportImage1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref) || !images_readable(doc(), ref.collection)) return;
    const std::optional<std::string> path = choose_beside_sprite(FileDialog::ExportImageDialog);
    if (!path) return;
    const ImageCollection& col = doc().collections[static_cast<std::size_t>(ref.collection)];
    const CollectionImage& image = col.images[static_cast<std::size_t>(ref.slot)];
    std::vector<std::uint8_t> bytes;
    if (ends_with_raw(*path)) {
        PixelImage pixels;
        if (!reported_ok(decode_pixels(image, pixels))) return;
        bytes = raw_pixels(pixels, col.palettes[0]);
    } else if (!reported_ok(export_image_png(image, col.palettes[0], bytes))) {
        return;
    }
    if (!reported_ok(write_file_atomically(*path, bytes))) return;
    set_status(QStringLiteral("Image exported"));
}

void TForm1::import_png_file(const std::string& path) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref) || !images_readable(doc(), ref.collection)) return;
    CommandPtr step;
    if (!reported_ok(import_png_step(doc(), ref, path, "Import PNG", step))) return;
    run(std::move(step));
    set_status(QStringLiteral("Image imported"));
}

void TForm1::ImportPng1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref) || !images_readable(doc(), ref.collection)) return;
    const std::optional<std::string> path = choose_beside_sprite(FileDialog::ImportPngDialog);
    if (path) import_png_file(*path);
}

void TForm1::ExportSheet1Click(QObject*) {
    const int c = selected_collection();
    if (!images_readable(doc(), c)) return;
    const std::optional<std::string> path = choose_beside_sprite(FileDialog::ExportSheetDialog);
    if (!path) return;
    Status s;
    {
        ProgressScope progress(*prompts_, QStringLiteral("Exporting the collection sheet"));
        s = export_sheet(doc().collections[static_cast<std::size_t>(c)], *path,
                         progress.callback());
    }
    if (s.is_cancelled() || !reported_ok(s)) return;
    set_status(QStringLiteral("Sheet exported"));
}

void TForm1::ImportSheet1Click(QObject*) {
    const int c = selected_collection();
    if (!images_readable(doc(), c)) return;
    const std::optional<std::string> path = choose_beside_sprite(FileDialog::ImportSheetDialog);
    if (!path) return;
    CommandPtr step;
    Status s;
    {
        ProgressScope progress(*prompts_, QStringLiteral("Importing the collection sheet"));
        s = import_sheet_step(doc(), c, *path, "Import collection sheet", step,
                              progress.callback());
    }
    if (s.is_cancelled() || !reported_ok(s)) return;
    run(std::move(step));
    set_status(QStringLiteral("Sheet imported"));
}

}  // namespace dabro
