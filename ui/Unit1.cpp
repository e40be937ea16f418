// The window's handlers: events, caption, list clicks, field exits, table buttons, image commands.
#include "ui/Unit1.h"
#include "ui/window_commands.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <iterator>
#include <utility>

#include "actions/image_actions.h"
#include "actions/palette_actions.h"
#include "commands/document_commands.h"
#include "document/name_text.h"
#include "document/text_to_int.h"
#include "imaging/align.h"
#include "interchange/palette_file.h"
#include "interchange/palette_formats.h"
#include "ui/app_info.h"

namespace dabro {
namespace {

// The bytes of a name the user typed, in the encoding the name is shown in: UTF-8 when the
// stored name reads as UTF-8 beyond ASCII, or when the text has characters Latin-1 lacks;
// else Latin-1, a byte a character.
std::string typed_name(const QString& text, std::string_view stored) {
    const bool storedIsUtf8 =
        is_valid_utf8(stored) && std::any_of(stored.begin(), stored.end(), [](char c) {
            return static_cast<unsigned char>(c) > 0x7F;
        });
    const bool fitsLatin1 =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    const QByteArray bytes = storedIsUtf8 || !fitsLatin1 ? text.toUtf8() : text.toLatin1();
    return bytes.toStdString();
}

}  // namespace

std::string local_path(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // An edit field claims Ctrl+X, Ctrl+A and others for itself; the menu comes first.
            if (commands_->takes(*static_cast<QKeyEvent*>(event))) {
                event->ignore();
                return true;
            }
            break;
        case QEvent::FocusOut: {
            // Opening a menu or a dialog, or leaving the window, is not leaving the field.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
                reason != Qt::MenuBarFocusReason)
                run_exit_handler(watched);
            break;
        }
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                is_size_or_box_field(watched))
                Edit20Exit(watched);
            break;
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::is_size_or_box_field(const QObject* object) const {
    return std::find(sizeAndBoxFields_.begin(), sizeAndBoxFields_.end(), object) !=
           sizeAndBoxFields_.end();
}

QString TForm1::status_text() const {
    return statusText_->text();
}

void TForm1::set_status(const QString& text) {
    statusText_->setText(text);
}

void TForm1::set_caption_from_file_name() {
    captionShowsFile_ = true;
    update_caption();
}

void TForm1::update_caption() {
    // Until the first Open or New the caption names the program, not a file.
    const QString base =
        captionShowsFile_
            ? QStringLiteral("Dabro (%1)")
                  .arg(QFile::decodeName(QByteArray::fromStdString(session_.currentFileName)))
            : QStringLiteral("Dabro v1.0");
    // A modified document is marked as desktop editors mark it: a leading asterisk.
    setWindowTitle(is_modified() ? QStringLiteral("*") + base : base);
}

bool TForm1::reported_ok(const Status& status) {
    if (!status.ok()) prompts_->show_error(QString::fromStdString(failure_text(status.message())));
    return status.ok();
}

bool TForm1::convert(const QLineEdit* field, std::int32_t& value) {
    return reported_ok(text_to_int(field->text().toStdString(), value));
}

std::optional<std::string> TForm1::choose_file(FileDialog dialog) {
    return choose_file(file_request(dialog));
}

std::optional<std::string> TForm1::choose_file(FileRequest request) {
    QString& last = lastPaths_[static_cast<std::size_t>(request.dialog)];
    request.lastPath = last;
    const std::optional<QString> chosen = prompts_->choose_file(request);
    if (!chosen) return std::nullopt;
    last = *chosen;
    return local_path(*chosen);
}

std::optional<std::string> TForm1::choose_beside_sprite(FileDialog dialog) {
    FileRequest request = file_request(dialog);
    if (!session_.currentFileName.empty()) {
        request.folder =
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(session_.currentFileName)))
                .absolutePath();
        QString& last = lastPaths_[static_cast<std::size_t>(dialog)];
        if (QFileInfo(last).absolutePath() != request.folder) last.clear();
    }
    return choose_file(request);
}

void TForm1::ListBox1Click(QObject*) {
    gui_seq_box_ref_sub();
}

void TForm1::ListBox2Click(QObject*) {
    const int q = selected_frame();
    if (q >= 0) ListBox4->set_item_index(doc().sequences[selected_sequence()].imageIndex[q]);
    gui_fr_box_ref_sub();
}

void TForm1::ListBox3Click(QObject*) {
    gui_col_box_ref_sub();
}

void TForm1::ListBox4Click(QObject*) {
    gui_cfr_box_ref_sub();
}

void TForm1::ListBox5Click(QObject*) {
    gui_image_ref();
    gui_dir_box_ref_sub();
}

// Field handlers

bool TForm1::run_exit_handler(QObject* field) {
    if (field == Edit10) return commit_sequence_name();
    if (field == Edit11) return commit_collection_index();
    if (field == Edit8) return commit_image_index();
    if (field == Edit9) return commit_frame_value();
    if (is_size_or_box_field(field)) return commit_size_and_box();
    return true;
}

