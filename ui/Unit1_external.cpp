// The window's live link: Edit externally, and each save of the outside editor as one step.
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

}  // namespace

void TForm1::build_live_link_items(QMenu* image, QMenu* options) {
    EditExternally1 = image->addAction(QStringLiteral("Edit externally\u2026"));
    EditExternally1->setObjectName(QStringLiteral("EditExternally1"));
    EditExternally1->setShortcut(Qt::CTRL | Qt::Key_E);
    EditSheetExternally1 =
        image->addAction(QStringLiteral("Edit collection sheet externally\u2026"));
    EditSheetExternally1->setObjectName(QStringLiteral("EditSheetExternally1"));
    EditExternally2 = PopupMenu1->addAction(QStringLiteral("Edit externally\u2026"));
    EditExternally2->setObjectName(QStringLiteral("EditExternally2"));
    ExternalEditor1 = options->addAction(QStringLiteral("External editor\u2026"));
    ExternalEditor1->setObjectName(QStringLiteral("ExternalEditor1"));
    shortcutActions_.push_back(EditExternally1);
    end_external_links();

    connect(EditExternally1, &QAction::triggered, this,
            [this] { EditExternally1Click(EditExternally1); });
    connect(EditExternally2, &QAction::triggered, this,
            [this] { EditExternally1Click(EditExternally2); });
    connect(EditSheetExternally1, &QAction::triggered, this,
            [this] { EditSheetExternally1Click(EditSheetExternally1); });
    connect(ExternalEditor1, &QAction::triggered, this,
            [this] { ExternalEditor1Click(ExternalEditor1); });
}

// The links and their work folder go; the next link starts a new folder.
void TForm1::end_external_links() {
    externalEdit_ = std::make_unique<ExternalEdit>();
    connect(externalEdit_.get(), &ExternalEdit::saved, this, &TForm1::apply_external_edit);
    connect(externalEdit_.get(), &ExternalEdit::lost, this, [this](const QString& file) {
        set_status(QStringLiteral("External edit: %1 is gone").arg(file));
    });
}

void TForm1::EditExternally1Click(QObject*) {
    const ImageRef ref = selected_image();
    if (!is_valid(doc(), ref) || !readable_collection(doc(), ref.collection)) return;
    QString error;
    const ExternalTarget target{ref.collection, ref.slot};
    const QString png = externalEdit_->file_for(target, error);
    if (png.isEmpty()) {
        reported_ok(Status::failure(error.toStdString()));
        return;
    }
    const ImageCollection& col = doc().collections[static_cast<std::size_t>(ref.collection)];
    std::vector<std::uint8_t> bytes;
    if (!reported_ok(export_image_png(col.images[static_cast<std::size_t>(ref.slot)],
                                      col.palettes[0], bytes)) ||
        !reported_ok(write_file_atomically(local_path(png), bytes)))
        return;
    start_link(target, {png});
}

void TForm1::EditSheetExternally1Click(QObject*) {
    const int c = selected_collection();
    if (!readable_collection(doc(), c)) return;
    QString error;
    const ExternalTarget target{c, -1};
    const QString png = externalEdit_->file_for(target, error);
    if (png.isEmpty()) {
        reported_ok(Status::failure(error.toStdString()));
        return;
    }
    const std::string path = local_path(png);
    if (!reported_ok(export_sheet(doc().collections[static_cast<std::size_t>(c)], path))) return;
    start_link(target, {png, QFile::decodeName(QByteArray::fromStdString(sheet_json_path(path)))});
}

// The files written, the link watches them and the editor opens the first. An editor that
// does not start leaves the link in place: the file can still be opened by hand.
void TForm1::start_link(ExternalTarget target, const QStringList& files) {
    externalEdit_->link(target, files);
    QString error;
    if (!start_external_editor(files.first(), error)) {
        reported_ok(Status::failure(error.toStdString()));
        return;
    }
    set_status(QStringLiteral("Editing externally: %1").arg(files.first()));
}

// A save that does not read (half written, not a PNG, a broken JSON) changes nothing and
// is named on the status line; the next save is tried again. A save brings in only the
// pixels the artist changed: what the document holds now stays everywhere else.
void TForm1::apply_external_edit(ExternalTarget target, const QString& png) {
    const std::string path = local_path(png);
    std::vector<std::uint8_t> bytes;
    RgbaImage saved;
    RgbaImage now;
    QTemporaryDir merging;
    const std::string merged = local_path(merging.filePath(QFileInfo(png).fileName()));
    Status s = read_input_file(path, kMaxPngBytes, bytes);
    if (s.ok()) s = decode_png(bytes, path, saved);
    if (s.ok()) s = picture_now(doc(), target, now);
    std::vector<std::uint8_t> mergedPng;
    if (s.ok())
        s = encode_png(artist_changes(externalEdit_->picture(target), saved, now), mergedPng);
    if (s.ok()) s = write_file_atomically(merged, mergedPng);
    if (s.ok() && target.is_sheet() &&
        !QFile::copy(QFile::decodeName(QByteArray::fromStdString(sheet_json_path(path))),
                     QFile::decodeName(QByteArray::fromStdString(sheet_json_path(merged)))))
        s = Status::failure(sheet_json_path(path) + ": cannot be read");
    CommandPtr step;
    if (s.ok())
        s = target.is_sheet() ? import_sheet_step(doc(), target.collection, merged,
                                                  Encoding::Compact, step, {}, kExternalEdit)
                              : import_png_step(doc(), {target.collection, target.slot}, merged,
                                                {.stepName = kExternalEdit}, step);
    if (!s.ok()) {
        set_status(QStringLiteral("External edit not applied: %1")
                       .arg(QString::fromStdString(s.message())));
        return;
    }
    externalEdit_->take_picture(target, std::move(saved));
    run(std::move(step));
    set_status(QStringLiteral("External edit applied"));
}

void TForm1::ExternalEditor1Click(QObject*) {
    const std::optional<QString> command = prompts_->ask_text(
        QStringLiteral("External editor"),
        QStringLiteral("Command of the painting program (the PNG's path is added last); "
                       "empty for the desktop's application:"),
        external_editor_command());
    if (command) set_external_editor_command(command->trimmed());
}

}  // namespace dabro
