// Palette > Import into palette and Export palette: any palette, in other programs' formats.
#include <QAction>
#include <QMenu>

#include "actions/palette_actions.h"
#include "ui/Unit1.h"

namespace dabro {

namespace {

const QStringList& palette_names() {
    static const QStringList names = {QStringLiteral("Palette 0 (the preview's)"),
                                      QStringLiteral("Palette 1"), QStringLiteral("Palette 2"),
                                      QStringLiteral("Palette 3")};
    return names;
}

}  // namespace

void TForm1::build_palette_items(QMenu* palette) {
    ImportIntoPalette1 = palette->addAction(QStringLiteral("Import into palette\u2026"));
    ImportIntoPalette1->setObjectName(QStringLiteral("ImportIntoPalette1"));
    ExportPaletteAs1 = palette->addAction(QStringLiteral("Export palette\u2026"));
    ExportPaletteAs1->setObjectName(QStringLiteral("ExportPaletteAs1"));
    connect(ImportIntoPalette1, &QAction::triggered, this,
            [this] { ImportIntoPalette1Click(ImportIntoPalette1); });
    connect(ExportPaletteAs1, &QAction::triggered, this,
            [this] { ExportPaletteAs1Click(ExportPaletteAs1); });
}

void TForm1::ImportIntoPalette1Click(QObject*) {
    const int c = selected_collection();
    if (c < 0) return;
    const std::optional<int> slot = prompts_->choose_item(
        {QStringLiteral("Import into palette"), QStringLiteral("Palette:"), palette_names()});
    if (!slot || *slot < 0 || *slot >= kPalettesPerCollection) return;
    const std::optional<std::string> path = choose_file(FileDialog::OpenDialog4);
    if (!path) return;
    CommandPtr step;
    if (!reported_ok(import_palette_step(doc(), c, *slot, *path, PaletteReading::AnyFormat, step)))
        return;
    run(std::move(step));
    set_status(QStringLiteral("Palette imported"));
}

void TForm1::ExportPaletteAs1Click(QObject*) {
    const int c = selected_collection();
    if (c < 0) return;
    const std::optional<int> slot = prompts_->choose_item(
        {QStringLiteral("Export palette"), QStringLiteral("Palette:"), palette_names()});
    if (!slot || *slot < 0 || *slot >= kPalettesPerCollection) return;
    const auto writable = writable_palette_formats();
    QStringList formats;
    for (const PaletteFormatEntry& f : writable) formats << QString::fromUtf8(f.label);
    const std::optional<int> format = prompts_->choose_item(
        {QStringLiteral("Export palette"), QStringLiteral("Format:"), formats});
    if (!format || *format < 0 || *format >= static_cast<int>(writable.size())) return;
    const PaletteFormatEntry& chosen = writable[static_cast<std::size_t>(*format)];
    FileRequest request = file_request(FileDialog::SaveDialog4);
    request.filter = QString::fromStdString(palette_save_filter(chosen));
    request.defaultExtension = QString::fromUtf8(chosen.extension);
    const std::optional<std::string> path = choose_file(request);
    if (!path) return;
    if (!reported_ok(export_palette(doc(), c, *slot, *path, chosen.format))) return;
    set_status(QStringLiteral("Palette exported"));
}

}  // namespace dabro
