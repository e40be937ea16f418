// The window's handlers: events, caption, dialogs, list clicks, table buttons and Help.
#include "ui/Unit1.h"
#include "ui/window_commands.h"

#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <utility>

#include "commands/document_commands.h"
#include "ui/app_info.h"

namespace dabro {

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