bool TForm1::commit_focused_field() {
    // Only an edit the user made is pending: a field nobody changed holds nothing to take.
    const auto* field = qobject_cast<const QLineEdit*>(focusWidget());
    return field == nullptr || !field->isModified() || run_exit_handler(focusWidget());
}

void TForm1::Edit10Exit(QObject*) {
    commit_sequence_name();
}

void TForm1::Edit11Exit(QObject*) {
    commit_collection_index();
}

void TForm1::Edit8Exit(QObject*) {
    commit_image_index();
}

void TForm1::Edit9Exit(QObject*) {
    commit_frame_value();
}

void TForm1::Edit20Exit(QObject*) {
    commit_size_and_box();
}

bool TForm1::commit_sequence_name() {
    const int s = selected_sequence();
    if (!Edit10->isModified() || s < 0) return true;
    Edit10->setModified(false);
    run(set_sequence_name_command(s, typed_name(Edit10->text(), doc().sequences[s].name.view())),
        &TForm1::gui_seq_box_ref);
    return true;
}

bool TForm1::commit_collection_index() {
    const int s = selected_sequence();
    if (!Edit11->isModified() || s < 0) return true;
    std::int32_t value = 0;
    if (!convert(Edit11, value)) return false;
    Edit11->setModified(false);
    run(set_collection_index_command(s, static_cast<std::uint16_t>(value)),
        &TForm1::gui_seq_box_ref);
    return true;
}

bool TForm1::commit_image_index() {
    const int q = selected_frame();
    if (!Edit8->isModified() || q < 0) return true;
    std::int32_t value = 0;
    if (!convert(Edit8, value)) return false;
    Edit8->setModified(false);
    run(set_image_index_command(selected_sequence(), q, static_cast<std::int16_t>(value)),
        &TForm1::gui_fr_box_ref);
    return true;
}

bool TForm1::commit_frame_value() {
    const int q = selected_frame();
    if (!Edit9->isModified() || q < 0) return true;
    std::int32_t value = 0;
    if (!convert(Edit9, value)) return false;
    Edit9->setModified(false);
    run(set_frame_value_command(selected_sequence(), q, value), &TForm1::gui_fr_box_ref);
    return true;
}

// The six values are read in order and a faulty field stops the reading; the values read
// before it are still written, as one step.
bool TForm1::commit_size_and_box() {
    const ImageRef ref = selected_image();
    ImageGeometry geometry = geometry_of(doc(), ref);
    const std::pair<QLineEdit*, std::int32_t*> fields[] = {
        {Edit20, &geometry.width},   {Edit21, &geometry.height},    {Edit15, &geometry.box.left},
        {Edit16, &geometry.box.top}, {Edit17, &geometry.box.right}, {Edit18, &geometry.box.bottom},
    };
    Status read = Status::success();
    for (const auto& [field, value] : fields) {
        read = text_to_int(field->text().toStdString(), *value);
        if (!read.ok()) break;
        // The value is taken: the field holds no edit of its own any more.
        field->setModified(false);
    }
    CommandPtr step = set_geometry_command("Edit size and box", ref, geometry);
    // After a faulty field the values before it are stored, and nothing is redrawn.
    if (!read.ok()) {
        record(std::move(step));
        return reported_ok(read);
    }
    run(std::move(step), &TForm1::gui_image_ref);
    return true;
}

// A table edit refreshes only after a change: a full or an empty table stops the command
// with its status text.
void TForm1::run_table_edit(CommandPtr command, const TableEdit& outcome, const QString& fullText) {
    const Refresh level = command->refresh();
    if (record(std::move(command))) refresh(level);
    switch (outcome) {
        case TableEdit::Full:
            set_status(fullText);
            break;
        case TableEdit::Empty:
            set_status(QStringLiteral("Cannot delete nothing"));
            break;
        case TableEdit::Changed:
        case TableEdit::NoTarget:
            break;
    }
}

void TForm1::Button1Click(QObject*) {
    TableEdit outcome = TableEdit::NoTarget;
    run_table_edit(add_sequence_command(&outcome), outcome,
                   QStringLiteral("Sequence table to small. Upgrade or contact the author"));
}

void TForm1::Button2Click(QObject*) {
    TableEdit outcome = TableEdit::NoTarget;
    run_table_edit(delete_sequence_command(&outcome), outcome);
}

void TForm1::Button3Click(QObject*) {
    TableEdit outcome = TableEdit::NoTarget;
    run_table_edit(add_frame_command(selected_sequence(), &outcome), outcome,
                   QStringLiteral("Frame table to small. Upgrade or contact the author"));
}

void TForm1::Button4Click(QObject*) {
    TableEdit outcome = TableEdit::NoTarget;
    run_table_edit(delete_frame_command(selected_sequence(), &outcome), outcome);
}

void TForm1::load_imagesClick(QObject*) {
    // The item's own check mark already moved when it was triggered.
}

void TForm1::AboutDabro1Click(QObject*) {
    prompts_->show_about(QStringLiteral("About Dabro"), about_text());
}

}  // namespace dabro
