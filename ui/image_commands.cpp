// The PNG bridge's Image items: a PNG into the selected image, the collection to and from a sheet.
#include "ui/image_commands.h"

#include <QAction>
#include <QMenu>
#include <QString>
#include <string>
#include <utility>

#include "actions/collection_sheet.h"
#include "actions/image_actions.h"
#include "ui/Unit1.h"
#include "ui/window_commands.h"

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

[[maybe_unused]] const bool registered =
    register_commands(10, [](TForm1& window) { new ImageCommands(window); });

}  // namespace

ImageCommands::ImageCommands(TForm1& window) : QObject(&window), window_(window) {
    WindowCommands& commands = window.commands();
    auto* menu = window.findChild<QMenu*>(QStringLiteral("ImageMenu"));
    commands.separator(menu, "N4");
    commands.add(
        {menu, "ImportPng1", QStringLiteral("Import PNG\u2026")},
        [this](QAction*) { import_png(); }, [this] { return can_import_png(); });
    const auto sheet_ready = [this] { return can_use_sheet(); };
    commands.add(
        {menu, "ExportSheet1", QStringLiteral("Export collection sheet\u2026")},
        [this](QAction*) { export_sheet(); }, sheet_ready);
    commands.add(
        {menu, "ImportSheet1", QStringLiteral("Import collection sheet\u2026")},
        [this](QAction*) { import_sheet(); }, sheet_ready);
}

bool ImageCommands::can_import_png() const {
    return pixels_ready(window_.doc(), window_.selected_image()).ok();
}

bool ImageCommands::can_use_sheet() const {
    return sheet_ready(window_.doc(), window_.selected_collection()).ok();
}

void ImageCommands::import_png() {
    if (!can_import_png()) return;
    const std::optional<std::string> path =
        window_.choose_beside_sprite(FileDialog::ImportPngDialog);
    if (path) window_.import_png_file(*path);
}

void ImageCommands::export_sheet() {
    if (!can_use_sheet()) return;
    TForm1& w = window_;
    const int c = w.selected_collection();
    const std::optional<std::string> path = w.choose_beside_sprite(FileDialog::ExportSheetDialog);
    if (!path) return;
    Status s;
    {
        ProgressScope progress(w.prompts(), QStringLiteral("Exporting the collection sheet"));
        s = export_collection_sheet(w.doc(), c, *path, progress.callback());
    }
    if (s.is_cancelled() || !w.reported_ok(s)) return;
    w.set_status(QStringLiteral("Sheet exported"));
}

void ImageCommands::import_sheet() {
    if (!can_use_sheet()) return;
    TForm1& w = window_;
    const int c = w.selected_collection();
    const std::optional<std::string> path = w.choose_beside_sprite(FileDialog::ImportSheetDialog);
    if (!path) return;
    CommandPtr step;
    Status s;
    {
        ProgressScope progress(w.prompts(), QStringLiteral("Importing the collection sheet"));
        s = import_sheet_step(w.doc(), c, *path, Encoding::Compact, step, progress.callback());
    }
    if (s.is_cancelled() || !w.reported_ok(s)) return;
    w.run(std::move(step));
    w.set_status(QStringLiteral("Sheet imported"));
}

}  // namespace dabro
