// The live link's commands: the selected image or sheet opened in an outside editor, each save
// brought back.
#include "ui/live_link.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <string>
#include <utility>
#include <vector>

#include "actions/collection_sheet.h"
#include "actions/image_actions.h"
#include "document/byte_sink.h"
#include "document/file_layer.h"
#include "interchange/image_png.h"
#include "interchange/sheet.h"
#include "ui/Unit1.h"
#include "ui/window_commands.h"

namespace dabro {

namespace {

// What Edit > Undo calls a save brought back from the painting program.
const char* const kExternalEdit = "External edit";

// The target as the link writes it from the document now.
Status picture_now(const SpriteDocument& doc, ExternalTarget target, RgbaImage& out) {
    const ImageCollection& c = doc.collections[static_cast<std::size_t>(target.collection)];
    if (!target.is_sheet()) {
        PixelImage pixels;
        const Status s = decode_pixels(c.images[static_cast<std::size_t>(target.slot)], pixels);
        if (s.ok()) out = render_rgba(pixels, c.palettes[0]);
        return s;
    }
    SheetLayout layout;
    std::vector<std::uint8_t> png;
    VectorByteSink sink(png);
    Status s = sheet_layout(c, layout);
    if (s.ok()) s = write_sheet_png(c, layout, sink);
    return s.ok() ? decode_png(png, "sheet", out) : s;
}

// The pixels of `saved` that differ from `before` (what the outside editor started from),
// over `now`; a picture of another size, or no `before`, is taken whole.
RgbaImage artist_changes(const RgbaImage* before, const RgbaImage& saved, const RgbaImage& now) {
    const auto same_size = [&](const RgbaImage& a) {
        return a.width == saved.width && a.height == saved.height;
    };
    if (before == nullptr || !same_size(*before) || !same_size(now)) return saved;
    RgbaImage out = now;
    for (std::size_t i = 0; i < out.pixels.size(); ++i)
        if (saved.pixels[i] != before->pixels[i]) out.pixels[i] = saved.pixels[i];
    return out;
}

[[maybe_unused]] const bool registered =
    register_commands(30, [](TForm1& window) { new LiveLink(window); });

}  // namespace

LiveLink::LiveLink(TForm1& window) : QObject(&window), window_(window) {
    WindowCommands& commands = window.commands();
    auto* image = window.findChild<QMenu*>(QStringLiteral("ImageMenu"));
    auto* options = window.findChild<QMenu*>(QStringLiteral("Options1"));
    const auto image_ready = [this] { return can_edit_image(); };
    commands.add(
        {image, "EditExternally1", QStringLiteral("Edit externally\u2026"), {Qt::CTRL | Qt::Key_E}},
        [this](QAction*) { edit_image(); }, image_ready);
    commands.add(
        {image, "EditSheetExternally1", QStringLiteral("Edit collection sheet externally\u2026")},
        [this](QAction*) { edit_sheet(); }, [this] { return can_edit_sheet(); });
    commands.add(
        {window.PopupMenu1, "EditExternally2", QStringLiteral("Edit externally\u2026")},
        [this](QAction*) { edit_image(); }, image_ready);
    commands.add({options, "ExternalEditor1", QStringLiteral("External editor\u2026")},
                 [this](QAction*) { choose_editor(); });
    connect(&window, &TForm1::documentReplaced, this, &LiveLink::end_links);
    end_links();
}

LiveLink::~LiveLink() = default;

void LiveLink::end_links() {
    edit_ = std::make_unique<ExternalEdit>();
    connect(edit_.get(), &ExternalEdit::saved, this, &LiveLink::apply);
    connect(edit_.get(), &ExternalEdit::lost, this, [this](const QString& file) {
        window_.set_status(QStringLiteral("External edit: %1 is gone").arg(file));
    });
}

bool LiveLink::can_edit_image() const {
    return pixels_ready(window_.doc(), window_.selected_image()).ok();
}

bool LiveLink::can_edit_sheet() const {
    return sheet_ready(window_.doc(), window_.selected_collection()).ok();
}

QString LiveLink::file_for(ExternalTarget target) {
    QString png;
    return window_.reported_ok(edit_->file_for(target, png)) ? png : QString();
}

void LiveLink::edit_image() {
    if (!can_edit_image()) return;
    const ImageRef ref = window_.selected_image();
    const ExternalTarget target{ref.collection, ref.slot};
    const QString png = file_for(target);
    if (png.isEmpty() ||
        !window_.reported_ok(export_image(window_.doc(), ref, 0, local_path(png), false)))
        return;
    start(target, {png});
}

void LiveLink::edit_sheet() {
    if (!can_edit_sheet()) return;
    const int c = window_.selected_collection();
    const ExternalTarget target{c, -1};
    const QString png = file_for(target);
    if (png.isEmpty()) return;
    const std::string path = local_path(png);
    if (!window_.reported_ok(export_collection_sheet(window_.doc(), c, path))) return;
    start(target, {png, QFile::decodeName(QByteArray::fromStdString(sheet_json_path(path)))});
}

// The files written, the link watches them and the editor opens the first. An editor that
// does not start leaves the link in place: the file can still be opened by hand.
void LiveLink::start(ExternalTarget target, const QStringList& files) {
    edit_->link(target, files);
    if (!window_.reported_ok(start_external_editor(files.first()))) return;
    window_.set_status(QStringLiteral("Editing externally: %1").arg(files.first()));
}

// A save that does not read (half written, not a PNG, a broken JSON) changes nothing and
// is named on the status line; the next save is tried again. A save brings in only the
// pixels the artist changed: what the document holds now stays everywhere else.
void LiveLink::apply(ExternalTarget target, const QString& png) {
    const SpriteDocument& doc = window_.doc();
    const std::string path = local_path(png);
    std::vector<std::uint8_t> bytes;
    RgbaImage saved;
    RgbaImage now;
    QTemporaryDir merging;
    const std::string merged = local_path(merging.filePath(QFileInfo(png).fileName()));
    Status s = read_input_file(path, kMaxPngBytes, bytes);
    if (s.ok()) s = decode_png(bytes, path, saved);
    if (s.ok()) s = picture_now(doc, target, now);
    std::vector<std::uint8_t> mergedPng;
    if (s.ok()) s = encode_png(artist_changes(edit_->picture(target), saved, now), mergedPng);
    if (s.ok()) s = write_file_atomically(merged, mergedPng);
    if (s.ok() && target.is_sheet() &&
        !QFile::copy(QFile::decodeName(QByteArray::fromStdString(sheet_json_path(path))),
                     QFile::decodeName(QByteArray::fromStdString(sheet_json_path(merged)))))
        s = Status::failure(sheet_json_path(path) + ": cannot be read");
    CommandPtr step;
    if (s.ok())
        s = target.is_sheet() ? import_sheet_step(doc, target.collection, merged, Encoding::Compact,
                                                  step, {}, kExternalEdit)
                              : import_png_step(doc, {target.collection, target.slot}, merged,
                                                {.stepName = kExternalEdit}, step);
    if (!s.ok()) {
        window_.set_status(QStringLiteral("External edit not applied: %1")
                               .arg(QString::fromStdString(s.message())));
        return;
    }
    edit_->take_picture(target, std::move(saved));
    window_.run(std::move(step));
    window_.set_status(QStringLiteral("External edit applied"));
}

void LiveLink::choose_editor() {
    const std::optional<QString> command = window_.prompts().ask_text(
        QStringLiteral("External editor"),
        QStringLiteral("Command of the painting program (the PNG's path is added last); "
                       "empty for the desktop's application:"),
        external_editor_command());
    if (command) set_external_editor_command(command->trimmed());
}

}  // namespace dabro
