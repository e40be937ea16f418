// The live link in the window: Edit externally for an image or a collection sheet, each save
// of the outside editor brought back as one undoable step, and the editor's setting.
#include <QAction>
#include <QFile>
#include <QMenu>
#include <string>
#include <utility>
#include <vector>

#include "actions/collection_sheet.h"
#include "actions/image_actions.h"
#include "document/file_layer.h"
#include "interchange/image_png.h"
#include "interchange/sheet.h"
#include "ui/Unit1.h"

namespace dabro {

namespace {

// What Edit > Undo calls a save brought back from the painting program.
const char* const kExternalEdit = "External edit";

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
// is named on the status line; the next save is tried again.
void TForm1::apply_external_edit(ExternalTarget target, const QString& png) {
    const std::string path = local_path(png);
    CommandPtr step;
    const Status s = target.is_sheet()
                         ? import_sheet_step(doc(), target.collection, path, Encoding::Compact,
                                             step, {}, kExternalEdit)
                         : import_png_step(doc(), {target.collection, target.slot}, path,
                                           {.stepName = kExternalEdit}, step);
    if (!s.ok()) {
        set_status(QStringLiteral("External edit not applied: %1")
                       .arg(QString::fromStdString(s.message())));
        return;
    }
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
