// The window's PNG bridge: the selected image to and from PNG or raw, the collection to sheets.
#include <QString>

#include <string>
#include <utility>

#include "actions/collection_sheet.h"
#include "actions/image_actions.h"
#include "ui/Unit1.h"

namespace dabro {

namespace {

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

void TForm1::ImportPng1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref) || !readable_collection(doc(), ref.collection)) return;
    const std::optional<std::string> path = choose_beside_sprite(FileDialog::ImportPngDialog);
    if (path) import_png_file(*path);
}

void TForm1::ExportSheet1Click(QObject*) {
    const int c = selected_collection();
    if (!readable_collection(doc(), c)) return;
    const std::optional<std::string> path = choose_beside_sprite(FileDialog::ExportSheetDialog);
    if (!path) return;
    Status s;
    {
        ProgressScope progress(*prompts_, QStringLiteral("Exporting the collection sheet"));
        s = export_collection_sheet(doc(), c, *path, progress.callback());
    }
    if (s.is_cancelled() || !reported_ok(s)) return;
    set_status(QStringLiteral("Sheet exported"));
}

void TForm1::ImportSheet1Click(QObject*) {
    const int c = selected_collection();
    if (!readable_collection(doc(), c)) return;
    const std::optional<std::string> path = choose_beside_sprite(FileDialog::ImportSheetDialog);
    if (!path) return;
    CommandPtr step;
    Status s;
    {
        ProgressScope progress(*prompts_, QStringLiteral("Importing the collection sheet"));
        s = import_sheet_step(doc(), c, *path, Encoding::Compact, step, progress.callback());
    }
    if (s.is_cancelled() || !reported_ok(s)) return;
    run(std::move(step));
    set_status(QStringLiteral("Sheet imported"));
}

}  // namespace dabro
