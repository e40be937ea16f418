// The window's dialogs and error display, behind a seam tests replace.
#include "ui/user_prompts.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QStringList>

#include "interchange/palette_format_table.h"

namespace dabro {

FileRequest file_request(FileDialog dialog) {
    FileRequest r;
    r.dialog = dialog;
    r.folder = QStringLiteral(".");
    switch (dialog) {
        case FileDialog::OpenDialog1:
        case FileDialog::SaveDialog1:
            r.filter = QStringLiteral("*.spr|*.spr");
            r.defaultExtension = QStringLiteral("spr");
            break;
        case FileDialog::OpenDialog2:
        case FileDialog::SaveDialog2:
            r.filter = QStringLiteral("*.raw|*.raw");
            r.defaultExtension = QStringLiteral("raw");
            break;
        case FileDialog::OpenDialog3:
            r.filter = QStringLiteral("*.act|*.act|*.raw|*.raw");
            break;
        case FileDialog::SaveDialog3:
            r.filter = QStringLiteral("*.act|*.act");
            r.defaultExtension = QStringLiteral("act");
            break;
        case FileDialog::SaveDialog4:  // the first format offered until one is chosen
            r.filter = QString::fromStdString(palette_save_filter(kPaletteFormats[0]));
            r.defaultExtension = QString::fromUtf8(kPaletteFormats[0].extension);
            break;
        case FileDialog::OpenDialog4:
            r.filter = QString::fromStdString(palette_open_filter());
            break;
        case FileDialog::ExportImageDialog:
            r.filter = QStringLiteral("*.png|*.png|*.raw|*.raw");
            r.defaultExtension = QStringLiteral("png");
            break;
        case FileDialog::ImportPngDialog:
        case FileDialog::ExportSheetDialog:
        case FileDialog::ImportSheetDialog:
            r.filter = QStringLiteral("*.png|*.png");
            r.defaultExtension = QStringLiteral("png");
            break;
        case FileDialog::ExportAnimationDialog:
            r.filter = QStringLiteral("*.gif|*.gif|*.png|*.png|*.apng|*.apng|*.webp|*.webp");
            r.defaultExtension = QStringLiteral("gif");
            break;
    }
    r.save = dialog == FileDialog::SaveDialog1 || dialog == FileDialog::SaveDialog2 ||
             dialog == FileDialog::SaveDialog3 || dialog == FileDialog::SaveDialog4 ||
             dialog == FileDialog::ExportImageDialog || dialog == FileDialog::ExportSheetDialog ||
             dialog == FileDialog::ExportAnimationDialog;
    return r;
}

QString qt_name_filters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    // A description that is its own pattern is shown once: "*.spr", not "*.spr (*.spr)".
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << (parts[i] == parts[i + 1]
                        ? parts[i]
                        : QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]));
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<QString> QtUserPrompts::choose_file(const FileRequest& request) {
    QFileDialog dialog(owner_, QString(), request.folder, qt_name_filters(request.filter));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // An open dialog takes a typed name of a file that does not exist; opening it then
    // reports "File not found". A save dialog replaces a file without asking.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (request.save) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(request.defaultExtension);
    if (!request.lastPath.isEmpty()) dialog.selectFile(request.lastPath);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.first();
}

void QtUserPrompts::show_error(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Dabro"), text, QMessageBox::Ok, owner_);
    // The text can quote what the user typed; it is never markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtUserPrompts::show_about(const QString& title, const QString& text) {
    QMessageBox::about(owner_, title, text);
}

SaveChoice QtUserPrompts::ask_save_changes(const QString& document) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Dabro"),
                    QStringLiteral("Save the changes to %1 before closing it?").arg(document),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, owner_);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(QStringLiteral("Changes that are not saved are lost."));
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save:
            return SaveChoice::Save;
        case QMessageBox::Discard:
            return SaveChoice::Discard;
        default:
            return SaveChoice::Cancel;
    }
}

std::optional<int> QtUserPrompts::choose_item(const ItemRequest& request) {
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(owner_, request.title, request.label, request.items, 0, false, &ok);
    if (!ok) return std::nullopt;
    const qsizetype index = request.items.indexOf(chosen);
    if (index < 0) return std::nullopt;
    return static_cast<int>(index);
}

bool QtUserPrompts::show_progress(const QString& label, long long done, long long total) {
    if (progress_ == nullptr) {
        progress_ = new QProgressDialog(label, QStringLiteral("Cancel"), 0, 1000, owner_);
        progress_->setWindowTitle(QStringLiteral("Dabro"));
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setMinimumDuration(500);
        progress_->setAutoReset(false);
        progress_->setAutoClose(false);
    }
    progress_->setLabelText(label);
    progress_->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
    QCoreApplication::processEvents();
    return !progress_->wasCanceled();
}

void QtUserPrompts::end_progress() {
    delete progress_;
    progress_ = nullptr;
}

ReloadChoice QtUserPrompts::ask_reload(const QString& document) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Dabro"),
                    QStringLiteral("%1 changed on disk.").arg(document), QMessageBox::NoButton,
                    owner_);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(
        QStringLiteral("Reload it and lose the changes made here, or keep the window's sprite? "
                       "Saving it later writes it over the file."));
    QPushButton* reload = box.addButton(QStringLiteral("Reload"), QMessageBox::DestructiveRole);
    QPushButton* keep = box.addButton(QStringLiteral("Keep mine"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.exec();
    return box.clickedButton() == reload ? ReloadChoice::Reload : ReloadChoice::Keep;
}

std::optional<QString> QtUserPrompts::ask_text(const QString& title, const QString& label,
                                               const QString& text) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(owner_, title, label, QLineEdit::Normal, text, &ok);
    if (!ok) return std::nullopt;
    return answer;
}

std::optional<PlaceChoice> QtUserPrompts::ask_place_frames(const PlaceDialogRequest& request) {
    return dabro::ask_place_frames(owner_, request);
}

}  // namespace dabro
