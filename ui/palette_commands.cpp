// Palette > Import into palette… and Export palette…: any palette, in other programs' formats.
#include "ui/palette_commands.h"

#include <QAction>
#include <QMenu>

#include "actions/palette_actions.h"
#include "ui/Unit1.h"
#include "ui/window_commands.h"

namespace dabro {

namespace {

const QStringList& palette_names() {
    static const QStringList names = {QStringLiteral("Palette 0 (the preview's)"),
                                      QStringLiteral("Palette 1"), QStringLiteral("Palette 2"),
                                      QStringLiteral("Palette 3")};
    return names;
}

[[maybe_unused]] const bool registered =
    register_commands(20, [](TForm1& window) { new PaletteCommands(window); });

}  // namespace

PaletteCommands::PaletteCommands(TForm1& window) : QObject(&window), window_(window) {
    auto* menu = window.findChild<QMenu*>(QStringLiteral("PaletteMenu"));
    const auto ready = [this] { return can_run(); };
    window.commands().add(
        {menu, "ImportIntoPalette1", QStringLiteral("Import into palette\u2026")},
        [this](QAction*) { import_into_palette(); }, ready);
    window.commands().add(
        {menu, "ExportPaletteAs1", QStringLiteral("Export palette\u2026")},
        [this](QAction*) { export_palette_as(); }, ready);
}

bool PaletteCommands::can_run() const {
    return palette_ready(window_.doc(), window_.selected_collection()).ok();
}

void PaletteCommands::import_into_palette() {
    if (!can_run()) return;
    const int c = window_.selected_collection();
    TForm1& w = window_;
    const std::optional<int> slot = w.prompts().choose_item(
        {QStringLiteral("Import into palette"), QStringLiteral("Palette:"), palette_names()});
    if (!slot || *slot < 0 || *slot >= kPalettesPerCollection) return;
    const std::optional<std::string> path = w.choose_file(FileDialog::OpenDialog4);
    if (!path) return;
    CommandPtr step;
    if (!w.reported_ok(
            import_palette_step(w.doc(), c, *slot, *path, PaletteReading::AnyFormat, step)))
        return;
    w.run(std::move(step));
    w.set_status(QStringLiteral("Palette imported"));
}

void PaletteCommands::export_palette_as() {
    if (!can_run()) return;
    const int c = window_.selected_collection();
    TForm1& w = window_;
    const std::optional<int> slot = w.prompts().choose_item(
        {QStringLiteral("Export palette"), QStringLiteral("Palette:"), palette_names()});
    if (!slot || *slot < 0 || *slot >= kPalettesPerCollection) return;
    const auto writable = writable_palette_formats();
    QStringList formats;
    for (const PaletteFormatEntry& f : writable) formats << QString::fromUtf8(f.label);
    const std::optional<int> format = w.prompts().choose_item(
        {QStringLiteral("Export palette"), QStringLiteral("Format:"), formats});
    if (!format || *format < 0 || *format >= static_cast<int>(writable.size())) return;
    const PaletteFormatEntry& chosen = writable[static_cast<std::size_t>(*format)];
    FileRequest request = file_request(FileDialog::SaveDialog4);
    request.filter = QString::fromStdString(palette_save_filter(chosen));
    request.defaultExtension = QString::fromUtf8(chosen.extension);
    const std::optional<std::string> path = w.choose_file(request);
    if (!path) return;
    if (!w.reported_ok(export_palette(w.doc(), c, *slot, *path, chosen.format))) return;
    w.set_status(QStringLiteral("Palette exported"));
}

}  // namespace dabro
